package quorvan.viewer;

import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import quorvan.meshory.PaintOrder;
import quorvan.meshory.StyleList;

/**
 * The SLD style as the viewer draws it: which layers show at a camera height, in which order,
 * and with which colours and widths, all read from the library's style list.
 *
 * <p>The camera height given to the style list is the ground distance, in model units, that the
 * viewport's height spans: the camera is orthographic, so zooming changes the scale, not the
 * eye's height, and this is the height a map reader means.
 */
final class MapStyle implements AutoCloseable {
    /** Pixels added around a line or a point within which a click picks it. */
    static final float PICK_TOLERANCE_PX = 3f;
    static final float DEFAULT_POINT_SIZE = 6f;

    private final StyleList list;
    private final Map<Integer, StyleList.Style> styles = new HashMap<>();
    final StyleList.Rgba background;

    MapStyle(Path sld) {
        list = StyleList.load(sld);
        for (int id : list.layers()) {
            list.style(id).ifPresent(s -> styles.putIfAbsent(id, s));
        }
        if (styles.isEmpty()) {
            list.close();
            throw new IllegalArgumentException(sld + ": no layer styles (not an SLD document?)");
        }
        background = list.background();
        for (StyleList.Style s : styles.values()) {
            if (s.fontSize() > Fonts.MAX_SIZE) {
                list.close();
                throw new IllegalArgumentException(sld + ": layer " + s.layerId()
                        + " sets font size " + s.fontSize() + "; the viewer draws labels up to "
                        + Fonts.MAX_SIZE);
            }
        }
    }

    /** The styles visible at a camera height, in drawing order (ascending z-order). */
    List<StyleList.Style> visible(float height) {
        List<StyleList.Style> out = new ArrayList<>();
        for (int id : list.visibleLayerIds(height)) {
            StyleList.Style s = styles.get(id);
            if (s != null && !out.contains(s)) {
                out.add(s);
            }
        }
        return out;
    }

    /**
     * The order the renderer paints the visible layers in, for picking: flat layers in order
     * (triangles if filled, lines if stroked, points always), then the 3D layers' fills with depth.
     */
    static PaintOrder paintOrder(List<StyleList.Style> visible) {
        PaintOrder.Builder order = PaintOrder.builder().tolerance(PICK_TOLERANCE_PX);
        for (StyleList.Style s : visible) {
            if (!s.view3d()) {
                order.layer(s.layerId(), (drawsFill(s) ? PaintOrder.TRIANGLES : 0)
                        | (drawsStroke(s) ? PaintOrder.LINES : 0) | PaintOrder.POINTS,
                        s.strokeWidth(), pointSize(s));
            }
        }
        for (StyleList.Style s : visible) {
            if (s.view3d() && drawsFill(s)) {
                order.layer(s.layerId(), PaintOrder.TRIANGLES | PaintOrder.DEPTH, 0f, 0f);
            }
        }
        return order.build();
    }

    StyleList.Style style(int layerId) {
        return styles.get(layerId);
    }

    static boolean drawsFill(StyleList.Style s) {
        return s.fill().a() > 0;
    }

    static boolean drawsStroke(StyleList.Style s) {
        return s.stroke().a() > 0 && s.strokeWidth() > 0;
    }

    /** Points take the fill colour and the graphic size (a default size when none is given). */
    static float pointSize(StyleList.Style s) {
        return s.graphicSize() > 0 ? s.graphicSize() : DEFAULT_POINT_SIZE;
    }

    /** Labels take the fill colour and the font size (12 when none is given). */
    static int fontSize(StyleList.Style s) {
        return s.fontSize() > 0 ? s.fontSize() : 12;
    }

    @Override
    public void close() {
        list.close();
    }
}
