package quorvan.viewer;

import java.nio.FloatBuffer;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import quorvan.meshory.Tile;

/**
 * What the viewer keeps of one built tile once the library's tile is closed: the block of floats
 * exactly as {@link Tile#write} put it (uploaded to GL as it is, and read again for picking), its
 * buckets and models, the models' labels, and a box around each model for picking.
 */
final class BuiltTile {
    final int index;
    final float originX;
    final float originY;
    final FloatBuffer block;
    final int vertexCount;
    final int normalsFirst;
    final List<Tile.Bucket> buckets;
    final List<Tile.TileModel> models;
    final String[] labels;
    private float[] boxes;
    private final Map<Integer, Tile.Bucket> byLayer = new HashMap<>();

    BuiltTile(int index, double originX, double originY, Tile tile, FloatBuffer block) {
        this.index = index;
        // The library narrows the origin to float; so does every sum with it here.
        this.originX = (float) originX;
        this.originY = (float) originY;
        this.block = block;
        this.vertexCount = tile.vertexCount();
        this.normalsFirst = tile.normalsFirst();
        this.buckets = List.copyOf(tile.buckets());
        this.models = List.copyOf(tile.models());
        this.labels = new String[models.size()];
        for (int i = 0; i < labels.length; ++i) {
            labels[i] = tile.label(i);
        }
        for (Tile.Bucket b : buckets) {
            byLayer.putIfAbsent(b.layerId(), b);
        }
    }

    /**
     * Per model: min x, y, z, max x, y, z over all its vertices, in model space. Made at the first
     * pick, off the way to the first frame.
     */
    float[] boxes() {
        if (boxes != null) {
            return boxes;
        }
        boxes = new float[6 * models.size()];
        for (int i = 0; i < models.size(); ++i) {
            Tile.TileModel m = models.get(i);
            float[] box = {Float.POSITIVE_INFINITY, Float.POSITIVE_INFINITY,
                    Float.POSITIVE_INFINITY, Float.NEGATIVE_INFINITY, Float.NEGATIVE_INFINITY,
                    Float.NEGATIVE_INFINITY};
            grow(box, m.trianglesFirst(), m.triangleVertices());
            grow(box, m.linesFirst(), m.lineVertices());
            grow(box, m.pointsFirst(), m.pointVertices());
            System.arraycopy(box, 0, boxes, 6 * i, 6);
        }
        return boxes;
    }

    /** The bucket of a layer, or null when the tile has none. */
    Tile.Bucket bucket(int layerId) {
        return byLayer.get(layerId);
    }

    /** Coordinate {@code axis} of vertex {@code v}, in model space (the origin added). */
    float coordinate(int v, int axis) {
        float c = block.get(3 * v + axis);
        return axis == 0 ? c + originX : axis == 1 ? c + originY : c;
    }

    private void grow(float[] box, int first, int count) {
        for (int v = first; v < first + count; ++v) {
            for (int axis = 0; axis < 3; ++axis) {
                float c = coordinate(v, axis);
                box[axis] = Math.min(box[axis], c);
                box[3 + axis] = Math.max(box[3 + axis], c);
            }
        }
    }
}
