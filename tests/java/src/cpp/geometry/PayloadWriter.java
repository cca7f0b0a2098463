package cpp.geometry;

import java.io.ByteArrayOutputStream;
import java.nio.charset.StandardCharsets;

/**
 * Builds blob payloads from values, little-endian and unaligned, as the tile data lays them out;
 * the Java twin of the C++ tests' payload writer, so no test hand-types payload bytes.
 */
final class PayloadWriter {
    // Geometry type codes of a blob.
    static final int FLAT_TRIANGLE_STRIP = 3;
    static final int FLAT_LINE_STRIP = 5;
    static final int LINES = 6;
    static final int POINTS = 8;
    static final int TEXT_DATA = 9;
    static final int ROAD_PATH = 12;
    static final int BRIDGE = 13;
    static final int TRIANGLE_FAN = 15;
    static final int CELL_POLYGON = 18;
    static final int LABEL_STYLE_SEGMENTS = 101;

    private final ByteArrayOutputStream out = new ByteArrayOutputStream();

    PayloadWriter u8(int v) {
        out.write(v);
        return this;
    }

    PayloadWriter u16(int v) {
        return u8(v).u8(v >>> 8);
    }

    PayloadWriter i32(int v) {
        return u16(v).u16(v >>> 16);
    }

    PayloadWriter f32(float v) {
        return i32(Float.floatToRawIntBits(v));
    }

    PayloadWriter raw(byte[] bytes) {
        out.writeBytes(bytes);
        return this;
    }

    byte[] bytes() {
        return out.toByteArray();
    }

    /** A plain vertex stream of the points (x0, y0, x1, y1, ...). */
    static byte[] plainStream(float... xy) {
        PayloadWriter w = new PayloadWriter().u8(0);
        for (float v : xy) {
            w.f32(v);
        }
        return w.bytes();
    }

    /** A delta stream: the first point, then int16 deltas in tenths (dx, dy, dx, dy, ...). */
    static byte[] deltaStream(float x0, float y0, short[] deltas) {
        PayloadWriter w = new PayloadWriter().u8(1).f32(x0).f32(y0);
        for (short d : deltas) {
            w.u16(d);
        }
        return w.bytes();
    }

    static byte[] withU8Prefix(int value, byte[] rest) {
        return new PayloadWriter().u8(value).raw(rest).bytes();
    }

    static byte[] withU16Prefix(int value, byte[] rest) {
        return new PayloadWriter().u16(value).raw(rest).bytes();
    }

    /**
     * A TEXT_DATA label block: the anchor, then (variant, text) entries; the first variant is not
     * written.
     */
    static byte[] labelBlock(float x, float y, Object... variantsAndTexts) {
        PayloadWriter w = new PayloadWriter().f32(x).f32(y);
        for (int i = 0; i < variantsAndTexts.length; i += 2) {
            if (i > 0) {
                w.u16((Integer) variantsAndTexts[i]);
            }
            byte[] text = utf8((String) variantsAndTexts[i + 1]);
            w.u8(text.length).raw(text);
        }
        return w.bytes();
    }

    /**
     * One LABEL_STYLE_SEGMENTS element of variant 0, category 0 and no skipped values, whose text
     * is the given raw bytes (segment texts reach the model unvalidated).
     */
    static byte[] segment(int kind, int styleId, int code, byte[] text, float... xy) {
        return new PayloadWriter()
                .i32(0).i32(0) // no skipped values; one value read past
                .u16(0).u8(0).i32(styleId).i32(code).u8(kind)
                .u16(text.length).u16(xy.length / 2)
                .raw(text)
                .raw(floats(xy))
                .bytes();
    }

    /** A LABEL_STYLE_SEGMENTS payload of one group holding the elements. */
    static byte[] segmentGroup(byte[]... elements) {
        PayloadWriter w = new PayloadWriter().u16(elements.length);
        for (byte[] e : elements) {
            w.raw(e);
        }
        return w.bytes();
    }

    static byte[] utf8(String s) {
        return s.getBytes(StandardCharsets.UTF_8);
    }

    /** Raw bytes from ints, for texts that are deliberately not UTF-8. */
    static byte[] octets(int... values) {
        byte[] b = new byte[values.length];
        for (int i = 0; i < values.length; i++) {
            b[i] = (byte) values[i];
        }
        return b;
    }

    private static byte[] floats(float... values) {
        PayloadWriter w = new PayloadWriter();
        for (float v : values) {
            w.f32(v);
        }
        return w.bytes();
    }
}
