import java.nio.ByteBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import quorvan.meshory.Grid;
import quorvan.meshory.ModelMaker;
import quorvan.meshory.Tile;
import quorvan.meshory.TilePlacement;

/**
 * The sample's four vector tiles built from the JVM, one ModelMaker.makeTile call per tile, as
 * bench_vectortile's VectorTileBuild builds them natively: prints the median milliseconds of a run
 * over the four tiles, from heap arrays and from direct buffers. Arguments: the tiles' folder and
 * the number of runs.
 */
public final class VectorTileBench {
    public static void main(String[] args) throws Exception {
        Path dir = Path.of(args[0]);
        int runs = args.length > 1 ? Integer.parseInt(args[1]) : 41;
        double size = TilePlacement.groundTileSize(15, 12666);
        Grid.initialize(2, 2, 0, 0, 2 * size, 2 * size);
        int[][] xy = {{5238, 12667}, {5239, 12667}, {5238, 12666}, {5239, 12666}};
        byte[][] heap = new byte[4][];
        ByteBuffer[] direct = new ByteBuffer[4];
        TilePlacement[] placements = new TilePlacement[4];
        for (int i = 0; i < 4; ++i) {
            heap[i] = Files.readAllBytes(dir.resolve("15-" + xy[i][0] + "-" + xy[i][1] + ".mvt"));
            direct[i] = ByteBuffer.allocateDirect(heap[i].length).put(heap[i]).flip();
            placements[i] = TilePlacement.inBlock(xy[i][0], xy[i][1], 5238, 12667, size);
        }
        try (ModelMaker maker = new ModelMaker()) {
            for (String form : new String[] {"heap", "direct"}) {
                double[] ms = new double[runs];
                for (int r = -5; r < runs; ++r) {
                    long start = System.nanoTime();
                    for (int i = 0; i < 4; ++i) {
                        try (Tile tile = form.equals("heap")
                                ? maker.makeTile(heap[i], placements[i], null, 0)
                                : maker.makeTile(direct[i], placements[i], null, 0)) {
                            if (tile.vertexCount() == 0) {
                                throw new AssertionError("empty tile");
                            }
                        }
                    }
                    if (r >= 0) {
                        ms[r] = (System.nanoTime() - start) / 1e6;
                    }
                }
                Arrays.sort(ms);
                System.out.printf("VectorTileBench %s median %.3f ms%n", form, ms[runs / 2]);
            }
        }
    }
}
