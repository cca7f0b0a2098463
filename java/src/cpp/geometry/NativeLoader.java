package cpp.geometry;

import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.net.URI;
import java.net.URL;
import java.nio.file.AtomicMoveNotSupportedException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.HexFormat;
import java.util.Locale;
import java.util.jar.Manifest;

/**
 * Loads libmeshory.so once per class loader, from the first of these places that has it:
 *
 * <ol>
 *   <li>the file the system property {@code meshory.library} names (nothing else is tried then);
 *   <li>{@code meshory} on {@code java.library.path};
 *   <li>the library this jar carries for the running platform (resource
 *       {@code META-INF/native/<os>-<arch>/libmeshory.so}, e.g. {@code linux-x86_64}), extracted
 *       once into the per-user cache {@code $XDG_CACHE_HOME/meshory/<sha-256>/} (by default
 *       {@code ~/.cache}). The folder is named by the library's checksum, so jars of different
 *       versions never share a file, and a copy is moved into place whole, so JVMs that start
 *       together cannot see a partly written file.
 * </ol>
 *
 * <p>Once loaded, the library's version must equal the jar's {@code Implementation-Version};
 * a mismatch is refused with an {@link UnsatisfiedLinkError} naming both. Classes run from a
 * folder rather than a jar carry no version, and skip the check.
 */
public final class NativeLoader {
    public static final String PROPERTY = "meshory.library";
    static final String RESOURCE_ROOT = "/META-INF/native/";
    private static boolean loaded;

    private NativeLoader() {}

    public static synchronized void load() {
        if (loaded) {
            return;
        }
        String path = System.getProperty(PROPERTY);
        if (path != null && !path.isEmpty()) {
            String file = new File(path).getAbsolutePath();
            loadFile(file, "the file " + file + " (system property " + PROPERTY + ")");
        } else {
            try {
                System.loadLibrary("meshory");
            } catch (UnsatisfiedLinkError notOnPath) {
                String bundled = extractBundled(notOnPath);
                loadFile(bundled, "the library this jar carries, extracted to " + bundled);
            }
        }
        String jarVersion = jarVersion();
        String libraryVersion;
        try {
            libraryVersion = libraryVersion();
        } catch (UnsatisfiedLinkError e) {
            // A library older than the version native.
            libraryVersion = "unknown (it has no version native)";
        }
        checkVersion(jarVersion, libraryVersion);
        loaded = true;
    }

    /** The version of the loaded libmeshory.so, as its build states it. */
    public static native String libraryVersion();

    /** Refuses a library whose version differs from the jar's; a jar without a version passes. */
    static void checkVersion(String jarVersion, String libraryVersion) {
        if (jarVersion != null && !jarVersion.equals(libraryVersion)) {
            throw new UnsatisfiedLinkError("meshory: the library is version " + libraryVersion
                    + " but the jar is version " + jarVersion
                    + "; use the library built with the jar");
        }
    }

    /**
     * The {@code Implementation-Version} of the jar this class came from; null when it came from a
     * folder. Read from the jar itself: the package's version may come from another jar on the
     * class path that shares the package.
     */
    static String jarVersion() {
        URL self = NativeLoader.class.getResource("NativeLoader.class");
        if (self == null || !"jar".equals(self.getProtocol())) {
            return null;
        }
        String location = self.toString();
        String manifest = location.substring(0, location.indexOf("!/") + 2)
                + "META-INF/MANIFEST.MF";
        try (InputStream in = URI.create(manifest).toURL().openStream()) {
            return new Manifest(in).getMainAttributes().getValue("Implementation-Version");
        } catch (IOException | IllegalArgumentException e) {
            throw linkError("cannot read the manifest of " + location, e);
        }
    }

    /** The platform folder of the running JVM, e.g. {@code linux-x86_64}. */
    static String platform() {
        return platform(System.getProperty("os.name"), System.getProperty("os.arch"));
    }

    /**
     * The platform folder for the JVM's {@code os.name} and {@code os.arch}. Only the CPUs the
     * library is built for have a folder; any other is refused here, naming it, rather than
     * looked up under a name no jar carries.
     */
    static String platform(String osName, String osArch) {
        String os = osName.toLowerCase(Locale.ROOT).replaceAll("\\s+", "");
        if (os.startsWith("linux")) {
            os = "linux";
        } else if (os.startsWith("mac")) {
            os = "macos";
        } else if (os.startsWith("windows")) {
            os = "windows";
        }
        String arch = switch (osArch.toLowerCase(Locale.ROOT)) {
            case "amd64", "x86_64", "x86-64", "x64" -> "x86_64";
            case "aarch64", "arm64" -> "aarch64";
            // 32-bit ARM JVMs say "arm"; the library is built for ARMv7 with hardware floats.
            case "arm", "armv7l", "armv7", "armhf" -> "arm";
            case "riscv64" -> "riscv64";
            default -> throw new UnsatisfiedLinkError(
                    "meshory: no library is built for the platform "
                    + os + "-" + osArch.toLowerCase(Locale.ROOT));
        };
        return os + "-" + arch;
    }

    private static void loadFile(String file, String where) {
        try {
            System.load(file);
        } catch (UnsatisfiedLinkError e) {
            UnsatisfiedLinkError error = new UnsatisfiedLinkError(
                    "meshory: cannot load " + where + ": " + e.getMessage());
            error.initCause(e);
            throw error;
        }
    }

    /**
     * Copies the bundled library into the cache unless an intact copy is there; returns its path.
     */
    private static String extractBundled(UnsatisfiedLinkError notOnPath) {
        String notFound = System.mapLibraryName("meshory") + " is not on java.library.path="
                + System.getProperty("java.library.path") + " (" + notOnPath.getMessage() + ")";
        String platform;
        try {
            platform = platform();
        } catch (UnsatisfiedLinkError unsupported) {
            throw new UnsatisfiedLinkError(unsupported.getMessage() + ", and " + notFound
                    + "; build it there and set " + PROPERTY + " to the library file");
        }
        String resource = RESOURCE_ROOT + platform + "/" + System.mapLibraryName("meshory");
        byte[] library;
        try (InputStream in = NativeLoader.class.getResourceAsStream(resource)) {
            if (in == null) {
                throw new UnsatisfiedLinkError(
                        "meshory: this jar carries no library for the platform " + platform
                                + ", and " + notFound + "; set " + PROPERTY
                                + " to the library file");
            }
            library = in.readAllBytes();
        } catch (IOException e) {
            throw linkError("cannot read " + resource + " from the jar", e);
        }
        String checksum = sha256(library);
        Path dir = cacheRoot().resolve("meshory").resolve(checksum);
        Path target = dir.resolve(System.mapLibraryName("meshory"));
        try {
            if (Files.isRegularFile(target)
                    && checksum.equals(sha256(Files.readAllBytes(target)))) {
                return target.toString();
            }
            Files.createDirectories(dir);
            Path partial = Files.createTempFile(dir, "partial-", ".tmp");
            try {
                Files.write(partial, library);
                try {
                    Files.move(partial, target, StandardCopyOption.ATOMIC_MOVE);
                } catch (AtomicMoveNotSupportedException e) {
                    Files.move(partial, target, StandardCopyOption.REPLACE_EXISTING);
                }
            } finally {
                Files.deleteIfExists(partial);
            }
        } catch (IOException e) {
            throw linkError("cannot extract the bundled library to " + dir
                    + " (set " + PROPERTY + " to a library file instead)", e);
        }
        return target.toString();
    }

    private static Path cacheRoot() {
        String xdg = System.getenv("XDG_CACHE_HOME");
        if (xdg != null && !xdg.isEmpty() && Paths.get(xdg).isAbsolute()) {
            return Paths.get(xdg);
        }
        return Paths.get(System.getProperty("user.home"), ".cache");
    }

    private static String sha256(byte[] bytes) {
        try {
            return HexFormat.of().formatHex(MessageDigest.getInstance("SHA-256").digest(bytes));
        } catch (NoSuchAlgorithmException e) {
            throw new IllegalStateException("every JVM provides SHA-256", e);
        }
    }

    private static UnsatisfiedLinkError linkError(String message, Exception cause) {
        UnsatisfiedLinkError error = new UnsatisfiedLinkError("meshory: " + message + ": " + cause);
        error.initCause(cause);
        return error;
    }
}
