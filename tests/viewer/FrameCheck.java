import java.awt.image.BufferedImage;
import java.io.File;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import javax.imageio.ImageIO;
import quorvan.meshory.StyleList;

/**
 * Looks at the viewer's frame as a person would: most of it is map, not background; the style's
 * colours are there; the labels it placed can be read (their boxes hold dark letters on a light
 * halo where the map alone shows something else).
 *
 * <p>usage: java -cp meshory.jar FrameCheck.java FRAME.png LABELS.tsv STYLE.sld PLAIN.png, the last
 * the same frame drawn without labels
 */
public class FrameCheck {
    // Channel distance within which a pixel has a colour: the rounding of the flat fills and the
    // blending at edges, no more.
    static final int TOLERANCE = 3;
    // A colour is present when it covers this share of the frame.
    static final double PRESENT = 0.0005;

    record Colour(String what, int rgb) {}

    static int channel(float c) {
        return Math.round(Math.max(0f, Math.min(1f, c)) * 255f);
    }

    static int rgb(StyleList.Rgba c) {
        return channel(c.r()) << 16 | channel(c.g()) << 8 | channel(c.b());
    }

    static boolean near(int a, int b, int tolerance) {
        for (int shift = 0; shift <= 16; shift += 8) {
            if (Math.abs((a >> shift & 0xFF) - (b >> shift & 0xFF)) > tolerance) {
                return false;
            }
        }
        return true;
    }

    static double luminance(int p) {
        return 0.299 * (p >> 16 & 0xFF) + 0.587 * (p >> 8 & 0xFF) + 0.114 * (p & 0xFF);
    }

    public static void main(String[] args) throws Exception {
        BufferedImage image = ImageIO.read(new File(args[0]));
        int w = image.getWidth();
        int h = image.getHeight();
        int[] px = image.getRGB(0, 0, w, h, null, 0, w);
        for (int i = 0; i < px.length; ++i) {
            px[i] &= 0xFFFFFF;
        }
        List<Colour> colours = new ArrayList<>();
        int background;
        try (StyleList styles = StyleList.load(Path.of(args[2]))) {
            background = rgb(styles.background());
            for (int id : styles.layers()) {
                StyleList.Style s = styles.style(id).orElseThrow();
                // Opaque colours only: a translucent one shows blended with what is under it.
                if (s.fill().a() >= 1f) {
                    colours.add(new Colour(s.name() + " fill", rgb(s.fill())));
                }
                if (s.stroke().a() >= 1f && s.strokeWidth() > 0) {
                    colours.add(new Colour(s.name() + " stroke", rgb(s.stroke())));
                }
            }
        }
        boolean ok = true;

        long scene = 0;
        for (int p : px) {
            if (!near(p, background, 6)) {
                ++scene;
            }
        }
        double share = (double) scene / px.length;
        System.out.printf("frame %dx%d: %.1f %% not background%n", w, h, 100 * share);
        if (share < 0.35) {
            System.out.println("FAIL: less than 35 % of the frame is map");
            ok = false;
        }

        Map<String, Double> present = new LinkedHashMap<>();
        for (Colour c : colours) {
            long n = 0;
            for (int p : px) {
                if (near(p, c.rgb(), TOLERANCE)) {
                    ++n;
                }
            }
            if ((double) n / px.length >= PRESENT) {
                present.put(c.what() + String.format(" #%06x", c.rgb()), 100.0 * n / px.length);
            }
        }
        List<String> found = new ArrayList<>();
        present.forEach((k, v) -> found.add(String.format("%s %.2f %%", k, v)));
        System.out.printf("style colours present: %d of %d: %s%n", present.size(), colours.size(),
                found);
        if (present.size() < 5) {
            System.out.println("FAIL: fewer than 5 of the style's colours in the frame");
            ok = false;
        }

        // A label reads when its box, against the same frame drawn without labels, shows dark
        // letters on a light halo: a good share of its pixels changed, some of them to dark. And
        // labels draw nothing outside their boxes.
        BufferedImage plainImage = ImageIO.read(new File(args[3]));
        int[] plain = plainImage.getRGB(0, 0, w, h, null, 0, w);
        boolean[] boxed = new boolean[w * h];
        int labels = 0;
        int readable = 0;
        List<String> unreadable = new ArrayList<>();
        for (String line : Files.readAllLines(Path.of(args[1]))) {
            String[] f = line.split("\t", 5);
            int x0 = Math.max(0, Integer.parseInt(f[0]));
            int y0 = Math.max(0, Integer.parseInt(f[1]));
            int x1 = Math.min(w, Integer.parseInt(f[2]));
            int y1 = Math.min(h, Integer.parseInt(f[3]));
            // The halo reaches past the box by a few pixels.
            for (int y = Math.max(0, y0 - 4); y < Math.min(h, y1 + 4); ++y) {
                for (int x = Math.max(0, x0 - 4); x < Math.min(w, x1 + 4); ++x) {
                    boxed[y * w + x] = true;
                }
            }
            if (x1 - x0 < 4 || y1 - y0 < 4) {
                continue;
            }
            ++labels;
            long changed = 0;
            long letters = 0;
            for (int y = y0; y < y1; ++y) {
                for (int x = x0; x < x1; ++x) {
                    int p = px[y * w + x];
                    if (Math.abs(luminance(p) - luminance(plain[y * w + x] & 0xFFFFFF)) > 40) {
                        ++changed;
                        letters += luminance(p) < 110 ? 1 : 0;
                    }
                }
            }
            long area = (long) (x1 - x0) * (y1 - y0);
            if (changed >= 0.15 * area && letters >= 0.03 * area) {
                ++readable;
            } else if (unreadable.size() < 5) {
                unreadable.add(f[4]);
            }
        }
        long stray = 0;
        for (int i = 0; i < px.length; ++i) {
            if (!boxed[i] && px[i] != (plain[i] & 0xFFFFFF)) {
                ++stray;
            }
        }
        if (stray > 0) {
            System.out.printf("FAIL: %d pixels outside the label boxes differ from the frame"
                    + " without labels%n", stray);
            ok = false;
        }
        System.out.printf("labels readable: %d of %d%s%n", readable, labels,
            unreadable.isEmpty() ? "" : " (not: " + unreadable + ")");
        if (labels < 10 || readable < 0.9 * labels) {
            System.out.println("FAIL: fewer than 10 labels, or fewer than 90 % of them readable");
            ok = false;
        }
        System.exit(ok ? 0 : 1);
    }
}
