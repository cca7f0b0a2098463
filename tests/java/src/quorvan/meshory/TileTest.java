package quorvan.meshory;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTimeoutPreemptively;
import static org.junit.jupiter.api.Assertions.assertTrue;

import cpp.geometry.TileLayout;
import java.io.IOException;
import java.nio.BufferOverflowException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Duration;
import java.util.Arrays;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.concurrent.atomic.AtomicBoolean;
import org.junit.jupiter.api.Test;

/**
 * A tile in one call against the per-model path, over every request of the San Francisco sample.
 */
class TileTest {
    /**
     * The sample's blobs as one block of records, where each record starts, and the request table.
     */
    private record Sample(ByteBuffer records, int[] starts, int[] requests, double[] origins) {
        int recordCount() {
            return starts.length;
        }

        /** The records of request r, at the buffer's position. */
        ByteBuffer recordsOf(int r) {
            ByteBuffer b = records.duplicate().order(ByteOrder.LITTLE_ENDIAN);
            return b.position(starts[requests[2 * r]]);
        }
    }

    // Reads the blob pack (docs/blob-pack.md), whose requests' blobs are records already.
    private static Sample sample() throws IOException {
        ByteBuffer pack =
                ByteBuffer.wrap(Files.readAllBytes(Path.of(System.getProperty("meshory.sample"))))
                .order(ByteOrder.LITTLE_ENDIAN);
        Grid.initialize(pack.getInt(12), pack.getInt(16), pack.getDouble(20), pack.getDouble(28),
                pack.getDouble(36), pack.getDouble(44));
        pack.position(52);
        for (int names = pack.getInt(); names > 0; --names) {
            pack.getInt();
            int length = Short.toUnsignedInt(pack.getShort());
            pack.position(pack.position() + length);
        }
        int requestCount = pack.getInt();
        ByteBuffer records = ByteBuffer.allocateDirect(pack.remaining());
        int[] starts = new int[pack.remaining() / 24];
        int[] requests = new int[2 * requestCount];
        double[] origins = new double[2 * requestCount];
        int count = 0;
        for (int r = 0; r < requestCount; ++r) {
            // A tile has one origin: the whole sample is one tile relative to the first cell's
            // (0, 0), rather than each cell relative to its own corner as the pack has it.
            pack.getDouble();
            pack.getDouble();
            int blobs = pack.getInt();
            requests[2 * r] = count;
            requests[2 * r + 1] = blobs;
            for (int b = 0; b < blobs; ++b, ++count) {
                int size = 24 + pack.getInt(pack.position() + 20);
                starts[count] = records.position();
                records.put(pack.slice(pack.position(), size));
                pack.position(pack.position() + size);
            }
        }
        return new Sample(records.flip(), Arrays.copyOf(starts, count), requests, origins);
    }

    private static FloatBuffer floats(int count) {
        return ByteBuffer.allocateDirect(4 * count).order(ByteOrder.nativeOrder()).asFloatBuffer();
    }

    private static float[] vertices(FloatBuffer block, int first, int count) {
        float[] out = new float[3 * count];
        block.get(3 * first, out);
        return out;
    }

    private static float[] all(FloatBuffer b) {
        float[] out = new float[b.flip().remaining()];
        b.get(out);
        return out;
    }

    private static FloatBuffer blockOf(Tile tile) {
        FloatBuffer out = floats(tile.floatCount());
        assertEquals(tile.floatCount(), tile.write(out));
        return out;
    }

    @Test
    void everyRequestOfTheSampleEqualsItsModelFloatForFloat() throws IOException {
        Sample s = sample();
        try (ModelMaker maker = new ModelMaker();
                Tile plain =
                        maker.makeTile(s.records(), s.recordCount(), s.requests(), s.origins(), 0);
                Tile skipping = maker.makeTile(s.records(), s.recordCount(), s.requests(),
                        s.origins(), Tile.SKIP_ZERO_AREA | Tile.NORMALS)) {
            assertEquals(0, s.records().position());
            FloatBuffer plainBlock = blockOf(plain);
            FloatBuffer skippingBlock = blockOf(skipping);
            int[] modelOf = new int[s.requests().length / 2];
            Arrays.fill(modelOf, -1);
            for (int i = 0; i < plain.models().size(); ++i) {
                modelOf[plain.models().get(i).request()] = i;
            }
            int built = 0;
            for (int r = 0; r < modelOf.length; ++r) {
                try (Blobs blobs = Blobs.read(s.recordsOf(r), s.requests()[2 * r + 1]);
                        Model model = maker.makeModel(blobs, s.origins()[2 * r],
                                s.origins()[2 * r + 1])) {
                    String where = "request " + r;
                    assertEquals(model.isEmpty(), modelOf[r] < 0, where);
                    if (model.isEmpty()) {
                        continue;
                    }
                    ++built;
                    Tile.TileModel m = plain.models().get(modelOf[r]);
                    assertEquals(model.layerId(), m.layerId(), where);
                    assertEquals(model.height(), m.height(), where);
                    assertEquals(model.label(), plain.label(modelOf[r]), where);
                    assertArrayEquals(model.triangles(),
                            vertices(plainBlock, m.trianglesFirst(), m.triangleVertices()), where);
                    assertArrayEquals(model.lines(),
                            vertices(plainBlock, m.linesFirst(), m.lineVertices()), where);
                    assertArrayEquals(model.points(),
                            vertices(plainBlock, m.pointsFirst(), m.pointVertices()), where);
                    // The same model in the other tile: same place in the order, zero-area
                    // triangles left out.
                    Tile.TileModel k = skipping.models().get(modelOf[r]);
                    FloatBuffer kept = floats(model.triangleFloatsWithArea());
                    model.triangles(kept, true);
                    assertArrayEquals(all(kept),
                            vertices(skippingBlock, k.trianglesFirst(), k.triangleVertices()),
                            where);
                    assertArrayEquals(model.lines(),
                            vertices(skippingBlock, k.linesFirst(), k.lineVertices()), where);
                }
            }
            assertEquals(built, plain.models().size());
            assertTrue(built > 1000, "the sample builds its models");
            assertEquals(plain.buckets().size(), skipping.buckets().size());
            assertEquals(skipping.linesFirst(), skipping.vertexCount() - skipping.normalsFirst());
        }
    }

    /**
     * The tables are read in place (labels in one call among them) while the tile is open, and
     * copied in one call for a host that reads them after closing it.
     */
    @Test
    void tablesAreReadInPlaceAndCopiedInOneCall() throws IOException {
        Sample s = sample();
        try (ModelMaker maker = new ModelMaker()) {
            Tile tile = maker.makeTile(s.records(), s.recordCount(), s.requests(), s.origins(), 0);
            String[] labels = tile.labels();
            assertEquals(tile.models().size(), labels.length);
            for (int i = 0; i < labels.length; i += 7) {
                assertEquals(tile.label(i), labels[i]);
            }
            ByteBuffer kept = ByteBuffer.allocateDirect(tile.layoutBytes() + 3)
                    .order(ByteOrder.nativeOrder());
            kept.position(3);
            assertEquals(tile.layoutBytes(), tile.copyLayout(kept));
            assertEquals(kept.capacity(), kept.position());
            ByteBuffer copy = kept.position(3).slice().order(ByteOrder.nativeOrder());
            Tile.Bucket b = tile.buckets().get(1);
            int last = tile.models().size() - 1;
            Tile.TileModel m = tile.models().get(last);
            tile.close();
            assertThrows(IllegalStateException.class, () -> tile.buckets());
            assertThrows(IllegalStateException.class, () -> tile.labels());
            int bucket = copy.getInt(TileLayout.HEAD_BUCKETS_AT) + TileLayout.BUCKET_BYTES;
            assertEquals(b.layerId(), copy.getInt(bucket + TileLayout.BUCKET_LAYER_ID));
            assertEquals(b.pointVertices(), copy.getInt(bucket + TileLayout.BUCKET_POINT_COUNT));
            int model = copy.getInt(TileLayout.HEAD_MODELS_AT) + last * TileLayout.MODEL_BYTES;
            assertEquals(m.id(), copy.getLong(model + TileLayout.MODEL_ID));
            assertEquals(m.labelAngle(), copy.getFloat(model + TileLayout.MODEL_LABEL_ANGLE));
        }
    }

    @Test
    void misuseIsRefusedAndBuildsNothing() throws IOException {
        Sample s = sample();
        int n = s.recordCount();
        int[] q = s.requests();
        double[] o = s.origins();
        try (ModelMaker maker = new ModelMaker()) {
            ByteBuffer heap = ByteBuffer.allocate(s.records().remaining());
            ByteBuffer cut = s.records().duplicate().limit(s.records().limit() - 1);
            assertThrows(IllegalArgumentException.class, () -> maker.makeTile(heap, n, q, o, 0));
            assertThrows(IllegalArgumentException.class, () ->
                    maker.makeTile(s.records(), -1, q, o, 0));
            assertThrows(IllegalArgumentException.class, () -> maker.makeTile(cut, n, q, o, 0));
            assertThrows(IllegalArgumentException.class, () ->
                    maker.makeTile(s.records(), n - 1, q, o, 0));
            assertThrows(IllegalArgumentException.class, () ->
                    maker.makeTile(s.records(), n, q, o, 8));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(s.records(), n, new int[] {0, 1, 2},
                            new double[] {0, 0, 0}, 0));
            assertThrows(IllegalArgumentException.class, () ->
                    maker.makeTile(s.records(), n, q, new double[2], 0));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(s.records(), n, new int[] {-1, 1}, new double[2], 0));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(s.records(), n, new int[] {0, -1}, new double[2], 0));
            assertThrows(IllegalArgumentException.class,
                    () -> maker.makeTile(s.records(), n, new int[] {n - 1, 2}, new double[2], 0));
            assertThrows(IllegalArgumentException.class, () -> maker.makeTile(s.records(), n,
                    new int[] {0, 1, 1, 1}, new double[] {5, 5, 5, 6}, 0), "one origin a tile");
            assertThrows(NullPointerException.class, () -> maker.makeTile(null, n, q, o, 0));
            assertThrows(NullPointerException.class, () ->
                    maker.makeTile(s.records(), n, null, o, 0));

            Tile tile = maker.makeTile(s.records(), n, new int[] {0, 3, 0, 3}, new double[4], 0);
            FloatBuffer small = floats(tile.floatCount() - 1);
            assertThrows(BufferOverflowException.class, () -> tile.write(small));
            assertEquals(0, small.position());
            assertThrows(IllegalArgumentException.class, () ->
                    tile.write(FloatBuffer.allocate(tile.floatCount())));
            // A float view that starts at an odd byte is written as any other.
            ByteBuffer bytes = ByteBuffer.allocateDirect(4 * tile.floatCount() + 1)
                    .order(ByteOrder.nativeOrder());
            FloatBuffer odd =
                    bytes.position(1).slice().order(ByteOrder.nativeOrder()).asFloatBuffer();
            assertEquals(tile.floatCount(), tile.write(odd));
            assertArrayEquals(all(blockOf(tile)), all(odd));
            assertThrows(IndexOutOfBoundsException.class, () ->
                    tile.models().get(tile.models().size()));
            assertThrows(IndexOutOfBoundsException.class, () -> tile.label(-1));
            tile.close();
            tile.close();
            assertThrows(IllegalStateException.class, tile::floatCount);
            assertThrows(IllegalStateException.class, () -> tile.write(floats(1)));
            // The maker's tiles end with it.
            Tile kept = maker.makeTile(s.records(), n, new int[] {0, 3}, new double[2], 0);
            maker.close();
            assertThrows(IllegalStateException.class, kept::floatCount);
            assertThrows(IllegalStateException.class, () -> kept.label(0));
            kept.close();
            assertThrows(IllegalStateException.class, () ->
                    maker.makeTile(s.records(), n, q, o, 0));
        }
    }

    // Every query of a finished tile and model: what a host asks while its maker builds more.
    private static long query(Tile tile, Model model) {
        FloatBuffer out = floats(tile.floatCount());
        long sum = tile.vertexCount() + tile.buckets().size() + tile.buckets().get(0).layerId()
                + tile.models().get(0).request() + tile.label(0).length() + tile.write(out);
        return sum + model.triangleFloats() + model.points().length;
    }

    @Test
    void queriesRunBesideTheMakersBuilds() throws Exception {
        Sample s = sample();
        ExecutorService pool = Executors.newFixedThreadPool(2);
        try (ModelMaker maker = new ModelMaker();
                Tile tile = maker.makeTile(s.records(), s.recordCount(), s.requests(),
                        s.origins(), 0);
                Blobs blobs = Blobs.read(s.recordsOf(0), s.requests()[1]);
                Model model = maker.makeModel(blobs, 0, 0)) {
            // A build that never ends: the maker's call lock held until released.
            CountDownLatch held = new CountDownLatch(1);
            CountDownLatch done = new CountDownLatch(1);
            Future<?> build = pool.submit(() -> {
                synchronized (maker.object.calls) {
                    held.countDown();
                    done.await();
                }
                return null;
            });
            held.await();
            try {
                assertTimeoutPreemptively(Duration.ofSeconds(20), () -> query(tile, model));
            } finally {
                done.countDown();
            }
            build.get();

            // Real builds on another thread: a few queries timed a little after each starts.
            long shortestBuild = Long.MAX_VALUE;
            long[] waits = new long[3];
            for (int b = 0; b < waits.length; ++b) {
                CountDownLatch started = new CountDownLatch(1);
                Future<Long> builder = pool.submit(() -> {
                    started.countDown();
                    long start = System.nanoTime();
                    maker.makeTile(s.records(), s.recordCount(), s.requests(), s.origins(),
                            Tile.NORMALS).close();
                    return System.nanoTime() - start;
                });
                started.await();
                Thread.sleep(5);
                long start = System.nanoTime();
                assertEquals(tile.floatCount(), 3 * tile.vertexCount());
                assertTrue(tile.buckets().size() > 0 && model.triangleFloats() >= 0);
                waits[b] = System.nanoTime() - start;
                shortestBuild = Math.min(shortestBuild, builder.get());
            }
            Arrays.sort(waits);
            System.out.printf("tile queries during a build: median %d us, max %d us;"
                    + " shortest build %d ms%n", waits[1] / 1000, waits[2] / 1000,
                    shortestBuild / 1_000_000);
            assertTrue(waits[1] < shortestBuild / 4,
                    "a query waited " + waits[1] + " ns against a build of " + shortestBuild);
        } finally {
            pool.shutdownNow();
        }
    }

    @Test
    void closesRacingReadsAndBuildsStaySafe() throws Exception {
        Sample s = sample();
        int[] some = Arrays.copyOf(s.requests(), 2 * 200);
        double[] origins = Arrays.copyOf(s.origins(), 2 * 200);
        ExecutorService pool = Executors.newFixedThreadPool(3);
        try {
            for (int round = 0; round < 20; ++round) {
                ModelMaker maker = new ModelMaker();
                Tile tile = maker.makeTile(s.records(), s.recordCount(), some, origins, 0);
                Model model;
                try (Blobs blobs = Blobs.read(s.recordsOf(0), s.requests()[1])) {
                    model = maker.makeModel(blobs, 0, 0);
                }
                AtomicBoolean stop = new AtomicBoolean();
                // Two readers and a builder until the tile, then the maker, are closed.
                Future<?>[] users = new Future<?>[3];
                for (int t = 0; t < 3; ++t) {
                    final boolean builds = t == 2;
                    users[t] = pool.submit(() -> {
                        try {
                            while (!stop.get()) {
                                if (builds) {
                                    maker.makeTile(s.records(), s.recordCount(), some, origins, 0);
                                } else {
                                    query(tile, model);
                                }
                            }
                        } catch (IllegalStateException closed) {
                            assertTrue(closed.getMessage().contains("closed"));
                        }
                        return null;
                    });
                }
                Thread.sleep(round % 4);
                if (round % 2 == 0) {
                    tile.close();
                    model.close();
                }
                Thread.sleep(round % 3);
                maker.close();
                stop.set(true);
                for (Future<?> user : users) {
                    user.get();
                }
                assertThrows(IllegalStateException.class, tile::vertexCount);
                assertThrows(IllegalStateException.class, model::points);
                tile.close();
            }
        } finally {
            pool.shutdownNow();
        }
    }
}
