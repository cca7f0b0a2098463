package quorvan.viewer;

import java.awt.Color;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.image.BufferedImage;
import java.awt.image.DataBufferByte;
import java.nio.ByteBuffer;
import java.util.HashMap;
import java.util.Map;
import java.util.Collections;
import java.util.SortedSet;
import java.util.TreeSet;

/**
 * Every glyph the labels need, rasterised once by Java2D into one texture: red holds a glyph's
 * coverage, green its halo's (the coverage widened by {@link #HALO} pixels), so a label reads over
 * any map colour.
 */
final class GlyphAtlas {
    static final int HALO = 2;
    private static final int PAD = HALO + 1;
    static final int WIDTH = 1024;

    /** A glyph's cell in the atlas (pixels, origin top left) and its metrics. */
    record Glyph(int x, int y, int w, int h, float advance, int ascent) {}

    private final Map<Long, Glyph> glyphs = new HashMap<>();
    private final Map<Integer, FontMetrics> metrics = new HashMap<>();
    private final SortedSet<Integer> codePoints;
    private final SortedSet<Integer> sizes;
    final int height;
    /** Two bytes per texel, rows from the top: what glTexImage2D takes for GL_RG. */
    final ByteBuffer texels;

    /** Rasterises {@code codePoints} at each of {@code sizes} (bold from 14 pixels up). */
    GlyphAtlas(SortedSet<Integer> codePoints, SortedSet<Integer> sizes) {
        this.codePoints = new TreeSet<>(codePoints);
        this.sizes = new TreeSet<>(sizes);
        BufferedImage probe = new BufferedImage(1, 1, BufferedImage.TYPE_BYTE_GRAY);
        Graphics2D pg = probe.createGraphics();
        Map<Integer, Font> fonts = new HashMap<>();
        for (int size : sizes) {
            Font font = new Font(Font.SANS_SERIF, size >= 14 ? Font.BOLD : Font.PLAIN, size);
            fonts.put(size, font);
            metrics.put(size, pg.getFontMetrics(font));
        }
        pg.dispose();
        // Shelf packing, row by row.
        int x = 0;
        int y = 0;
        int shelf = 0;
        for (int size : sizes) {
            FontMetrics fm = metrics.get(size);
            int h = fm.getAscent() + fm.getDescent() + 2 * PAD;
            for (int cp : codePoints) {
                int w = Math.max(1, fm.charWidth(cp)) + 2 * PAD;
                if (x + w > WIDTH) {
                    x = 0;
                    y += shelf;
                    shelf = 0;
                }
                glyphs.put(key(size, cp), new Glyph(x, y, w, h, fm.charWidth(cp), fm.getAscent()));
                x += w;
                shelf = Math.max(shelf, h);
            }
        }
        int used = Math.max(1, y + shelf);
        height = Integer.highestOneBit(used) == used ? used : Integer.highestOneBit(used) << 1;
        BufferedImage fill = new BufferedImage(WIDTH, height, BufferedImage.TYPE_BYTE_GRAY);
        Graphics2D g = fill.createGraphics();
        g.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING,
                RenderingHints.VALUE_TEXT_ANTIALIAS_ON);
        g.setColor(Color.WHITE);
        for (Map.Entry<Long, Glyph> e : glyphs.entrySet()) {
            Glyph glyph = e.getValue();
            g.setFont(fonts.get((int) (e.getKey() >>> 32)));
            g.drawString(new String(Character.toChars((int) (long) e.getKey())), glyph.x() + PAD,
                glyph.y() + PAD + glyph.ascent());
        }
        g.dispose();
        byte[] coverage = ((DataBufferByte) fill.getRaster().getDataBuffer()).getData();
        // The halo: the coverage widened by HALO pixels (the greatest coverage within a disc).
        // Glyph cells are padded by more than that, so no halo runs into a neighbour's cell.
        texels = ByteBuffer.allocateDirect(2 * WIDTH * height);
        for (int row = 0; row < height; ++row) {
            for (int col = 0; col < WIDTH; ++col) {
                int halo = 0;
                for (int dy = -HALO; dy <= HALO; ++dy) {
                    for (int dx = -HALO; dx <= HALO; ++dx) {
                        int sx = col + dx;
                        int sy = row + dy;
                        if (dx * dx + dy * dy <= HALO * HALO + 1 && sx >= 0 && sy >= 0 && sx < WIDTH
                                && sy < height) {
                            halo = Math.max(halo, coverage[sy * WIDTH + sx] & 0xFF);
                        }
                    }
                }
                texels.put(coverage[row * WIDTH + col]);
                texels.put((byte) halo);
            }
        }
        texels.flip();
    }

    SortedSet<Integer> codePoints() {
        return Collections.unmodifiableSortedSet(codePoints);
    }

    SortedSet<Integer> sizes() {
        return Collections.unmodifiableSortedSet(sizes);
    }

    /** The glyph of a code point at a size, or null when it was not rasterised. */
    Glyph glyph(int size, int cp) {
        return glyphs.get(key(size, cp));
    }

    int ascent(int size) {
        return metrics.get(size).getAscent();
    }

    int lineHeight(int size) {
        FontMetrics fm = metrics.get(size);
        return fm.getAscent() + fm.getDescent();
    }

    /** The advance of a text at a size, in pixels. */
    float width(int size, String text) {
        float w = 0;
        for (int i = 0; i < text.length(); i = text.offsetByCodePoints(i, 1)) {
            Glyph g = glyph(size, text.codePointAt(i));
            w += g == null ? 0 : g.advance();
        }
        return w;
    }

    static int pad() {
        return PAD;
    }

    private static long key(int size, int cp) {
        return ((long) size << 32) | (cp & 0xFFFFFFFFL);
    }
}
