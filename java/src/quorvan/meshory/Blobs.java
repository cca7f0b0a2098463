package quorvan.meshory;

import cpp.geometry.Meshory;
import java.util.Arrays;
import java.util.List;

/**
 * A batch of blobs made, fed to a maker and freed together: the usual unit of one model request.
 * Models never refer to blob memory, so a batch may be closed as soon as its models are made.
 */
public final class Blobs implements AutoCloseable {
    private final long[] handles;
    private final NativeObject object;

    private Blobs(long[] handles) {
        this.handles = handles;
        // The batch is one native object for its lifetime; its handle only says "holds blobs".
        long[] owned = handles;
        object = new NativeObject(this, "blob batch", handles.length == 0 ? 0 : 1, ignored -> {
            for (long blob : owned) {
                Meshory.disposeBlob(blob);
            }
        });
    }

    /** Copies every record into a new native blob, in order. */
    public static Blobs of(List<BlobRecord> records) {
        long[] handles = new long[records.size()];
        int made = 0;
        try {
            for (BlobRecord r : records) {
                handles[made] = Meshory.makeBlob(r.id(), r.type(), r.layerId(), r.cellIndex(), r.data());
                ++made;
            }
        } catch (RuntimeException | Error e) {
            for (int i = 0; i < made; ++i) {
                Meshory.disposeBlob(handles[i]);
            }
            throw e;
        }
        return new Blobs(handles);
    }

    /** Copies every record into a new native blob, in order. */
    public static Blobs of(BlobRecord... records) {
        return of(Arrays.asList(records));
    }

    /** The number of blobs in the batch. */
    public int size() {
        return handles.length;
    }

    /** The blob handles, counted as in use until {@link #releaseHandles}. */
    long[] acquireHandles() {
        object.acquire();
        return handles;
    }

    void releaseHandles() {
        object.release();
    }

    /** Frees every blob of the batch; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }
}
