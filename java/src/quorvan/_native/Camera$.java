package quorvan._native;

import cpp.geometry.NativeLoader;
import java.nio.FloatBuffer;

/**
 * The orbit camera as the host sees it, laid out as a Scala {@code object Camera} compiles: the
 * natives are methods of the singleton {@link #MODULE$}. A camera travels as a handle (its native
 * address in a {@code long}); 0 stands for no camera. Points come back as float arrays of x, y, z.
 *
 * <p>A camera made by {@link #createCameraHandle} is centred orthographic; the setters at the end
 * change a camera in place (any kind, {@link #createCameraOfKind}). Invalid settings (a zero
 * viewport, equal planes, a zero scale) are not refused; such a camera answers with non-finite
 * values.
 *
 * <p>Every query on handle 0 throws {@link IllegalArgumentException}.
 */
public final class Camera$ {
    public static final Camera$ MODULE$;

    static {
        NativeLoader.load();
        MODULE$ = new Camera$();
    }

    private Camera$() {}

    /**
     * Creates a camera with the centred orthographic projection (one unit per pixel, second axis
     * up). Parameters in this order: the two integers first ({@code width}, {@code height} of the
     * viewport in pixels), then the clipping planes {@code minPlane}, {@code maxPlane}, the
     * {@code target} x, y, z and per-axis {@code scale} x, y, z (narrowed to float), then {@code
     * yaw} (degrees around the vertical axis), {@code pitch} (degrees above the horizontal plane,
     * taken as given), {@code distance} from target to eye and {@code fov} (degrees, kept for the
     * perspective kind). The scale maps the model space of {@link #getLineToPlane} into world
     * space; give (1, 1, 1) when they coincide.
     *
     * @return the handle of the new camera, to be passed to {@link #destroyCameraHandle} once
     * @throws OutOfMemoryError when the camera cannot be allocated
     */
    public native long createCameraHandle(int width, int height, float minPlane, float maxPlane,
            double targetX, double targetY, double targetZ,
            double scaleX, double scaleY, double scaleZ,
            float yaw, float pitch, float distance, float fov);

    /** Destroys a camera. 0 does nothing. */
    public native void destroyCameraHandle(long camera);

    /**
     * World point to window point: x from the left, y from the bottom, depth 0 (near) to 1 (far).
     */
    public native float[] project(long camera, float x, float y, float z);

    /** Window point with depth back to the world point. */
    public native float[] unproject(long camera, float x, float y, float z);

    /**
     * The pick ray through a screen point (y from the top) onto the horizontal plane at model
     * height {@code z}: six floats, the ray's point on the near plane, then its point on the plane
     * (its far point when the plane is not between its near and far points).
     */
    public native float[] getLineToPlane(long camera, float x, float y, float z);

    /** The eye position. */
    public native float[] getEye(long camera);

    /** {@link #matrixInto}: the projection matrix P. */
    public static final int PROJECTION = 0;
    /** {@link #matrixInto}: the view matrix V. */
    public static final int VIEW = 1;
    /** {@link #matrixInto}: the scale matrix S, from model space to world space. */
    public static final int SCALE = 2;
    /** Floats of one matrix. */
    public static final int MATRIX_FLOATS = 16;

    /**
     * Writes one of the camera's matrices, the very one its queries use, as 16 floats in
     * column-major order (as {@code glUniformMatrix4fv} takes them untransposed) into a direct
     * float buffer at element {@code position}. {@link #project} and {@link #unproject} use P × V;
     * {@link #getLineToPlane} uses P × V × S, so a host that draws model space with P × V × S
     * draws where it picks.
     *
     * @param which {@link #PROJECTION}, {@link #VIEW} or {@link #SCALE}
     * @param room the elements free from {@code position} on
     * @return {@value #MATRIX_FLOATS}, the floats written (the buffer's position does not move)
     * @throws IllegalArgumentException for handle 0, an unknown matrix or a heap buffer
     * @throws NullPointerException if {@code target} is null
     * @throws IndexOutOfBoundsException if position and room leave the buffer's capacity
     * @throws java.nio.BufferOverflowException if {@code room} is below 16; nothing is written
     */
    public native int matrixInto(long camera, int which, FloatBuffer target, int position,
            int room);

    // ---- A camera the host keeps -------------------------------------------------------------
    //
    // Beside the natives above, whose camera is always centred orthographic and never changes:
    // cameras of every projection kind, and setters. A camera being changed must not be used by
    // another thread at the same time; quorvan.meshory.Camera takes care of that.

    /** {@link #createCameraOfKind}: orthographic, one world unit per pixel, centred, y up. */
    public static final int CENTERED_ORTHOGRAPHIC = 1;
    /** {@link #createCameraOfKind}: perspective with {@code fov} as the vertical field of view. */
    public static final int PERSPECTIVE = 2;
    /** {@link #createCameraOfKind}: orthographic in pixels, origin top left, y down. */
    public static final int SCREEN_ORTHOGRAPHIC = 3;
    /** Values {@link #settings} writes. */
    public static final int SETTINGS = 15;

    /**
     * As {@link #createCameraHandle}, with the projection kind first: {@link
     * #CENTERED_ORTHOGRAPHIC}, {@link #PERSPECTIVE} or {@link #SCREEN_ORTHOGRAPHIC}.
     *
     * @throws IllegalArgumentException for another kind; no camera is made
     * @throws OutOfMemoryError when the camera cannot be allocated
     */
    public native long createCameraOfKind(int kind, int width, int height, float minPlane,
            float maxPlane, double targetX, double targetY, double targetZ,
            double scaleX, double scaleY, double scaleZ,
            float yaw, float pitch, float distance, float fov);

    /** The viewport in pixels; rebuilds the projection. Throws for handle 0, as all setters. */
    public native void setViewport(long camera, int width, int height);

    /** The target, world units (narrowed to float); the eye follows at its distance. */
    public native void setTarget(long camera, double x, double y, double z);

    /** The yaw in degrees, kept reduced to [0, 360). */
    public native void setYaw(long camera, float degrees);

    /** The pitch in degrees, clamped to [35, 90]. */
    public native void setPitch(long camera, float degrees);

    /** The distance from target to eye, world units. */
    public native void setDistance(long camera, float distance);

    /** The near and far clipping distances from the eye, world units. */
    public native void setPlanes(long camera, float minPlane, float maxPlane);

    /** The per-axis scale from model space to world space (narrowed to float). */
    public native void setScale(long camera, double x, double y, double z);

    /** The vertical field of view in degrees, for the perspective kind. */
    public native void setFov(long camera, float degrees);

    /**
     * Writes the live settings into {@code out[0..14]}: kind, width, height, near and far plane,
     * target x, y, z, scale x, y, z, yaw, pitch, distance, field of view.
     *
     * @throws IndexOutOfBoundsException if {@code out} is shorter than {@value #SETTINGS}
     */
    public native void settings(long camera, double[] out);
}
