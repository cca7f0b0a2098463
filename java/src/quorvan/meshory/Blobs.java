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

    /**
     * Copies every record into a new native blob, in order, in one native call. A record's null
     * data counts as no bytes, as for {@link Blob#Blob(BlobRecord)}.
     */
    public static Blobs of(List<BlobRecord> records) {
        int size = 0;
        for (BlobRecord r : records) {
            size = Math.addExact(size, 24 + payload(r).length);
        }
        ByteBuffer block = ByteBuffer.allocateDirect(size).order(ByteOrder.LITTLE_ENDIAN);
        for (BlobRecord r : records) {
            byte[] data = payload(r);
            block.putLong(r.id()).putInt(r.type()).putInt(r.layerId()).putInt(r.cellIndex());
            block.putInt(data.length).put(data);
        }
        return read(block.flip(), records.size());
    }

    private static final byte[] NO_BYTES = new byte[0];

    private static byte[] payload(BlobRecord r) {
        return r.data() == null ? NO_BYTES : r.data();
    }

    /**
     * Makes the blobs of {@code count} records read from a direct buffer at its position (which
     * moves past them), in one native call. A record is, little-endian and unpadded: long id, int
     * type, int layer id, int cell index, int payload size P, then P payload bytes: the blob layout
     * of blob packs, as a host reads it from its tile files.
     *
     * <p>Native code reads the buffer's memory directly. For a {@link java.nio.MappedByteBuffer}
     * that means the file itself: if another process truncates the file meanwhile, reading the
     * lost pages raises SIGBUS, which ends the JVM (Java's own reads of such a buffer throw an
     * {@link InternalError} instead; native code has no such net). When the file may change while
     * it is read, copy the records into a direct buffer of your own first
     * ({@code ByteBuffer.allocateDirect(n).put(mapped.slice(position, n)).flip()}), or read the
     * file into one with a {@link java.nio.channels.FileChannel}.
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

    /**
     * The number of blobs in the batch.
     *
     * @throws IllegalStateException when the batch is closed
     */
    public int size() {
        object.checkOpen();
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
