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
import java.nio.file.LinkOption;
import java.nio.file.StandardCopyOption;
import java.nio.file.attribute.PosixFileAttributeView;
import java.nio.file.attribute.PosixFilePermission;
import java.nio.file.attribute.PosixFilePermissions;
import java.nio.file.attribute.UserPrincipal;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.HexFormat;
import java.util.Locale;
import java.util.Set;
import java.util.jar.Manifest;

/**
 * Loads libmeshory.so once per class loader, from the first of these places that has it:
 *
 * <ol>
 *   <li>the file the system property {@code meshory.library} names (nothing else is tried then);
 *   <li>{@code meshory} on {@code java.library.path};
 *   <li>the library this jar carries for the running platform (resource
 *       {@code META-INF/native/<os>-<arch>/libmeshory.so}, e.g. {@code linux-x86_64}; on Windows
 *       {@code windows-x86_64/meshory.dll}), extracted once into the per-user cache
 *       {@code $XDG_CACHE_HOME/meshory/<sha-256>/} (by default {@code ~/.cache}; on Windows
 *       {@code %LOCALAPPDATA%}). The folder is named by the library's checksum, so jars of
 *       different versions never share a file, and a copy is moved into place whole, so JVMs that
 *       start together cannot see a partly written file. A copy in use is never replaced or
 *       deleted (Windows cannot delete a loaded DLL): an intact copy is used as it is.
 * </ol>
 *
 * <p>Where the JVM knows no absolute home (a container running as a user without a passwd entry
 * says {@code user.home=?}), the cache is {@code meshory-<user>} under {@code java.io.tmpdir},
 * made readable by its owner alone; a folder of that name owned by another user, a link, or one
 * that others may write to is refused. The working folder is never used.
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
                } catch (IOException inUse) {
                    // Windows refuses to replace a DLL another JVM has loaded; the copy that
                    // JVM placed there is as good as this one once its bytes check out.
                    if (!Files.isRegularFile(target)
                            || !checksum.equals(sha256(Files.readAllBytes(target)))) {
                        throw inUse;
                    }
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
        try {
            return cacheRoot(System.getenv("XDG_CACHE_HOME"), System.getenv("LOCALAPPDATA"),
                    System.getProperty("os.name", ""), System.getProperty("user.home"),
                    System.getProperty("java.io.tmpdir"));
        } catch (IOException e) {
            throw linkError("no cache folder for the bundled library (set " + PROPERTY
                    + " to a library file instead)", e);
        }
    }

    /**
     * The folder that holds {@code meshory/<sha-256>/}: the first absolute one of XDG_CACHE_HOME,
     * LOCALAPPDATA (Windows), {@code <user.home>/.cache}, else the private folder under the
     * temporary folder. A relative setting would resolve against the working folder, which is
     * nobody's cache.
     */
    static Path cacheRoot(String xdg, String localAppData, String osName, String home, String tmp)
            throws IOException {
        if (absolute(xdg)) {
            return Paths.get(xdg);
        }
        if (osName.toLowerCase(Locale.ROOT).startsWith("windows") && absolute(localAppData)) {
            return Paths.get(localAppData);
        }
        if (absolute(home)) {
            return Paths.get(home, ".cache");
        }
        if (!absolute(tmp)) {
            throw new IOException("neither user.home (" + home + ") nor java.io.tmpdir (" + tmp
                    + ") is an absolute folder");
        }
        return privateFolder(Paths.get(tmp));
    }

    private static boolean absolute(String path) {
        try {
            return path != null && !path.isEmpty() && Paths.get(path).isAbsolute();
        } catch (java.nio.file.InvalidPathException e) {
            return false;
        }
    }

    private static final Set<PosixFilePermission> OWNER_ONLY =
            PosixFilePermissions.fromString("rwx------");

    /**
     * {@code meshory-<user>} under the shared folder {@code tmp}, created readable by its owner
     * alone. Anyone may create that name first in a shared folder, so an existing one must be a
     * real folder of this user's that no one else may write to, or it is refused.
     */
    static Path privateFolder(Path tmp) throws IOException {
        // The user the JVM runs as, as the file system names it: the owner of a file it makes.
        Path probe = Files.createTempFile(tmp, "meshory-", ".owner");
        UserPrincipal self;
        try {
            self = Files.getOwner(probe);
        } finally {
            Files.deleteIfExists(probe);
        }
        Path dir = tmp.resolve("meshory-" + self.getName().replaceAll("[^A-Za-z0-9._-]", "_"));
        boolean posix = Files.getFileAttributeView(tmp, PosixFileAttributeView.class) != null;
        if (!Files.exists(dir, LinkOption.NOFOLLOW_LINKS)) {
            try {
                if (posix) {
                    Files.createDirectory(dir, PosixFilePermissions.asFileAttribute(OWNER_ONLY));
                } else {
                    Files.createDirectory(dir);
                }
            } catch (java.nio.file.FileAlreadyExistsException raced) {
                // Checked below like any folder found there.
            }
        }
        if (!Files.isDirectory(dir, LinkOption.NOFOLLOW_LINKS)) {
            throw new IOException(dir + " is not a folder (a link or a file is there)");
        }
        UserPrincipal owner = Files.getOwner(dir, LinkOption.NOFOLLOW_LINKS);
        if (!owner.equals(self)) {
            throw new IOException(dir + " belongs to " + owner.getName() + ", not to "
                    + self.getName());
        }
        if (posix && !Files.getPosixFilePermissions(dir, LinkOption.NOFOLLOW_LINKS)
                .equals(OWNER_ONLY)) {
            throw new IOException(dir + " is open to other users (its permissions are "
                    + PosixFilePermissions.toString(
                            Files.getPosixFilePermissions(dir, LinkOption.NOFOLLOW_LINKS))
                    + ", expected rwx------)");
        }
        return dir;
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
