package quorvan.meshory;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import org.junit.jupiter.api.Test;

/** The Java guide's tile example, run as written: what it uploads is the tile's whole block. */
class DocsTileExampleTest {
    @Test
    void theGuidesExampleUploadsWhatItWrote() {
        // Two layers: a square of two triangles, and a point.
        ByteBuffer records = ByteBuffer.allocateDirect(2 * 24 + 33 + 9)
                .order(ByteOrder.LITTLE_ENDIAN);
        records.putLong(1).putInt(GeometryType.FLAT_TRIANGLE_STRIP).putInt(4).putInt(0).putInt(33)
                .put((byte) 0).putFloat(0).putFloat(0).putFloat(1).putFloat(0).putFloat(0)
                .putFloat(1).putFloat(1).putFloat(1);
        records.putLong(2).putInt(GeometryType.POINTS).putInt(5).putInt(0).putInt(9)
                .put((byte) 0).putFloat(3).putFloat(4);
        records.flip();
        int[] requests = {0, 1, 1, 1};
        double[] origins = {0, 0, 0, 0};
        DocsTileExample.run(records, 2, requests, origins);

        float[] block;
        try (ModelMaker maker = new ModelMaker();
                Tile tile = maker.makeTile(records, 2, requests, origins, Tile.SKIP_ZERO_AREA)) {
            FloatBuffer all = ByteBuffer.allocateDirect(4 * tile.floatCount())
                    .order(ByteOrder.nativeOrder()).asFloatBuffer();
            tile.write(all);
            block = new float[tile.floatCount()];
            all.get(0, block);
        }
        assertEquals(2 * 9 + 3, block.length);
        assertArrayEquals(block, DocsTileExample.uploaded);
        assertEquals(2, DocsTileExample.draws.size());
        assertArrayEquals(new int[] {0, 6}, DocsTileExample.draws.get(0));
        assertTrue(DocsTileExample.uploaded[DocsTileExample.uploaded.length - 3] == 3f);
    }
}
