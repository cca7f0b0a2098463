package quorvan.meshory;

import cpp.geometry.Meshory;
import java.nio.FloatBuffer;
import java.util.function.LongFunction;

/**
 * One model of a {@link ModelMaker}: geometry relative to the origin it was made for, as flat
 * float arrays of x, y, z per vertex. Closing it releases it from its maker early; closing the
 * maker releases it too. Its calls are serialised with the maker's.
 */
public final class Model implements AutoCloseable {
    private static final float[] NO_FLOATS = new float[0];

    // Keeps the maker reachable, hence unfreed by the Cleaner, while its model is.
    private final ModelMaker maker;
    private final NativeObject object;

    Model(ModelMaker maker, long handle) {
        this.maker = maker;
        NativeObject owner = maker.object;
        object = new NativeObject(this, "model", handle, owner, model -> {
            // A closed maker has freed its models already (or will, once its last call returns).
            long makerHandle = owner.tryAcquire();
            if (makerHandle == 0) {
                return;
            }
            try {
                synchronized (owner) {
                    Meshory.disposeModel(makerHandle, model);
                }
            } finally {
                owner.release();
            }
        });
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

    /**
     * Puts the triangle list into {@code out} at its position, which advances.
     *
     * @return the number of floats put
     * @throws java.nio.BufferOverflowException when {@code out} has too little room; nothing is put
     */
    public int triangles(FloatBuffer out) {
        return put(triangles(), out);
    }

    /** Puts the line list into {@code out}, as {@link #triangles(FloatBuffer)} does. */
    public int lines(FloatBuffer out) {
        return put(lines(), out);
    }

    /** Puts the points into {@code out}, as {@link #triangles(FloatBuffer)} does. */
    public int points(FloatBuffer out) {
        return put(points(), out);
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

    /** Releases the model from its maker; a second call, or a call after the maker closed, does nothing. */
    @Override
    public void close() {
        object.close();
    }

    // The buffer getters copy from the array for now; a native that fills the buffer directly
    // can take their place without changing them.
    private static int put(float[] values, FloatBuffer out) {
        out.put(values);
        return values.length;
    }

    private <R> R read(LongFunction<R> getter, R ifEmpty) {
        long model = object.acquire();
        try {
            long makerHandle = maker.object.acquire();
            try {
                if (model == 0) {
                    return ifEmpty;
                }
                synchronized (maker.object) {
                    return getter.apply(model);
                }
            } finally {
                maker.object.release();
            }
        } finally {
            object.release();
        }
    }
}
