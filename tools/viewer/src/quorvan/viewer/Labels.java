package quorvan.viewer;

import java.nio.FloatBuffer;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.HashSet;
import java.util.List;
import java.util.Set;
import quorvan.meshory.StyleList;
import quorvan.meshory.Tile;

/**
 * Places the models' labels on screen as the inspector's SVG does, in a subset: larger type
 * first (place names before road names), in model order within a size; a label whose box would
 * overlap one already placed is left out, and a text appears once per cell. Labels stand
 * upright, centred on the model's label position.
 */
final class Labels {
    /**
     * A placed label: its text, size, colour, box in window pixels (origin bottom left), and the
     * model it names.
     */
    record Placed(String text, int size, StyleList.Rgba colour, float x0, float y0, float x1,
            float y1, Picker.Pick model) {}

    private record Candidate(String text, int size, StyleList.Rgba colour, int cell, float x,
            float y, int order, Picker.Pick model) {}

    private Labels() {}

    /** Column-major 4 × 4 product a · b. */
    static float[] multiply(float[] a, float[] b) {
        float[] out = new float[16];
        for (int col = 0; col < 4; ++col) {
            for (int row = 0; row < 4; ++row) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) {
                    sum += a[4 * k + row] * b[4 * col + k];
                }
                out[4 * col + row] = sum;
            }
        }
        return out;
    }

    /** P · V · S from the camera's matrices. */
    static float[] chain(FloatBuffer matrices) {
        float[] p = new float[16];
        float[] v = new float[16];
        float[] s = new float[16];
        matrices.get(0, p);
        matrices.get(16, v);
        matrices.get(32, s);
        return multiply(p, multiply(v, s));
    }

    /** Window pixels of a model-space point, or null when it lies outside the view volume. */
    static float[] window(float[] m, float x, float y, float z, int width, int height) {
        float cx = m[0] * x + m[4] * y + m[8] * z + m[12];
        float cy = m[1] * x + m[5] * y + m[9] * z + m[13];
        float cz = m[2] * x + m[6] * y + m[10] * z + m[14];
        float cw = m[3] * x + m[7] * y + m[11] * z + m[15];
        if (!(cw > 0) || Math.abs(cz) > cw) {
            return null;
        }
        return new float[] {(cx / cw * 0.5f + 0.5f) * width, (cy / cw * 0.5f + 0.5f) * height};
    }

    static List<Placed> place(List<BuiltTile> tiles, MapStyle style, List<StyleList.Style> visible,
            GlyphAtlas atlas, float[] chain, int width, int height) {
        Set<Integer> shown = new HashSet<>();
        for (StyleList.Style s : visible) {
            shown.add(s.layerId());
        }
        List<Candidate> candidates = new ArrayList<>();
        for (BuiltTile t : tiles) {
            for (int i = 0; i < t.models.size(); ++i) {
                Tile.TileModel m = t.models.get(i);
                String text = t.labels[i];
                if (text.isEmpty() || !shown.contains(m.layerId())) {
                    continue;
                }
                float[] at = window(chain, m.labelX() + t.originX, m.labelY() + t.originY,
                        m.labelZ(), width, height);
                if (at == null) {
                    continue;
                }
                StyleList.Style s = style.style(m.layerId());
                candidates.add(new Candidate(text, MapStyle.fontSize(s), s.fill(), m.cellIndex(),
                        at[0], at[1], candidates.size(), new Picker.Pick(t, i)));
            }
        }
        candidates.sort(Comparator.comparingInt((Candidate c) -> -c.size())
                .thenComparingInt(Candidate::order));
        List<Placed> placed = new ArrayList<>();
        Set<String> named = new HashSet<>();
        for (Candidate c : candidates) {
            if (named.contains(c.cell() + "\n" + c.text())) {
                continue;
            }
            float w = atlas.width(c.size(), c.text()) + 4;
            float h = atlas.lineHeight(c.size());
            Placed p = new Placed(c.text(), c.size(), c.colour(), c.x() - w / 2, c.y() - h / 2,
                    c.x() + w / 2, c.y() + h / 2, c.model());
            if (p.x1() < 0 || p.y1() < 0 || p.x0() > width || p.y0() > height) {
                continue;
            }
            boolean overlaps = false;
            for (Placed q : placed) {
                if (p.x0() < q.x1() && q.x0() < p.x1() && p.y0() < q.y1() && q.y0() < p.y1()) {
                    overlaps = true;
                    break;
                }
            }
            if (!overlaps) {
                named.add(c.cell() + "\n" + c.text());
                placed.add(p);
            }
        }
        return placed;
    }

    /**
     * Appends the glyph quads of a text whose box starts at (x0, y0) (window pixels, bottom left):
     * two triangles per glyph, each vertex x, y, u, v. Returns the vertices appended.
     */
    static int quads(GlyphAtlas atlas, String text, int size, float x0, float y0, FloatBuffer out) {
        int pad = GlyphAtlas.pad();
        float baseline = y0 + atlas.lineHeight(size) - atlas.ascent(size);
        float pen = x0 + 2;
        int vertices = 0;
        for (int i = 0; i < text.length(); i = text.offsetByCodePoints(i, 1)) {
            GlyphAtlas.Glyph g = atlas.glyph(size, text.codePointAt(i));
            if (g == null) {
                continue;
            }
            if (out.remaining() < 24) {
                break;
            }
            float left = pen - pad;
            float top = baseline + g.ascent() + pad;
            float right = left + g.w();
            float bottom = top - g.h();
            float u0 = (float) g.x() / GlyphAtlas.WIDTH;
            float u1 = (float) (g.x() + g.w()) / GlyphAtlas.WIDTH;
            float v0 = (float) g.y() / atlas.height;
            float v1 = (float) (g.y() + g.h()) / atlas.height;
            float[] q = {left, bottom, u0, v1, right, bottom, u1, v1, right, top, u1, v0,
                left, bottom, u0, v1, right, top, u1, v0, left, top, u0, v0};
            out.put(q);
            vertices += 6;
            pen += g.advance();
        }
        return vertices;
    }
}
