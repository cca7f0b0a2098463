package quorvan.meshory;

/**
 * One geometry record of a tile, as it becomes a blob: its id, geometry type, layer, grid cell
 * (column &lt;&lt; 16 | row) and payload bytes. The bytes are copied when the blob is made; null
 * counts as no bytes.
 *
 * @param id the record's id
 * @param type the geometry type, one of {@link GeometryType}'s codes, which picks the builder and
 *     the payload layout
 * @param layerId the map layer
 * @param cellIndex the grid cell, column &lt;&lt; 16 | row
 * @param data the payload
 */
public record BlobRecord(long id, int type, int layerId, int cellIndex, byte[] data) {}
