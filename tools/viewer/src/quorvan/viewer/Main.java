package quorvan.viewer;

import static org.lwjgl.opengl.GL11.GL_NO_ERROR;
import static org.lwjgl.opengl.GL11.glFinish;
import static org.lwjgl.opengl.GL11.glGetError;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.io.PrintWriter;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.TreeSet;
import java.util.concurrent.CompletableFuture;
import javax.imageio.ImageIO;
import org.lwjgl.LWJGLException;
import org.lwjgl.input.Mouse;
import org.lwjgl.opengl.ContextAttribs;
import org.lwjgl.opengl.Display;
import org.lwjgl.opengl.DisplayMode;
import org.lwjgl.opengl.PixelFormat;
import quorvan.meshory.Camera;
import quorvan.meshory.Grid;
import quorvan.meshory.StyleList;
import quorvan.meshory.Tile;

/**
 * meshory-viewer: a blob pack drawn with OpenGL through the library, as a JVM map application
 * draws it. Drag to turn, wheel to zoom, click a model to pick it (its layer, id and label are
 * shown and printed).
 */
public final class Main {
    private static final String USAGE = """
        usage: meshory-viewer [options] PACK
          --style FILE    SLD style (default: the pack's path with .sld)
          --size WxH      window size in pixels (default 1280x800)
          --yaw D         degrees around the vertical axis (default 180: north up)
          --pitch D       degrees above the ground, 35 to 90 (default 55)
          --zoom S        pixels per map unit (default: the map fits the window)
          --target X,Y    the ground point looked at, in map units (default: the grid's centre)
          --workers N     threads that build tiles, one maker each (default 2)
          --pick X,Y      pick at a window point (pixels, y from the top) and show what is there
          --png FILE      render one frame into FILE and exit
          --check DIR     the headless test's run: frame.png (and frame-plain.png, without labels),
                          labels.tsv, picks.tsv, a scripted orbit
          --shaders DIR   read the *.vertex / *.fragment pairs from DIR instead of the jar
          --help          this text
        Drag to turn, wheel to zoom, click to pick. JAVA_OPTS=-Dmeshory.viewer.timing=true prints
        where the time from opening the pack to the first full frame goes.
        """;

    private Main() {}

    public static void main(String[] args) {
        System.setProperty("java.awt.headless", "true");
        Options o;
        try {
            o = Options.parse(args);
            if (o.help) {
                System.out.print(USAGE);
                return;
            }
        } catch (IllegalArgumentException e) {
            System.err.println("meshory-viewer: " + e.getMessage() + "\n" + USAGE);
            System.exit(2);
            return;
        }
        try {
            run(o);
        } catch (Exception e) {
            System.err.println("meshory-viewer: " + e.getMessage());
            if (!(e instanceof IOException || e instanceof IllegalArgumentException)) {
                e.printStackTrace();
            }
            System.exit(1);
        }
    }

    private static void run(Options o) throws Exception {
        try (MapStyle style = new MapStyle(o.style)) {
            openWindow(o);
            try {
                session(o, style);
            } finally {
                Display.destroy();
            }
        }
    }

    private static void openWindow(Options o) throws LWJGLException {
        try {
            Display.setDisplayMode(new DisplayMode(o.width, o.height));
        } catch (ExceptionInInitializerError e) {
            // LWJGL 2 opens the X display when its Display class loads.
            throw new IllegalArgumentException(
                "no X display to open a window on (is DISPLAY set?); without one, "
                + "run it on a private Xvfb: bash scripts/headless.sh " + o.width + "x" + o.height
                + " meshory-viewer --png FILE ...");
        }
        Display.setTitle("meshory-viewer: " + o.pack.getFileName());
        Display.create(new PixelFormat(0, 24, 0, 0),
                new ContextAttribs(3, 3).withProfileCore(true));
    }

    private static void session(Options o, MapStyle style) throws Exception {
        // Start-up, as a map application has it before its first tile: the programs, compiled
        // and drawn once (a software driver compiles at the first draw), and the glyphs most
        // labels need.
        Renderer renderer = new Renderer(o.width, o.height, o.shaders);
        CompletableFuture<GlyphAtlas> glyphs = CompletableFuture.supplyAsync(
            () -> new GlyphAtlas(commonCodePoints(), sizes(style)));
        renderer.warmUp();
        GlyphAtlas common = glyphs.join();
        glCheck("setting up");

        // From here on the pack's own work, to its first full frame.
        long start = System.nanoTime();
        Pack pack = Pack.read(o.pack);
        long read = System.nanoTime();
        Grid.initialize(pack.cellsInRow, pack.cellsInCol, pack.x1, pack.y1, pack.x2, pack.y2);
        OrbitView view = initialView(o, pack);
        TileBuilder builder = new TileBuilder(pack, o.workers);
        FloatBuffer matrices = OrbitView.newMatrices();
        int models = 0;
        for (int i = 0; i < pack.tiles.size(); ++i) {
            TileBuilder.Result r = builder.take();
            if (r.failure() != null) {
                throw new IllegalArgumentException(o.pack + ": a tile failed to build: "
                        + r.failure().getMessage(), r.failure());
            }
            renderer.upload(r.tile());
            models += r.tile().models.size();
        }
        long tiled = System.nanoTime();
        renderer.atlas(atlasFor(renderer.tiles(), style, common));
        long atlased = System.nanoTime();
        try (Camera camera = view.camera()) {
            OrbitView.matrices(camera, matrices);
            renderer.frame(style, style.visible(view.styleHeight()), matrices, 2 * view.distance(),
                    null);
        }
        long drawn = System.nanoTime();
        glFinish();
        long finished = System.nanoTime();
        double firstFrameMs = (finished - start) / 1e6;
        if (Boolean.getBoolean("meshory.viewer.timing")) {
            System.err.printf(Locale.ROOT,
                "timing ms: read %.1f, tiles %.1f, glyphs %.1f, frame calls %.1f, GL finish %.1f%n",
                (read - start) / 1e6, (tiled - read) / 1e6, (atlased - tiled) / 1e6,
                (drawn - atlased) / 1e6, (finished - drawn) / 1e6);
        }
        glCheck("the first frame");
        System.out.printf(Locale.ROOT,
                "first full frame %.1f ms after opening the pack: %d tiles, %d requests,"
                        + " %d models%n",
            firstFrameMs, pack.tiles.size(), pack.requestCount, models);
        String overlay = null;
        if (o.pickX != null) {
            // A click on the first frame, whose labels can be clicked too; drawn again with its
            // text.
            overlay = describe(pack, click(renderer, style, view, o.pickX, o.pickY));
            System.out.println("pick at " + o.pickX + ", " + o.pickY + ": " + overlay);
            try (Camera camera = view.camera()) {
                OrbitView.matrices(camera, matrices);
                renderer.frame(style, style.visible(view.styleHeight()), matrices,
                        2 * view.distance(), overlay);
            }
        }
        if (o.png != null) {
            writePng(renderer.pixels(), o.width, o.height, o.png);
            System.out.println("wrote " + o.png);
            return;
        }
        if (o.check != null) {
            check(o, style, renderer, view, pack, matrices, firstFrameMs);
            return;
        }
        interact(style, renderer, view, pack, matrices, overlay);
    }

    private static OrbitView initialView(Options o, Pack pack) {
        float cx = (float) ((pack.x1 + pack.x2) / 2);
        float cy = (float) ((pack.y1 + pack.y2) / 2);
        float extent = (float) Math.max(Math.abs(pack.x2 - pack.x1), Math.abs(pack.y2 - pack.y1));
        if (!(extent > 0)) {
            extent = 2000f;
        }
        OrbitView view = new OrbitView(o.width, o.height, extent);
        view.targetX = o.targetX != null ? o.targetX : cx;
        view.targetY = o.targetY != null ? o.targetY : cy;
        view.yaw = o.yaw;
        view.pitch = o.pitch;
        view.zoom = o.zoom != null ? o.zoom : 0.9f * Math.min(o.width, o.height) / extent;
        return view;
    }

    private static TreeSet<Integer> sizes(MapStyle style) {
        TreeSet<Integer> sizes = new TreeSet<>(style.fontSizes());
        sizes.add(Renderer.OVERLAY_SIZE);
        return sizes;
    }

    /** Printable ASCII and Latin-1: what most map labels of Latin script use. */
    private static TreeSet<Integer> commonCodePoints() {
        TreeSet<Integer> codePoints = new TreeSet<>();
        for (int c = 0x20; c < 0x7F; ++c) {
            codePoints.add(c);
        }
        for (int c = 0xA0; c < 0x100; ++c) {
            codePoints.add(c);
        }
        return codePoints;
    }

    /** {@code common}, or a new atlas when some label needs a glyph or a size it lacks. */
    private static GlyphAtlas atlasFor(List<BuiltTile> tiles, MapStyle style, GlyphAtlas common) {
        TreeSet<Integer> codePoints = new TreeSet<>(common.codePoints());
        TreeSet<Integer> sizes = new TreeSet<>(common.sizes());
        boolean more = false;
        for (BuiltTile t : tiles) {
            for (int i = 0; i < t.labels.length; ++i) {
                if (t.labels[i].isEmpty()) {
                    continue;
                }
                for (int cp : t.labels[i].codePoints().toArray()) {
                    more |= codePoints.add(cp);
                }
                StyleList.Style s = style.style(t.models.get(i).layerId());
                more |= s != null && sizes.add(MapStyle.fontSize(s));
            }
        }
        return more ? new GlyphAtlas(codePoints, sizes) : common;
    }

    /** The pick's text: layer, id and label of the model, or a note that nothing is there. */
    static String describe(Pack pack, Picker.Pick p) {
        if (p == null) {
            return "nothing picked";
        }
        Tile.TileModel m = p.info();
        String label = p.tile().labels[p.model()];
        return "layer " + m.layerId() + " " + pack.layerName(m.layerId()) + ", id " + m.id()
            + (label.isEmpty() ? "" : ", label " + label);
    }

    private static void interact(MapStyle style, Renderer renderer, OrbitView view, Pack pack,
            FloatBuffer matrices, String picked) throws LWJGLException {
        Mouse.create();
        String overlay = picked != null ? picked
                : "drag to turn, wheel to zoom, click a model to pick it";
        boolean pressed = false;
        int moved = 0;  // pixels since the button went down: a click moves less than a few
        while (!Display.isCloseRequested()) {
            while (Mouse.next()) {
                if (Mouse.getEventButton() == 0 && Mouse.getEventButtonState()) {
                    pressed = true;
                    moved = 0;
                } else if (Mouse.getEventButton() == 0) {
                    pressed = false;
                    if (moved <= 3) {
                        // Mouse y counts from the bottom, the pick ray's from the top.
                        float sx = Mouse.getEventX() + 0.5f;
                        float sy = view.height - (Mouse.getEventY() + 0.5f);
                        overlay = describe(pack, click(renderer, style, view, sx, sy));
                        System.out.println("pick at " + sx + ", " + sy + ": " + overlay);
                    }
                } else if (pressed && (Mouse.getEventDX() != 0 || Mouse.getEventDY() != 0)) {
                    moved += Math.abs(Mouse.getEventDX()) + Math.abs(Mouse.getEventDY());
                    view.turn(-0.3f * Mouse.getEventDX(), -0.3f * Mouse.getEventDY());
                }
                if (Mouse.getEventDWheel() != 0) {
                    view.zoomBy((float) Math.pow(1.1, Mouse.getEventDWheel() / 120.0));
                }
            }
            try (Camera camera = view.camera()) {
                OrbitView.matrices(camera, matrices);
                renderer.frame(style, style.visible(view.styleHeight()), matrices,
                        2 * view.distance(), overlay);
            }
            glCheck("a frame");
            Display.update();
            Display.sync(60);
        }
    }

    /** A click: a label placed there names its model; elsewhere the map is picked under it. */
    static Picker.Pick click(Renderer renderer, MapStyle style, OrbitView view, float sx,
            float sy) {
        float wy = view.height - sy;
        for (Labels.Placed p : renderer.placed()) {
            if (sx >= p.x0() && sx <= p.x1() && wy >= p.y0() && wy <= p.y1()) {
                return p.model();
            }
        }
        return pick(renderer, style, view, sx, sy);
    }

    /** The model drawn under a window point (y from the top), labels aside. */
    static Picker.Pick pick(Renderer renderer, MapStyle style, OrbitView view, float sx, float sy) {
        try (Camera camera = view.camera()) {
            float[] ray = camera.lineToPlane(sx, sy, 0f);
            return Picker.pick(renderer.tiles(), style.visible(view.styleHeight()), ray, view.zoom);
        }
    }

    /**
     * The headless test's run: the frame as a PNG (and once more without labels), the labels it
     * placed, picks at the centre and at 100 screen
     * points with the camera that made them (for a checker on the C++ side), and 60 frames of a
     * scripted orbit with GL's error state read after each.
     */
    private static void check(Options o, MapStyle style, Renderer renderer, OrbitView view,
            Pack pack, FloatBuffer matrices, double firstFrameMs) throws IOException {
        Files.createDirectories(o.check);
        writePng(renderer.pixels(), o.width, o.height, o.check.resolve("frame.png"));
        // The same frame without its labels: what the map shows where they stand.
        renderer.showLabels(false);
        try (Camera camera = view.camera()) {
            OrbitView.matrices(camera, matrices);
            renderer.frame(style, style.visible(view.styleHeight()), matrices, 2 * view.distance(),
                    null);
        }
        writePng(renderer.pixels(), o.width, o.height, o.check.resolve("frame-plain.png"));
        renderer.showLabels(true);
        try (PrintWriter out =
                new PrintWriter(Files.newBufferedWriter(o.check.resolve("labels.tsv")))) {
            // Boxes in image pixels, origin top left.
            for (Labels.Placed p : renderer.placed()) {
                out.printf(Locale.ROOT, "%d\t%d\t%d\t%d\t%s%n", Math.round(p.x0()),
                        Math.round(o.height - p.y1()), Math.round(p.x1()),
                        Math.round(o.height - p.y0()), p.text());
            }
        }
        try (PrintWriter out =
                new PrintWriter(Files.newBufferedWriter(o.check.resolve("picks.tsv")))) {
            out.println("camera " + view.describe());
            out.println("height " + view.styleHeight());
            out.println("tolerance " + MapStyle.PICK_TOLERANCE_PX);
            // The centre first (the known point), then a 10 × 10 grid over the frame.
            List<float[]> points = new ArrayList<>();
            points.add(new float[] {o.width / 2f, o.height / 2f});
            for (int j = 0; j < 10; ++j) {
                for (int i = 0; i < 10; ++i) {
                    points.add(new float[] {(i + 0.5f) * o.width / 10f,
                            (j + 0.5f) * o.height / 10f});
                }
            }
            for (float[] at : points) {
                Picker.Pick p = pick(renderer, style, view, at[0], at[1]);
                out.println(at[0] + " " + at[1] + " " + (p == null ? "none"
                    : p.info().layerId() + " " + p.info().id() + " " + p.info().cellIndex()));
            }
        }
        String centre = describe(pack, pick(renderer, style, view, o.width / 2f, o.height / 2f));
        System.out.println("pick at the centre: " + centre);
        int errors = 0;
        List<String> where = new ArrayList<>();
        long orbitStart = System.nanoTime();
        for (int f = 0; f < 60; ++f) {
            view.turn(6f, f < 30 ? 1f : -1f);
            view.zoomBy(f < 30 ? 1.02f : 1 / 1.02f);
            try (Camera camera = view.camera()) {
                OrbitView.matrices(camera, matrices);
                renderer.frame(style, style.visible(view.styleHeight()), matrices,
                        2 * view.distance(), centre);
            }
            for (int e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
                ++errors;
                where.add("frame " + f + ": 0x" + Integer.toHexString(e));
            }
            Display.update();
        }
        System.out.printf(Locale.ROOT, "orbit: 60 frames, %d GL errors%s%n", errors,
                where.isEmpty() ? "" : " " + where);
        System.out.printf(Locale.ROOT, "orbit: %.0f ms a frame%n",
                (System.nanoTime() - orbitStart) / 6e7);
        System.out.printf(Locale.ROOT, "labels placed: %d%n", renderer.placed().size());
        Files.writeString(o.check.resolve("summary.txt"), String.format(Locale.ROOT,
            "first_frame_ms %.1f%norbit_gl_errors %d%n", firstFrameMs, errors));
    }

    private static void glCheck(String what) {
        int e = glGetError();
        if (e != GL_NO_ERROR) {
            throw new IllegalStateException("OpenGL error 0x" + Integer.toHexString(e) + " after "
                    + what);
        }
    }

    private static void writePng(int[] rgb, int width, int height, Path file) throws IOException {
        BufferedImage image = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        image.setRGB(0, 0, width, height, rgb, 0, width);
        Path parent = file.toAbsolutePath().getParent();
        if (parent != null) {
            Files.createDirectories(parent);
        }
        if (!ImageIO.write(image, "png", file.toFile())) {
            throw new IOException("no PNG writer");
        }
    }
}
