package quorvan._native;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

class SldStylesTest {
    private static final SldStyles$ STYLES = SldStyles$.MODULE$;
    private static final int[] NONE = new int[0];

    private static String layer(int layerId, int zOrder, boolean view3d, String rule) {
        return "<NamedLayer><Name>l" + layerId + "</Name>"
                + "<VendorOption name=\"geometryLayerId\">" + layerId + "</VendorOption>"
                + "<VendorOption name=\"zOrder\">" + zOrder + "</VendorOption>"
                + "<VendorOption name=\"3D\">" + view3d + "</VendorOption>"
                + "<UserStyle><FeatureTypeStyle><Rule>" + rule
                + "</Rule></FeatureTypeStyle></UserStyle>" + "</NamedLayer>";
    }

    private static Path document(Path dir, String name) throws Exception {
        String text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                + "<StyledLayerDescriptor version=\"1.0.0\" xmlns=\"http://www.opengis.net/sld\">"
                + layer(7, 5, false, "<MinScaleDenominator>5000</MinScaleDenominator>"
                        + "<MaxScaleDenominator>1000</MaxScaleDenominator>")
                + layer(3, -1, true, "")
                + layer(9, 3, true, "<MinScaleDenominator>2000</MinScaleDenominator>")
                + layer(3, 8, false, "")
                + "</StyledLayerDescriptor>";
        return Files.write(dir.resolve(name), text.getBytes(StandardCharsets.UTF_8));
    }

    @Test
    void answersLayerIdsInDrawingOrder(@TempDir Path dir) throws Exception {
        long handle = STYLES.handleFromFile(document(dir, "city.sld").toString());
        assertNotEquals(0L, handle);
        try {
            assertArrayEquals(new int[] {3, 9, 7, 3}, STYLES.allLayers(handle));
            assertArrayEquals(new int[] {3, 9}, STYLES.all3dLayers(handle));
            assertArrayEquals(new int[] {3, 9, 3}, STYLES.visibleLayerIds(handle, 999.5f));
            assertArrayEquals(new int[] {3, 9, 7, 3}, STYLES.visibleLayerIds(handle, 2000f));
            assertArrayEquals(new int[] {3, 7, 3}, STYLES.visibleLayerIds(handle, 5000f));
            assertArrayEquals(new int[] {3, 3}, STYLES.visibleLayerIds(handle, 5000.5f));
        } finally {
            STYLES.destroyHandle(handle);
        }
    }

    @Test
    void unreadableDocumentsStillGiveAHandleToAnEmptyList(@TempDir Path dir) throws Exception {
        Path truncated = Files.write(dir.resolve("truncated.sld"),
                "<StyledLayerDescriptor><NamedLayer><Na".getBytes(StandardCharsets.UTF_8));
        String[] paths = {dir.resolve("missing.sld").toString(), dir.toString(),
                truncated.toString(), "", null};
        for (String path : paths) {
            long handle = STYLES.handleFromFile(path);
            assertNotEquals(0L, handle, String.valueOf(path));
            assertArrayEquals(NONE, STYLES.allLayers(handle));
            assertArrayEquals(NONE, STYLES.all3dLayers(handle));
            assertArrayEquals(NONE, STYLES.visibleLayerIds(handle, 10f));
            STYLES.destroyHandle(handle);
        }
    }

    @Test
    void handleZeroIsNoList() {
        assertArrayEquals(NONE, STYLES.allLayers(0));
        assertArrayEquals(NONE, STYLES.all3dLayers(0));
        assertArrayEquals(NONE, STYLES.visibleLayerIds(0, 10f));
        STYLES.destroyHandle(0);
    }

    @Test
    void nonAsciiPathsReachTheFileSystem(@TempDir Path dir) throws Exception {
        // The JVM can only name such a file when its file-name encoding is UTF-8.
        assumeTrue("UTF-8".equalsIgnoreCase(System.getProperty("sun.jnu.encoding")),
                "file names are not UTF-8 in this JVM");
        long handle =
                STYLES.handleFromFile(document(dir, "Stadtplan-\u00e4\u00df\u4e16.sld").toString());
        try {
            assertArrayEquals(new int[] {3, 9, 7, 3}, STYLES.allLayers(handle));
        } finally {
            STYLES.destroyHandle(handle);
        }
    }
}
