package quorvan.meshory;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.BufferOverflowException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.logging.Handler;
import java.util.logging.LogRecord;
import java.util.logging.Logger;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.function.Executable;
import org.junit.jupiter.api.io.TempDir;

/** The owners' lifetimes: close twice, in any order, use after close, the Cleaner, threads. */
class LifetimeTest {
    private static final int POINTS = 8;

    /** A points payload: a plain stream (tag 0) of little-endian float pairs. */
    private static BlobRecord point(long id, int layerId, float x, float y) {
        ByteBuffer b = ByteBuffer.allocate(9).order(ByteOrder.LITTLE_ENDIAN);
        b.put((byte) 0).putFloat(x).putFloat(y);
        return new BlobRecord(id, POINTS, layerId, 0, b.array());
    }

    private static void assertClosed(Executable call) {
        IllegalStateException e = assertThrows(IllegalStateException.class, call);
        assertTrue(e.getMessage().contains("closed"), e.getMessage());
    }

    @Test
    void buildsAndReadsThroughTheOwners() {
        try (ModelMaker maker = new ModelMaker();
                Blobs blobs = Blobs.of(point(1, 7, 3, 4), point(2, 9, 5, 6));
                Model model = maker.makeModel(blobs, 1, 1)) {
            assertEquals(2, blobs.size());
            assertFalse(model.isEmpty());
            assertEquals(7, model.layerId());
            assertArrayEquals(new float[] {2, 3, 0, 4, 5, 0}, model.points());
            FloatBuffer direct =
                    ByteBuffer.allocateDirect(4 * 8).order(ByteOrder.nativeOrder()).asFloatBuffer();
            assertEquals(6, model.pointFloats());
            assertEquals(6, model.points(direct));
            assertEquals(2f, direct.get(0));
            assertEquals(6, direct.position());
            assertEquals(0, model.triangleFloatsWithArea());
            assertThrows(IllegalArgumentException.class, () ->
                    model.triangles(FloatBuffer.allocate(9), true));
            maker.storageBudget(0);
            // Too little room: nothing is put.
            FloatBuffer small = FloatBuffer.allocate(5);
            assertThrows(BufferOverflowException.class, () -> model.points(small));
            assertEquals(0, small.position());
            try (Model nothing = maker.makeModel(Blobs.of(), 0, 0)) {
                assertTrue(nothing.isEmpty());
                assertArrayEquals(new float[0], nothing.triangles());
                assertEquals("", nothing.label());
            }
        }
    }

    @Test
    void closesTwiceAndRefusesEveryUseAfterClose(@TempDir Path dir) throws Exception {
        ModelMaker maker = new ModelMaker();
        Blobs blobs = Blobs.of(point(1, 7, 3, 4));
        Blob blob = new Blob(point(2, 7, 1, 1));
        Model model = maker.makeModel(blobs, 0, 0);
        Camera camera = Camera.builder(640, 480).build();
        StyleList styles = StyleList.load(Files.writeString(dir.resolve("none.sld"), "<x/>"));
        for (AutoCloseable owner : List.of(model, blobs, blob, camera, styles, maker)) {
            owner.close();
            owner.close();
        }
        assertClosed(model::points);
        assertClosed(model::isEmpty);
        assertClosed(() -> maker.makeModel(0, 0));
        try (ModelMaker other = new ModelMaker()) {
            assertClosed(() -> other.makeModel(blobs, 0, 0));
            assertClosed(() -> other.makeModel(0, 0, blob));
        }
        assertClosed(camera::eye);
        assertClosed(() -> camera.project(0, 0, 0));
        assertClosed(styles::layers);
    }

    @Test
    void closesInAnyOrder() {
        ModelMaker maker = new ModelMaker();
        Blob blob = new Blob(point(1, 3, 2, 2));
        Model first = maker.makeModel(0, 0, blob);
        Model second = maker.makeModel(1, 1, blob);
        // Models keep no blob memory; a model closed before its maker is released from it.
        blob.close();
        assertArrayEquals(new float[] {2, 2, 0}, first.points());
        first.close();
        assertArrayEquals(new float[] {1, 1, 0}, second.points());
        // The maker frees the models it still holds; they are closed for the caller then.
        maker.close();
        assertClosed(second::points);
        second.close();
    }

    @Test
    void aBatchTakesRecordsWithoutDataAndTellsItsSizeOnlyWhileOpen() {
        Blobs blobs = Blobs.of(new BlobRecord(1, POINTS, 2, 0, null), point(2, 2, 1, 1));
        assertEquals(2, blobs.size());
        try (ModelMaker maker = new ModelMaker(); Model model = maker.makeModel(blobs, 0, 0)) {
            assertArrayEquals(new float[] {1, 1, 0}, model.points());
        }
        blobs.close();
        assertClosed(blobs::size);
    }

    private static void forgetMakers(int count) {
        for (int i = 0; i < count; ++i) {
            new ModelMaker();
        }
    }

    private static void awaitForgotten(long before, int count) throws InterruptedException {
        long deadline = System.nanoTime() + 20_000_000_000L;
        while (NativeObject.forgottenCount() - before < count && System.nanoTime() < deadline) {
            System.gc();
            Thread.sleep(20);
        }
        assertTrue(NativeObject.forgottenCount() - before >= count,
                "the Cleaner freed " + (NativeObject.forgottenCount() - before) + " of " + count);
    }

    @Test
    void forgottenOwnersAreWarnedAboutSparinglyAndNamedWhereCreatedWhenAsked()
            throws InterruptedException {
        Logger logger = Logger.getLogger("quorvan.meshory");
        List<LogRecord> records = Collections.synchronizedList(new ArrayList<>());
        Handler capture = new Handler() {
            @Override
            public void publish(LogRecord r) {
                records.add(r);
            }

            @Override
            public void flush() {}

            @Override
            public void close() {}
        };
        logger.addHandler(capture);
        logger.setUseParentHandlers(false);
        try {
            // By default: a few in full, then a count every thousand.
            ForgottenOwners.reset(ForgottenOwners.Level.SIMPLE);
            long before = NativeObject.forgottenCount();
            forgetMakers(ForgottenOwners.PERIOD);
            awaitForgotten(before, ForgottenOwners.PERIOD);
            assertTrue(records.size() <= ForgottenOwners.IN_FULL + 1, records.size() + " warnings");
            assertTrue(records.stream().anyMatch(r ->
                    r.getMessage().contains(ForgottenOwners.PERIOD + " owners")));

            // Asked for, each warning names the line that created the owner, once per line.
            records.clear();
            ForgottenOwners.reset(ForgottenOwners.Level.ADVANCED);
            before = NativeObject.forgottenCount();
            forgetMakers(20);
            awaitForgotten(before, 20);
            List<LogRecord> named = records.stream()
                    .filter(r -> r.getMessage()
                            .contains("created at quorvan.meshory.LifetimeTest.forgetMakers("))
                    .toList();
            assertEquals(1, named.size(), records.toString());
            assertTrue(named.get(0).getThrown() != null, "the whole trace comes with it");
        } finally {
            ForgottenOwners.reset(ForgottenOwners.Level.SIMPLE);
            logger.removeHandler(capture);
            logger.setUseParentHandlers(true);
        }
    }

    @Test
    void cleanerFreesForgottenMakers() throws InterruptedException {
        long before = NativeObject.forgottenCount();
        forgetMakers(8);
        long deadline = System.nanoTime() + 20_000_000_000L;
        while (NativeObject.forgottenCount() - before < 8 && System.nanoTime() < deadline) {
            System.gc();
            Thread.sleep(20);
        }
        assertTrue(NativeObject.forgottenCount() - before >= 8,
                "the Cleaner freed " + (NativeObject.forgottenCount() - before) + " of 8 makers");
    }

    @Test
    void threadsBuildWithMakersOfTheirOwnFromSharedBlobs() throws Exception {
        int threads = 8;
        ExecutorService pool = Executors.newFixedThreadPool(threads);
        try (Blobs shared = Blobs.of(point(1, 4, 10, 20))) {
            List<Future<Integer>> results = new ArrayList<>();
            for (int t = 0; t < threads; ++t) {
                final int offset = t;
                results.add(pool.submit(() -> {
                    int good = 0;
                    List<Model> leftToTheMaker = new ArrayList<>();
                    try (ModelMaker maker = new ModelMaker()) {
                        for (int i = 0; i < 200; ++i) {
                            Model model = maker.makeModel(shared, offset, 0);
                            float[] p = model.points();
                            if (p.length == 3 && p[0] == 10 - offset && p[1] == 20) {
                                ++good;
                            }
                            if (i % 2 == 0) {
                                model.close();
                            } else {
                                leftToTheMaker.add(model);
                            }
                        }
                    }
                    for (Model model : leftToTheMaker) {
                        assertClosed(model::points);
                    }
                    return good;
                }));
            }
            for (Future<Integer> result : results) {
                assertEquals(200, result.get());
            }
        } finally {
            pool.shutdown();
        }
    }
}
