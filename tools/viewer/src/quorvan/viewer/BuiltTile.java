package quorvan.viewer;

import java.nio.FloatBuffer;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import quorvan.meshory.StyleList;
import quorvan.meshory.Tile;

/**
 * One built tile as the viewer keeps it: the library's tile, open for picking and label
 * selection, its origin, the block of floats {@link Tile#write} put (uploaded to GL as it is),
 * its buckets and models, and each model's label shaped once with the viewer's fonts.
 */
final class BuiltTile {
    /** A model of a tile: what a pick or a label names. */
    record Pick(BuiltTile tile, int model) {
        Tile.TileModel info() {
            return tile.models.get(model);
        }
    }

    final int index;
    final double originX;
    final double originY;
    final Tile tile;
    final FloatBuffer block;
    final List<Tile.Bucket> buckets;
    final List<Tile.TileModel> models;
    final String[] labels;
    /** Per model its shaped label, null without one or when no font can draw it. */
    final Fonts.Text[] texts;
    /** Labels no installed font can draw. */
    final int undrawable;
    private final Map<Integer, Tile.Bucket> byLayer = new HashMap<>();

    BuiltTile(int index, double originX, double originY, Tile tile, FloatBuffer block,
            MapStyle style, Fonts fonts) {
        this.index = index;
        this.originX = originX;
        this.originY = originY;
        this.tile = tile;
        this.block = block;
        this.buckets = List.copyOf(tile.buckets());
        this.models = List.copyOf(tile.models());
        this.labels = new String[models.size()];
        this.texts = new Fonts.Text[models.size()];
        int none = 0;
        for (int i = 0; i < labels.length; ++i) {
            labels[i] = tile.label(i);
            StyleList.Style s = style.style(models.get(i).layerId());
            if (!labels[i].isEmpty() && s != null) {
                texts[i] = fonts.shape(labels[i], MapStyle.fontSize(s));
                none += texts[i] == null ? 1 : 0;
            }
        }
        undrawable = none;
        for (Tile.Bucket b : buckets) {
            byLayer.putIfAbsent(b.layerId(), b);
        }
    }

    /** The bucket of a layer, or null when the tile has none. */
    Tile.Bucket bucket(int layerId) {
        return byLayer.get(layerId);
    }

    /** Min x, min y, max x, max y of the tile's vertices and labels in model space. */
    double[] bounds() {
        double[] b = {Double.MAX_VALUE, Double.MAX_VALUE, -Double.MAX_VALUE, -Double.MAX_VALUE};
        for (int v = 0; v < tile.normalsFirst(); ++v) {
            grow(b, originX + block.get(3 * v), originY + block.get(3 * v + 1));
        }
        for (int i = 0; i < models.size(); ++i) {
            if (!labels[i].isEmpty()) {
                grow(b, originX + models.get(i).labelX(), originY + models.get(i).labelY());
            }
        }
        return b;
    }

    private static void grow(double[] b, double x, double y) {
        b[0] = Math.min(b[0], x);
        b[1] = Math.min(b[1], y);
        b[2] = Math.max(b[2], x);
        b[3] = Math.max(b[3], y);
    }
}
