package quorvan.viewer;

import java.nio.file.Files;
import java.nio.file.Path;

/** The viewer's command line. */
final class Options {
    Path pack;
    Path style;
    int width = 1280;
    int height = 800;
    float yaw = 180f;
    float pitch = 55f;
    Float zoom;
    Float targetX;
    Float targetY;
    int workers = 2;
    Float pickX;
    Float pickY;
    Path png;
    Path check;
    Path shaders;
    boolean help;

    static Options parse(String[] args) {
        Options o = new Options();
        for (int i = 0; i < args.length; ++i) {
            String a = args[i];
            if (a.equals("--help")) {
                o.help = true;
                return o;
            }
            if (!a.startsWith("--")) {
                if (o.pack != null) {
                    throw new IllegalArgumentException("one pack only");
                }
                o.pack = Path.of(a);
                continue;
            }
            if (i + 1 >= args.length) {
                throw new IllegalArgumentException(a + " needs a value");
            }
            String v = args[++i];
            switch (a) {
                case "--style" -> o.style = Path.of(v);
                case "--size" -> {
                    String[] wh = v.split("x");
                    if (wh.length != 2) {
                        throw new IllegalArgumentException("--size wants WxH");
                    }
                    o.width = positive(wh[0], a);
                    o.height = positive(wh[1], a);
                }
                case "--yaw" -> o.yaw = number(v, a);
                case "--pitch" -> {
                    o.pitch = number(v, a);
                    if (o.pitch < OrbitView.MIN_PITCH || o.pitch > OrbitView.MAX_PITCH) {
                        throw new IllegalArgumentException("--pitch lies between 35 and 90");
                    }
                }
                case "--zoom" -> {
                    o.zoom = number(v, a);
                    if (!(o.zoom > 0)) {
                        throw new IllegalArgumentException("--zoom must be above 0");
                    }
                }
                case "--target" -> {
                    String[] xy = v.split(",");
                    if (xy.length != 2) {
                        throw new IllegalArgumentException("--target wants X,Y");
                    }
                    o.targetX = number(xy[0], a);
                    o.targetY = number(xy[1], a);
                }
                case "--pick" -> {
                    String[] xy = v.split(",");
                    if (xy.length != 2) {
                        throw new IllegalArgumentException("--pick wants X,Y");
                    }
                    o.pickX = number(xy[0], a);
                    o.pickY = number(xy[1], a);
                }
                case "--workers" -> o.workers = positive(v, a);
                case "--png" -> o.png = Path.of(v);
                case "--check" -> o.check = Path.of(v);
                case "--shaders" -> o.shaders = Path.of(v);
                default -> throw new IllegalArgumentException("unknown option " + a);
            }
        }
        if (o.pack == null) {
            throw new IllegalArgumentException("no pack given");
        }
        if (!Files.isReadable(o.pack)) {
            throw new IllegalArgumentException("cannot read the pack " + o.pack);
        }
        if (o.style == null) {
            String name = o.pack.getFileName().toString().replaceFirst("\\.[^.]*$", "") + ".sld";
            o.style = o.pack.resolveSibling(name);
        }
        if (!Files.isReadable(o.style)) {
            throw new IllegalArgumentException("no style " + o.style + " (give one with --style)");
        }
        return o;
    }

    private static float number(String v, String option) {
        try {
            float f = Float.parseFloat(v);
            if (Float.isFinite(f)) {
                return f;
            }
        } catch (NumberFormatException e) {
            // reported below
        }
        throw new IllegalArgumentException(option + " wants a number, not " + v);
    }

    private static int positive(String v, String option) {
        try {
            int n = Integer.parseInt(v);
            if (n > 0) {
                return n;
            }
        } catch (NumberFormatException e) {
            // reported below
        }
        throw new IllegalArgumentException(option + " wants a positive integer, not " + v);
    }
}
