package quorvan.meshory;

import cpp.geometry.Meshory;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.util.function.LongFunction;

/**
 * One model of a {@link ModelMaker}: geometry relative to the origin it was made for, as flat
 * float arrays of x, y, z per vertex. Closing it releases it from its maker early; closing the
 * maker releases it too. A model never changes once built: its queries may run on any threads
 * at once, beside its maker's calls.
 */
public final class Model implements AutoCloseable {
    private static final float[] NO_FLOATS = new float[0];

    // Keeps the maker reachable, hence unfreed by the Cleaner, while its model is.
    private final ModelMaker maker;
    private final NativeObject object;

    Model(ModelMaker maker, long handle) {
        this.maker = maker;
        object = new NativeObject(this, "model", handle, maker.object,
                NativeObject.freedThrough(maker.object, Meshory::disposeModel));
    }

    /** True when nothing was built; an empty model has no geometry, label or layer. */
    public boolean isEmpty() {
        return read(model -> model == 0, true);
    }

    /** Triangle list, nine floats per triangle. */
    public float[] triangles() {
        return read(Meshory::modelTriangles, NO_FLOATS);
    }

    /** Line list, six floats per segment. */
    public float[] lines() {
        return read(Meshory::modelLines, NO_FLOATS);
    }

    /** Points as (x, y, 0). */
    public float[] points() {
        return read(Meshory::modelPoints, NO_FLOATS);
    }

    /** The floats {@link #triangles()} holds: room to make in a buffer before filling it. */
    public int triangleFloats() {
        return read(model -> Meshory.modelTrianglesFloatCount(model, 0), 0);
    }

    /**
     * The floats {@link #triangles(FloatBuffer, boolean)} puts when it leaves out zero-area
     * triangles.
     */
    public int triangleFloatsWithArea() {
        return read(model -> Meshory.modelTrianglesFloatCount(model, Meshory.SKIP_ZERO_AREA), 0);
    }

    /** The floats {@link #triangles(FloatBuffer, int)} puts with these flags. */
    public int triangleFloats(int flags) {
        return read(model -> Meshory.modelTrianglesFloatCount(model, flags), 0);
    }

    /** The floats {@link #lines()} holds. */
    public int lineFloats() {
        return read(Meshory::modelLinesFloatCount, 0);
    }

    /** The floats {@link #points()} holds. */
    public int pointFloats() {
        return read(Meshory::modelPointsFloatCount, 0);
    }

    /**
     * Puts the triangle list into {@code out} as {@code FloatBuffer.put} does: at its position,
     * which moves past the floats; the limit is untouched. A binding that uploads from position to
     * limit (LWJGL) wants {@code out.flip()} first. A direct buffer in native byte order (what
     * OpenGL bindings take) is filled by the library itself, with no array in between; any other
     * buffer through an array.
     *
     * @return the number of floats put
     * @throws java.nio.BufferOverflowException when {@code out} has too little room; nothing is put
     * @throws java.nio.ReadOnlyBufferException when {@code out} is read-only
     */
    public int triangles(FloatBuffer out) {
        return triangles(out, false);
    }

    /**
     * Puts the triangle list into {@code out}, as {@link #triangles(FloatBuffer)} does; with
     * {@code skipZeroArea}, leaving out the triangles whose vertices are collinear (the joins
     * between strips and the closing triangles of fans), which draw nothing.
     *
     * @throws IllegalArgumentException when leaving triangles out into a buffer that is not direct
     *     in native byte order
     */
    public int triangles(FloatBuffer out, boolean skipZeroArea) {
        return triangles(out, skipZeroArea ? Meshory.SKIP_ZERO_AREA : 0);
    }

    /**
     * Puts the triangle list into {@code out}, as {@link #triangles(FloatBuffer)} does, with the
     * output flags of {@link Meshory#modelTrianglesInto}: {@link Meshory#SKIP_ZERO_AREA}, {@link
     * Meshory#BRIDGE_BANDS} (bridge bands as drawn, 2 units wide), both, or 0.
     *
     * @throws IllegalArgumentException when the flags are unknown, or when any flag is given with a
     *     buffer that is not direct in native byte order
     */
    public int triangles(FloatBuffer out, int flags) {
        if (fillsInPlace(out)) {
            return read(model -> Meshory.modelTrianglesInto(model, out, flags), 0);
        }
        if (flags != 0) {
            throw new IllegalArgumentException(
                    "output flags need a direct buffer in native order");
        }
        return put(triangles(), out);
    }

    /** Puts the line list into {@code out}, as {@link #triangles(FloatBuffer)} does. */
    public int lines(FloatBuffer out) {
        return fillsInPlace(out) ? read(model -> Meshory.modelLinesInto(model, out), 0)
                : put(lines(), out);
    }

    /** Puts the points into {@code out}, as {@link #triangles(FloatBuffer)} does. */
    public int points(FloatBuffer out) {
        return fillsInPlace(out) ? read(model -> Meshory.modelPointsInto(model, out), 0)
                : put(points(), out);
    }

    /** The label text; bytes that are not UTF-8 come back as U+FFFD. */
    public String label() {
        return read(Meshory::modelLabel, "");
    }

    /** The height the model was built for. */
    public float height() {
        return read(Meshory::modelHeight, 0f);
    }

    /** The layer of the model's first blob. */
    public int layerId() {
        return read(Meshory::modelLayerId, 0);
    }

    /** The id of the model's first blob (its record's id); 0 for an empty model. */
    public long id() {
        return read(Meshory::modelId, 0L);
    }

    /** The grid cell of the model's first blob, column &lt;&lt; 16 | row; 0 for an empty model. */
    public int cellIndex() {
        return read(Meshory::modelCellIndex, 0);
    }

    /**
     * Releases the model from its maker; a second call, or a call after the maker closed, does
     * nothing.
     */
    @Override
    public void close() {
        object.close();
    }

    // A buffer the library can fill in place; null goes to the native, which names it.
    private static boolean fillsInPlace(FloatBuffer out) {
        return out == null || (out.isDirect() && out.order() == ByteOrder.nativeOrder());
    }

    private static int put(float[] values, FloatBuffer out) {
        out.put(values);
        return values.length;
    }

    private <R> R read(LongFunction<R> getter, R ifEmpty) {
        long model = object.acquire();
        try {
            maker.object.acquire();
            try {
                if (model == 0) {
                    return ifEmpty;
                }
                // A built model never changes, and the maker frees it only through a counted
                // close, so its queries need not wait for the maker's calls.
                return getter.apply(model);
            } finally {
                maker.object.release();
            }
        } finally {
            object.release();
        }
    }
}
