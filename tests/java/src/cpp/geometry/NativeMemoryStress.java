package cpp.geometry;

import static cpp.geometry.PayloadWriter.BRIDGE;
import static cpp.geometry.PayloadWriter.FLAT_LINE_STRIP;
import static cpp.geometry.PayloadWriter.LABEL_STYLE_SEGMENTS;
import static cpp.geometry.PayloadWriter.ROAD_PATH;
import static cpp.geometry.PayloadWriter.TEXT_DATA;
import static cpp.geometry.PayloadWriter.TRIANGLE_FAN;
import static cpp.geometry.PayloadWriter.labelBlock;
import static cpp.geometry.PayloadWriter.plainStream;
import static cpp.geometry.PayloadWriter.segment;
import static cpp.geometry.PayloadWriter.segmentGroup;
import static cpp.geometry.PayloadWriter.utf8;
import static cpp.geometry.PayloadWriter.withU16Prefix;
import static cpp.geometry.PayloadWriter.withU8Prefix;

import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * Run in a JVM of its own with a fixed, pre-touched heap (see NativeMemoryStressTest), so that
 * the Java heap adds a constant to the resident size: four host threads, each with its own
 * maker, build, read and dispose of tiles' models, and the resident size must be the same after
 * the run as after a warm-up. A leaked model or blob per tile costs tens of megabytes here.
 * Every other tile travels the buffer path (its records from one direct buffer, its lists into a
 * direct buffer per thread), the others the array path.
 *
 * <p>Arguments: tiles per thread after the warm-up, tolerance in KiB. Prints "rss warm=K end=K"
 * and exits 0 when end - warm is within the tolerance.
 */
public final class NativeMemoryStress {
    private static final int THREADS = 4;
    private static final int TILES_PER_MAKER = 50;
    // Points of each ring and path: enough that a leaked model or blob per tile shows.
    private static final int POINTS = 16;
    private static final int[] TYPES = {TRIANGLE_FAN, FLAT_LINE_STRIP, ROAD_PATH, BRIDGE, TEXT_DATA,
            LABEL_STYLE_SEGMENTS};

    private NativeMemoryStress() {}

    public static void main(String[] args) throws Exception {
        int tilesPerThread = Integer.parseInt(args[0]);
        long toleranceKb = Long.parseLong(args[1]);
        Meshory.initializeGrid(64, 64, 0, 0, 6400, 6400);
        List<byte[][]> tiles = new ArrayList<>();
        for (int i = 0; i < 16; i++) {
            tiles.add(tile(i));
        }

        // Half the run again as warm-up: allocator arenas (and a sanitizer's quarantine)
        // reach their working size, and the JIT has compiled the loop.
        runThreads(tiles, tilesPerThread / 2);
        long warm = residentKb();
        runThreads(tiles, tilesPerThread);
        long end = residentKb();
        System.out.println("rss warm=" + warm + " end=" + end);
        System.exit(end - warm <= toleranceKb ? 0 : 1);
    }

    private static void runThreads(List<byte[][]> tiles, int tilesPerThread)
            throws InterruptedException {
        List<Thread> threads = new ArrayList<>();
        Throwable[] failure = new Throwable[1];
        for (int t = 0; t < THREADS; t++) {
            final int offset = t;
            Thread thread = new Thread(() -> work(tiles, offset, tilesPerThread));
            thread.setUncaughtExceptionHandler((th, e) -> failure[0] = e);
            threads.add(thread);
            thread.start();
        }
        for (Thread thread : threads) {
            thread.join();
        }
        if (failure[0] != null) {
            throw new IllegalStateException("a host thread failed", failure[0]);
        }
        System.gc();
    }

    /**
     * Makers live for TILES_PER_MAKER tiles; every other model is disposed of at once, the rest
     * are left for the maker's dispose, so both ways of release are exercised.
     */
    private static void work(List<byte[][]> tiles, int offset, int count) {
        long maker = 0;
        FloatBuffer target =
                ByteBuffer.allocateDirect(1 << 16).order(ByteOrder.nativeOrder()).asFloatBuffer();
        for (int i = 0; i < count; i++) {
            if (i % TILES_PER_MAKER == 0) {
                Meshory.dispose(maker);
                maker = Meshory.contsruct();
            }
            byte[][] tile = tiles.get((i + offset) % tiles.size());
            boolean buffers = i % 4 >= 2;
            long[] blobs;
            if (buffers) {
                blobs = Meshory.makeBlobs(records(i, tile), TYPES.length);
            } else {
                blobs = new long[TYPES.length];
                for (int b = 0; b < blobs.length; b++) {
                    blobs[b] = Meshory.makeBlob(i, TYPES[b], 5 + b, 65536 + 3, tile[b]);
                }
            }
            long model = Meshory.makeModel(maker, blobs, 100.0, 200.0);
            Meshory.disposeBlobs(blobs);
            if (model == 0 || Meshory.modelLabel(model).isEmpty()) {
                throw new IllegalStateException("tile " + i + " built no model");
            }
            if (buffers) {
                target.clear();
                int floats = Meshory.modelTrianglesInto(model, target, Meshory.SKIP_ZERO_AREA)
                        + Meshory.modelLinesInto(model, target)
                        + Meshory.modelPointsInto(model, target);
                if (floats != target.position() || Meshory.modelLinesFloatCount(model) == 0) {
                    throw new IllegalStateException("tile " + i + " wrote " + floats + " floats");
                }
            } else {
                if (Meshory.modelTriangles(model).length == 0
                        || Meshory.modelLines(model).length == 0) {
                    throw new IllegalStateException("tile " + i + " built no complete model");
                }
                Meshory.modelPoints(model);
            }
            if (i % 2 == 1) {
                Meshory.disposeModel(maker, model);
            }
        }
        Meshory.dispose(maker);
    }

    /**
     * The tile's payloads as records in one direct buffer, as a host reads them from a tile file.
     */
    private static ByteBuffer records(long id, byte[][] tile) {
        int size = 0;
        for (byte[] payload : tile) {
            size += 24 + payload.length;
        }
        ByteBuffer out = ByteBuffer.allocateDirect(size).order(ByteOrder.LITTLE_ENDIAN);
        for (int b = 0; b < tile.length; b++) {
            out.putLong(id).putInt(TYPES[b]).putInt(5 + b).putInt(65536 + 3)
                    .putInt(tile[b].length).put(tile[b]);
        }
        return out.flip();
    }

    /** The payloads of one tile: an extruded ring, a line, a road, a bridge, a label, segments. */
    private static byte[][] tile(int seed) {
        float[] ring = new float[2 * POINTS];
        float[] path = new float[2 * POINTS];
        for (int k = 0; k < POINTS; k++) {
            double a = 2 * Math.PI * k / POINTS;
            ring[2 * k] = (float) (150 + (40 + seed) * Math.cos(a));
            ring[2 * k + 1] = (float) (250 + (40 + seed) * Math.sin(a));
            path[2 * k] = 100 + 3 * k;
            path[2 * k + 1] = (float) (200 + 20 * Math.sin(k * 0.3 + seed));
        }
        return new byte[][] {
            withU16Prefix(120 + seed, plainStream(ring)),
            withU8Prefix(3, plainStream(path)),
            withU8Prefix(6, plainStream(path)),
            withU8Prefix(2, plainStream(path)),
            labelBlock(150, 250, 0, "Tile " + seed),
            segmentGroup(segment(1, 4, 7, utf8("Road " + seed), path),
                    segment(2, 5, 8, utf8("Pin"), 120, 230)), };
    }

    private static long residentKb() {
        try {
            for (String line : Files.readAllLines(Path.of("/proc/self/status"))) {
                if (line.startsWith("VmRSS:")) {
                    return Long.parseLong(line.replaceAll("[^0-9]", ""));
                }
            }
        } catch (IOException e) {
            throw new IllegalStateException(e);
        }
        throw new IllegalStateException("no VmRSS in /proc/self/status");
    }
}
