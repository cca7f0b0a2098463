package quorvan.viewer;

import java.awt.Font;
import java.awt.GraphicsEnvironment;
import java.awt.font.FontRenderContext;
import java.awt.font.TextAttribute;
import java.awt.font.TextLayout;
import java.awt.geom.Rectangle2D;
import java.text.AttributedString;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;

/**
 * Labels laid out as whole strings by the JDK's text layout, which shapes complex scripts (Thai,
 * Devanagari, Arabic) and orders right-to-left text. Each run of a label takes the first font of
 * the chain that can display it (Noto Sans, the CJK face, the other Noto faces, DejaVu Sans);
 * a label some character of which no installed font can display is not drawn at all, rather
 * than drawn as boxes. Thread-safe: tiles measure their labels on the workers.
 */
final class Fonts {
    /** The largest label size drawn: a larger one in the style is refused at start. */
    static final int MAX_SIZE = 200;
    static final FontRenderContext CONTEXT = new FontRenderContext(null, true, true);

    /**
     * A shaped label: its layout, and its box in whole pixels around the pen's start on the
     * baseline (left, top, width, height; y down), holding both the advance and the ink.
     */
    record Text(String string, int size, TextLayout layout, int left, int top, int width,
            int height) {}

    private final List<Font> chain;
    private final Map<String, Text> shaped = new ConcurrentHashMap<>();
    private static final Text NONE = new Text("", 0, null, 0, 0, 0, 0);

    Fonts() {
        List<String> installed = new ArrayList<>(Arrays.asList(GraphicsEnvironment
                .getLocalGraphicsEnvironment().getAvailableFontFamilyNames(Locale.ROOT)));
        List<String> order = new ArrayList<>(List.of("Noto Sans", "Noto Sans CJK SC"));
        for (String prefix : List.of("Noto Sans ", "Noto Serif ")) {
            installed.stream().filter(f -> f.startsWith(prefix) && !f.contains("Mono")
                    && !f.contains("Display") && !f.endsWith(" UI")).sorted().forEach(order::add);
        }
        order.add("DejaVu Sans");
        chain = order.stream().distinct().filter(installed::contains)
                .map(f -> new Font(f, Font.PLAIN, 12)).toList();
    }

    /** The families of the chain, in order. */
    List<String> families() {
        return chain.stream().map(Font::getFamily).toList();
    }

    /** A label shaped at a size (bold from 14 pixels up), or null when no font can draw it. */
    Text shape(String string, int size) {
        Text t = shaped.computeIfAbsent(size + "\n" + string, k -> layout(string, size));
        return t == NONE ? null : t;
    }

    private Text layout(String string, int size) {
        if (string.isEmpty()) {
            return NONE;
        }
        char[] chars = string.toCharArray();
        AttributedString text = new AttributedString(string);
        for (int at = 0; at < chars.length;) {
            int end = at;
            for (Font f : chain) {
                int upTo = f.canDisplayUpTo(chars, at, chars.length);
                if (upTo != at) {
                    end = upTo < 0 ? chars.length : upTo;
                    text.addAttribute(TextAttribute.FONT,
                            f.deriveFont(size >= 14 ? Font.BOLD : Font.PLAIN, size), at, end);
                    break;
                }
            }
            if (end == at) {
                return NONE;
            }
            at = end;
        }
        TextLayout layout = new TextLayout(text.getIterator(), CONTEXT);
        Rectangle2D ink = layout.getBounds();
        int left = (int) Math.floor(Math.min(0, ink.getMinX()));
        int top = (int) Math.floor(Math.min(-layout.getAscent(), ink.getMinY()));
        int right = (int) Math.ceil(Math.max(layout.getAdvance(), ink.getMaxX()));
        int bottom = (int) Math.ceil(Math.max(layout.getDescent(), ink.getMaxY()));
        return new Text(string, size, layout, left, top, right - left, bottom - top);
    }
}
