package quorvan.viewer;

import static org.lwjgl.opengl.GL11.*;
import static org.lwjgl.opengl.GL12.GL_CLAMP_TO_EDGE;
import static org.lwjgl.opengl.GL13.GL_TEXTURE0;
import static org.lwjgl.opengl.GL13.glActiveTexture;
import static org.lwjgl.opengl.GL15.*;
import static org.lwjgl.opengl.GL20.*;
import static org.lwjgl.opengl.GL30.*;
import static org.lwjgl.opengl.GL31.glDrawArraysInstanced;
import static org.lwjgl.opengl.GL32.GL_PROGRAM_POINT_SIZE;
import static org.lwjgl.opengl.GL33.glVertexAttribDivisor;

import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import quorvan.meshory.StyleList;
import quorvan.meshory.Tile;

/**
 * Draws the tiles with OpenGL 3.3 core: one vertex buffer per tile, holding the tile's block as
 * the library wrote it, and per layer one draw call per tile and kind, in the style's z-order.
 *
 * <p>Flat layers are painted in order without depth; then the 3D layers are drawn with depth
 * over them, their outlines lifted a little towards the eye. Labels and the pick's text come last,
 * in window pixels. Everything a host on another binding needs is here: buffers, vertex arrays,
 * four programs, instanced quads for wide lines (core profiles draw no line wider than a pixel).
 */
final class Renderer {
    /** The light's horizontal direction, unit length: from the north-west, as maps light relief. */
    static final float LIGHT_X = -0.70710677f;
    static final float LIGHT_Y = 0.70710677f;

    private record GpuTile(BuiltTile tile, int buffer, int vertexArray) {}

    private final int width;
    private final int height;
    private final Program map;
    private final Program line;
    private final Program point;
    private final Program text;
    private final int lineArray;
    private final int textArray;
    private final int textBuffer;
    private final List<GpuTile> tiles = new ArrayList<>();
    private final FloatBuffer textVertices = ByteBuffer.allocateDirect(4 * 4 * 6 * 20000)
        .order(ByteOrder.nativeOrder()).asFloatBuffer();
    private GlyphAtlas atlas;
    private int atlasTexture;
    private List<Labels.Placed> placed = List.of();
    private boolean labels = true;

    Renderer(int width, int height, Path shaderFolder) throws IOException {
        this.width = width;
        this.height = height;
        map = new Program("map", shaderFolder);
        line = new Program("line", shaderFolder);
        point = new Program("point", shaderFolder);
        text = new Program("text", shaderFolder);
        lineArray = glGenVertexArrays();
        textArray = glGenVertexArrays();
        textBuffer = glGenBuffers();
        glBindVertexArray(textArray);
        glBindBuffer(GL_ARRAY_BUFFER, textBuffer);
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(0, 2, GL_FLOAT, false, 16, 0);
        glVertexAttribPointer(1, 2, GL_FLOAT, false, 16, 8);
        glBindVertexArray(lineArray);
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
        glVertexAttribDivisor(0, 1);
        glVertexAttribDivisor(1, 1);
        glBindVertexArray(0);
        glEnable(GL_PROGRAM_POINT_SIZE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        glDepthFunc(GL_LEQUAL);
    }

    /**
     * Draws a triangle, a line, a point and a glyph once with each program in each state the
     * frames use, and waits: a software driver compiles its shaders at their first draw, and
     * this way it does so while the tiles are still being built.
     */
    void warmUp() {
        FloatBuffer block =
                ByteBuffer.allocateDirect(4 * 18).order(ByteOrder.nativeOrder()).asFloatBuffer();
        block.put(new float[] {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1}).flip();
        Tile.Bucket bucket = new Tile.Bucket(0, 0, 3, 0, 2, 0, 1, 0, 0);
        StyleList.Style white = new StyleList.Style("", 0, 0, false, new StyleList.Rgba(1, 1, 1, 1),
            new StyleList.Rgba(1, 1, 1, 1), 1f, 0f, 0f, 1f, 0, -1, -1, -1, -1, 0);
        int buffer = glGenBuffers();
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, block, GL_STATIC_DRAW);
        int vertexArray = glGenVertexArrays();
        glBindVertexArray(vertexArray);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, false, 0, 0);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, false, 0, 36);
        FloatBuffer identity = OrbitView.newMatrices();
        for (int m = 0; m < 3; ++m) {
            for (int d = 0; d < 4; ++d) {
                identity.put(16 * m + 5 * d, 1f);
            }
        }
        for (Program p : new Program[] {map, line, point}) {
            p.use();
            p.camera(identity);
        }
        line.use();
        glUniform2f(line.uniform("u_viewport"), width, height);
        for (boolean depth : new boolean[] {false, true}) {
            if (depth) {
                glEnable(GL_DEPTH_TEST);
            } else {
                glDisable(GL_DEPTH_TEST);
            }
            glDepthMask(depth);
            for (int kind = TRIANGLES; kind <= POINTS; ++kind) {
                draw(kind, vertexArray, buffer, bucket, 0f, 0f, white);
            }
        }
        glDisable(GL_DEPTH_TEST);
        textVertices.clear();
        textVertices.put(new float[] {0, 0, 0, 0, 1, 0, 1, 0, 1, 1, 1, 1}).flip();
        glBindVertexArray(textArray);
        glBindBuffer(GL_ARRAY_BUFFER, textBuffer);
        glBufferData(GL_ARRAY_BUFFER, textVertices, GL_STREAM_DRAW);
        text.use();
        glDrawArrays(GL_TRIANGLES, 0, 3);
        glBindVertexArray(0);
        glFinish();
        glDeleteVertexArrays(vertexArray);
        glDeleteBuffers(buffer);
    }

    /** Uploads a tile's block as it is; its triangles' normals are read from the same buffer. */
    void upload(BuiltTile tile) {
        int buffer = glGenBuffers();
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, tile.block, GL_STATIC_DRAW);
        int vertexArray = glGenVertexArrays();
        glBindVertexArray(vertexArray);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, false, 0, 0);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, false, 0, 12L * tile.normalsFirst);
        glBindVertexArray(0);
        // Drawn, and picked, in the pack's order of tiles, whatever order the workers finish in.
        int at = 0;
        while (at < tiles.size() && tiles.get(at).tile().index < tile.index) {
            ++at;
        }
        tiles.add(at, new GpuTile(tile, buffer, vertexArray));
    }

    List<BuiltTile> tiles() {
        List<BuiltTile> out = new ArrayList<>();
        for (GpuTile t : tiles) {
            out.add(t.tile());
        }
        return out;
    }

    /** The glyphs of every label and of the pick's text, rasterised once. */
    void atlas(GlyphAtlas glyphs) {
        atlas = glyphs;
        atlasTexture = glGenTextures();
        glBindTexture(GL_TEXTURE_2D, atlasTexture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RG8, GlyphAtlas.WIDTH, glyphs.height, 0, GL_RG,
                GL_UNSIGNED_BYTE, glyphs.texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }

    /** Whether frames draw the labels (and the overlay text). */
    void showLabels(boolean show) {
        labels = show;
    }

    /** The labels placed in the last frame. */
    List<Labels.Placed> placed() {
        return placed;
    }

    /**
     * Draws one frame. {@code matrices} holds P, V and S of the camera; {@code overlay} is drawn
     * in the top left corner when not null.
     */
    void frame(MapStyle style, List<StyleList.Style> visible, FloatBuffer matrices, float maxPlane,
            String overlay) {
        StyleList.Rgba bg = style.background;
        glClearColor(bg.r(), bg.g(), bg.b(), 1f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (Program p : new Program[] {map, line, point}) {
            p.use();
            p.camera(matrices);
        }
        map.use();
        glUniform2f(map.uniform("u_light"), LIGHT_X, LIGHT_Y);
        line.use();
        glUniform2f(line.uniform("u_viewport"), width, height);
        glDisable(GL_DEPTH_TEST);
        glDepthMask(false);
        for (StyleList.Style s : visible) {
            if (!s.view3d()) {
                layer(s, 0f);
            }
        }
        glEnable(GL_DEPTH_TEST);
        glDepthMask(true);
        for (StyleList.Style s : visible) {
            if (s.view3d()) {
                // About one world unit (a pixel) towards the eye, in depth units.
                layer(s, 2f / maxPlane);
            }
        }
        glDisable(GL_DEPTH_TEST);
        glBindVertexArray(0);
        if (atlas != null && labels) {
            placed = Labels.place(tiles(), style, visible, atlas, Labels.chain(matrices), width,
                    height);
            texts(overlay);
        }
    }

    private static final int TRIANGLES = 0;
    private static final int LINES = 1;
    private static final int POINTS = 2;

    private void layer(StyleList.Style s, float lift) {
        line.use();
        glUniform1f(line.uniform("u_lift"), lift);
        // Kind by kind, tile by tile: the order the picker walks back.
        for (int kind = TRIANGLES; kind <= POINTS; ++kind) {
            if ((kind == TRIANGLES && !MapStyle.drawsFill(s))
                    || (kind == LINES && !MapStyle.drawsStroke(s))) {
                continue;
            }
            for (GpuTile t : tiles) {
                Tile.Bucket b = t.tile().bucket(s.layerId());
                if (b != null) {
                    draw(kind, t.vertexArray(), t.buffer(), b, t.tile().originX, t.tile().originY,
                            s);
                }
            }
        }
    }

    // One kind of one bucket: triangles in the fill colour, segments as quads of the stroke's
    // colour and width, points as dots of the fill colour and graphic size.
    private void draw(int kind, int vertexArray, int buffer, Tile.Bucket b, float originX,
            float originY, StyleList.Style s) {
        if (kind == TRIANGLES && b.triangleVertices() > 0) {
            map.use();
            map.colour(s.fill());
            glBindVertexArray(vertexArray);
            glUniform3f(map.uniform("u_origin"), originX, originY, 0f);
            glDrawArrays(GL_TRIANGLES, b.trianglesFirst(), b.triangleVertices());
        } else if (kind == LINES && b.lineVertices() > 1) {
            line.use();
            line.colour(s.stroke());
            glUniform1f(line.uniform("u_width"), s.strokeWidth());
            glBindVertexArray(lineArray);
            glBindBuffer(GL_ARRAY_BUFFER, buffer);
            glVertexAttribPointer(0, 3, GL_FLOAT, false, 24, 12L * b.linesFirst());
            glVertexAttribPointer(1, 3, GL_FLOAT, false, 24, 12L * b.linesFirst() + 12);
            glUniform3f(line.uniform("u_origin"), originX, originY, 0f);
            glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, b.lineVertices() / 2);
        } else if (kind == POINTS && b.pointVertices() > 0) {
            point.use();
            point.colour(s.fill());
            glUniform1f(point.uniform("u_size"), MapStyle.pointSize(s));
            glBindVertexArray(vertexArray);
            glUniform3f(point.uniform("u_origin"), originX, originY, 0f);
            glDrawArrays(GL_POINTS, b.pointsFirst(), b.pointVertices());
        }
    }

    private static final StyleList.Rgba HALO = new StyleList.Rgba(1f, 1f, 1f, 0.9f);
    private static final StyleList.Rgba OVERLAY = new StyleList.Rgba(0.1f, 0.1f, 0.1f, 1f);
    static final int OVERLAY_SIZE = 13;

    private void texts(String overlay) {
        textVertices.clear();
        List<int[]> runs = new ArrayList<>();  // first vertex, count, index into colours
        List<StyleList.Rgba> colours = new ArrayList<>();
        int first = 0;
        for (Labels.Placed p : placed) {
            int n = Labels.quads(atlas, p.text(), p.size(), p.x0(), p.y0(), textVertices);
            runs.add(new int[] {first, n, colours.size()});
            colours.add(p.colour());
            first += n;
        }
        if (overlay != null) {
            int n = Labels.quads(atlas, overlay, OVERLAY_SIZE, 8,
                    height - 8 - atlas.lineHeight(OVERLAY_SIZE), textVertices);
            runs.add(new int[] {first, n, colours.size()});
            colours.add(OVERLAY);
            first += n;
        }
        if (first == 0) {
            return;
        }
        textVertices.flip();
        glBindVertexArray(textArray);
        glBindBuffer(GL_ARRAY_BUFFER, textBuffer);
        glBufferData(GL_ARRAY_BUFFER, textVertices, GL_STREAM_DRAW);
        text.use();
        glUniform2f(text.uniform("u_viewport"), width, height);
        glUniform1i(text.uniform("u_atlas"), 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, atlasTexture);
        // Every halo first, so that no label's halo covers another's letters.
        glUniform1i(text.uniform("u_halo"), 1);
        text.colour(HALO);
        glDrawArrays(GL_TRIANGLES, 0, first);
        glUniform1i(text.uniform("u_halo"), 0);
        for (int[] run : runs) {
            text.colour(colours.get(run[2]));
            glDrawArrays(GL_TRIANGLES, run[0], run[1]);
        }
        glBindVertexArray(0);
    }

    /** The frame's pixels, read back as RGB rows from the top. */
    int[] pixels() {
        ByteBuffer rgba = ByteBuffer.allocateDirect(4 * width * height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        int[] out = new int[width * height];
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                int at = 4 * ((height - 1 - y) * width + x);
                out[y * width + x] = (rgba.get(at) & 0xFF) << 16
                        | (rgba.get(at + 1) & 0xFF) << 8 | (rgba.get(at + 2) & 0xFF);
            }
        }
        return out;
    }
}
