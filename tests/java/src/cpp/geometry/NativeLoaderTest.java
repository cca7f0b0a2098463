package cpp.geometry;

import static org.junit.jupiter.api.Assertions.assertDoesNotThrow;
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
    void namesWhatItLookedForWhenTheFileIsMissing() throws Exception {
        // A fresh class loader so that the already-loaded state does not hide the failure.
        java.net.URL jar = NativeLoader.class.getProtectionDomain().getCodeSource().getLocation();
        try (java.net.URLClassLoader loader = new java.net.URLClassLoader(new java.net.URL[] {jar}, null)) {
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
