package quorvan.viewer;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import quorvan.meshory.Camera;

/**
 * The orbit the user steers: a target on the ground (model space), yaw, pitch, zoom (pixels per
 * map unit at the target) and the kind of projection, kept in one library camera that the
 * setters change as the user steers.
 *
 * <p>The orthographic camera has one world unit per pixel, so its scale is the zoom; the eye
 * stays far enough out that the whole map lies between the planes. The perspective camera keeps
 * the same scale and stands where its field of view spans the viewport's height at the target,
 * so both show the target at the same size.
 */
final class OrbitView implements AutoCloseable {
    static final float MIN_PITCH = 35f;
    static final float MAX_PITCH = 90f;
    static final float FOV = 40f;

    final int width;
    final int height;
    private final double radius;  // of the map around its centre, model units
    double targetX;
    double targetY;
    float yaw;
    float pitch;
    float zoom;
    boolean perspective;
    private Camera camera;

    OrbitView(int width, int height, double radius) {
        this.width = width;
        this.height = height;
        this.radius = radius;
    }

    void turn(float yawDegrees, float pitchDegrees) {
        yaw = ((yaw + yawDegrees) % 360f + 360f) % 360f;
        pitch = Math.max(MIN_PITCH, Math.min(MAX_PITCH, pitch + pitchDegrees));
    }

    void zoomBy(float factor) {
        zoom = Math.max(1e-6f, Math.min(1e4f, zoom * factor));
    }

    /** Switches between the orthographic and the perspective camera. */
    void toggle() {
        perspective = !perspective;
        close();
    }

    float distance() {
        return perspective ? (float) (height / (2 * Math.tan(Math.toRadians(FOV) / 2)))
                : (float) (2 * zoom * radius + 1000);
    }

    float maxPlane() {
        return perspective ? (float) (distance() + 2 * zoom * radius + 1000) : 2 * distance();
    }

    /** The camera of the view as it stands now. */
    Camera camera() {
        if (camera == null) {
            Camera.Builder b = Camera.builder(width, height).fov(FOV);
            camera = (perspective ? b.perspective() : b).build();
        }
        float distance = distance();
        return camera.setScale(zoom, zoom, zoom).setTarget(zoom * targetX, zoom * targetY, 0)
                .setYaw(yaw).setPitch(pitch).setDistance(distance)
                .setPlanes(perspective ? distance / 100 : 1f, maxPlane());
    }

    /**
     * Frames a model-space rectangle: its ground corners centred in the window and just fitting
     * it, touching two opposite edges (found through the camera's own projection and pick ray,
     * in a few rounds for the perspective one).
     */
    void fit(double x1, double y1, double x2, double y2) {
        targetX = (x1 + x2) / 2;
        targetY = (y1 + y2) / 2;
        zoom = (float) (Math.min(width, height) / Math.max(Math.abs(x2 - x1), Math.abs(y2 - y1)));
        for (int round = 0; round < (perspective ? 16 : 2); ++round) {
            Camera c = camera();
            float[] box = {Float.MAX_VALUE, Float.MAX_VALUE, -Float.MAX_VALUE, -Float.MAX_VALUE};
            boolean seen = true;
            for (double[] corner : new double[][] {{x1, y1}, {x1, y2}, {x2, y1}, {x2, y2}}) {
                float[] w = c.project((float) (zoom * corner[0]), (float) (zoom * corner[1]), 0f);
                seen &= w[2] >= 0 && w[2] <= 1;
                box = new float[] {Math.min(box[0], w[0]), Math.min(box[1], w[1]),
                    Math.max(box[2], w[0]), Math.max(box[3], w[1])};
            }
            if (!seen) {
                zoom /= 2;
                continue;
            }
            // The ground under the box's centre becomes the target (screen y runs down).
            float[] ray = c.lineToPlane((box[0] + box[2]) / 2, height - (box[1] + box[3]) / 2, 0f);
            targetX = ray[3];
            targetY = ray[4];
            zoom *= Math.min(width / (box[2] - box[0]), height / (box[3] - box[1]));
        }
    }

    /** P, V and S of the camera, 48 floats from position 0. */
    FloatBuffer matrices(FloatBuffer out) {
        Camera c = camera();
        out.clear();
        c.projectionMatrix(out);
        c.viewMatrix(out);
        c.scaleMatrix(out);
        return out.flip();
    }

    static FloatBuffer newMatrices() {
        return ByteBuffer.allocateDirect(4 * 3 * Camera.MATRIX_FLOATS)
                .order(ByteOrder.nativeOrder()).asFloatBuffer();
    }

    /** The settings of the camera as two lines, for the pick check. */
    String describe() {
        Camera.Settings s = camera().settings();
        return "camera " + width + " " + height + " " + s.minPlane() + " " + s.maxPlane() + " "
                + s.targetX() + " " + s.targetY() + " " + s.targetZ() + " " + s.scaleX() + " "
                + s.scaleY() + " " + s.scaleZ() + " " + s.yaw() + " " + s.pitch() + " "
                + s.distance() + " " + s.fov() + "\nperspective " + (perspective ? 1 : 0);
    }

    @Override
    public void close() {
        if (camera != null) {
            camera.close();
            camera = null;
        }
    }
}
