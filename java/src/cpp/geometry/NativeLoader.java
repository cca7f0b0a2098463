package cpp.geometry;

import java.io.File;

/**
 * Loads libmeshory.so once per class loader.
 *
 * <p>The system property {@code meshory.library} names the library file to load; without it the
 * library is looked up as {@code meshory} on {@code java.library.path}.
 */
public final class NativeLoader {
    public static final String PROPERTY = "meshory.library";
    private static boolean loaded;

    private NativeLoader() {}

    public static synchronized void load() {
        if (loaded) {
            return;
        }
        String path = System.getProperty(PROPERTY);
        try {
            if (path != null && !path.isEmpty()) {
                System.load(new File(path).getAbsolutePath());
            } else {
                System.loadLibrary("meshory");
            }
        } catch (UnsatisfiedLinkError e) {
            String where = path != null && !path.isEmpty()
                    ? "the file " + new File(path).getAbsolutePath() + " (system property " + PROPERTY + ")"
                    : System.mapLibraryName("meshory") + " on java.library.path="
                            + System.getProperty("java.library.path")
                            + " (set " + PROPERTY + " to the library file to load another)";
            UnsatisfiedLinkError error = new UnsatisfiedLinkError("meshory: cannot load " + where + ": "
                    + e.getMessage());
            error.initCause(e);
            throw error;
        }
        loaded = true;
    }
}
