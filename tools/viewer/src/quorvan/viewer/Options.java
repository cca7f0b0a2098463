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
    Float span;
    Double centerX;
    Double centerY;
    double[] fit;
    boolean perspective;
    int workers = 2;
    Float pickX;
    Float pickY;
    Path png;
    Path check;
    Path shaders;
    boolean help;
    /** The largest window side drawn: its frame still reads back into one Java array. */
    static final int MAX_SIZE = 8192;

    static Options parse(String[] args) {
        Options o = new Options();
        for (int i = 0; i < args.length; ++i) {
            String a = args[i];
            if (a.equals("--help")) {
                o.help = true;
                return o;
            }
            if (a.equals("--perspective")) {
                o.perspective = true;
                continue;
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
                    if (o.width > MAX_SIZE || o.height > MAX_SIZE) {
                        throw new IllegalArgumentException("--size: at most " + MAX_SIZE + "x"
                                + MAX_SIZE + " pixels");
                    }
                }
                case "--yaw" -> o.yaw = number(v, a);
                case "--pitch" -> {
                    o.pitch = number(v, a);
                    if (o.pitch < OrbitView.MIN_PITCH || o.pitch > OrbitView.MAX_PITCH) {
                        throw new IllegalArgumentException("--pitch lies between 35 and 90");
                    }
                }
                case "--zoom", "--span" -> {
                    float f = number(v, a);
                    if (!(f > 0)) {
                        throw new IllegalArgumentException(a + " must be above 0");
                    }
                    o.zoom = a.equals("--zoom") ? Float.valueOf(f) : null;
                    o.span = a.equals("--span") ? Float.valueOf(f) : null;
                }
                case "--center", "--target" -> {
                    double[] xy = numbers(v, a, 2);
                    o.centerX = xy[0];
                    o.centerY = xy[1];
                }
                case "--fit" -> {
                    o.fit = numbers(v, a, 4);
                    if (o.fit[0] == o.fit[2] || o.fit[1] == o.fit[3]) {
                        throw new IllegalArgumentException("--fit wants a rectangle of some size");
                    }
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

    private static double[] numbers(String v, String option, int count) {
        String[] parts = v.split(",");
        if (parts.length != count) {
            throw new IllegalArgumentException(option + " wants " + count + " numbers, a,b...");
        }
        double[] out = new double[count];
        for (int i = 0; i < count; ++i) {
            out[i] = number(parts[i], option);
        }
        return out;
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
