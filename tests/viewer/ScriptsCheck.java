import java.awt.Color;
import java.awt.Font;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.font.FontRenderContext;
import java.awt.font.TextLayout;
import java.awt.image.BufferedImage;
import java.io.ByteArrayOutputStream;
import java.io.File;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.HashMap;
import java.util.Map;
import javax.imageio.ImageIO;

/**
 * Labels in five scripts, drawn by the viewer as Java2D draws them. {@code write DIR} writes a
 * pack without a grid holding one label each in Latin, Thai, Devanagari, Arabic and Chinese, and
 * one that no font can draw, with a style for them (and bad input: a pack with an infinite
 * origin, a style with a 3000-pixel font); {@code check DIR FRAME LABELS LOG} finds each
 * label of the viewer's frame and compares its dark pixels with the same string drawn by Java2D
 * in the font that script needs, at the label's size, black on white: the two must cover the
 * same pixels (intersection over union at least {@link #MATCH}), which no row of missing-glyph
 * boxes or unshaped text does. The label no font can draw must be left out and counted.
 */
public class ScriptsCheck {
    static final double MATCH = 0.9;
    static final int SIZE = 20;
    static final String[][] LABELS = {
        {"Market Street", "Noto Sans"},
        {"\u0e16\u0e19\u0e19\u0e2a\u0e35\u0e25\u0e21", "Noto Sans Thai"},
        {"\u0928\u0908 \u0926\u093f\u0932\u094d\u0932\u0940", "Noto Sans Devanagari"},
        {"\u0634\u0627\u0631\u0639 \u0627\u0644\u0645\u0644\u0643", "Noto Sans Arabic"},
        {"\u5357\u4eac\u8def", "Noto Sans CJK SC"},
    };
    // A private-use character of plane 16: no installed font has a glyph for it.
    static final String NO_FONT = "Nowhere \udbff\udffd";

    public static void main(String[] args) throws Exception {
        Path dir = Path.of(args[1]);
        if (args[0].equals("write")) {
            write(dir);
        } else {
            System.exit(check(dir, args[2], Path.of(args[3]), Path.of(args[4])) ? 0 : 1);
        }
    }

    static void write(Path dir) throws Exception {
        Files.createDirectories(dir);
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        ByteBuffer head = le(56).put("MSHYPACK".getBytes(StandardCharsets.US_ASCII))
            .putShort((short) 1).putShort((short) 0).putInt(0).putInt(0);
        head.putDouble(0).putDouble(0).putDouble(0).putDouble(0).putInt(0);
        out.writeBytes(head.array());
        out.writeBytes(le(4).putInt(LABELS.length + 1).array());
        for (int i = 0; i <= LABELS.length; ++i) {
            byte[] text = (i < LABELS.length ? LABELS[i][0] : NO_FONT)
                .getBytes(StandardCharsets.UTF_8);
            // One request per label at origin 0, 0: a TEXT_DATA blob on layer 51.
            out.writeBytes(le(20).putDouble(0).putDouble(0).putInt(1).array());
            out.writeBytes(le(24).putLong(i + 1).putInt(9).putInt(51).putInt(0)
                .putInt(9 + text.length).array());
            out.writeBytes(le(9).putFloat(0).putFloat(-100 * i).put((byte) text.length).array());
            out.writeBytes(text);
        }
        Files.write(dir.resolve("scripts.mpk"), out.toByteArray());
        // Bad input: the first request's origin infinite, a font size past what labels draw.
        ByteBuffer bad = ByteBuffer.wrap(out.toByteArray()).order(ByteOrder.LITTLE_ENDIAN);
        Files.write(dir.resolve("infinite.mpk"), bad.putDouble(60, 1 / 0.0).array());
        Files.writeString(dir.resolve("infinite.sld"), style(SIZE));
        Files.writeString(dir.resolve("huge.sld"), style(3000));
        Files.writeString(dir.resolve("scripts.sld"), style(SIZE));
    }

    static String style(int size) {
        return """
            <StyledLayerDescriptor background-color="#dde4ea" background-opacity="1">
              <NamedLayer><Name>place</Name>
                <VendorOption name="geometryLayerId">51</VendorOption>
                <VendorOption name="zOrder">51</VendorOption>
                <UserStyle><Name>place</Name><FeatureTypeStyle><Rule>
                  <TextSymbolizer><CssParameter name="font-size">%d</CssParameter></TextSymbolizer>
                  <PolygonSymbolizer><Fill>
                    <CssParameter name="fill">#000000</CssParameter>
                    <CssParameter name="fill-opacity">1</CssParameter>
                  </Fill></PolygonSymbolizer>
                </Rule></FeatureTypeStyle></UserStyle>
              </NamedLayer>
            </StyledLayerDescriptor>
            """.formatted(size);
    }

    static ByteBuffer le(int n) {
        return ByteBuffer.allocate(n).order(ByteOrder.LITTLE_ENDIAN);
    }

    static boolean check(Path dir, String frame, Path labels, Path log) throws Exception {
        BufferedImage image = ImageIO.read(new File(frame));
        Map<String, String[]> placed = new HashMap<>();
        for (String line : Files.readAllLines(labels)) {
            String[] f = line.split("\t", 7);
            placed.put(f[6], f);
        }
        boolean ok = true;
        for (String[] label : LABELS) {
            String[] f = placed.get(label[0]);
            if (f == null) {
                System.out.println("FAIL: not placed: " + label[0]);
                ok = false;
                continue;
            }
            int w = Integer.parseInt(f[2]);
            int h = Integer.parseInt(f[3]);
            int x0 = (int) Math.round(Double.parseDouble(f[0]) - w / 2.0);
            int y0 = (int) Math.round(Double.parseDouble(f[1]) - h / 2.0);
            boolean[] ink = new boolean[w * h];
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    ink[y * w + x] = luminance(image.getRGB(x0 + x, y0 + y)) < 128;
                }
            }
            double best = match(ink, reference(label, w, h), w, h);
            System.out.printf("%s (%s): pixels match %.3f%n", label[0], label[1], best);
            if (best < MATCH) {
                System.out.println("FAIL: the frame's label differs from Java2D's drawing");
                ok = false;
            }
        }
        if (placed.containsKey(NO_FONT)) {
            System.out.println("FAIL: a label no font can draw was drawn");
            ok = false;
        }
        if (!Files.readString(log).contains("labels no installed font can draw (left out): 1")) {
            System.out.println("FAIL: the label no font can draw was not counted");
            ok = false;
        }
        return ok;
    }

    /** The string drawn by Java2D alone, in its script's font, ink where dark. */
    static boolean[] reference(String[] label, int w, int h) {
        Font font = new Font(label[1], SIZE >= 14 ? Font.BOLD : Font.PLAIN, SIZE);
        if (!font.getFamily().equals(label[1]) || font.canDisplayUpTo(label[0]) >= 0) {
            throw new IllegalStateException("font " + label[1] + " is not installed");
        }
        TextLayout layout = new TextLayout(label[0], font, new FontRenderContext(null, true, true));
        BufferedImage ref = new BufferedImage(w, h, BufferedImage.TYPE_INT_RGB);
        Graphics2D g = ref.createGraphics();
        g.setColor(Color.WHITE);
        g.fillRect(0, 0, w, h);
        g.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING,
            RenderingHints.VALUE_TEXT_ANTIALIAS_ON);
        g.setRenderingHint(RenderingHints.KEY_FRACTIONALMETRICS,
            RenderingHints.VALUE_FRACTIONALMETRICS_ON);
        g.setColor(Color.BLACK);
        // Where the viewer's atlas puts the pen: the box holds the advance and the ink, padded
        // by 3 pixels for the halo, on whole pixels. match() allows a few pixels either way.
        float x = 3 - (float) Math.floor(Math.min(0, layout.getBounds().getMinX()));
        float y = 3 - (float) Math.floor(Math.min(-layout.getAscent(),
            layout.getBounds().getMinY()));
        layout.draw(g, x, y);
        g.dispose();
        boolean[] ink = new boolean[w * h];
        for (int i = 0; i < w * h; ++i) {
            ink[i] = luminance(ref.getRGB(i % w, i / w)) < 128;
        }
        return ink;
    }

    /** The best intersection over union of two ink masks, shifted up to 3 pixels. */
    static double match(boolean[] a, boolean[] b, int w, int h) {
        double best = 0;
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                int both = 0;
                int either = 0;
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) {
                        boolean p = a[y * w + x];
                        int sx = x + dx;
                        int sy = y + dy;
                        boolean q = sx >= 0 && sy >= 0 && sx < w && sy < h && b[sy * w + sx];
                        both += p && q ? 1 : 0;
                        either += p || q ? 1 : 0;
                    }
                }
                best = Math.max(best, either == 0 ? 0 : (double) both / either);
            }
        }
        return best;
    }

    static double luminance(int p) {
        return 0.299 * (p >> 16 & 0xFF) + 0.587 * (p >> 8 & 0xFF) + 0.114 * (p & 0xFF);
    }
}
