package cpp.geometry;

import static cpp.geometry.PayloadWriter.FLAT_LINE_STRIP;
import static cpp.geometry.PayloadWriter.FLAT_TRIANGLE_STRIP;
import static cpp.geometry.PayloadWriter.POINTS;
import static cpp.geometry.PayloadWriter.TRIANGLE_FAN;
import static cpp.geometry.PayloadWriter.plainStream;
import static cpp.geometry.PayloadWriter.withU16Prefix;
import static cpp.geometry.PayloadWriter.withU8Prefix;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.BufferOverflowException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.ReadOnlyBufferException;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/** The native-cost path: blobs of many records in one call, getters into direct buffers. */
class MeshoryBuffersTest {
    private long maker;

    @BeforeEach
    void createMaker() {
        maker = Meshory.contsruct();
    }

    @AfterEach
    void disposeMaker() {
        Meshory.dispose(maker);
    }

    /** Records in the blob layout, one after another, in a direct little-endian buffer. */
    static ByteBuffer records(Object... typeAndPayload) {
        int size = 0;
        for (int i = 1; i < typeAndPayload.length; i += 2) {
            size += 24 + ((byte[]) typeAndPayload[i]).length;
        }
        ByteBuffer b = ByteBuffer.allocateDirect(size).order(ByteOrder.LITTLE_ENDIAN);
        for (int i = 0; i < typeAndPayload.length; i += 2) {
            byte[] payload = (byte[]) typeAndPayload[i + 1];
            b.putLong(100 + i).putInt((Integer) typeAndPayload[i]).putInt(3).putInt(0)
                    .putInt(payload.length);
            b.put(payload);
        }
        return b.flip();
    }

    static FloatBuffer floats(int n) {
        return ByteBuffer.allocateDirect(4 * n).order(ByteOrder.nativeOrder()).asFloatBuffer();
    }

    static float[] read(FloatBuffer b, int from, int n) {
        float[] out = new float[n];
        b.duplicate().position(from).get(out);
        return out;
    }

    // A closed fan: its last triangle repeats the first point and has zero area.
    static final byte[] FAN = withU16Prefix(50, plainStream(0, 0, 4, 0, 4, 4, 0, 4, 4, 0));
    static final byte[] STRIP = plainStream(0, 0, 2, 0, 0, 2, 2, 2, 2, 2, 4, 2);
    static final byte[] LINE = withU8Prefix(2, plainStream(0, 0, 5, 0, 5, 5));
    static final byte[] POINT = plainStream(1, 2, 3, 4);

    @Test
    void batchOfRecordsGivesTheBlobsOneByOneCallsGive() {
        ByteBuffer tile = records(TRIANGLE_FAN, FAN, FLAT_LINE_STRIP, LINE, POINTS, POINT);
        long[] batch = Meshory.makeBlobs(tile, 3);
        assertEquals(3, batch.length);
        assertEquals(tile.limit(), tile.position(), "position moved past the records");
        long[] single = {
            Meshory.makeBlob(100, TRIANGLE_FAN, 3, 0, FAN),
            Meshory.makeBlob(102, FLAT_LINE_STRIP, 3, 0, LINE),
            Meshory.makeBlob(104, POINTS, 3, 0, POINT)
        };
        long a = Meshory.makeModel(maker, batch, 1, 1);
        long b = Meshory.makeModel(maker, single, 1, 1);
        assertArrayEquals(Meshory.modelTriangles(b), Meshory.modelTriangles(a));
        assertArrayEquals(Meshory.modelLines(b), Meshory.modelLines(a));
        assertArrayEquals(Meshory.modelPoints(b), Meshory.modelPoints(a));
        assertEquals(3, Meshory.modelLayerId(a));
        Meshory.disposeBlobs(batch);
        Meshory.disposeBlobs(new long[] {single[0], 0, single[1], single[2], single[0]});
        Meshory.disposeBlobs(null);
        assertEquals(0, Meshory.makeBlobs(records(), 0).length);
    }

    @Test
    void malformedRecordsCreateNothingAndLeaveThePosition() {
        ByteBuffer tile = records(POINTS, POINT, POINTS, POINT);
        for (int count : new int[] {-1, 3, Integer.MAX_VALUE}) {
            IllegalArgumentException e =
                    assertThrows(IllegalArgumentException.class, () ->
                            Meshory.makeBlobs(tile, count));
            assertTrue(e.getMessage().contains("record"), e.getMessage());
            assertEquals(0, tile.position());
        }
        // A payload size that runs past the limit, named with its offset.
        ByteBuffer cut = tile.duplicate().limit(tile.limit() - 1);
        IllegalArgumentException e =
                assertThrows(IllegalArgumentException.class, () -> Meshory.makeBlobs(cut, 2));
        assertTrue(e.getMessage().contains("record 1 at byte 41"), e.getMessage());
        ByteBuffer heap = ByteBuffer.allocate(64);
        assertThrows(IllegalArgumentException.class, () -> Meshory.makeBlobs(heap, 0));
        assertThrows(NullPointerException.class, () -> Meshory.makeBlobs(null, 0));
        // Reading from the position: the second record alone.
        tile.position(24 + POINT.length);
        long[] one = Meshory.makeBlobs(tile, 1);
        assertEquals(1, one.length);
        Meshory.disposeBlobs(one);
    }

    @Test
    void gettersIntoBuffersWriteWhatTheArrayGettersReturnAtThePosition() {
        long[] blobs = Meshory.makeBlobs(records(FLAT_TRIANGLE_STRIP, STRIP, FLAT_LINE_STRIP, LINE,
                POINTS, POINT), 3);
        long model = Meshory.makeModel(maker, blobs, 0, 0);
        Meshory.disposeBlobs(blobs);
        float[] triangles = Meshory.modelTriangles(model);
        float[] lines = Meshory.modelLines(model);
        float[] points = Meshory.modelPoints(model);
        assertEquals(triangles.length, Meshory.modelTrianglesFloatCount(model, 0));
        assertEquals(lines.length, Meshory.modelLinesFloatCount(model));
        assertEquals(points.length, Meshory.modelPointsFloatCount(model));

        // One buffer for all three, one after another, as a host packs a vertex buffer.
        FloatBuffer out = floats(5 + triangles.length + lines.length + points.length);
        out.position(5);
        assertEquals(triangles.length, Meshory.modelTrianglesInto(model, out, 0));
        assertEquals(lines.length, Meshory.modelLinesInto(model, out));
        assertEquals(points.length, Meshory.modelPointsInto(model, out));
        assertEquals(out.limit(), out.position());
        assertArrayEquals(triangles, read(out, 5, triangles.length));
        assertArrayEquals(lines, read(out, 5 + triangles.length, lines.length));
        assertArrayEquals(points, read(out, 5 + triangles.length + lines.length, points.length));
        assertArrayEquals(new float[5], read(out, 0, 5), "nothing before the position");

        // Java takes a float view of a byte buffer at any offset, and so does glBufferData.
        for (int offset = 1; offset < 4; ++offset) {
            ByteBuffer bytes = ByteBuffer.allocateDirect(offset
                    + 4 * (triangles.length + lines.length + points.length));
            FloatBuffer view =
                    bytes.position(offset).slice().order(ByteOrder.nativeOrder()).asFloatBuffer();
            assertEquals(triangles.length, Meshory.modelTrianglesInto(model, view, 0));
            assertEquals(lines.length, Meshory.modelLinesInto(model, view));
            assertEquals(points.length, Meshory.modelPointsInto(model, view));
            assertArrayEquals(triangles, read(view, 0, triangles.length));
            assertArrayEquals(lines, read(view, triangles.length, lines.length));
            assertArrayEquals(points, read(view, triangles.length + lines.length, points.length));
            assertEquals(0, bytes.get(offset - 1), "nothing before the view");
        }

        // Model 0 writes nothing.
        assertEquals(0, Meshory.modelTrianglesFloatCount(0, 0));
        assertEquals(0, Meshory.modelLinesInto(0, floats(3)));
    }

    @Test
    void zeroAreaTrianglesAreLeftOutOnlyWhenAsked() {
        long blob = Meshory.makeBlob(1, TRIANGLE_FAN, 1, 0, FAN);
        long model = Meshory.makeModel(maker, new long[] {blob}, 0, 0);
        Meshory.disposeBlob(blob);
        int all = Meshory.modelTrianglesFloatCount(model, 0);
        int kept = Meshory.modelTrianglesFloatCount(model, Meshory.SKIP_ZERO_AREA);
        assertTrue(kept > 0 && kept < all, kept + " of " + all);
        FloatBuffer out = floats(kept);
        assertEquals(kept, Meshory.modelTrianglesInto(model, out, Meshory.SKIP_ZERO_AREA));
        for (int t = 0; t < kept; t += 9) {
            float[] v = read(out, t, 9);
            float cross = (v[3] - v[0]) * (v[7] - v[1]) - (v[4] - v[1]) * (v[6] - v[0]);
            float height = Math.abs(v[5] - v[2]) + Math.abs(v[8] - v[2]);
            assertTrue(cross != 0 || height != 0, "a zero-area triangle was handed over");
        }
        assertThrows(IllegalArgumentException.class, () ->
                Meshory.modelTrianglesFloatCount(model, 2));
        assertThrows(IllegalArgumentException.class, () ->
                Meshory.modelTrianglesInto(model, floats(all), 6));
    }

    @Test
    void badTargetsThrowAndWriteNothing() {
        long blob = Meshory.makeBlob(1, POINTS, 1, 0, POINT);
        long model = Meshory.makeModel(maker, new long[] {blob}, 0, 0);
        Meshory.disposeBlob(blob);

        FloatBuffer small = floats(6);
        small.put(0, 42f).position(1);
        assertThrows(BufferOverflowException.class, () -> Meshory.modelPointsInto(model, small));
        assertEquals(1, small.position());
        assertEquals(42f, small.get(0));
        assertEquals(0f, small.get(1), "nothing written");

        assertThrows(NullPointerException.class, () -> Meshory.modelPointsInto(model, null));
        assertThrows(IllegalArgumentException.class, () ->
                Meshory.modelPointsInto(model, FloatBuffer.allocate(6)));
        assertThrows(ReadOnlyBufferException.class, () ->
                Meshory.modelPointsInto(model, floats(6).asReadOnlyBuffer()));
        ByteOrder foreign =
                ByteOrder.nativeOrder() == ByteOrder.LITTLE_ENDIAN ? ByteOrder.BIG_ENDIAN
                : ByteOrder.LITTLE_ENDIAN;
        FloatBuffer swapped = ByteBuffer.allocateDirect(24).order(foreign).asFloatBuffer();
        assertThrows(IllegalArgumentException.class, () -> Meshory.modelPointsInto(model, swapped));
        assertEquals(0, swapped.position());

        // A limit below the capacity is the end of the room.
        FloatBuffer limited = floats(12).limit(5);
        assertThrows(BufferOverflowException.class, () -> Meshory.modelPointsInto(model, limited));
    }

    @Test
    void storageBudgetRefusesNegativeBytes() {
        Meshory.setStorageBudget(maker, 0);
        Meshory.setStorageBudget(0, 1 << 20);
        assertThrows(IllegalArgumentException.class, () -> Meshory.setStorageBudget(maker, -1));
    }
}
