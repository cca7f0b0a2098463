/**
 * The idiomatic Java API of libmeshory.so: every native object is an
 * {@link java.lang.AutoCloseable} owner, meant for try-with-resources.
 *
 * <pre>{@code
 * Grid.initialize(4, 4, 0, 0, 4096, 4096);
 * try (ModelMaker maker = new ModelMaker();
 *      Blobs blobs = Blobs.of(new BlobRecord(1, GeometryType.POINTS, layerId, cellIndex, bytes));
 *      Model model = maker.makeModel(blobs, originX, originY)) {
 *     float[] points = model.points();
 * }
 * }</pre>
 *
 * <p>{@link quorvan.meshory.GeometryType} lists the type codes of the records and the layout of
 * each type's payload bytes.
 *
 * <p>A GL host builds a whole tile in one native call, laid out in one bucket per layer:
 *
 * <pre>{@code
 * try (Tile tile = maker.makeTile(records, recordCount, requests, origins, Tile.SKIP_ZERO_AREA)) {
 *     FloatBuffer block = ByteBuffer.allocateDirect(4 * tile.floatCount())
 *             .order(ByteOrder.nativeOrder()).asFloatBuffer();
 *     tile.write(block);  // as FloatBuffer.put does: the position moves past the floats
 *     block.flip();       // position 0, limit after the floats: what a binding uploads
 *     // one glBufferData(GL_ARRAY_BUFFER, block, GL_STATIC_DRAW) for the whole tile
 *     for (Tile.Bucket bucket : tile.buckets()) {
 *         // one glDrawArrays(GL_TRIANGLES, bucket.trianglesFirst(), bucket.triangleVertices())
 *     }
 * }
 * }</pre>
 *
 * <p>The map rules a GL host would otherwise write itself are here too: {@link
 * quorvan.meshory.Tile#pick} finds the model drawn under a pointer by replaying the host's
 * {@link quorvan.meshory.PaintOrder}, {@link quorvan.meshory.LabelSelection#select} chooses a
 * frame's labels in one call, and a {@link quorvan.meshory.Camera} is kept and changed as the
 * user steers (its class comment states the units, axes and conventions).
 *
 * <h2>Lifetimes</h2>
 * A {@link quorvan.meshory.ModelMaker} owns the models and tiles it makes: closing it frees them
 * too, and closing a {@link quorvan.meshory.Model} or {@link quorvan.meshory.Tile} first is
 * allowed as well. Blobs belong to nobody but
 * their owner; a model never refers to their memory. Any use of a closed object, or of a model
 * whose maker is closed, throws {@link java.lang.IllegalStateException} before any native code
 * runs; a second {@code close()} does nothing. An object that becomes unreachable unclosed is
 * freed by a {@link java.lang.ref.Cleaner}, with a warning logged through
 * {@code System.getLogger("quorvan.meshory")}: that is a safety net, not a way to manage memory,
 * as the Cleaner runs only when the garbage collector gets to it. The first few warnings come in
 * full, then a count every thousand; run with {@code -Dmeshory.leakDetection=advanced} to have
 * each warning name the line that created the object ({@code disabled} turns them off).
 *
 * <h2>Threads</h2>
 * Every class here may be shared between threads. The natives of one maker and its models must not
 * overlap, so a maker serialises the calls on itself and on its models: use one maker per thread
 * to build in parallel. A camera's queries run concurrently; its setters wait for them, and they
 * for a setter. A blob or batch
 * may feed makers on several threads at once. Closing an object while another thread uses it
 * frees it only once that call returns. {@link quorvan.meshory.Grid#initialize} sets up
 * process-wide state: call it before any thread makes models, not while they do.
 *
 * <p>The raw natives ({@code cpp.geometry.Meshory}, {@code quorvan._native.Camera$},
 * {@code quorvan._native.SldStyles$}) stay available unchanged beside this package.
 */
package quorvan.meshory;
