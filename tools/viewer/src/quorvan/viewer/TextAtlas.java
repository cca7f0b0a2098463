package quorvan.viewer;

import static org.lwjgl.opengl.GL11.*;
import static org.lwjgl.opengl.GL12.GL_CLAMP_TO_EDGE;
import static org.lwjgl.opengl.GL30.GL_RG;
import static org.lwjgl.opengl.GL30.GL_RG8;

import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.image.BufferedImage;
import java.awt.image.DataBufferByte;
import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.IdentityHashMap;
import java.util.List;
import java.util.Map;

/**
 * Shaped labels rasterised by Java2D as whole strings into a few texture pages: red holds the
 * text's coverage, green its halo's (the coverage widened by {@link #HALO} pixels), so a label
 * reads over any map colour. Strings are added as frames need them; when the pages are full,
 * all are forgotten and the frame's strings rasterised anew, so the atlas stays bounded.
 */
final class TextAtlas {
    static final int HALO = 2;
    static final int PAD = HALO + 1;
    static final int PAGE = 1024;
    static final int MAX_PAGES = 8;

    /** A string's cell: its page, its place there (pixels, origin top left) and size. */
    record Cell(int page, int x, int y, int w, int h) {}

    private final List<Integer> pages = new ArrayList<>();
    private final Map<Fonts.Text, Cell> cells = new IdentityHashMap<>();
    private int page;
    private int x;
    private int y;
    private int shelf;

    /** The texture of a page. */
    int texture(int page) {
        return pages.get(page);
    }

    /** Width and height of a text's cell, its box on the screen. */
    static int width(Fonts.Text t) {
        return t.width() + 2 * PAD;
    }

    static int height(Fonts.Text t) {
        return t.height() + 2 * PAD;
    }

    /**
     * The cells of a frame's texts, in order: null for a text larger than a page or past the room
     * of every page after the older strings were forgotten.
     */
    Cell[] cells(List<Fonts.Text> texts) {
        Cell[] out = new Cell[texts.size()];
        for (int round = 0; round < 2; ++round) {
            boolean full = false;
            for (int i = 0; i < out.length; ++i) {
                out[i] = cells.get(texts.get(i));
                if (out[i] == null && !full) {
                    out[i] = add(texts.get(i));
                    full = out[i] == null && width(texts.get(i)) <= PAGE
                            && height(texts.get(i)) <= PAGE;
                }
            }
            if (!full || round == 1) {
                return out;
            }
            cells.clear();
            page = x = y = shelf = 0;
        }
        return out;
    }

    private Cell add(Fonts.Text t) {
        int w = width(t);
        int h = height(t);
        if (w > PAGE || h > PAGE) {
            return null;
        }
        if (x + w > PAGE) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        if (y + h > PAGE) {
            if (page + 1 >= MAX_PAGES) {
                return null;
            }
            ++page;
            x = y = shelf = 0;
        }
        while (pages.size() <= page) {
            pages.add(newPage());
        }
        Cell c = new Cell(page, x, y, w, h);
        glBindTexture(GL_TEXTURE_2D, pages.get(page));
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RG, GL_UNSIGNED_BYTE, texels(t));
        cells.put(t, c);
        x += w;
        shelf = Math.max(shelf, h);
        return c;
    }

    private static int newPage() {
        int texture = glGenTextures();
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RG8, PAGE, PAGE, 0, GL_RG, GL_UNSIGNED_BYTE,
                (ByteBuffer) null);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        return texture;
    }

    /** The text drawn white on black, then its halo beside each texel: RG rows from the top. */
    static ByteBuffer texels(Fonts.Text t) {
        int w = width(t);
        int h = height(t);
        BufferedImage image = new BufferedImage(w, h, BufferedImage.TYPE_BYTE_GRAY);
        Graphics2D g = image.createGraphics();
        hints(g);
        g.setColor(Color.WHITE);
        t.layout().draw(g, PAD - t.left(), PAD - t.top());
        g.dispose();
        byte[] coverage = ((DataBufferByte) image.getRaster().getDataBuffer()).getData();
        ByteBuffer out = ByteBuffer.allocateDirect(2 * w * h);
        for (int row = 0; row < h; ++row) {
            for (int col = 0; col < w; ++col) {
                int halo = 0;
                for (int dy = -HALO; dy <= HALO; ++dy) {
                    for (int dx = -HALO; dx <= HALO; ++dx) {
                        int sx = col + dx;
                        int sy = row + dy;
                        if (dx * dx + dy * dy <= HALO * HALO + 1 && sx >= 0 && sy >= 0 && sx < w
                                && sy < h) {
                            halo = Math.max(halo, coverage[sy * w + sx] & 0xFF);
                        }
                    }
                }
                out.put(coverage[row * w + col]).put((byte) halo);
            }
        }
        return out.flip();
    }

    /** The hints the layouts were measured with: anti-aliased, fractional advances. */
    static void hints(Graphics2D g) {
        g.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING,
                RenderingHints.VALUE_TEXT_ANTIALIAS_ON);
        g.setRenderingHint(RenderingHints.KEY_FRACTIONALMETRICS,
                RenderingHints.VALUE_FRACTIONALMETRICS_ON);
    }
}
