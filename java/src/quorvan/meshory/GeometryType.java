package quorvan.meshory;

/**
 * The geometry type codes of {@link BlobRecord#type()}, named as the library's C++ constants
 * ({@code quorvan::blob_geometry} in {@code meshory/model/glmodel.h}). The code picks the builder
 * and the payload layout; a code without builder is skipped.
 *
 * <h2>Payload layouts</h2>
 * All values are little-endian and unpadded (a float may start at any byte); f32 is an IEEE 754
 * float, i16 and u16 two's complement and unsigned 16-bit integers. Coordinates are in the space of
 * the origin given to {@link ModelMaker#makeModel}, which the library subtracts. Three encodings
 * are shared by the types:
 * <ul>
 *   <li><b>Vertex stream</b> (2D points): u8 encoding, then, for 0 (plain), (f32 x, f32 y) per
 *       point, up to 7 trailing bytes ignored; for any other value (delta), f32 x, f32 y of the
 *       first point, then i16 pairs (dx, dy) in tenths of a unit, each point the previous one plus
 *       (dx / 10, dy / 10).
 *   <li><b>Indexed block</b> (2D or 3D): u16 vertex count, u16 index count, u16 height in tenths,
 *       u8 flags (bit 0: 1-byte indices; bit 1: 1-byte second indices; bit 2: delta vertices);
 *       then the vertices (plain: f32 per component; delta: the first vertex as f32, then i16
 *       deltas in tenths per component), the index list, and the second index list over all
 *       remaining bytes. Indices count from 0 in the block's own vertices.
 *   <li><b>Label block</b>: f32 x, f32 y of the anchor, then entries to the end: u8 length L and
 *       L bytes of UTF-8 text, every entry after the first preceded by its u16 variant (the first
 *       is variant 0). Models take the text of variant 0.
 * </ul>
 * Each constant says how its type frames its payload. Malformed payloads are never errors: they
 * give short or empty geometry.
 */
public final class GeometryType {
    private GeometryType() {}

    /** Triangles with flat normals from a strip; vertex stream over the whole payload. */
    public static final int TRIANGLE_STRIPS = 1;
    /**
     * Extruded area: roof at the block's height, walls and outline; indexed block, 2D (roof strip
     * indices, then outline), whole payload.
     */
    public static final int INDEXED_TRIANGLE_STRIPS = 2;
    /** Flat triangle strip; vertex stream, whole payload. */
    public static final int FLAT_TRIANGLE_STRIP = 3;
    /** Flat strip with outline; indexed block, 2D (strip indices, then outline), whole payload. */
    public static final int INDEXED_FLAT_TRIANGLE_STRIPS = 4;
    /** Line strip; u8 line width, then a vertex stream. */
    public static final int FLAT_LINE_STRIP = 5;
    /** Line list; vertex stream, whole payload. */
    public static final int LINES = 6;
    /** Indexed lines; indexed block, 3D, whole payload. */
    public static final int INDEXED_LINES = 7;
    /** Points; vertex stream, whole payload. */
    public static final int POINTS = 8;
    /** Label texts at one anchor; label block, whole payload. */
    public static final int TEXT_DATA = 9;
    /** Railway path; one byte that is not read, then a vertex stream. */
    public static final int RAILROAD_PATH = 10;
    /** Tram path; u8 line width, then a vertex stream. */
    public static final int TRAM_PATH = 11;
    /** Road path; u8 line width, then a vertex stream. */
    public static final int ROAD_PATH = 12;
    /** Bridge deck; u8 width, then a vertex stream. */
    public static final int BRIDGE = 13;
    /** Flat triangle fan (centre first) with outline; vertex stream, whole payload. */
    public static final int FLAT_TRIANGLE_FAN = 14;
    /** Extruded fan with walls; u16 height in tenths, then a vertex stream. */
    public static final int TRIANGLE_FAN = 15;
    /** Flat fan over a polygon's own points, with outline; vertex stream, whole payload. */
    public static final int ON_POLYGON_FLAT_TRIANGLE_FAN = 16;
    /** Extruded fan over a polygon's own points; u16 height in tenths, then a vertex stream. */
    public static final int ON_POLYGON_TRIANGLE_FAN = 17;
    /**
     * The square of the record's grid cell; the payload is not read. Draws nothing before
     * {@link Grid#initialize} or for a cell outside the grid.
     */
    public static final int CELL_POLYGON = 18;
    /**
     * Label segments: groups to the end, each a u16 element count E and E elements of u32 n, 4n
     * bytes skipped, 4 bytes skipped, u16 variant, u8 category, i32 style id, i32 code, u8 kind,
     * u16 text length L, u16 point count P, L text bytes and P points (f32 x, f32 y).
     */
    public static final int LABEL_STYLE_SEGMENTS = 101;
}
