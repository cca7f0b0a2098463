package cpp.geometry;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.List;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;

/** A float array the JVM cannot allocate: checked in a child JVM with a small heap. */
class FloatArrayFailureTest {
    @Test
    void aFailedFloatArrayHandsTheJvmsOutOfMemoryErrorToTheHost() throws Exception {
        String classPath = location(Meshory.class) + File.pathSeparator
                + location(HeapExhaustion.class);
        List<String> command = List.of(
                Path.of(System.getProperty("java.home"), "bin", "java").toString(),
                "-Xcheck:jni", "-Xmx48m",
                "-D" + NativeLoader.PROPERTY + "=" + System.getProperty(NativeLoader.PROPERTY),
                "-cp", classPath, HeapExhaustion.class.getName());
        Process child = new ProcessBuilder(command).redirectErrorStream(true).start();
        // Read before waiting, so that a chatty child cannot block on a full pipe.
        String output = new String(child.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        assertTrue(child.waitFor(120, TimeUnit.SECONDS), output);
        assertEquals(0, child.exitValue(), output);
        assertTrue(output.contains("raised=true usable=true"), output);
        assertFalse(output.contains("WARNING in native method") || output.contains("WARNING: JNI"),
                output);
    }

    private static String location(Class<?> cls) throws Exception {
        return Path.of(cls.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    }
}
