package cpp.geometry;

import static org.junit.jupiter.api.Assertions.assertDoesNotThrow;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import org.junit.jupiter.api.Test;

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
}
