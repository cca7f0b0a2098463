package quorvan.meshory;

import java.nio.BufferOverflowException;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.ReadOnlyBufferException;
import java.util.function.LongFunction;
import quorvan._native.Camera$;

/**
 * An orbit camera with its projection and picking. A camera cannot change: to move or resize the
 * view, close it and build another. Its queries do not change it and may run on several threads
 * at once. Invalid settings (a zero viewport, equal planes, a zero scale) are not refused; such a
 * camera answers with non-finite values.
 *
 * <p>A host draws with the camera's own matrices ({@link #projectionMatrix}, {@link #viewMatrix},
 * {@link #scaleMatrix}): a vertex shader that computes {@code P * V * S * position} puts model
 * space exactly where {@link #lineToPlane} picks it, and {@code P * V * world} where {@link
 * #project} puts a world point. The camera's projection is orthographic, one world unit per
 * pixel; the scale is the zoom.
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

    /**
     * World point to window point: x from the left, y from the bottom, depth 0 (near) to 1 (far).
     */
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

    /** Floats of one matrix. */
    public static final int MATRIX_FLOATS = Camera$.MATRIX_FLOATS;

    /**
     * Puts the projection matrix P into {@code out} at its position, which advances: 16 floats in
     * column-major order, as {@code glUniformMatrix4fv} takes them untransposed.
     *
     * @return the floats put, 16
     * @throws IllegalArgumentException if {@code out} is not direct in native byte order
     * @throws ReadOnlyBufferException if it is read-only
     * @throws BufferOverflowException if it has fewer than 16 floats of room; nothing is put then
     */
    public int projectionMatrix(FloatBuffer out) {
        return matrix(Camera$.PROJECTION, out);
    }

    /** The view matrix V into {@code out}, as {@link #projectionMatrix} does. */
    public int viewMatrix(FloatBuffer out) {
        return matrix(Camera$.VIEW, out);
    }

    /**
     * The scale matrix S (model space to world space) into {@code out}, as {@link
     * #projectionMatrix} does.
     */
    public int scaleMatrix(FloatBuffer out) {
        return matrix(Camera$.SCALE, out);
    }

    /** Frees the camera; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }

    private int matrix(int which, FloatBuffer out) {
        if (!out.isDirect() || out.order() != ByteOrder.nativeOrder()) {
            throw new IllegalArgumentException(
                    "matrix target must be a direct buffer in native byte order, "
                            + "as OpenGL reads it");
        }
        if (out.isReadOnly()) {
            throw new ReadOnlyBufferException();
        }
        int position = out.position();
        if (out.limit() - position < MATRIX_FLOATS) {
            throw new BufferOverflowException();
        }
        long camera = object.acquire();
        try {
            int written = NATIVE.matrixInto(camera, which, out, position, out.limit() - position);
            out.position(position + written);
            return written;
        } finally {
            object.release();
        }
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
