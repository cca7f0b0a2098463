package quorvan.meshory;

import cpp.geometry.Meshory;

/**
 * One blob: a native copy of a geometry record, to be handed to {@link ModelMaker#makeModel}.
 * Models never refer to blob memory, so a blob may be closed as soon as the models it feeds are
 * made. To make many blobs at once, prefer {@link Blobs}.
 */
public final class Blob implements AutoCloseable {
    final NativeObject object;

    /** Copies {@code record} into a new native blob. */
    public Blob(BlobRecord record) {
        long handle =
                Meshory.makeBlob(record.id(), record.type(), record.layerId(), record.cellIndex(),
                record.data());
        object = new NativeObject(this, "blob", handle, Meshory::disposeBlob);
    }

    /** Frees the blob; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }
}
