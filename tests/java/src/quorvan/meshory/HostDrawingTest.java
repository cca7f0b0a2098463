package quorvan.meshory;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.BufferOverflowException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** What a GL host reads to draw: a layer's style record, and the camera's own matrices. */
class HostDrawingTest {
    private static FloatBuffer floats(int count) {
        return ByteBuffer.allocateDirect(4 * count).order(ByteOrder.nativeOrder()).asFloatBuffer();
    }

    /** Column-major m (16 floats from {@code at}) times (x, y, z, w). */
    private static float[] times(FloatBuffer m, int at, float[] v) {
        float[] out = new float[4];
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 4; ++col) {
                out[row] += m.get(at + 4 * col + row) * v[col];
            }
        }
        return out;
    }

    @Test
    void styleRecordsCarryTheDocumentsDrawingProperties(@TempDir Path dir) throws IOException {
        Path sld = dir.resolve("two.sld");
        Files.writeString(sld, """
            <StyledLayerDescriptor background-color="#0000FF" background-opacity="1">
              <NamedLayer><Name>roads</Name>
                <VendorOption name="geometryLayerId">20</VendorOption>
                <VendorOption name="zOrder">5</VendorOption>
                <UserStyle><FeatureTypeStyle><Rule>
                  <MinScaleDenominator>4000</MinScaleDenominator>
                  <MaxScaleDenominator>10</MaxScaleDenominator>
                  <PolygonSymbolizer>
                    <Fill><CssParameter name="fill">#FF8000</CssParameter></Fill>
                    <Stroke><CssParameter name="stroke">#102030</CssParameter>
                      <CssParameter name="stroke-opacity">0.5</CssParameter>
                      <CssParameter name="stroke-width">3.5</CssParameter></Stroke>
                  </PolygonSymbolizer>
                  <TextSymbolizer><CssParameter name="font-size">12</CssParameter></TextSymbolizer>
                </Rule></FeatureTypeStyle></UserStyle>
              </NamedLayer>
              <NamedLayer><Name>houses</Name>
                <VendorOption name="geometryLayerId">30</VendorOption>
                <VendorOption name="zOrder">-2</VendorOption>
                <VendorOption name="3D">true</VendorOption>
              </NamedLayer>
              <NamedLayer><Name>roads again</Name>
                <VendorOption name="geometryLayerId">20</VendorOption>
                <VendorOption name="zOrder">9</VendorOption>
              </NamedLayer>
            </StyledLayerDescriptor>
            """);
        StyleList list = StyleList.load(sld);
        StyleList.Style roads = list.style(20).orElseThrow();
        assertEquals(new StyleList.Style("roads", 20, 5, false,
                new StyleList.Rgba(1f, 128f / 255, 0f, 0f),
                new StyleList.Rgba(16f / 255, 32f / 255, 48f / 255, 0.5f), 3.5f, 0f, 0f, 0f, 12,
                4000, 10, -1, -1, 0), roads);
        StyleList.Style houses = list.style(30).orElseThrow();
        assertTrue(houses.view3d());
        assertEquals(-2, houses.zOrder());
        assertEquals(1, houses.documentIndex());
        assertTrue(list.style(99).isEmpty());
        assertEquals(new StyleList.Rgba(0, 0, 1, 1), list.background());
        list.close();
        assertThrows(IllegalStateException.class, () -> list.style(20));
        try (StyleList missing = StyleList.load(dir.resolve("none.sld"))) {
            assertTrue(missing.style(0).isEmpty());
            assertEquals(new StyleList.Rgba(0, 0, 0, 0), missing.background());
        }
    }

    @Test
    void matricesAreTheOnesProjectionAndPickingUse() {
        int width = 640;
        int height = 480;
        Camera camera = Camera.builder(width, height).planes(1, 20000).target(300, 200, 0)
            .scale(0.5, 0.5, 0.5).orbit(30, 50, 4000).build();
        FloatBuffer m = floats(3 * Camera.MATRIX_FLOATS + 1);
        m.position(1);
        assertEquals(16, camera.projectionMatrix(m));
        assertEquals(16, camera.viewMatrix(m));
        assertEquals(16, camera.scaleMatrix(m));
        assertEquals(49, m.position());
        assertArrayEquals(new float[] {0.5f, 0.5f, 0.5f, 1f},
            new float[] {m.get(33), m.get(38), m.get(43), m.get(48)});

        // P * V of a world point is where project() puts it.
        float[] world = {310, 190, 25, 1};
        float[] clip = times(m, 1, times(m, 17, world));
        float[] window = camera.project(world[0], world[1], world[2]);
        assertEquals((clip[0] / clip[3] * 0.5f + 0.5f) * width, window[0], 1e-3f);
        assertEquals((clip[1] / clip[3] * 0.5f + 0.5f) * height, window[1], 1e-3f);

        // P * V * S of the ground point that lineToPlane picks under a screen point is that point.
        float[] ray = camera.lineToPlane(100, 50, 0);
        float[] ground =
                times(m, 1, times(m, 17, times(m, 33, new float[] {ray[3], ray[4], ray[5], 1})));
        assertEquals(100, (ground[0] / ground[3] * 0.5f + 0.5f) * width, 1e-2f);
        assertEquals(height - 50, (ground[1] / ground[3] * 0.5f + 0.5f) * height, 1e-2f);

        FloatBuffer small = floats(15);
        assertThrows(BufferOverflowException.class, () -> camera.viewMatrix(small));
        assertEquals(0, small.position());
        assertThrows(IllegalArgumentException.class, () ->
                camera.viewMatrix(FloatBuffer.allocate(16)));
        ByteOrder other = ByteOrder.nativeOrder() == ByteOrder.BIG_ENDIAN ? ByteOrder.LITTLE_ENDIAN
                : ByteOrder.BIG_ENDIAN;
        assertThrows(IllegalArgumentException.class,
            () -> camera.viewMatrix(ByteBuffer.allocateDirect(64).order(other).asFloatBuffer()));
        camera.close();
        assertThrows(IllegalStateException.class, () -> camera.projectionMatrix(floats(16)));
    }
}
