package quorvan.viewer;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.util.ArrayList;
import java.util.List;
import quorvan.meshory.Camera;
import quorvan.meshory.LabelSelection;
import quorvan.meshory.StyleList;
import quorvan.meshory.Tile;

/**
 * The labels of a frame, chosen by the library's label selection from the sizes the viewer's
 * fonts gave them (measured once per tile), larger type first, and drawn as quads of the text
 * atlas, turned as the selection turns them.
 */
final class Labels {
    /**
     * A placed label: its text and colour, its centre in window pixels (origin bottom left, the
     * box's corner on a whole pixel), its size and angle (degrees, counter-clockwise), the model.
     */
    record Placed(Fonts.Text text, StyleList.Rgba colour, float x, float y, int w, int h,
            float angle, BuiltTile.Pick model) {
        /** Whether window point (wx, wy) lies on the label's box. */
        boolean contains(float wx, float wy) {
            double a = Math.toRadians(-angle);
            double dx = wx - x;
            double dy = wy - y;
            double u = dx * Math.cos(a) - dy * Math.sin(a);
            double v = dx * Math.sin(a) + dy * Math.cos(a);
            return Math.abs(u) <= w / 2.0 && Math.abs(v) <= h / 2.0;
        }
    }

    private final List<BuiltTile> tiles;
    private final List<Tile> libraryTiles = new ArrayList<>();
    private final double[] origins;
    private final float[] sizes;
    private final float[] priorities;
    private final FloatBuffer out;

    Labels(List<BuiltTile> tiles) {
        this.tiles = tiles;
        origins = new double[2 * tiles.size()];
        int models = 0;
        for (BuiltTile t : tiles) {
            origins[2 * libraryTiles.size()] = t.originX;
            origins[2 * libraryTiles.size() + 1] = t.originY;
            libraryTiles.add(t.tile);
            models += t.models.size();
        }
        sizes = new float[2 * models];
        priorities = new float[models];
        int at = 0;
        for (BuiltTile t : tiles) {
            for (Fonts.Text text : t.texts) {
                if (text != null) {
                    sizes[2 * at] = TextAtlas.width(text);
                    sizes[2 * at + 1] = TextAtlas.height(text);
                    priorities[at] = -text.size();
                }
                ++at;
            }
        }
        out = ByteBuffer.allocateDirect(4 * LabelSelection.FLOATS_PER_LABEL * Math.max(1, models))
                .order(ByteOrder.nativeOrder()).asFloatBuffer();
    }

    /** The labels a frame of {@code camera} draws, with the layers {@code visible}. */
    List<Placed> select(Camera camera, MapStyle style, List<StyleList.Style> visible) {
        int[] layers = visible.stream().mapToInt(StyleList.Style::layerId).toArray();
        out.clear();
        int[] chosen = layers.length == 0 ? new int[0] : LabelSelection.select(libraryTiles,
                origins, camera, layers, sizes, priorities, out);
        List<Placed> placed = new ArrayList<>();
        for (int i = 0; i < chosen.length; i += 2) {
            BuiltTile t = tiles.get(chosen[i]);
            int m = chosen[i + 1];
            Fonts.Text text = t.texts[m];
            int w = TextAtlas.width(text);
            int h = TextAtlas.height(text);
            float angle = out.get(3 * (i / 2) + 2);
            // Level labels sit on whole pixels, as the atlas holds them.
            float x = angle == 0 ? Math.round(out.get(3 * (i / 2)) - w / 2f) + w / 2f
                    : out.get(3 * (i / 2));
            float y = angle == 0 ? Math.round(out.get(3 * (i / 2) + 1) - h / 2f) + h / 2f
                    : out.get(3 * (i / 2) + 1);
            placed.add(new Placed(text, style.style(t.models.get(m).layerId()).fill(), x, y, w, h,
                    angle, new BuiltTile.Pick(t, m)));
        }
        return placed;
    }

    /**
     * Appends the quad of a text in a cell of the atlas: two triangles, each vertex x, y, u, v,
     * turned by the angle around the centre.
     */
    static void quad(Placed p, TextAtlas.Cell c, FloatBuffer out) {
        double a = Math.toRadians(p.angle());
        float cos = (float) Math.cos(a);
        float sin = (float) Math.sin(a);
        float u0 = (float) c.x() / TextAtlas.PAGE;
        float u1 = (float) (c.x() + c.w()) / TextAtlas.PAGE;
        float v0 = (float) c.y() / TextAtlas.PAGE;
        float v1 = (float) (c.y() + c.h()) / TextAtlas.PAGE;
        float[][] corners = {{-1, -1, u0, v1}, {1, -1, u1, v1}, {1, 1, u1, v0}, {-1, -1, u0, v1},
            {1, 1, u1, v0}, {-1, 1, u0, v0}};
        for (float[] k : corners) {
            float dx = k[0] * p.w() / 2f;
            float dy = k[1] * p.h() / 2f;
            out.put(p.x() + dx * cos - dy * sin).put(p.y() + dx * sin + dy * cos).put(k[2])
                    .put(k[3]);
        }
    }
}
