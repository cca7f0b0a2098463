package quorvan.meshory;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import cpp.geometry.Meshory;
import java.io.IOException;
import java.lang.reflect.Field;
import java.lang.reflect.Modifier;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Map;
import java.util.TreeMap;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.Test;

/** What a JVM developer reaches for beside the owners: type codes, model stamps, the grid. */
class HostApiTest {
    private static final float[] NONE = new float[0];

    @Test
    void geometryTypeCodesAreTheLibrarysOwn() throws IOException, IllegalAccessException {
        // The C++ constants, read from the public header the build names.
        String header = Files.readString(Path.of(System.getProperty("meshory.test.glmodel")));
        Matcher block = Pattern.compile("namespace blob_geometry \\{(.*?)\\}",
                Pattern.DOTALL).matcher(header);
        assertTrue(block.find(), "no blob_geometry block in the header");
        Map<String, Integer> cpp = new TreeMap<>();
        Matcher row = Pattern.compile("constexpr int32_t (\\w+) = (\\d+);").matcher(block.group(1));
        while (row.find()) {
            cpp.put(row.group(1), Integer.parseInt(row.group(2)));
        }
        Map<String, Integer> java = new TreeMap<>();
        for (Field f : GeometryType.class.getFields()) {
            if (Modifier.isStatic(f.getModifiers()) && f.getType() == int.class) {
                java.put(f.getName(), f.getInt(null));
            }
        }
        assertEquals(19, cpp.size(), cpp.toString());
        assertEquals(cpp, java);
    }

    private static BlobRecord cell(long id, int cellIndex) {
        return new BlobRecord(id, GeometryType.CELL_POLYGON, 5, cellIndex, null);
    }

    @Test
    void modelsTellTheIdAndCellOfTheirFirstBlob() {
        try (ModelMaker maker = new ModelMaker();
                Blobs blobs = Blobs.of(
                        new BlobRecord(-2, GeometryType.POINTS, 1, 3 << 16 | 7,
                                new byte[] {0, 0, 0, 0, 0, 0, 0, 0, 0}),
                        new BlobRecord(9, GeometryType.POINTS, 1, 0, null));
                Model model = maker.makeModel(blobs, 0, 0);
                Model empty = maker.makeModel(Blobs.of(), 0, 0)) {
            assertEquals(-2L, model.id(), "all 64 bits of the id, as given");
            assertEquals(3 << 16 | 7, model.cellIndex());
            assertEquals(0L, empty.id());
            assertEquals(0, empty.cellIndex());
            model.close();
            assertThrows(IllegalStateException.class, model::id);
        }
    }

    @Test
    void aGridOnlyTakesCountsAndBoundsItCanIndexAndACellOutsideItDrawsNothing() {
        Grid.initialize(4, 3, 0, 0, 400, 300);
        try (ModelMaker maker = new ModelMaker(); Blobs inside = Blobs.of(cell(1, 2 << 16 | 1))) {
            float[] square;
            try (Model m = maker.makeModel(inside, 0, 0)) {
                square = m.triangles();
            }
            assertEquals(18, square.length);
            double inf = Double.POSITIVE_INFINITY;
            double[][] refused = {
                {0, 3, 0, 0, 400, 300}, {-4, 3, 0, 0, 400, 300}, {65537, 3, 0, 0, 400, 300},
                {4, 3, 0, 0, 0, 300}, {4, 3, 0, 0, 400, 0}, {4, 3, Double.NaN, 0, 400, 300},
                {4, 3, 0, 0, inf, 300}, {4, 3, -1e308, 0, 1e308, 300},
            };
            for (double[] r : refused) {
                assertThrows(IllegalArgumentException.class,
                        () -> Grid.initialize((int) r[0], (int) r[1], r[2], r[3], r[4], r[5]));
            }
            try (Model m = maker.makeModel(inside, 0, 0)) {
                assertArrayEquals(square, m.triangles(),
                        "a refused set-up leaves the grid as it was");
            }
            // Column 4 and row 3 lie outside the grid; so does every cell of a grid without cells.
            try (Blobs outside = Blobs.of(cell(2, 4 << 16), cell(3, 3));
                    Model a = maker.makeModel(outside, 0, 0)) {
                assertArrayEquals(NONE, a.triangles());
            }
            // Corners in any order: the same grid, the same cell square.
            Grid.initialize(4, 3, 400, 300, 0, 0);
            try (Model m = maker.makeModel(inside, 0, 0)) {
                assertArrayEquals(square, m.triangles(), "reversed corners make the same grid");
            }
            Meshory.initializeGrid(0, 0, 0, 0, 0, 0); // the raw native stores what it is given
            try (Model m = maker.makeModel(inside, 0, 0)) {
                assertArrayEquals(NONE, m.triangles());
            }
        } finally {
            Grid.initialize(4, 3, 0, 0, 400, 300);
        }
    }
}
