package quorvan.viewer;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import quorvan.meshory.Camera;

/**
 * The orbit the user steers: a target on the ground (model space), yaw, pitch and zoom. The
 * library's camera cannot change, so each changed view builds a new one.
 *
 * <p>The library's camera is orthographic with one world unit per pixel; the zoom is its scale
 * (pixels per model unit), so the target goes to the camera in world space, scaled. The eye stays
 * far enough out that the whole map lies between the clipping planes.
 */
final class OrbitView {
    static final float MIN_PITCH = 35f;
    static final float MAX_PITCH = 90f;

    final int width;
    final int height;
    private final float radius;  // of the map around its centre, model units
    float targetX;
    float targetY;
    float yaw;
    float pitch;
    float zoom;

    OrbitView(int width, int height, float radius) {
        this.width = width;
        this.height = height;
        this.radius = radius;
    }

    void turn(float yawDegrees, float pitchDegrees) {
        yaw = ((yaw + yawDegrees) % 360f + 360f) % 360f;
        pitch = Math.max(MIN_PITCH, Math.min(MAX_PITCH, pitch + pitchDegrees));
    }

    void zoomBy(float factor) {
        zoom = Math.max(0.01f, Math.min(50f, zoom * factor));
    }

    /** The camera height for the style's visibility: the ground the viewport's height spans. */
    float styleHeight() {
        return height / zoom;
    }

    float distance() {
        return 2 * zoom * radius + 1000f;
    }

    Camera camera() {
        float distance = distance();
        return Camera.builder(width, height).planes(1f, 2 * distance)
            .target(zoom * targetX, zoom * targetY, 0).scale(zoom, zoom, zoom)
            .orbit(yaw, pitch, distance).build();
    }

    /** P, V and S of {@code camera}, 48 floats from position 0. */
    static FloatBuffer matrices(Camera camera, FloatBuffer out) {
        out.clear();
        camera.projectionMatrix(out);
        camera.viewMatrix(out);
        camera.scaleMatrix(out);
        return out.flip();
    }

    static FloatBuffer newMatrices() {
        return ByteBuffer.allocateDirect(4 * 3 * Camera.MATRIX_FLOATS)
                .order(ByteOrder.nativeOrder()).asFloatBuffer();
    }

    /** The settings of a camera as one line, for the pick check. */
    String describe() {
        float distance = distance();
        return width + " " + height + " 1 " + (2 * distance) + " " + (zoom * targetX) + " "
                + (zoom * targetY) + " 0 " + zoom + " " + zoom + " " + zoom + " " + yaw + " "
                + pitch + " " + distance + " 75";
    }
}
