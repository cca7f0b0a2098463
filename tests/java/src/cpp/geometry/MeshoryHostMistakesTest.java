package cpp.geometry;

import static cpp.geometry.PayloadWriter.POINTS;
import static cpp.geometry.PayloadWriter.plainStream;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;

import java.util.ArrayList;
import java.util.List;
import java.util.Random;
import org.junit.jupiter.api.Test;

/** What a careless host or corrupt tile data can hand the bridge: none of it may crash the JVM. */
class MeshoryHostMistakesTest {
    private static final float[] NONE = new float[0];

    @Test
    void handleZeroIsNoObjectAnywhere() {
        Meshory.dispose(0);
        Meshory.disposeBlob(0);
        Meshory.disposeModel(0, 0);
        assertArrayEquals(NONE, Meshory.modelTriangles(0));
        assertArrayEquals(NONE, Meshory.modelLines(0));
        assertArrayEquals(NONE, Meshory.modelPoints(0));
        assertEquals("", Meshory.modelLabel(0));
        assertEquals(0.0f, Meshory.modelHeight(0));
        assertEquals(0, Meshory.modelLayerId(0));

        long blob = Meshory.makeBlob(1, POINTS, 1, 0, plainStream(1, 1));
        long maker = Meshory.contsruct();
        try {
            assertEquals(0, Meshory.makeModel(0, new long[] {blob}, 0, 0), "no maker, no model");
            long model = Meshory.makeModel(maker, new long[] {blob}, 0, 0);
            Meshory.disposeModel(0, model); // no maker: nothing happens
            Meshory.disposeModel(maker, 0);
            assertArrayEquals(new float[] {1, 1, 0}, Meshory.modelPoints(model));
        } finally {
            Meshory.dispose(maker);
            Meshory.disposeBlob(blob);
        }
    }

    @Test
    void nullAndEmptyArraysCountAsEmptyAndZeroBlobsAreSkipped() {
        long maker = Meshory.contsruct();
        long nullPayload = Meshory.makeBlob(1, POINTS, 4, 0, null);
        long emptyPayload = Meshory.makeBlob(2, POINTS, 5, 0, new byte[0]);
        long points = Meshory.makeBlob(3, POINTS, 6, 0, plainStream(3, 4));
        try {
            assertEquals(0, Meshory.makeModel(maker, null, 0, 0));
            assertEquals(0, Meshory.makeModel(maker, new long[0], 0, 0));
            assertEquals(0, Meshory.makeModel(maker, new long[] {0, 0}, 0, 0));

            // A POINTS blob without payload still counts as built: a model with nothing in it.
            for (long blob : new long[] {nullPayload, emptyPayload}) {
                long model = Meshory.makeModel(maker, new long[] {blob}, 0, 0);
                assertNotEquals(0, model);
                assertArrayEquals(NONE, Meshory.modelPoints(model));
            }

            long model = Meshory.makeModel(maker, new long[] {0, points, 0, nullPayload}, 0, 0);
            assertEquals(6, Meshory.modelLayerId(model), "the first blob that is there");
            assertArrayEquals(new float[] {3, 4, 0}, Meshory.modelPoints(model));
        } finally {
            Meshory.dispose(maker);
            for (long blob : new long[] {nullPayload, emptyPayload, points}) {
                Meshory.disposeBlob(blob);
            }
        }
    }

    @Test
    void garbagePayloadsOfEveryTypeCodeBuildSafely() {
        // The cell polygon reads the grid; any grid will do, but set one up as a host would.
        Meshory.initializeGrid(16, 16, -1000, -1000, 1000, 1000);
        long seed = 0x6d657368L;
        Random random = new Random(seed);
        long maker = Meshory.contsruct();
        List<Long> blobs = new ArrayList<>();
        try {
            for (int type = 0; type <= 120; type++) {
                for (int round = 0; round < 12; round++) {
                    // Mostly short payloads, where headers and counts are cut, some longer ones.
                    int length = round < 8 ? random.nextInt(16) : random.nextInt(400);
                    byte[] payload = new byte[length];
                    random.nextBytes(payload);
                    long blob = Meshory.makeBlob(random.nextLong(), type, random.nextInt(8),
                            random.nextInt(), payload);
                    blobs.add(blob);
                    String where = "type " + type + ", round " + round + ", seed " + seed;
                    readEverything(Meshory.makeModel(maker, new long[] {blob},
                            random.nextGaussian() * 1e3, random.nextGaussian() * 1e3), where);
                }
            }
            // Mixed models, where each builder meets what the ones before it left.
            for (int round = 0; round < 300; round++) {
                long[] handles = new long[1 + random.nextInt(6)];
                for (int i = 0; i < handles.length; i++) {
                    handles[i] = blobs.get(random.nextInt(blobs.size()));
                }
                long model = Meshory.makeModel(maker, handles, 0, 0);
                readEverything(model, "mixed round " + round + ", seed " + seed);
                if (random.nextBoolean()) {
                    Meshory.disposeModel(maker, model);
                }
            }
        } finally {
            Meshory.dispose(maker);
            for (long blob : blobs) {
                Meshory.disposeBlob(blob);
            }
        }
    }

    private static void readEverything(long model, String where) {
        if (model == 0) {
            return;
        }
        float[] t = Meshory.modelTriangles(model);
        float[] l = Meshory.modelLines(model);
        float[] p = Meshory.modelPoints(model);
        assertEquals(0, t.length % 3, where);
        assertEquals(0, l.length % 3, where);
        assertEquals(0, p.length % 3, where);
        Meshory.modelLabel(model);
        Meshory.modelHeight(model);
        Meshory.modelLayerId(model);
    }
}
