package quorvan.meshory;

import cpp.geometry.Meshory;

/**
 * A model maker: turns batches of blobs into {@link Model}s and owns them. Closing the maker frees
 * every model it still holds; those models then throw {@link IllegalStateException} when used.
 *
 * <p>The maker serialises the natives of itself and its models (they must not overlap), so it may
 * be shared between threads; to build in parallel, give each thread a maker of its own.
 */
public final class ModelMaker implements AutoCloseable {
    final NativeObject object;

    /** Creates an empty maker. */
    public ModelMaker() {
        object = new NativeObject(this, "model maker", Meshory.contsruct(), Meshory::dispose);
    }

    /**
     * Builds one model from a batch, relative to the origin (x, y, 0), wanting text variant 0. The
     * model takes id, cell and layer from the first blob. When nothing is built (no blob, or no blob
     * of a type with a builder) the model {@link Model#isEmpty is empty}.
     *
     * @throws IllegalStateException when the maker or the batch is closed
     */
    public Model makeModel(Blobs blobs, double x, double y) {
        long[] handles = blobs.acquireHandles();
        try {
            return make(handles, x, y);
        } finally {
            blobs.releaseHandles();
        }
    }

    /**
     * Builds one model from single blobs, as {@link #makeModel(Blobs, double, double)} does.
     *
     * @throws IllegalStateException when the maker or any of the blobs is closed
     */
    public Model makeModel(double x, double y, Blob... blobs) {
        long[] handles = new long[blobs.length];
        int held = 0;
        try {
            for (Blob blob : blobs) {
                handles[held] = blob.object.acquire();
                ++held;
            }
            return make(handles, x, y);
        } finally {
            for (int i = 0; i < held; ++i) {
                blobs[i].object.release();
            }
        }
    }

    private Model make(long[] blobHandles, double x, double y) {
        long maker = object.acquire();
        try {
            long model;
            synchronized (object) {
                model = Meshory.makeModel(maker, blobHandles, x, y);
            }
            return new Model(this, model);
        } finally {
            object.release();
        }
    }

    /** Frees the maker and every model it still holds; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }
}
