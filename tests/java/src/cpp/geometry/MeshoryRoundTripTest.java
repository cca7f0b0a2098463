package cpp.geometry;

import static cpp.geometry.PayloadWriter.CELL_POLYGON;
import static cpp.geometry.PayloadWriter.FLAT_LINE_STRIP;
import static cpp.geometry.PayloadWriter.FLAT_TRIANGLE_STRIP;
import static cpp.geometry.PayloadWriter.LABEL_STYLE_SEGMENTS;
import static cpp.geometry.PayloadWriter.LINES;
import static cpp.geometry.PayloadWriter.POINTS;
import static cpp.geometry.PayloadWriter.TEXT_DATA;
import static cpp.geometry.PayloadWriter.TRIANGLE_FAN;
import static cpp.geometry.PayloadWriter.labelBlock;
import static cpp.geometry.PayloadWriter.octets;
import static cpp.geometry.PayloadWriter.plainStream;
import static cpp.geometry.PayloadWriter.segment;
import static cpp.geometry.PayloadWriter.segmentGroup;
import static cpp.geometry.PayloadWriter.utf8;
import static cpp.geometry.PayloadWriter.withU16Prefix;
import static cpp.geometry.PayloadWriter.withU8Prefix;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.ArrayList;
import java.util.List;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/** A host's way through the bridge: grid, blobs, models, every getter and every disposal order. */
class MeshoryRoundTripTest {
    private static final float EPS = 1e-4f;
    private static final float[] NONE = new float[0];

    private long maker;
    private final List<Long> blobs = new ArrayList<>();

    @BeforeEach
    void createMaker() {
        maker = Meshory.contsruct();
        assertNotEquals(0, maker);
    }

    @AfterEach
    void disposeEverything() {
        for (long blob : blobs) {
            Meshory.disposeBlob(blob);
        }
        Meshory.dispose(maker);
    }

    private long blob(int type, int layerId, int cellIndex, byte[] payload) {
        long blob = Meshory.makeBlob(blobs.size() + 100, type, layerId, cellIndex, payload);
        assertNotEquals(0, blob);
        blobs.add(blob);
        return blob;
    }

    /**
     * Disposes of the blobs now, so the reads that follow prove the model keeps none of their
     * memory.
     */
    private void disposeBlobsNow() {
        for (long blob : blobs) {
            Meshory.disposeBlob(blob);
        }
        blobs.clear();
    }

    @Test
    void pointsComeBackRelativeToTheOriginWithEveryOtherGetterEmpty() {
        long a = blob(POINTS, 7, 65537, plainStream(1, 2));
        long b = blob(POINTS, 9, 1, plainStream(3, 4));
        long model = Meshory.makeModel(maker, new long[] {a, b}, 1.0, 2.0);
        assertNotEquals(0, model);
        disposeBlobsNow();

        assertArrayEquals(new float[] {0, 0, 0, 2, 2, 0}, Meshory.modelPoints(model), EPS);
        assertArrayEquals(NONE, Meshory.modelTriangles(model));
        assertArrayEquals(NONE, Meshory.modelLines(model));
        assertEquals("", Meshory.modelLabel(model));
        assertEquals(0.0f, Meshory.modelHeight(model));
        assertEquals(7, Meshory.modelLayerId(model), "the first blob's layer");
        Meshory.disposeModel(maker, model);
    }

    @Test
    void blobsOutliveAndServeAnyNumberOfModelsAndMakers() {
        long other = Meshory.contsruct();
        try {
            long a = blob(POINTS, 1, 0, plainStream(5, 5));
            long first = Meshory.makeModel(maker, new long[] {a}, 0, 0);
            long second = Meshory.makeModel(maker, new long[] {a, a}, 5, 5);
            long third = Meshory.makeModel(other, new long[] {a}, 0, 0);
            Meshory.disposeModel(maker, first);
            assertArrayEquals(new float[] {0, 0, 0, 0, 0, 0}, Meshory.modelPoints(second), EPS);
            disposeBlobsNow();
            assertArrayEquals(new float[] {5, 5, 0}, Meshory.modelPoints(third), EPS);
            Meshory.disposeModel(other, third);
            assertEquals(1, Meshory.modelLayerId(second));
        } finally {
            Meshory.dispose(other);
        }
    }

    @Test
    void modelsGoInAnyOrderAndTheMakerTakesTheRest() {
        long a = blob(POINTS, 1, 0, plainStream(1, 1));
        long b = blob(POINTS, 2, 0, plainStream(2, 2));
        long[] models = new long[6];
        for (int i = 0; i < models.length; i++) {
            models[i] = Meshory.makeModel(maker, new long[] {i % 2 == 0 ? a : b}, 0, 0);
        }
        // Middle, last, first: the layers' bookkeeping must follow any order.
        Meshory.disposeModel(maker, models[2]);
        Meshory.disposeModel(maker, models[5]);
        Meshory.disposeModel(maker, models[0]);
        assertEquals(2, Meshory.modelLayerId(models[3]));
        assertArrayEquals(new float[] {1, 1, 0}, Meshory.modelPoints(models[4]), EPS);
        // models 1, 3 and 4 go with the maker in disposeEverything.
    }

    /** Set by the build: debug and sanitizer builds check model handles in disposeModel. */
    private static final boolean CHECKED_HANDLES =
            Boolean.getBoolean("meshory.test.checkedHandles");

    private static void disposeNotHeld(long maker, long model) {
        if (CHECKED_HANDLES) {
            assertThrows(IllegalStateException.class, () -> Meshory.disposeModel(maker, model));
        } else {
            Meshory.disposeModel(maker, model);
        }
    }

    @Test
    void aModelDisposedTwiceOrThroughAnotherMakerIsLeftAloneAndCaughtInCheckedBuilds() {
        long other = Meshory.contsruct();
        try {
            long a = blob(POINTS, 3, 0, plainStream(1, 1));
            long model = Meshory.makeModel(maker, new long[] {a}, 0, 0);
            disposeNotHeld(other, model); // not other's
            assertEquals(3, Meshory.modelLayerId(model));
            Meshory.disposeModel(maker, model);
            disposeNotHeld(maker, model); // already released
            long next = Meshory.makeModel(maker, new long[] {a}, 0, 0);
            assertArrayEquals(new float[] {1, 1, 0}, Meshory.modelPoints(next), EPS);
        } finally {
            Meshory.dispose(other);
        }
    }

    @Test
    void linesOfSeveralBlobsFollowEachOtherInOneModel() {
        long lines = blob(LINES, 3, 0, plainStream(10, 20, 11, 20, 12, 21, 13, 22));
        long strip =
                blob(FLAT_LINE_STRIP, 3, 0, withU8Prefix(5, plainStream(10, 20, 11, 20, 12, 21)));
        long model = Meshory.makeModel(maker, new long[] {lines, strip}, 10, 20);
        disposeBlobsNow();
        assertArrayEquals(new float[] {
            0, 0, 0, 1, 0, 0, 2, 1, 0, 3, 2, 0, // the LINES blob: two segments as given
            0, 0, 0, 1, 0, 0, 2, 1, 0, 1, 0, 0, // the strip A B C: (A, B), then (C, B)
        }, Meshory.modelLines(model), EPS);
        assertArrayEquals(NONE, Meshory.modelTriangles(model));
        assertArrayEquals(NONE, Meshory.modelPoints(model));
    }

    @Test
    void theCellPolygonFollowsTheGridTheHostSetUp() {
        Meshory.initializeGrid(4, 3, 0, 0, 400, 300);
        long cell = blob(CELL_POLYGON, 1, 2 * 65536 + 1, new byte[0]);
        long model = Meshory.makeModel(maker, new long[] {cell}, 0, 0);
        disposeBlobsNow();
        // The strip (195, 95) (305, 95) (195, 205) (305, 205): cell (2, 1) of size 100, 5 larger
        // all round.
        assertArrayEquals(new float[] {
            195, 95, 0, 305, 95, 0, 195, 205, 0,
            305, 205, 0, 195, 205, 0, 305, 95, 0,
        }, Meshory.modelTriangles(model), EPS);
    }

    @Test
    void aTextLabelOutsideTheBasicPlaneArrivesIntact() {
        String text = "Zürich \uD83D\uDE00 €";
        byte[] block = labelBlock(5, 6, 0, text, 3, "Zurich");
        long model = Meshory.makeModel(maker, new long[] {blob(TEXT_DATA, 4, 0, block)}, 0, 0);
        disposeBlobsNow();
        assertEquals(text, Meshory.modelLabel(model),
                "variant 0, the only one the bridge asks for");
    }

    @Test
    void segmentTextsThatAreNotUtf8ArriveWithReplacementCharacters() {
        Object[][] cases = {
            {octets(0xC0, 0x80), "\uFFFD\uFFFD"}, // modified UTF-8's NUL is not UTF-8
            {octets(0xED, 0xA0, 0x80), "\uFFFD\uFFFD\uFFFD"}, // an encoded surrogate
            {octets('a', 0x80, 'b'), "a\uFFFDb"}, // a stray continuation byte
            {octets('a', 0xE2, 0x82), "a\uFFFD"}, // cut inside a sequence
            {octets(0xF0, 0x9F, 0x98, 0x80), "\uD83D\uDE00"}, // four bytes: a surrogate pair
            {octets('a', 'b', 0, 'c'), "ab"}, // the label ends at its first NUL byte
        };
        for (Object[] c : cases) {
            byte[] payload = segmentGroup(segment(1, 7, 3, (byte[]) c[0], 1, 1, 2, 2));
            long model = Meshory.makeModel(maker,
                    new long[] {blob(LABEL_STYLE_SEGMENTS, 6, 0, payload)}, 0, 0);
            assertNotEquals(0, model);
            assertEquals(c[1], Meshory.modelLabel(model));
        }
    }

    @Test
    void aWholeTileRoundTrip() {
        Meshory.initializeGrid(4, 3, 0, 0, 400, 300);
        final int cell = 65536 + 2;
        float ox = 150;
        float oy = 250;
        long[][] layers = {
            {blob(CELL_POLYGON, 1, cell, new byte[0])},
            {blob(FLAT_TRIANGLE_STRIP, 2, cell,
                    plainStream(150, 250, 160, 250, 150, 260, 160, 260))},
            {blob(LINES, 3, cell, plainStream(150, 250, 170, 270)),
                blob(FLAT_LINE_STRIP, 3, cell,
                        withU8Prefix(2, plainStream(170, 270, 180, 250, 190, 260)))},
            {blob(TRIANGLE_FAN, 4, cell,
                    withU16Prefix(120, plainStream(175, 275, 185, 275, 175, 285, 165, 265)))},
            {blob(POINTS, 5, cell, plainStream(151, 251, 152, 252)),
                blob(TEXT_DATA, 5, cell, labelBlock(151, 251, 0, "Halle (Saale)")),
                blob(LABEL_STYLE_SEGMENTS, 5, cell,
                        segmentGroup(segment(2, 9, 1, utf8("Markt"), 153, 253)))},
        };
        long[] models = new long[layers.length];
        for (int i = 0; i < layers.length; i++) {
            models[i] = Meshory.makeModel(maker, layers[i], ox, oy);
            assertNotEquals(0, models[i]);
        }
        disposeBlobsNow();

        for (int i = 0; i < models.length; i++) {
            long m = models[i];
            assertEquals(i + 1, Meshory.modelLayerId(m));
            float[] t = Meshory.modelTriangles(m);
            float[] l = Meshory.modelLines(m);
            float[] p = Meshory.modelPoints(m);
            assertEquals(0, t.length % 9);
            assertEquals(0, l.length % 6);
            assertEquals(0, p.length % 3);
            assertAllFinite(t);
            assertAllFinite(l);
            assertAllFinite(p);
        }
        assertEquals(6 * 3, Meshory.modelTriangles(models[0]).length);
        assertEquals(2 * 9, Meshory.modelTriangles(models[1]).length);
        assertEquals((2 + 4) * 3, Meshory.modelLines(models[2]).length);
        assertEquals(12.0f, Meshory.modelHeight(models[3]), EPS);
        assertEquals((3 + 3 * 2) * 9, Meshory.modelTriangles(models[3]).length,
                "roof, then two per wall");
        assertArrayEquals(new float[] {1, 1, 0, 2, 2, 0}, Meshory.modelPoints(models[4]), EPS);
        assertEquals("Markt", Meshory.modelLabel(models[4]), "the segment came after the text");

        Meshory.disposeModel(maker, models[1]);
        Meshory.disposeModel(maker, models[3]);
        // The other three go with the maker.
    }

    static void assertAllFinite(float[] values) {
        for (float v : values) {
            assertTrue(Float.isFinite(v), "finite");
        }
    }
}
