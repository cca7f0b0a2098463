package quorvan._native;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertDoesNotThrow;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.util.Arrays;
import java.util.function.Function;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.function.Executable;

class CameraTest {
    private static final Camera$ CAMERA = Camera$.MODULE$;

    /** Runs {@code body} on a new 800 x 600 camera looking at (tx, ty, 0) and destroys it. */
    private static <T> T withCamera(int width, float near, float far, double tx, double ty,
            double scale, float yaw, float pitch, Function<Long, T> body) {
        long h = CAMERA.createCameraHandle(width, 600, near, far, tx, ty, 0.0, scale, scale, scale,
                yaw, pitch, 500f, 60f);
        assertNotEquals(0L, h);
        try {
            return body.apply(h);
        } finally {
            CAMERA.destroyCameraHandle(h);
        }
    }

    private static <T> T withCamera(double tx, double ty, double scale, float yaw, float pitch,
            Function<Long, T> body) {
        return withCamera(800, 1f, 10000f, tx, ty, scale, yaw, pitch, body);
    }

    private static float[] tail(float[] line) {
        assertEquals(6, line.length);
        return Arrays.copyOfRange(line, 3, 6);
    }

    @Test
    void straightDownCameraHasItsEyeAboveAndTheTargetInTheMiddle() {
        withCamera(0, 0, 1, 0f, 90f, h -> {
            assertArrayEquals(new float[] {0f, 0f, 500f}, CAMERA.getEye(h), 1e-3f);
            float[] w = CAMERA.project(h, 0f, 0f, 0f);
            assertArrayEquals(new float[] {400f, 300f, w[2]}, w, 1e-3f);
            assertEquals(0.5f, w[2], 0.5f);
            return null;
        });
    }

    @Test
    void groundPointsRoundTripAndArePickedFromTheirScreenPositions() {
        for (float yaw : new float[] {0f, 45f, 210f}) {
            for (float pitch : new float[] {35f, 60f, 90f}) {
                withCamera(1000.5, -250.25, 1, yaw, pitch, h -> {
                    for (float[] p : new float[][] {{1000.5f, -250.25f, 0f}, {1100f, -200f, 0f}}) {
                        float[] w = CAMERA.project(h, p[0], p[1], p[2]);
                        assertArrayEquals(p, CAMERA.unproject(h, w[0], w[1], w[2]), 1e-2f);
                        float[] line = CAMERA.getLineToPlane(h, w[0], 600f - w[1], 0f);
                        assertArrayEquals(p, tail(line), 1e-2f);
                        // The first point lies on the near plane, at depth 0.
                        assertEquals(0f, CAMERA.project(h, line[0], line[1], line[2])[2], 1e-4f);
                    }
                    return null;
                });
            }
        }
    }

    @Test
    void targetAndScaleArriveNarrowedToFloat() {
        assertEquals(0.1f, withCamera(0.1, 0.0, 1, 0f, 90f, CAMERA::getEye)[0], 0f);
        // With scale 2 the pick ray answers in model space: half the world point.
        float[] line = withCamera(0, 0, 2.0, 30f, 50f, h -> {
            float[] w = CAMERA.project(h, 80f, -60f, 0f);
            return CAMERA.getLineToPlane(h, w[0], 600f - w[1], 0f);
        });
        assertArrayEquals(new float[] {40f, -30f, 0f}, tail(line), 1e-2f);
        // Beyond float's range a setting becomes infinite instead of undefined.
        assertEquals(Float.POSITIVE_INFINITY, withCamera(1e40, 0, 1, 0f, 90f, CAMERA::getEye)[0]);
    }

    @Test
    void invalidSettingsAreKeptAndGiveNonFiniteResults() {
        assertFalse(Float.isFinite(withCamera(0, 1f, 10000f, 0, 0, 1, 0f, 45f,
                h -> CAMERA.project(h, 1f, 2f, 3f))[0]));
        assertFalse(Float.isFinite(withCamera(800, 5f, 5f, 0, 0, 1, 0f, 45f,
                h -> CAMERA.unproject(h, 400f, 300f, 0.5f))[0]));
        assertFalse(Float.isFinite(withCamera(0, 0, 0, 0f, 45f,
                h -> CAMERA.getLineToPlane(h, 100f, 100f, 0f))[0]));
    }

    @Test
    void handleZeroIsNeverDereferenced() {
        assertDoesNotThrow(() -> CAMERA.destroyCameraHandle(0L));
        for (Executable query : new Executable[] {() -> CAMERA.project(0L, 1f, 2f, 3f),
                () -> CAMERA.unproject(0L, 1f, 2f, 0.5f),
                () -> CAMERA.getLineToPlane(0L, 1f, 2f, 0f), () -> CAMERA.getEye(0L)}) {
            assertEquals("camera handle 0",
                    assertThrows(IllegalArgumentException.class, query).getMessage());
        }
    }
}
