package cpp.geometry;

import static cpp.geometry.MeshoryBuffersTest.FAN;
import static cpp.geometry.MeshoryBuffersTest.LINE;
import static cpp.geometry.MeshoryBuffersTest.records;
import static cpp.geometry.PayloadWriter.FLAT_LINE_STRIP;
import static cpp.geometry.PayloadWriter.LABEL_STYLE_SEGMENTS;
import static cpp.geometry.PayloadWriter.POINTS;
import static cpp.geometry.PayloadWriter.TEXT_DATA;
import static cpp.geometry.PayloadWriter.TRIANGLE_FAN;
import static cpp.geometry.PayloadWriter.labelBlock;
import static cpp.geometry.PayloadWriter.octets;
import static cpp.geometry.PayloadWriter.plainStream;
import static cpp.geometry.PayloadWriter.segment;
import static cpp.geometry.PayloadWriter.segmentGroup;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.util.HashSet;
import java.util.Set;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/** The tile's tables read in place through the generated offsets, labels among them. */
class MeshoryTileLayoutTest {
    private long maker;

    @BeforeEach
    void createMaker() {
        maker = Meshory.contsruct();
    }

    @AfterEach
    void disposeMaker() {
        Meshory.dispose(maker);
    }

    // Labels with a NUL byte and with bytes that are not UTF-8, beside geometry of every kind.
    private static final Object[] RECORDS = {
        TRIANGLE_FAN, FAN, FLAT_LINE_STRIP, LINE, POINTS, plainStream(1, 1, 2, 2),
        TEXT_DATA, labelBlock(3, 4, 0, "N\0Mozart St"),
        LABEL_STYLE_SEGMENTS, segmentGroup(segment(1, 7, 3, octets('a', 0xC0, 0x80, 'b'), 1, 1)),
        TEXT_DATA, labelBlock(5, 6, 0, "Stra\u00dfe \ud83d\uddfa"),
    };

    private long tile() {
        int n = RECORDS.length / 2;
        int[] requests = new int[2 * n];
        for (int r = 0; r < n; ++r) {
            requests[2 * r] = r;
            requests[2 * r + 1] = 1;
        }
        return Meshory.makeTile(maker, records(RECORDS), n, requests, new double[2 * n],
                Meshory.TILE_NORMALS);
    }

    /**
     * The writer and the readers take their offsets from one declaration; read through them, the
     * block holds what the hand-written int[] layout holds, and each label equals the label of the
     * same request's model.
     */
    @Test
    void theBlockAgreesWithTheIntLayoutAndLabelsWithModels() {
        long tile = tile();
        int[] old = Meshory.tileLayout(tile);
        ByteBuffer v = Meshory.tileLayoutView(tile);
        assertTrue(v.isReadOnly());
        assertEquals(v.capacity(), v.getInt(TileLayout.HEAD_LAYOUT_BYTES));
        int[] head = {TileLayout.HEAD_BUCKET_COUNT, TileLayout.HEAD_MODEL_COUNT,
            TileLayout.HEAD_LINES_FIRST, TileLayout.HEAD_POINTS_FIRST,
            TileLayout.HEAD_NORMALS_FIRST, TileLayout.HEAD_VERTEX_COUNT, TileLayout.HEAD_FLAGS};
        for (int f = 0; f < head.length; ++f) {
            assertEquals(old[f], v.getInt(head[f]), "head field " + f);
        }
        int buckets = old[0];
        int[] bucket = {TileLayout.BUCKET_LAYER_ID, TileLayout.BUCKET_TRIANGLES_FIRST,
            TileLayout.BUCKET_TRIANGLE_COUNT, TileLayout.BUCKET_LINES_FIRST,
            TileLayout.BUCKET_LINE_COUNT, TileLayout.BUCKET_POINTS_FIRST,
            TileLayout.BUCKET_POINT_COUNT, TileLayout.BUCKET_MODELS_FIRST,
            TileLayout.BUCKET_MODEL_COUNT};
        for (int b = 0; b < buckets; ++b) {
            int at = v.getInt(TileLayout.HEAD_BUCKETS_AT) + b * TileLayout.BUCKET_BYTES;
            for (int f = 0; f < bucket.length; ++f) {
                assertEquals(old[Meshory.TILE_HEAD + b * Meshory.TILE_BUCKET + f],
                        v.getInt(at + bucket[f]), "bucket " + b + " field " + f);
            }
        }
        // The int layout's model fields after the id's two halves.
        int[] model = {TileLayout.MODEL_CELL_INDEX, TileLayout.MODEL_LAYER_ID,
            TileLayout.MODEL_HEIGHT, TileLayout.MODEL_REQUEST, TileLayout.MODEL_BUCKET,
            TileLayout.MODEL_TRIANGLES_FIRST, TileLayout.MODEL_TRIANGLE_COUNT,
            TileLayout.MODEL_LINES_FIRST, TileLayout.MODEL_LINE_COUNT,
            TileLayout.MODEL_POINTS_FIRST, TileLayout.MODEL_POINT_COUNT, TileLayout.MODEL_LABEL_X,
            TileLayout.MODEL_LABEL_Y, TileLayout.MODEL_LABEL_Z, TileLayout.MODEL_LABEL_ANGLE};
        int models = old[1];
        assertEquals(RECORDS.length / 2, models);
        ByteBuffer records = records(RECORDS);
        for (int m = 0; m < models; ++m) {
            int o = Meshory.TILE_HEAD + buckets * Meshory.TILE_BUCKET + m * Meshory.TILE_MODEL;
            int at = v.getInt(TileLayout.HEAD_MODELS_AT) + m * TileLayout.MODEL_BYTES;
            long id = (old[o] & 0xFFFFFFFFL) | ((long) old[o + 1] << 32);
            assertEquals(id, v.getLong(at + TileLayout.MODEL_ID));
            for (int f = 0; f < model.length; ++f) {
                assertEquals(old[o + 2 + f], v.getInt(at + model[f]), "model " + m + " field " + f);
            }
            int request = v.getInt(at + TileLayout.MODEL_REQUEST);
            long[] blob = Meshory.makeBlobs(records.duplicate().position(start(request)), 1);
            long alone = Meshory.makeModel(maker, blob, 0, 0);
            Meshory.disposeBlob(blob[0]);
            int first = v.getInt(TileLayout.HEAD_LABELS_AT)
                    + 2 * v.getInt(at + TileLayout.MODEL_LABEL_FIRST);
            char[] text = new char[v.getInt(at + TileLayout.MODEL_LABEL_LENGTH)];
            for (int c = 0; c < text.length; ++c) {
                text[c] = v.getChar(first + 2 * c);
            }
            assertEquals(Meshory.modelLabel(alone), new String(text), "request " + request);
            Meshory.disposeModel(maker, alone);
        }
        Meshory.disposeTile(maker, tile);
    }

    private static int start(int record) {
        int at = 0;
        for (int i = 0; i < record; ++i) {
            at += 24 + ((byte[]) RECORDS[2 * i + 1]).length;
        }
        return at;
    }

    /** Set by the build: debug and sanitizer builds check handles. */
    private static final boolean CHECKED_HANDLES =
            Boolean.getBoolean("meshory.test.checkedHandles");

    /**
     * Checked builds keep the shells of released tiles: a stale handle is refused, never taken for
     * a newer tile at the same address.
     */
    @Test
    void aStaleTileHandleNamesNoNewTileInCheckedBuilds() {
        if (!CHECKED_HANDLES) {
            return;
        }
        Set<Long> seen = new HashSet<>();
        for (int i = 0; i < 20; ++i) {
            long tile = tile();
            assertNotEquals(0, tile);
            assertTrue(seen.add(tile), "a released tile's address came back");
            Meshory.disposeTile(maker, tile);
            assertThrows(IllegalStateException.class, () -> Meshory.tileLayoutView(tile));
            assertThrows(IllegalStateException.class, () -> Meshory.tileLayout(tile));
            assertThrows(IllegalStateException.class, () -> Meshory.tileLabel(tile, 0));
            assertThrows(IllegalStateException.class, () -> Meshory.disposeTile(maker, tile));
        }
    }
}
