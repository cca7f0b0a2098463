package quorvan.meshory;

import java.nio.BufferOverflowException;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.ReadOnlyBufferException;
import java.util.concurrent.locks.ReentrantReadWriteLock;
import java.util.function.LongConsumer;
import java.util.function.LongFunction;
import quorvan._native.Camera$;

/**
 * An orbit camera with its projection and picking, which a host keeps and changes as the user
 * steers: the setters change the camera in place and every later query and matrix follows.
 * Queries may run on several threads at once; a setter waits for them and they for it. Invalid
 * settings (a zero viewport, equal planes, a zero scale) are not refused; such a camera answers
 * with non-finite values.
 *
 * <h2>Spaces and units</h2>
 * <ul>
 *   <li><b>Model space</b> is where a tile's vertices lie (plus the tile's origin): map units,
 *       x east, y north, z up. {@link #lineToPlane}, {@link Tile#pick} and the label selection
 *       work in it.
 *   <li><b>World space</b> is model space times the scale: {@code world = scale * model} per
 *       axis. The target, the distance, the planes, {@link #eye}, {@link #project} and {@link
 *       #unproject} are in world units.
 *   <li><b>Window coordinates</b> ({@link #project}, {@link #unproject}, the label positions):
 *       pixels, x from the left, <b>y from the bottom</b>, depth 0 at the near plane and 1 at
 *       the far plane.
 *   <li><b>Screen coordinates</b> ({@link #lineToPlane}, {@link Tile#pick}): pixels, x from the
 *       left, <b>y from the top</b>, as pointer events give them; window y = height - screen y.
 * </ul>
 *
 * <h2>Orbit</h2>
 * The eye stands {@code distance} world units from the target. <b>Yaw</b> (degrees, kept in
 * [0, 360)) is the compass direction of the eye from the target, clockwise from north: at yaw 0
 * the eye is north of the target looking south, so <b>south is at the top of the screen</b> (and
 * east at the left); yaw 90 puts west at the top, yaw 180 north. <b>Pitch</b> (degrees) is the
 * eye's height angle above the ground: 90 looks straight down, the setter clamps it to [35, 90]
 * (the builder takes it as given).
 *
 * <h2>Kinds, distance and planes</h2>
 * <ul>
 *   <li>{@link Builder#build() Centred orthographic} (the default): one world unit per pixel,
 *       the target in the middle of the viewport; the scale is the zoom (pixels per map unit).
 *       The distance only places the eye: choose it larger than the map's radius in world units
 *       (scale times the radius in map units, plus the tallest building), with planes from 1 to
 *       twice the distance, so that all of the map lies between them.
 *   <li>{@link Builder#perspective() Perspective}: the viewport's height spans {@code 2 *
 *       distance * tan(fov / 2)} world units at the target; zoom by the distance (or the scale).
 *       Keep the near plane as far out as the closest thing drawn allows (depth precision falls
 *       with near / far), for example {@code distance / 100}, and the far plane beyond the
 *       farthest ground seen, for example {@code distance + 2 * radius}.
 * </ul>
 *
 * <h2>Style height</h2>
 * The camera height that {@link StyleList#visibleLayerIds} compares with a layer's scale
 * denominators is, by the sample style's convention, the ground in map units that the
 * viewport's height spans: {@link #styleHeight}.
 *
 * <p>A host draws with the camera's own matrices ({@link #projectionMatrix}, {@link #viewMatrix},
 * {@link #scaleMatrix}): a vertex shader that computes {@code P * V * S * position} puts model
 * space exactly where {@link #lineToPlane} and {@link Tile#pick} find it, and {@code P * V *
 * world} where {@link #project} puts a world point.
 */
public final class Camera implements AutoCloseable {
    private static final Camera$ NATIVE = Camera$.MODULE$;
    private final NativeObject object;
    // Queries share the camera, a setter has it alone.
    private final ReentrantReadWriteLock lock = new ReentrantReadWriteLock();

    private Camera(Builder b) {
        long handle = b.kind == Camera$.CENTERED_ORTHOGRAPHIC
            ? NATIVE.createCameraHandle(b.width, b.height, b.minPlane, b.maxPlane,
                b.targetX, b.targetY, b.targetZ, b.scaleX, b.scaleY, b.scaleZ,
                b.yaw, b.pitch, b.distance, b.fov)
            : NATIVE.createCameraOfKind(b.kind, b.width, b.height, b.minPlane, b.maxPlane,
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
        int written = read(camera -> NATIVE.matrixInto(camera, which, out, position,
            out.limit() - position));
        out.position(position + written);
        return written;
    }

    private float[] query(LongFunction<float[]> body) {
        return read(body::apply);
    }

    /** Runs {@code body} on the open camera, beside other queries but no setter. */
    <R> R read(LongFunction<R> body) {
        long camera = object.acquire();
        lock.readLock().lock();
        try {
            return body.apply(camera);
        } finally {
            lock.readLock().unlock();
            object.release();
        }
    }

    private Camera change(LongConsumer body) {
        long camera = object.acquire();
        lock.writeLock().lock();
        try {
            body.accept(camera);
        } finally {
            lock.writeLock().unlock();
            object.release();
        }
        return this;
    }

    /** The viewport in pixels; the projection follows. */
    public Camera setViewport(int width, int height) {
        return change(c -> NATIVE.setViewport(c, width, height));
    }

    /** The point looked at, world units; the eye keeps its yaw, pitch and distance around it. */
    public Camera setTarget(double x, double y, double z) {
        return change(c -> NATIVE.setTarget(c, x, y, z));
    }

    /** The yaw in degrees (see the class comment), kept reduced to [0, 360). */
    public Camera setYaw(float degrees) {
        return change(c -> NATIVE.setYaw(c, degrees));
    }

    /** The pitch in degrees above the ground, clamped to [35, 90]. */
    public Camera setPitch(float degrees) {
        return change(c -> NATIVE.setPitch(c, degrees));
    }

    /** The distance from target to eye, world units. */
    public Camera setDistance(float distance) {
        return change(c -> NATIVE.setDistance(c, distance));
    }

    /** The near and far clipping distances from the eye, world units. */
    public Camera setPlanes(float min, float max) {
        return change(c -> NATIVE.setPlanes(c, min, max));
    }

    /** The per-axis scale from model space to world space (narrowed to float). */
    public Camera setScale(double x, double y, double z) {
        return change(c -> NATIVE.setScale(c, x, y, z));
    }

    /** The vertical field of view in degrees (the perspective kind uses it). */
    public Camera setFov(float degrees) {
        return change(c -> NATIVE.setFov(c, degrees));
    }

    /** The camera's live settings, as the setters left them (yaw reduced, pitch clamped). */
    public record Settings(boolean perspective, int width, int height, float minPlane,
        float maxPlane, double targetX, double targetY, double targetZ, double scaleX,
        double scaleY, double scaleZ, float yaw, float pitch, float distance, float fov) {}

    /** The live settings. */
    public Settings settings() {
        double[] v = new double[Camera$.SETTINGS];
        read(c -> {
            NATIVE.settings(c, v);
            return null;
        });
        return new Settings(v[0] == Camera$.PERSPECTIVE, (int) v[1], (int) v[2], (float) v[3],
            (float) v[4], v[5], v[6], v[7], v[8], v[9], v[10], (float) v[11], (float) v[12],
            (float) v[13], (float) v[14]);
    }

    /**
     * The style's camera height: the ground, in map units, that the viewport's height spans at
     * the target, across the view ({@code height / scale} orthographic, {@code 2 * distance *
     * tan(fov / 2) / scale} in perspective, with the scale's y).
     */
    public float styleHeight() {
        Settings s = settings();
        double worldUnits = s.perspective()
            ? 2 * s.distance() * Math.tan(Math.toRadians(s.fov()) / 2) : s.height();
        return (float) (worldUnits / s.scaleY());
    }

    /**
     * Camera settings, centred orthographic unless {@link #perspective}. Unless set: planes 1 to
     * 10000, target at the origin, scale (1, 1, 1), yaw 0, pitch 45, distance 500, field of view
     * 75 degrees (as the library's own defaults).
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
        private int kind = Camera$.CENTERED_ORTHOGRAPHIC;

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
         * A perspective camera instead of the centred orthographic one, with the {@link #fov}
         * as its vertical field of view.
         */
        public Builder perspective() {
            kind = Camera$.PERSPECTIVE;
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
