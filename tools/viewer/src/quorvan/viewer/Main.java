package quorvan.viewer;

import static org.lwjgl.opengl.GL11.GL_MAX_VIEWPORT_DIMS;
import static org.lwjgl.opengl.GL11.GL_NO_ERROR;
import static org.lwjgl.opengl.GL11.glFinish;
import static org.lwjgl.opengl.GL11.glGetError;
import static org.lwjgl.opengl.GL11.glGetInteger;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.io.PrintWriter;
import java.nio.FloatBuffer;
import java.nio.IntBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.concurrent.CompletableFuture;
import javax.imageio.ImageIO;
import org.lwjgl.BufferUtils;
import org.lwjgl.LWJGLException;
import org.lwjgl.input.Keyboard;
import org.lwjgl.input.Mouse;
import org.lwjgl.opengl.ContextAttribs;
import org.lwjgl.opengl.Display;
import org.lwjgl.opengl.DisplayMode;
import org.lwjgl.opengl.PixelFormat;
import quorvan.meshory.Camera;
import quorvan.meshory.Grid;
import quorvan.meshory.PaintOrder;
import quorvan.meshory.Tile;

/**
 * meshory-viewer: a blob pack drawn with OpenGL through the library, as a JVM map application
 * draws it. Drag to turn, wheel to zoom, click a model to pick it (its layer, id and label are
 * shown and printed), P to switch between the orthographic and the perspective camera. Every
 * failure ends in one line on stderr and a non-zero status.
 */
public final class Main {
    private static final String USAGE = """
        usage: meshory-viewer [options] PACK
          --style FILE    SLD style (default: the pack's path with .sld)
          --size WxH      window size in pixels (default 1280x800)
          --yaw D         degrees around the vertical axis (default 180: north up)
          --pitch D       degrees above the ground, 35 to 90 (default 55)
          --perspective   a perspective camera (default orthographic; P switches in the window)
          --fit X1,Y1,X2,Y2  frame this rectangle, in map units (default: the map's extent)
          --center X,Y    the ground point looked at, in map units (default: the extent's centre)
          --span S        map units the window's height spans at the centre (or --zoom)
          --zoom S        pixels per map unit
          --workers N     threads that build tiles, one maker each (default 2)
          --pick X,Y      pick at a window point (pixels, y from the top) and show what is there
          --png FILE      render one frame into FILE and exit
          --check DIR     the headless test's run: frame.png (and frame-plain.png, without labels),
                          labels.tsv, picks.tsv, a scripted orbit
          --shaders DIR   read the *.vertex / *.fragment pairs from DIR instead of the jar
          --help          this text
        Drag to turn, wheel to zoom, click to pick, P for perspective.
        JAVA_OPTS=-Dmeshory.viewer.timing=true prints where the time from opening the pack
        to the first full frame goes.
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
            System.err.println("meshory-viewer: " + e.getMessage() + " (--help lists the options)");
            System.exit(2);
            return;
        }
        try {
            run(o);
        } catch (Throwable e) {
            String what = e.getMessage() == null ? e.getClass().getSimpleName() : e.getMessage();
            System.err.println("meshory-viewer: " + what.lines().findFirst().orElse(what));
            System.exit(1);
        }
        System.exit(0);
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
        try {
            Display.create(new PixelFormat(0, 24, 0, 0),
                    new ContextAttribs(3, 3).withProfileCore(true));
        } catch (LWJGLException | RuntimeException e) {
            throw new IllegalArgumentException("cannot make a " + o.width + "x" + o.height
                    + " window with an OpenGL 3.3 core context: " + e.getMessage());
        }
        IntBuffer dims = BufferUtils.createIntBuffer(16);
        glGetInteger(GL_MAX_VIEWPORT_DIMS, dims);
        int[] most = {dims.get(0), dims.get(1)};
        if (Display.getWidth() != o.width || Display.getHeight() != o.height
                || o.width > most[0] || o.height > most[1]) {
            throw new IllegalArgumentException("OpenGL cannot draw a " + o.width + "x" + o.height
                    + " window here (at most " + most[0] + "x" + most[1] + ")");
        }
    }

    private static void session(Options o, MapStyle style) throws Exception {
        // Start-up, as a map application has it before its first tile: the programs, compiled
        // and drawn once (a software driver compiles at the first draw), and the fonts.
        Renderer renderer = new Renderer(o.width, o.height, o.shaders);
        CompletableFuture<Fonts> loading = CompletableFuture.supplyAsync(Fonts::new);
        renderer.warmUp();
        Fonts fonts = loading.join();
        glCheck("setting up");

        // From here on the pack's own work, to its first full frame.
        long start = System.nanoTime();
        Pack pack = Pack.read(o.pack);
        long read = System.nanoTime();
        if (pack.cellsInRow > 0) {
            Grid.initialize(pack.cellsInRow, pack.cellsInCol, pack.x1, pack.y1, pack.x2, pack.y2);
        }
        TileBuilder builder = new TileBuilder(pack, o.workers, style, fonts);
        int models = 0;
        int undrawable = 0;
        double[] extent = {pack.x1, pack.y1, pack.x2, pack.y2};
        for (int i = 0; i < pack.tiles.size(); ++i) {
            TileBuilder.Result r = builder.take();
            if (r.failure() != null) {
                throw new IllegalArgumentException(o.pack + ": a tile failed to build: "
                        + r.failure().getMessage(), r.failure());
            }
            renderer.upload(r.tile());
            models += r.tile().models.size();
            undrawable += r.tile().undrawable;
            if (pack.cellsInRow == 0) {
                // No grid: the extent is the data's own.
                double[] b = r.tile().bounds();
                for (int k = 0; k < 4; ++k) {
                    extent[k] = i == 0 ? b[k] : k < 2 ? Math.min(extent[k], b[k])
                            : Math.max(extent[k], b[k]);
                }
            }
        }
        renderer.tiles();
        long tiled = System.nanoTime();
        OrbitView view = initialView(o, extent);
        FloatBuffer matrices = OrbitView.newMatrices();
        renderer.frame(style, view, view.matrices(matrices), null);
        long drawn = System.nanoTime();
        glFinish();
        long finished = System.nanoTime();
        double firstFrameMs = (finished - start) / 1e6;
        if (Boolean.getBoolean("meshory.viewer.timing")) {
            System.err.printf(Locale.ROOT,
                "timing ms: read %.1f, tiles %.1f, frame calls %.1f, GL finish %.1f%n",
                (read - start) / 1e6, (tiled - read) / 1e6, (drawn - tiled) / 1e6,
                (finished - drawn) / 1e6);
        }
        glCheck("the first frame");
        System.out.printf(Locale.ROOT,
                "first full frame %.1f ms after opening the pack: %d tiles, %d requests,"
                        + " %d models%n",
            firstFrameMs, pack.tiles.size(), pack.requestCount, models);
        System.out.println("labels no installed font can draw (left out): " + undrawable);
        Fonts.Text overlay = null;
        if (o.pickX != null) {
            // A click on the first frame, whose labels can be clicked too; drawn again with its
            // text.
            String picked = describe(pack, click(renderer, style, view, o.pickX, o.pickY));
            System.out.println("pick at " + o.pickX + ", " + o.pickY + ": " + picked);
            overlay = fonts.shape(picked, OVERLAY_SIZE);
            renderer.frame(style, view, view.matrices(matrices), overlay);
        }
        if (o.png != null) {
            writePng(renderer.pixels(), o.width, o.height, o.png);
            System.out.println("wrote " + o.png);
        } else if (o.check != null) {
            check(o, style, renderer, view, pack, matrices, firstFrameMs);
        } else {
            interact(style, renderer, view, pack, matrices, fonts, overlay);
        }
        for (BuiltTile t : renderer.tiles()) {
            t.tile.close();
        }
        builder.close();
        view.close();
    }

    static final int OVERLAY_SIZE = 13;

    private static OrbitView initialView(Options o, double[] extent) {
        double radius = Math.hypot(extent[2] - extent[0], extent[3] - extent[1]) / 2;
        if (!(radius > 0 && Double.isFinite(radius))) {
            radius = 1000;
            extent = new double[] {extent[0] - radius, extent[1] - radius, extent[0] + radius,
                extent[1] + radius};
        }
        OrbitView view = new OrbitView(o.width, o.height, radius);
        view.yaw = o.yaw;
        view.pitch = o.pitch;
        view.perspective = o.perspective;
        double[] fit = o.fit != null ? o.fit : extent;
        view.fit(fit[0], fit[1], fit[2], fit[3]);
        if (o.centerX != null) {
            view.targetX = o.centerX;
            view.targetY = o.centerY;
        }
        if (o.zoom != null) {
            view.zoom = o.zoom;
        } else if (o.span != null) {
            view.zoom = o.height / o.span;
        }
        return view;
    }

    /** The pick's text: layer, id and label of the model, or a note that nothing is there. */
    static String describe(Pack pack, BuiltTile.Pick p) {
        if (p == null) {
            return "nothing picked";
        }
        Tile.TileModel m = p.info();
        String label = p.tile().labels[p.model()];
        return "layer " + m.layerId() + " " + pack.layerName(m.layerId()) + ", id " + m.id()
            + (label.isEmpty() ? "" : ", label " + label);
    }

    private static void interact(MapStyle style, Renderer renderer, OrbitView view, Pack pack,
            FloatBuffer matrices, Fonts fonts, Fonts.Text picked) throws LWJGLException {
        Mouse.create();
        Keyboard.create();
        Fonts.Text overlay = picked != null ? picked : fonts.shape(
                "drag to turn, wheel to zoom, click a model to pick it, P for perspective",
                OVERLAY_SIZE);
        boolean pressed = false;
        int moved = 0;  // pixels since the button went down: a click moves less than a few
        while (!Display.isCloseRequested()) {
            while (Keyboard.next()) {
                if (Keyboard.getEventKeyState() && Keyboard.getEventKey() == Keyboard.KEY_P) {
                    view.toggle();
                }
            }
            while (Mouse.next()) {
                if (Mouse.getEventButton() == 0 && Mouse.getEventButtonState()) {
                    pressed = true;
                    moved = 0;
                } else if (Mouse.getEventButton() == 0) {
                    pressed = false;
                    if (moved <= 3) {
                        // Mouse y counts from the bottom, the pick's from the top.
                        float sx = Mouse.getEventX() + 0.5f;
                        float sy = view.height - (Mouse.getEventY() + 0.5f);
                        String text = describe(pack, click(renderer, style, view, sx, sy));
                        System.out.println("pick at " + sx + ", " + sy + ": " + text);
                        overlay = fonts.shape(text, OVERLAY_SIZE);
                    }
                } else if (pressed && (Mouse.getEventDX() != 0 || Mouse.getEventDY() != 0)) {
                    moved += Math.abs(Mouse.getEventDX()) + Math.abs(Mouse.getEventDY());
                    view.turn(-0.3f * Mouse.getEventDX(), -0.3f * Mouse.getEventDY());
                }
                if (Mouse.getEventDWheel() != 0) {
                    view.zoomBy((float) Math.pow(1.1, Mouse.getEventDWheel() / 120.0));
                }
            }
            renderer.frame(style, view, view.matrices(matrices), overlay);
            glCheck("a frame");
            Display.update();
            Display.sync(60);
        }
    }

    /** A click: a label placed there names its model; elsewhere the map is picked under it. */
    static BuiltTile.Pick click(Renderer renderer, MapStyle style, OrbitView view, float sx,
            float sy) {
        for (Labels.Placed p : renderer.placed()) {
            if (p.model() != null && p.contains(sx, view.height - sy)) {
                return p.model();
            }
        }
        return pick(renderer, style, view, sx, sy);
    }

    /** The model drawn under a window point (y from the top), labels aside. */
    static BuiltTile.Pick pick(Renderer renderer, MapStyle style, OrbitView view, float sx,
            float sy) {
        Camera camera = view.camera();
        List<BuiltTile> built = renderer.tiles();
        List<Tile> tiles = new ArrayList<>();
        double[] origins = new double[2 * built.size()];
        for (BuiltTile t : built) {
            origins[2 * tiles.size()] = t.originX;
            origins[2 * tiles.size() + 1] = t.originY;
            tiles.add(t.tile);
        }
        PaintOrder order = MapStyle.paintOrder(style.visible(camera.styleHeight()));
        return Tile.pick(tiles, origins, camera, sx, sy, order)
                .map(p -> new BuiltTile.Pick(built.get(p.tile()), p.model())).orElse(null);
    }

    /**
     * The headless test's run: the frame as a PNG (and once more without labels), the labels it
     * placed, picks at the centre and at 100 screen points with the camera that made them (for a
     * checker on the C++ side), and 60 frames of a scripted orbit with GL's error state read after
     * each.
     */
    private static void check(Options o, MapStyle style, Renderer renderer, OrbitView view,
            Pack pack, FloatBuffer matrices, double firstFrameMs) throws IOException {
        Files.createDirectories(o.check);
        writePng(renderer.pixels(), o.width, o.height, o.check.resolve("frame.png"));
        // The same frame without its labels: what the map shows where they stand.
        renderer.showLabels(false);
        renderer.frame(style, view, view.matrices(matrices), null);
        writePng(renderer.pixels(), o.width, o.height, o.check.resolve("frame-plain.png"));
        renderer.showLabels(true);
        renderer.frame(style, view, view.matrices(matrices), null);
        try (PrintWriter out =
                new PrintWriter(Files.newBufferedWriter(o.check.resolve("labels.tsv")))) {
            // Centre (image pixels, origin top left), size, angle and text of each label.
            for (Labels.Placed p : renderer.placed()) {
                out.printf(Locale.ROOT, "%.1f\t%.1f\t%d\t%d\t%.2f\t%d\t%s%n", p.x(),
                        o.height - p.y(), p.w(), p.h(), p.angle(), p.text().size(),
                        p.text().string());
            }
        }
        writePicks(o, renderer, style, view, "picks.tsv");
        // The same points through the perspective camera.
        view.toggle();
        writePicks(o, renderer, style, view, "picks-perspective.tsv");
        view.toggle();
        String centre = describe(pack, pick(renderer, style, view, o.width / 2f, o.height / 2f));
        System.out.println("pick at the centre: " + centre);
        int errors = 0;
        List<String> where = new ArrayList<>();
        long orbitStart = System.nanoTime();
        for (int f = 0; f < 60; ++f) {
            view.turn(6f, f < 30 ? 1f : -1f);
            view.zoomBy(f < 30 ? 1.02f : 1 / 1.02f);
            if (f == 30) {
                view.toggle();
            }
            renderer.frame(style, view, view.matrices(matrices), null);
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

    private static void writePicks(Options o, Renderer renderer, MapStyle style, OrbitView view,
            String name) throws IOException {
        try (PrintWriter out = new PrintWriter(Files.newBufferedWriter(o.check.resolve(name)))) {
            out.println(view.describe());
            out.println("height " + view.camera().styleHeight());
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
                BuiltTile.Pick p = pick(renderer, style, view, at[0], at[1]);
                out.println(at[0] + " " + at[1] + " " + (p == null ? "none"
                    : p.info().layerId() + " " + p.info().id() + " " + p.info().cellIndex()));
            }
        }
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
