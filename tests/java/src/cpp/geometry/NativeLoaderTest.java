package cpp.geometry;

import static org.junit.jupiter.api.Assertions.assertDoesNotThrow;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.attribute.PosixFilePermissions;
import java.nio.file.attribute.UserPrincipal;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

class NativeLoaderTest {
    @Test
    void loadsTheBuiltLibraryAndIsIdempotent() {
        assertDoesNotThrow(NativeLoader::load);
        assertDoesNotThrow(NativeLoader::load);
    }

    @Test
    void libraryAndJarStateOneVersionAndAMismatchIsRefused() {
        NativeLoader.load();
        String jar = NativeLoader.jarVersion();
        assertTrue(jar != null && !jar.isEmpty(), "the jar's manifest states its version");
        assertEquals(jar, NativeLoader.libraryVersion());
        UnsatisfiedLinkError e = assertThrows(UnsatisfiedLinkError.class, () ->
                NativeLoader.checkVersion("9.9.9", jar));
        assertTrue(e.getMessage().contains("9.9.9") && e.getMessage().contains(jar),
                e.getMessage());
    }

    @Test
    void namesPlatformsAsTheJarFoldersDo() {
        assertEquals("linux-x86_64", NativeLoader.platform("Linux", "amd64"));
        assertEquals("linux-aarch64", NativeLoader.platform("Linux", "aarch64"));
        assertEquals("macos-aarch64", NativeLoader.platform("Mac OS X", "arm64"));
        assertEquals("linux-x86_64", NativeLoader.platform("Linux", "x86_64"));
        assertEquals("linux-arm", NativeLoader.platform("Linux", "arm"));
        assertEquals("linux-arm", NativeLoader.platform("Linux", "armv7l"));
        assertEquals("linux-riscv64", NativeLoader.platform("Linux", "riscv64"));
        assertEquals("windows-x86_64", NativeLoader.platform("Windows 10", "amd64"));
        assertEquals("windows-x86_64", NativeLoader.platform("Windows Server 2022", "AMD64"));
        for (String other : new String[] {"ppc64le", "s390x", "x86", "i386", "loongarch64"}) {
            UnsatisfiedLinkError e = assertThrows(UnsatisfiedLinkError.class, () ->
                    NativeLoader.platform("Linux", other));
            assertTrue(e.getMessage().contains("linux-" + other), e.getMessage());
        }
    }

    @Test
    void namesWhatItLookedForWhenTheFileIsMissing() throws Exception {
        // A fresh class loader so that the already-loaded state does not hide the failure.
        java.net.URL jar = NativeLoader.class.getProtectionDomain().getCodeSource().getLocation();
        try (java.net.URLClassLoader loader = new java.net.URLClassLoader(new java.net.URL[] {jar},
                null)) {
            Class<?> cls = loader.loadClass("cpp.geometry.NativeLoader");
            String saved = System.getProperty(NativeLoader.PROPERTY);
            System.setProperty(NativeLoader.PROPERTY, "/nonexistent/libmeshory.so");
            try {
                java.lang.reflect.InvocationTargetException e = assertThrows(
                        java.lang.reflect.InvocationTargetException.class,
                        () -> cls.getMethod("load").invoke(null));
                assertTrue(e.getCause() instanceof UnsatisfiedLinkError);
                assertTrue(e.getCause().getMessage().contains("/nonexistent/libmeshory.so"));
                assertTrue(e.getCause().getMessage().contains(NativeLoader.PROPERTY));
            } finally {
                System.setProperty(NativeLoader.PROPERTY, saved);
            }
        }
    }

    @Test
    void cacheIsAnAbsoluteFolderAndAHomelessUserGetsAPrivateOne(@TempDir Path tmp)
            throws IOException {
        String t = tmp.toString();
        assertEquals(Paths.get("/x/cache"),
                NativeLoader.cacheRoot("/x/cache", null, "Linux", "/h", t));
        assertEquals(Paths.get("/h/.cache"),
                NativeLoader.cacheRoot("rel", "/appdata", "Linux", "/h", t));
        assertEquals(Paths.get("/appdata"),
                NativeLoader.cacheRoot(null, "/appdata", "Windows 11", "/h", t));
        // A container user without a passwd entry: user.home is "?", never the working folder.
        for (String home : new String[] {"?", "", null}) {
            Path dir = NativeLoader.cacheRoot(null, null, "Linux", home, t);
            assertTrue(dir.isAbsolute() && dir.startsWith(tmp), dir.toString());
            assertEquals("rwx------",
                    PosixFilePermissions.toString(Files.getPosixFilePermissions(dir)));
        }
        assertThrows(IOException.class,
                () -> NativeLoader.cacheRoot(null, null, "Linux", "?", "tmp"));
    }

    @Test
    void aPrivateFolderSomeoneElseCouldWriteIsRefused(@TempDir Path tmp) throws IOException {
        Path dir = NativeLoader.privateFolder(tmp);
        Files.setPosixFilePermissions(dir, PosixFilePermissions.fromString("rwxrwxrwx"));
        IOException open = assertThrows(IOException.class, () -> NativeLoader.privateFolder(tmp));
        assertTrue(open.getMessage().contains("open to other users"), open.getMessage());

        Files.delete(dir);
        Path elsewhere = Files.createDirectory(tmp.resolve("elsewhere"));
        Files.createSymbolicLink(dir, elsewhere);
        assertThrows(IOException.class, () -> NativeLoader.privateFolder(tmp));

        // Owned by another user: only root can hand a folder over to show it.
        Files.delete(dir);
        Files.createDirectory(dir, PosixFilePermissions.asFileAttribute(
                PosixFilePermissions.fromString("rwx------")));
        UserPrincipal nobody;
        try {
            nobody = dir.getFileSystem().getUserPrincipalLookupService()
                    .lookupPrincipalByName("nobody");
            Files.setOwner(dir, nobody);
        } catch (IOException notRoot) {
            return;
        }
        IOException foreign =
                assertThrows(IOException.class, () -> NativeLoader.privateFolder(tmp));
        assertTrue(foreign.getMessage().contains("belongs to"), foreign.getMessage());
        assertEquals(nobody, Files.getOwner(dir, LinkOption.NOFOLLOW_LINKS));
    }
}
