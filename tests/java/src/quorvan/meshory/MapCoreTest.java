package quorvan.meshory;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.ByteArrayOutputStream;
import java.nio.BufferOverflowException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.charset.StandardCharsets;
import java.util.List;
import org.junit.jupiter.api.Test;

/** The map core from Java: a camera a host keeps, picking and label selection over tiles. */
class MapCoreTest {
    static final double OX = 1000;
    static final double OY = 2000;
    static final int GROUND = 10;
    static final int ROADS = 20;
    static final int POINTS = 30;
    static final int BUILDINGS = 40;
    static final int PLACES = 50;

    private static byte[] plain(float... xy) {
        ByteBuffer b = ByteBuffer.allocate(1 + 4 * xy.length).order(ByteOrder.LITTLE_ENDIAN);
        b.put((byte) 0);
        for (int i = 0; i < xy.length; i += 2) {
            b.putFloat((float) (OX + xy[i])).putFloat((float) (OY + xy[i + 1]));
        }
        return b.array();
    }

    private static byte[] label(float x, float y, String text) {
        byte[] t = text.getBytes(StandardCharsets.UTF_8);
        ByteBuffer b = ByteBuffer.allocate(9 + t.length).order(ByteOrder.LITTLE_ENDIAN);
        b.putFloat((float) (OX + x)).putFloat((float) (OY + y)).put((byte) t.length).put(t);
        return b.array();
    }

    private static byte[] raised(int height, byte[] stream) {
        ByteBuffer b = ByteBuffer.allocate(2 + stream.length).order(ByteOrder.LITTLE_ENDIAN);
        return b.putShort((short) height).put(stream).array();
    }

    /** One request per record {type, layer, payload}, all at (OX, OY). */
    private static Tile tile(ModelMaker maker, Object[]... records) {
        ByteArrayOutputStream all = new ByteArrayOutputStream();
        int[] requests = new int[2 * records.length];
        double[] origins = new double[2 * records.length];
        for (int i = 0; i < records.length; ++i) {
            byte[] payload = (byte[]) records[i][2];
            ByteBuffer head = ByteBuffer.allocate(24).order(ByteOrder.LITTLE_ENDIAN);
            head.putLong(100 + i).putInt((Integer) records[i][0]).putInt((Integer) records[i][1])
                .putInt(0).putInt(payload.length);
            all.writeBytes(head.array());
            all.writeBytes(payload);
            requests[2 * i] = i;
            requests[2 * i + 1] = 1;
            origins[2 * i] = OX;
            origins[2 * i + 1] = OY;
        }
        ByteBuffer block = ByteBuffer.allocateDirect(all.size()).put(all.toByteArray()).flip();
        return maker.makeTile(block, records.length, requests, origins, Tile.SKIP_ZERO_AREA);
    }

    /** Screen point (y from the top) of a model-space point, through project. */
    private static float[] screen(Camera c, double scale, double x, double y, double z) {
        float[] w = c.project((float) (scale * x), (float) (scale * y), (float) (scale * z));
        return new float[] {w[0], c.settings().height() - w[1]};
    }

    @Test
    void aCameraStatesItsConventionsAndChangesInPlace() {
        try (Camera c = Camera.builder(800, 600).planes(1, 1000).orbit(0, 90, 500).build()) {
            // Yaw 0: south at the top, east at the left; project counts y from the bottom.
            assertTrue(c.project(0, -10, 0)[1] > 300);
            assertTrue(c.project(10, 0, 0)[0] < 400);
            // lineToPlane counts y from the top and lands where project put the point.
            float[] w = c.project(30, 40, 0);
            float[] ray = c.lineToPlane(w[0], 600 - w[1], 0);
            assertArrayEquals(new float[] {30, 40, 0}, slice(ray, 3, 6), 1e-3f);

            c.setYaw(-90).setPitch(10).setViewport(400, 200).setTarget(100, 50, 0)
                .setDistance(800);
            Camera.Settings s = c.settings();
            assertEquals(270f, s.yaw());
            assertEquals(35f, s.pitch());
            assertEquals(800f, s.distance());
            assertFalse(s.perspective());
            assertArrayEquals(new float[] {200, 100}, slice(c.project(100, 50, 0), 2), 1e-3f);
            float[] eye = c.eye();
            assertEquals(800, Math.sqrt(sq(eye[0] - 100) + sq(eye[1] - 50) + sq(eye[2])), 1e-2);
            c.setScale(2, 2, 2);
            assertEquals(100f, c.styleHeight(), 1e-4f);
        }
        try (Camera p = Camera.builder(800, 600).perspective().fov(60).orbit(30, 50, 400)
                .planes(4, 2000).build()) {
            assertTrue(p.settings().perspective());
            assertArrayEquals(new float[] {400, 300}, slice(p.project(0, 0, 0), 2), 1e-3f);
            float[] w = p.project(50, -20, 0);
            float[] ray = p.lineToPlane(w[0], 600 - w[1], 0);
            assertArrayEquals(new float[] {50, -20, 0}, slice(ray, 3, 6), 1e-2f);
            assertEquals(2 * 400 * Math.tan(Math.toRadians(30)), p.styleHeight(), 1e-3);
            p.close();
            assertThrows(IllegalStateException.class, () -> p.setYaw(3));
        }
        // The natives refuse an unknown kind and handle 0.
        quorvan._native.Camera$ n = quorvan._native.Camera$.MODULE$;
        assertThrows(IllegalArgumentException.class,
            () -> n.createCameraOfKind(7, 8, 8, 1, 2, 0, 0, 0, 1, 1, 1, 0, 90, 1, 60));
        assertThrows(IllegalArgumentException.class, () -> n.setPitch(0, 40));
        assertThrows(IllegalArgumentException.class, () -> n.settings(0, new double[15]));
    }

    @Test
    void pickingReplaysThePaintOrderForEveryCameraKind() {
        try (ModelMaker maker = new ModelMaker();
                Tile t = tile(maker,
                    new Object[] {GeometryType.FLAT_TRIANGLE_FAN, GROUND,
                        plain(50, 50, 0, 0, 100, 0, 100, 100, 0, 100, 0, 0)},
                    new Object[] {GeometryType.LINES, ROADS, plain(10, 80, 90, 80)},
                    new Object[] {GeometryType.POINTS, POINTS, plain(20, 20)},
                    new Object[] {GeometryType.TRIANGLE_FAN, BUILDINGS,
                        raised(300, plain(50, 50, 40, 40, 60, 40, 60, 60, 40, 60, 40, 40))})) {
            PaintOrder all = PaintOrder.builder().layer(GROUND, PaintOrder.TRIANGLES, 1, 1)
                .layer(ROADS, PaintOrder.LINES, 2, 1).layer(POINTS, PaintOrder.POINTS, 1, 6)
                .layer(BUILDINGS, PaintOrder.TRIANGLES | PaintOrder.DEPTH, 1, 1).build();
            float roof = t.models().get(3).height();
            double scale = 4;
            Camera top = Camera.builder(800, 600).scale(scale, scale, scale)
                .target(scale * (OX + 50), scale * (OY + 50), 0).orbit(0, 90, 1000)
                .planes(1, 2000).build();
            Camera persp = Camera.builder(800, 600).perspective().fov(60)
                .target(OX + 50, OY + 50, 0).orbit(200, 55, 250).planes(2, 2000).build();
            for (Camera c : List.of(top, persp)) {
                double k = c == top ? scale : 1;
                float[] s = screen(c, k, OX + 50, OY + 50, roof);
                Tile.Pick p = t.pick(c, OX, OY, s[0], s[1], all).orElseThrow();
                assertEquals(BUILDINGS, t.models().get(p.model()).layerId());
                assertEquals(Tile.TRIANGLE, p.kind());
                assertEquals(roof, p.z(), 1e-2);
                s = screen(c, k, OX + 20, OY + 20, 0);
                Tile.Pick point = t.pick(c, OX, OY, s[0] + 5.5f, s[1], all).orElseThrow();
                assertEquals(Tile.POINT, point.kind());
                s = screen(c, k, OX + 10, OY + 10, 0);
                assertEquals(GROUND, t.models().get(t.pick(c, OX, OY, s[0], s[1], all)
                    .orElseThrow().model()).layerId());
            }
            // The road: 1 + 3 pixels either side in a top view, here across y.
            float[] s = screen(top, scale, OX + 50, OY + 80, 0);
            Tile.Pick near = t.pick(top, OX, OY, s[0], s[1] + 3.9f, all).orElseThrow();
            assertEquals(Tile.LINE, near.kind());
            Tile.Pick beyond = t.pick(top, OX, OY, s[0], s[1] + 4.1f, all).orElseThrow();
            assertEquals(Tile.TRIANGLE, beyond.kind());
            // The paint order is the filter; tiles painted later cover earlier ones.
            PaintOrder groundOnly =
                PaintOrder.builder().layer(GROUND, PaintOrder.TRIANGLES, 1, 1).build();
            s = screen(top, scale, OX + 50, OY + 50, roof);
            assertEquals(0, t.pick(top, OX, OY, s[0], s[1], groundOnly).orElseThrow().model());
            assertEquals(1, Tile.pick(List.of(t, t), new double[] {OX, OY, OX, OY}, top, s[0], s[1],
                groundOnly).orElseThrow().tile());
            assertTrue(t.pick(top, OX, OY, -5, 5, all).isEmpty());
            assertTrue(t.pick(top, OX, OY, s[0], s[1], PaintOrder.builder().build()).isEmpty());
            assertThrows(IllegalArgumentException.class,
                () -> Tile.pick(List.of(t), new double[] {OX}, top, 1, 1, all));
            top.close();
            persp.close();
            assertThrows(IllegalStateException.class, () -> t.pick(top, OX, OY, 1, 1, all));
        }
    }

    @Test
    void labelsAreSelectedInOneCallPerFrame() {
        try (ModelMaker maker = new ModelMaker();
                Tile t = tile(maker,
                    new Object[] {GeometryType.TEXT_DATA, PLACES, label(10, 10, "Castro")},
                    new Object[] {GeometryType.TEXT_DATA, PLACES, label(11, 10, "Noe")},
                    new Object[] {GeometryType.TEXT_DATA, PLACES, label(60, 60, "Mission")},
                    new Object[] {GeometryType.TEXT_DATA, GROUND, label(90, 20, "Hidden")});
                Camera c = Camera.builder(800, 600).scale(4, 4, 4)
                    .target(4 * (OX + 50), 4 * (OY + 50), 0).orbit(0, 90, 1000).planes(1, 2000)
                    .build()) {
            float[] sizes = {60, 14, 40, 14, 70, 14, 60, 14};
            FloatBuffer out = ByteBuffer.allocateDirect(4 * 64).order(ByteOrder.nativeOrder())
                .asFloatBuffer();
            out.position(2);
            int[] chosen = LabelSelection.select(List.of(t), new double[] {OX, OY}, c,
                new int[] {PLACES}, sizes, null, out);
            // Castro, then Mission; Noe overlaps Castro; Hidden's layer is not drawn.
            assertArrayEquals(new int[] {0, 0, 0, 2}, chosen);
            assertEquals(2 + 2 * LabelSelection.FLOATS_PER_LABEL, out.position());
            float[] castro = c.project(4 * (float) (OX + 10), 4 * (float) (OY + 10), 0);
            assertArrayEquals(new float[] {castro[0], castro[1], 0}, new float[] {out.get(2),
                out.get(3), out.get(4)}, 1e-2f);
            assertArrayEquals(chosen, LabelSelection.select(List.of(t), new double[] {OX, OY}, c,
                new int[] {PLACES}, sizes, null, out.position(2)));
            // Host priorities: Noe first.
            assertArrayEquals(new int[] {0, 1, 0, 2}, LabelSelection.select(List.of(t),
                new double[] {OX, OY}, c, new int[] {PLACES}, sizes, new float[] {1, 0, 1, 1},
                out.position(2)));
            FloatBuffer small = ByteBuffer.allocateDirect(4 * 5).order(ByteOrder.nativeOrder())
                .asFloatBuffer();
            assertThrows(BufferOverflowException.class, () -> LabelSelection.select(List.of(t),
                new double[] {OX, OY}, c, new int[0], sizes, null, small));
            assertEquals(0, small.position());
            assertThrows(IllegalArgumentException.class, () -> LabelSelection.select(List.of(t),
                new double[] {OX, OY}, c, null, sizes, null, FloatBuffer.allocate(9)));
        }
    }

    private static float[] slice(float[] v, int n) {
        return slice(v, 0, n);
    }

    private static float[] slice(float[] v, int from, int to) {
        return java.util.Arrays.copyOfRange(v, from, to);
    }

    private static double sq(double v) {
        return v * v;
    }
}
