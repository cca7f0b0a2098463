package quorvan.meshory;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.BufferOverflowException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import org.junit.jupiter.api.Test;

/**
 * A tile in one call against the per-model path, over every request of the San Francisco sample.
 */
class TileTest {
    /**
     * The sample's blobs as one block of records, where each record starts, and the request table.
     */
    private record Sample(ByteBuffer records, int[] starts, int[] requests, double[] origins) {
        int recordCount() {
            return starts.length;
        }

        /** The records of request r, at the buffer's position. */
        ByteBuffer recordsOf(int r) {
            ByteBuffer b = records.duplicate().order(ByteOrder.LITTLE_ENDIAN);
            return b.position(starts[requests[2 * r]]);
        }
    }

    // Reads the blob pack (docs/blob-pack.md), whose requests' blobs are records already.
    private static Sample sample() throws IOException {
        ByteBuffer pack =
                ByteBuffer.wrap(Files.readAllBytes(Path.of(System.getProperty("meshory.sample"))))
                .order(ByteOrder.LITTLE_ENDIAN);
        Grid.initialize(pack.getInt(12), pack.getInt(16), pack.getDouble(20), pack.getDouble(28),
                pack.getDouble(36), pack.getDouble(44));
        pack.position(52);
        for (int names = pack.getInt(); names > 0; --names) {
            pack.getInt();
            int length = Short.toUnsignedInt(pack.getShort());
            pack.position(pack.position() + length);
        }
        int requestCount = pack.getInt();
        ByteBuffer records = ByteBuffer.allocateDirect(pack.remaining());
        int[] starts = new int[pack.remaining() / 24];
        int[] requests = new int[2 * requestCount];
        double[] origins = new double[2 * requestCount];
        int count = 0;
        for (int r = 0; r < requestCount; ++r) {
            origins[2 * r] = pack.getDouble();
            origins[2 * r + 1] = pack.getDouble();
            int blobs = pack.getInt();
            requests[2 * r] = count;
            requests[2 * r + 1] = blobs;
            for (int b = 0; b < blobs; ++b, ++count) {
                int size = 24 + pack.getInt(pack.position() + 20);
                starts[count] = records.position();
                records.put(pack.slice(pack.position(), size));
                pack.position(pack.position() + size);
            }
        }
        return new Sample(records.flip(), Arrays.copyOf(starts, count), requests, origins);
    }

    private static FloatBuffer floats(int count) {
        return ByteBuffer.allocateDirect(4 * count).order(ByteOrder.nativeOrder()).asFloatBuffer();
    }

    private static float[] vertices(FloatBuffer block, int first, int count) {
        float[] out = new float[3 * count];
        block.get(3 * first, out);
        return out;
    }

    private static float[] all(FloatBuffer b) {
        float[] out = new float[b.flip().remaining()];
        b.get(out);
        return out;
    }

    private static FloatBuffer blockOf(Tile tile) {
        FloatBuffer out = floats(tile.floatCount());
        assertEquals(tile.floatCount(), tile.write(out));
        return out;
    }

    @Test
    void everyRequestOfTheSampleEqualsItsModelFloatForFloat() throws IOException {
        Sample s = sample();
        try (ModelMaker maker = new ModelMaker();
                Tile plain =
                        maker.makeTile(s.records(), s.recordCount(), s.requests(), s.origins(), 0);
                Tile skipping = maker.makeTile(s.records(), s.recordCount(), s.requests(),
                        s.origins(), Tile.SKIP_ZERO_AREA | Tile.NORMALS)) {
            assertEquals(0, s.records().position());
            FloatBuffer plainBlock = blockOf(plain);
            FloatBuffer skippingBlock = blockOf(skipping);
            int[] modelOf = new int[s.requests().length / 2];
            Arrays.fill(modelOf, -1);
            for (int i = 0; i < plain.models().size(); ++i) {
                modelOf[plain.models().get(i).request()] = i;
            }
            int built = 0;
            for (int r = 0; r < modelOf.length; ++r) {
                try (Blobs blobs = Blobs.read(s.recordsOf(r), s.requests()[2 * r + 1]);
                        Model model = maker.makeModel(blobs, s.origins()[2 * r],
                                s.origins()[2 * r + 1])) {
                    String where = "request " + r;
                    assertEquals(model.isEmpty(), modelOf[r] < 0, where);
                    if (model.isEmpty()) {
                        continue;
                    }
                    ++built;
                    Tile.TileModel m = plain.models().get(modelOf[r]);
                    assertEquals(model.layerId(), m.layerId(), where);
                    assertEquals(model.height(), m.height(), where);
                    assertEquals(model.label(), plain.label(modelOf[r]), where);
                    assertArrayEquals(model.triangles(),
                            vertices(plainBlock, m.trianglesFirst(), m.triangleVertices()), where);
                    assertArrayEquals(model.lines(),
                            vertices(plainBlock, m.linesFirst(), m.lineVertices()), where);
                    assertArrayEquals(model.points(),
                            vertices(plainBlock, m.pointsFirst(), m.pointVertices()), where);
                    // The same model in the other tile: same place in the order, zero-area
                    // triangles left out.
                    Tile.TileModel k = skipping.models().get(modelOf[r]);
                    FloatBuffer kept = floats(model.triangleFloatsWithArea());
                    model.triangles(kept, true);
                    assertArrayEquals(all(kept),
                            vertices(skippingBlock, k.trianglesFirst(), k.triangleVertices()),
                            where);
                    assertArrayEquals(model.lines(),
                            vertices(skippingBlock, k.linesFirst(), k.lineVertices()), where);
                }
            }
            assertEquals(built, plain.models().size());
            assertTrue(built > 1000, "the sample builds its models");
            assertEquals(plain.buckets().size(), skipping.buckets().size());
            assertEquals(skipping.linesFirst(), skipping.vertexCount() - skipping.normalsFirst());
        }
    }

    @Test
    void misuseIsRefusedAndBuildsNothing() throws IOException {
        Sample s = sample();
        int n = s.recordCount();
        int[] q = s.requests();
        double[] o = s.origins();
        try (ModelMaker maker = new ModelMaker()) {
            ByteBuffer heap = ByteBuffer.allocate(s.records().remaining());
            ByteBuffer cut = s.records().duplicate().limit(s.records().limit() - 1);
            assertThrows(IllegalArgumentException.class, () -> maker.makeTile(heap, n, q, o, 0));
            assertThrows(IllegalArgumentException.class, () ->
                    maker.makeTile(s.records(), -1, q, o, 0));
            assertThrows(IllegalArgumentException.class, () -> maker.makeTile(cut, n, q, o, 0));
            assertThrows(IllegalArgumentException.class, () ->
                    maker.makeTile(s.records(), n - 1, q, o, 0));
            assertThrows(IllegalArgumentException.class, () ->
                    maker.makeTile(s.records(), n, q, o, 4));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(s.records(), n, new int[] {0, 1, 2},
                            new double[] {0, 0, 0}, 0));
            assertThrows(IllegalArgumentException.class, () ->
                    maker.makeTile(s.records(), n, q, new double[2], 0));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(s.records(), n, new int[] {-1, 1}, new double[2], 0));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(s.records(), n, new int[] {0, -1}, new double[2], 0));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(s.records(), n, new int[] {n - 1, 2}, new double[2], 0));
            assertThrows(NullPointerException.class, () -> maker.makeTile(null, n, q, o, 0));
            assertThrows(NullPointerException.class, () ->
                    maker.makeTile(s.records(), n, null, o, 0));

            Tile tile = maker.makeTile(s.records(), n, new int[] {0, 3, 0, 3}, new double[4], 0);
            FloatBuffer small = floats(tile.floatCount() - 1);
            assertThrows(BufferOverflowException.class, () -> tile.write(small));
            assertEquals(0, small.position());
            assertThrows(IllegalArgumentException.class, () ->
                    tile.write(FloatBuffer.allocate(tile.floatCount())));
            // A float view that starts at an odd byte is written as any other.
            ByteBuffer bytes = ByteBuffer.allocateDirect(4 * tile.floatCount() + 1)
                    .order(ByteOrder.nativeOrder());
            FloatBuffer odd =
                    bytes.position(1).slice().order(ByteOrder.nativeOrder()).asFloatBuffer();
            assertEquals(tile.floatCount(), tile.write(odd));
            assertArrayEquals(all(blockOf(tile)), all(odd));
            assertThrows(IndexOutOfBoundsException.class, () ->
                    tile.models().get(tile.models().size()));
            assertThrows(IndexOutOfBoundsException.class, () -> tile.label(-1));
            tile.close();
            tile.close();
            assertThrows(IllegalStateException.class, tile::floatCount);
            assertThrows(IllegalStateException.class, () -> tile.write(floats(1)));
            // The maker's tiles end with it.
            Tile kept = maker.makeTile(s.records(), n, new int[] {0, 3}, new double[2], 0);
            maker.close();
            assertThrows(IllegalStateException.class, kept::floatCount);
            assertThrows(IllegalStateException.class, () -> kept.label(0));
            kept.close();
            assertThrows(IllegalStateException.class, () ->
                    maker.makeTile(s.records(), n, q, o, 0));
        }
    }
}
