package quorvan.viewer;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Path;
import java.security.MessageDigest;
import java.util.HexFormat;
import quorvan.meshory.Grid;
import quorvan.meshory.ModelMaker;
import quorvan.meshory.Tile;

/**
 * Builds every tile of a blob pack as the viewer does (Pack.java is the viewer's reader) and
 * prints the tile and float counts and one SHA-256 over the bits of every float, in order: two
 * machines whose lines are equal built the same floats.
 */
public final class SampleTiles {
    private SampleTiles() {}

    public static void main(String[] args) throws Exception {
        Pack pack = Pack.read(Path.of(args[0]));
        Grid.initialize(pack.cellsInRow, pack.cellsInCol, pack.x1, pack.y1, pack.x2, pack.y2);
        MessageDigest digest = MessageDigest.getInstance("SHA-256");
        long floats = 0;
        try (ModelMaker maker = new ModelMaker()) {
            for (Pack.TileRequests t : pack.tiles) {
                try (Tile tile = maker.makeTile(pack.records, pack.recordCount, t.requests(),
                        t.origins(), Tile.SKIP_ZERO_AREA | Tile.NORMALS)) {
                    FloatBuffer block = ByteBuffer.allocateDirect(4 * tile.floatCount())
                            .order(ByteOrder.nativeOrder()).asFloatBuffer();
                    tile.write(block);
                    block.flip();
                    ByteBuffer bits = ByteBuffer.allocate(4 * block.remaining());
                    while (block.hasRemaining()) {
                        bits.putInt(Float.floatToRawIntBits(block.get()));
                    }
                    digest.update(bits.array());
                    floats += tile.floatCount();
                }
            }
        }
        System.out.println("tiles " + pack.tiles.size() + ", floats " + floats + ", sha-256 "
                + HexFormat.of().formatHex(digest.digest()));
    }
}
