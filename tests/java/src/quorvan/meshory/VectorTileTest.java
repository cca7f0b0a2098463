package quorvan.meshory;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import org.junit.jupiter.api.Test;

/** Vector tile bytes to a tile in one call, from a heap array and from a direct buffer. */
class VectorTileTest {
    private static final Path TILES =
            Path.of(System.getProperty("meshory.sample")).resolveSibling("tiles");

    private static float[] floatsOf(Tile tile) {
        FloatBuffer out = ByteBuffer.allocateDirect(4 * tile.floatCount())
                .order(ByteOrder.nativeOrder()).asFloatBuffer();
        assertEquals(tile.floatCount(), tile.write(out));
        float[] all = new float[tile.floatCount()];
        out.flip().get(all);
        return all;
    }

    @Test
    void heapAndDirectBytesBuildTheSameTile() throws IOException {
        double size = TilePlacement.groundTileSize(15, 12666);
        Grid.initialize(2, 2, 0, 0, 2 * size, 2 * size);
        byte[] bytes = Files.readAllBytes(TILES.resolve("15-5238-12666.mvt"));
        ByteBuffer direct = ByteBuffer.allocateDirect(bytes.length + 3).position(3);
        direct.put(bytes).position(3);
        TilePlacement placement = TilePlacement.inBlock(5238, 12666, 5238, 12667, size);
        assertEquals(1, placement.cellIndex());
        try (ModelMaker maker = new ModelMaker();
                Tile heap = maker.makeTile(bytes, placement, null, Tile.NORMALS);
                Tile inPlace = maker.makeTile(direct, placement, null, Tile.NORMALS)) {
            assertEquals(3, direct.position());
            assertEquals(heap.buckets(), inPlace.buckets());
            assertEquals(heap.models(), inPlace.models());
            assertArrayEquals(floatsOf(heap), floatsOf(inPlace));
            int[] layers =
                    heap.buckets().stream().mapToInt(Tile.Bucket::layerId).sorted().toArray();
            assertArrayEquals(new int[] {1, 10, 11, 20, 21, 30, 40, 50, 51}, layers);
            assertTrue(heap.models().size() > 1000);
            assertEquals(1L, heap.models().get(0).id());
            assertTrue(heap.models().stream().allMatch(m -> m.cellIndex() == 1));
        }
    }

    @Test
    void mappingsAndRefusals() throws IOException {
        byte[] bytes = Files.readAllBytes(TILES.resolve("15-5239-12667.mvt"));
        TilePlacement placement = new TilePlacement(0, 0, 1000, 0, 7);
        String landuse = "<vector-tile-mapping>"
                + "<source layer=\"landuse\" geometry=\"polygon\"><rule>"
                + "<area layer=\"10\" type=\"INDEXED_FLAT_TRIANGLE_STRIPS\"/>"
                + "</rule></source></vector-tile-mapping>";
        try (ModelMaker maker = new ModelMaker();
                VectorTileMapping mapping = VectorTileMapping.parse(landuse);
                Tile tile = maker.makeTile(bytes, placement, mapping, 0)) {
            assertTrue(tile.buckets().stream().allMatch(b -> b.layerId() == 10));
            assertEquals(7L, tile.models().get(0).id());

            IllegalArgumentException cut = assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(Arrays.copyOf(bytes, 999), placement, null, 0));
            assertTrue(cut.getMessage().contains("at byte"), cut.getMessage());
            TilePlacement notFinite = new TilePlacement(0, 0, Double.NaN, 0, 1);
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(bytes, notFinite, null, 0));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(ByteBuffer.wrap(bytes), placement, null, 0));
            String sky = "<vector-tile-mapping><sky/></vector-tile-mapping>";
            IllegalArgumentException bad = assertThrows(IllegalArgumentException.class,
                    () -> VectorTileMapping.parse(sky));
            assertTrue(bad.getMessage().contains("at byte 22"), bad.getMessage());
            mapping.close();
            assertThrows(IllegalStateException.class,
                    () -> maker.makeTile(bytes, placement, mapping, 0));
        }
    }
}
