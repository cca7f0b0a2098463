package quorvan.meshory;

import java.util.function.LongFunction;
import quorvan._native.Camera$;

/**
 * An orbit camera with its projection and picking. A camera cannot change: to move or resize the
 * view, close it and build another. Its queries do not change it and may run on several threads
 * at once. Invalid settings (a zero viewport, equal planes, a zero scale) are not refused; such a
 * camera answers with non-finite values.
 */
public final class Camera implements AutoCloseable {
    private static final Camera$ NATIVE = Camera$.MODULE$;
    private final NativeObject object;

    private Camera(Builder b) {
        long handle = NATIVE.createCameraHandle(b.width, b.height, b.minPlane, b.maxPlane,
                b.targetX, b.targetY, b.targetZ, b.scaleX, b.scaleY, b.scaleZ,
                b.yaw, b.pitch, b.distance, b.fov);
        object = new NativeObject(this, "camera", handle, NATIVE::destroyCameraHandle);
    }

    /** A builder for a camera on a viewport of {@code width} by {@code height} pixels. */
    public static Builder builder(int width, int height) {
        return new Builder(width, height);
    }

    /** World point to window point: x from the left, y from the bottom, depth 0 (near) to 1 (far). */
    public float[] project(float x, float y, float z) {
        return query(camera -> NATIVE.project(camera, x, y, z));
    }

    /** Window point with depth back to the world point. */
    public float[] unproject(float x, float y, float z) {
        return query(camera -> NATIVE.unproject(camera, x, y, z));
    }

    /**
     * The pick ray through a screen point (y from the top) onto the horizontal plane at model
     * height {@code z}: six floats, the ray's point on the near plane, then its point on the plane
     * (its far point when the plane is not between them).
     */
    public float[] lineToPlane(float x, float y, float z) {
        return query(camera -> NATIVE.getLineToPlane(camera, x, y, z));
    }

    /** The eye position. */
    public float[] eye() {
        return query(NATIVE::getEye);
    }

    /** Frees the camera; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }

    private float[] query(LongFunction<float[]> body) {
        long camera = object.acquire();
        try {
            return body.apply(camera);
        } finally {
            object.release();
        }
    }

    /**
     * Camera settings. Unless set: planes 1 to 10000, target at the origin, scale (1, 1, 1),
     * yaw 0, pitch 45, distance 500, field of view 75 degrees (as the library's own defaults).
     */
    public static final class Builder {
        private final int width;
        private final int height;
        private float minPlane = 1f;
        private float maxPlane = 10000f;
        private double targetX;
        private double targetY;
        private double targetZ;
        private double scaleX = 1;
        private double scaleY = 1;
        private double scaleZ = 1;
        private float yaw;
        private float pitch = 45f;
        private float distance = 500f;
        private float fov = 75f;

        private Builder(int width, int height) {
            this.width = width;
            this.height = height;
        }

        /** The near and far clipping planes. */
        public Builder planes(float min, float max) {
            minPlane = min;
            maxPlane = max;
            return this;
        }

        /** The point the camera orbits and looks at. */
        public Builder target(double x, double y, double z) {
            targetX = x;
            targetY = y;
            targetZ = z;
            return this;
        }

        /** Per-axis scale from model space to world space (narrowed to float). */
        public Builder scale(double x, double y, double z) {
            scaleX = x;
            scaleY = y;
            scaleZ = z;
            return this;
        }

        /**
         * Yaw in degrees around the vertical axis, pitch in degrees above the horizontal plane,
         * and distance from target to eye.
         */
        public Builder orbit(float yaw, float pitch, float distance) {
            this.yaw = yaw;
            this.pitch = pitch;
            this.distance = distance;
            return this;
        }

        /** Field of view in degrees, kept for the perspective kind. */
        public Builder fov(float degrees) {
            fov = degrees;
            return this;
        }

        /**
         * Creates the camera.
         *
         * @throws OutOfMemoryError when the camera cannot be allocated
         */
        public Camera build() {
            return new Camera(this);
        }
    }
}
