package quorvan.meshory;

import cpp.geometry.Meshory;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
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
        object = new NativeObject(this, "blob batch", handles.length == 0 ? 0 : 1,
                ignored -> Meshory.disposeBlobs(owned));
    }

    /** Copies every record into a new native blob, in order, in one native call. */
    public static Blobs of(List<BlobRecord> records) {
        int size = 0;
        for (BlobRecord r : records) {
            size = Math.addExact(size, 24 + r.data().length);
        }
        ByteBuffer block = ByteBuffer.allocateDirect(size).order(ByteOrder.LITTLE_ENDIAN);
        for (BlobRecord r : records) {
            block.putLong(r.id()).putInt(r.type()).putInt(r.layerId()).putInt(r.cellIndex());
            block.putInt(r.data().length).put(r.data());
        }
        return read(block.flip(), records.size());
    }

    /**
     * Makes the blobs of {@code count} records read from a direct buffer at its position (which
     * moves past them), in one native call. A record is, little-endian and unpadded: long id, int
     * type, int layer id, int cell index, int payload size P, then P payload bytes: the blob layout
     * of blob packs, as a host reads it from its tile files.
     *
     * @throws IllegalArgumentException when the buffer is not direct, the count is negative, or
     *     the records run past the limit; nothing is made then
     */
    public static Blobs read(ByteBuffer records, int count) {
        return new Blobs(Meshory.makeBlobs(records, count));
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
