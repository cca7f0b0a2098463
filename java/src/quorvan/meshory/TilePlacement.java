package quorvan.meshory;

import cpp.geometry.VectorTiles;

/**
 * Where a vector tile lies in the host's world (x east, y north): its south-west corner, its width
 * in world units, the cell index its records carry and the first of their ids.
 */
public record TilePlacement(double originX, double originY, double size, int cellIndex,
    long firstId) {

    /**
     * Tile (x, y) in a block of tiles of one zoom level whose north-west tile is (minX, minY): the
     * block's south-west corner at (0, 0), one grid cell per tile (column x - minX, row maxY - y),
     * ids from 1.
     */
    public static TilePlacement inBlock(int x, int y, int minX, int maxY, double size) {
        long column = (long) x - minX;
        long row = (long) maxY - y;
        return new TilePlacement(column * size, row * size, size, (int) (column * 65536 + row), 1);
    }

    /** The width in metres of a tile of zoom z on the ground at the latitude of row + 0.5. */
    public static double groundTileSize(int z, double row) {
        return VectorTiles.groundTileSize(z, row);
    }

    /** The same placement with ids from {@code id}. */
    public TilePlacement withFirstId(long id) {
        return new TilePlacement(originX, originY, size, cellIndex, id);
    }
}
