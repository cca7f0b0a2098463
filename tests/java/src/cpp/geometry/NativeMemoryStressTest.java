package cpp.geometry;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;

/**
 * 20,000 tiles' models from four host threads leave the resident size where the warm-up left it.
 */
class NativeMemoryStressTest {
    private static final int TILES_PER_THREAD = 5000;
    // Allocator arenas and JIT code settle within 2 MiB; a leaked blob or model per tile
    // costs 25 MiB or more.
    private static final long TOLERANCE_KB = 8 * 1024;

    @Test
    void residentMemoryStaysFlat() throws Exception {
        String classPath = location(Meshory.class) + File.pathSeparator
                + location(NativeMemoryStress.class);
        List<String> command = List.of(
                Path.of(System.getProperty("java.home"), "bin", "java").toString(),
                "-Xcheck:jni", "-Xms64m", "-Xmx64m", "-XX:+AlwaysPreTouch", "-XX:+UseSerialGC",
                "-D" + NativeLoader.PROPERTY + "=" + System.getProperty(NativeLoader.PROPERTY),
                "-cp", classPath, NativeMemoryStress.class.getName(),
                Integer.toString(TILES_PER_THREAD), Long.toString(TOLERANCE_KB));
        ProcessBuilder builder = new ProcessBuilder(command).redirectErrorStream(true);
        Map<String, String> env = builder.environment();
        // Under a preloaded AddressSanitizer, freed memory waits in a quarantine of 256 MiB
        // before reuse, which would read as growth; a small one keeps the measure meaningful.
        String asan = env.get("ASAN_OPTIONS");
        if (asan != null) {
            env.put("ASAN_OPTIONS", asan
                    + ":quarantine_size_mb=4:thread_local_quarantine_size_kb=64");
        }
        Process child = builder.start();
        String output = new String(child.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        assertTrue(child.waitFor(300, TimeUnit.SECONDS), output);
        System.out.println("NativeMemoryStressTest: " + output.trim());
        assertEquals(0, child.exitValue(), output);
        assertTrue(output.contains("rss warm="), output);
    }

    private static String location(Class<?> cls) throws Exception {
        return Path.of(cls.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    }
}
