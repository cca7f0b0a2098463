import cpp.geometry.Meshory;
import java.lang.management.ManagementFactory;
import quorvan.meshory.ModelMaker;
import quorvan.meshory.Tile;

import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;

/**
 * The host's side of the JVM comparison: times the whole round trip of the mixed tile (makeBlob
 * for each record, makeModel per request, every getter, disposal), the same over the buffer path
 * (makeBlobs, the getters into one direct buffer, disposeBlobs), and the hand-off of a large
 * model (modelTriangles into a new array, modelTrianglesInto a kept direct buffer), and whole tiles
 * in one call (the mixed tile and the sample's cells: built, written into a kept direct buffer,
 * closed) beside the per-model buffer path over the same requests, with the bytes a tile call
 * allocates on the Java heap and the sample's tiles per second on one and on two threads. Reads
 * tile.bin, large.bin and tiles.bin as meshory_host_reference writes them; prints the medians in
 * nanoseconds.
 *
 * <p>Usage: java -Dmeshory.library=LIB -cp meshory.jar:meshory-bench.jar MeshoryBench DIR RUNS
 * [tile|handoff|tilecall] (all when not given). With -Dmeshory.bench.spread the quartiles of each
 * measurement go to standard error.
 */
public final class MeshoryBench {
    private record Blob(long id, int type, int layer, int cell, byte[] data) {}

    private record Request(double x, double y, List<Blob> blobs, ByteBuffer records) {}

    private static long sink;

    private static List<Request> readTile(Path file) throws IOException {
        ByteBuffer in = ByteBuffer.wrap(Files.readAllBytes(file)).order(ByteOrder.LITTLE_ENDIAN);
        List<Request> tile = new ArrayList<>();
        for (int r = in.getInt(); r > 0; --r) {
            double x = in.getDouble();
            double y = in.getDouble();
            List<Blob> blobs = new ArrayList<>();
            int first = in.position() + 4;
            for (int b = in.getInt(); b > 0; --b) {
                long id = in.getLong();
                int type = in.getInt();
                int layer = in.getInt();
                int cell = in.getInt();
                byte[] data = new byte[in.getInt()];
                in.get(data);
                blobs.add(new Blob(id, type, layer, cell, data));
            }
            // The same records as they lie in the file, in a direct buffer, as a host that
            // reads its tiles into direct memory holds them.
            ByteBuffer records = ByteBuffer.allocateDirect(in.position() - first);
            records.put(in.duplicate().position(first).limit(in.position())).flip();
            tile.add(new Request(x, y, blobs, records));
        }
        return tile;
    }

    /** One request as a host makes it, from the record bytes to disposal. */
    private static void roundTrip(long maker, Request request) {
        long[] handles = new long[request.blobs().size()];
        for (int i = 0; i < handles.length; ++i) {
            Blob b = request.blobs().get(i);
            handles[i] = Meshory.makeBlob(b.id(), b.type(), b.layer(), b.cell(), b.data());
        }
        long model = Meshory.makeModel(maker, handles, request.x(), request.y());
        sink += Meshory.modelTriangles(model).length + Meshory.modelLines(model).length
                + Meshory.modelPoints(model).length + Meshory.modelLabel(model).length()
                + (long) Meshory.modelHeight(model) + Meshory.modelLayerId(model);
        Meshory.disposeModel(maker, model);
        for (long h : handles) {
            Meshory.disposeBlob(h);
        }
    }

    // One direct buffer per host thread, grown when a model needs more.
    private static FloatBuffer target =
            ByteBuffer.allocateDirect(4 << 16).order(ByteOrder.nativeOrder()).asFloatBuffer();

    private static FloatBuffer room(int floats) {
        if (target.capacity() < floats) {
            target = ByteBuffer.allocateDirect(4 * floats).order(ByteOrder.nativeOrder())
                    .asFloatBuffer();
        }
        return target.clear();
    }

    /**
     * The same request over the buffer path: every blob from one call, every list written into
     * the thread's direct buffer (as it goes to glBufferData), the blobs freed in one call.
     */
    private static void roundTripBuffers(long maker, Request request) {
        long[] handles = Meshory.makeBlobs(request.records().duplicate(), request.blobs().size());
        long model = Meshory.makeModel(maker, handles, request.x(), request.y());
        sink += Meshory.modelTrianglesInto(model, room(Meshory.modelTrianglesFloatCount(model, 0)),
                0);
        sink += Meshory.modelLinesInto(model, room(Meshory.modelLinesFloatCount(model)));
        sink += Meshory.modelPointsInto(model, room(Meshory.modelPointsFloatCount(model)));
        sink += Meshory.modelLabel(model).length() + (long) Meshory.modelHeight(model)
                + Meshory.modelLayerId(model);
        Meshory.disposeModel(maker, model);
        Meshory.disposeBlobs(handles);
    }

    /** A tile for the one-call path, as tiles.bin holds it. */
    private record TileInput(String name, ByteBuffer records, int recordCount, int[] requests,
            double[] origins, int[] starts) {
        /** The records of request r as a buffer of their own, as a host hands them to makeBlobs. */
        ByteBuffer recordsOf(int r) {
            int first = requests[2 * r];
            int end = first + requests[2 * r + 1] == recordCount ? records.limit()
                    : starts[first + requests[2 * r + 1]];
            return records.duplicate().position(starts[first]).limit(end);
        }
    }

    private static List<TileInput> readTiles(Path file) throws IOException {
        ByteBuffer in = ByteBuffer.wrap(Files.readAllBytes(file)).order(ByteOrder.LITTLE_ENDIAN);
        List<TileInput> tiles = new ArrayList<>();
        for (int t = in.getInt(); t > 0; --t) {
            byte[] name = new byte[in.getInt()];
            in.get(name);
            ByteBuffer records = ByteBuffer.allocateDirect(in.getInt());
            records.put(in.slice(in.position(), records.capacity())).flip();
            in.position(in.position() + records.capacity());
            int recordCount = in.getInt();
            int[] starts = new int[recordCount];
            ByteBuffer walk = records.duplicate().order(ByteOrder.LITTLE_ENDIAN);
            for (int i = 0; i < recordCount; ++i) {
                starts[i] = walk.position();
                walk.position(walk.position() + 24 + walk.getInt(walk.position() + 20));
            }
            int count = in.getInt();
            int[] requests = new int[2 * count];
            double[] origins = new double[2 * count];
            for (int r = 0; r < count; ++r) {
                requests[2 * r] = in.getInt();
                requests[2 * r + 1] = in.getInt();
                origins[2 * r] = in.getDouble();
                origins[2 * r + 1] = in.getDouble();
            }
            tiles.add(new TileInput(new String(name, java.nio.charset.StandardCharsets.UTF_8),
                    records, recordCount, requests, origins, starts));
        }
        return tiles;
    }

    /**
     * One tile as a GL host takes it: built in one call, written into its direct buffer, closed.
     */
    private static void tileCall(ModelMaker maker, TileInput t, FloatBuffer[] buffer) {
        try (Tile tile = maker.makeTile(t.records(), t.recordCount(), t.requests(), t.origins(),
                Tile.SKIP_ZERO_AREA)) {
            if (buffer[0].capacity() < tile.floatCount()) {
                buffer[0] = ByteBuffer.allocateDirect(4 * tile.floatCount())
                        .order(ByteOrder.nativeOrder()).asFloatBuffer();
            }
            sink += tile.write(buffer[0].clear());
        }
    }

    /**
     * The same tile over the bare natives beneath {@link #tileCall}: build, write, dispose, with
     * no owner and no tables read; what the public path costs beyond this is its own. The buffer
     * already holds the largest tile (tileCall grew it).
     */
    private static void bareCall(long maker, TileInput t, FloatBuffer buffer) {
        long tile = Meshory.makeTile(maker, t.records(), t.recordCount(), t.requests(),
                t.origins(), Meshory.SKIP_ZERO_AREA);
        try {
            sink += Meshory.tileInto(tile, buffer.clear());
        } finally {
            Meshory.disposeTile(maker, tile);
        }
    }

    /** The same requests over the per-model buffer path of today. */
    private static void perModel(long maker, TileInput t) {
        for (int r = 0; r < t.requests().length / 2; ++r) {
            long[] handles = Meshory.makeBlobs(t.recordsOf(r), t.requests()[2 * r + 1]);
            long model =
                    Meshory.makeModel(maker, handles, t.origins()[2 * r], t.origins()[2 * r + 1]);
            if (model != 0) {
                sink += Meshory.modelTrianglesInto(model,
                        room(Meshory.modelTrianglesFloatCount(model, Meshory.SKIP_ZERO_AREA)),
                        Meshory.SKIP_ZERO_AREA);
                sink += Meshory.modelLinesInto(model, room(Meshory.modelLinesFloatCount(model)));
                sink += Meshory.modelPointsInto(model, room(Meshory.modelPointsFloatCount(model)));
                Meshory.disposeModel(maker, model);
            }
            Meshory.disposeBlobs(handles);
        }
    }

    private static void tileRows(List<TileInput> tiles, String name, String key, int runs)
            throws Exception {
        List<TileInput> mine = tiles.stream().filter(t -> t.name().equals(name)).toList();
        FloatBuffer[] buffer = {room(1)};
        try (ModelMaker maker = new ModelMaker()) {
            double tileNs = medianNanos(runs, () -> mine.forEach(t -> tileCall(maker, t, buffer)));
            // The public path against the bare natives in one JVM, alternating runs after both
            // are warm, so that a change in the machine's load hits both alike.
            long bare = Meshory.contsruct();
            double[] ratio = alternating(runs,
                    () -> mine.forEach(t -> tileCall(maker, t, buffer)),
                    () -> mine.forEach(t -> bareCall(bare, t, buffer[0])));
            Meshory.dispose(bare);
            // Bytes the tile call allocates on the Java heap, per tile.
            com.sun.management.ThreadMXBean threads =
                    (com.sun.management.ThreadMXBean) ManagementFactory.getThreadMXBean();
            long before = threads.getCurrentThreadAllocatedBytes();
            for (int i = 0; i < 100; ++i) {
                mine.forEach(t -> tileCall(maker, t, buffer));
            }
            double allocated =
                    (threads.getCurrentThreadAllocatedBytes() - before) / (100.0 * mine.size());
            long raw = Meshory.contsruct();
            double modelsNs = medianNanos(runs, () -> mine.forEach(t -> perModel(raw, t)));
            Meshory.dispose(raw);
            int models = 0;
            int buckets = 0;
            for (TileInput t : mine) {
                try (Tile tile = maker.makeTile(t.records(), t.recordCount(), t.requests(),
                        t.origins(), 0)) {
                    models += tile.models().size();
                    buckets += tile.buckets().size();
                }
            }
            System.out.printf("jvm_tilecall_%s_ns %.0f%njvm_models_%s_ns %.0f%n"
                    + "jvm_tilecall_%s_alloc_bytes %.0f%ntile_%s_models %d%ntile_%s_buckets %d%n"
                    + "jvm_public_%s_ns %.0f%njvm_bare_%s_ns %.0f%n", key, tileNs, key, modelsNs,
                    key, allocated, key, models / mine.size(), key, buckets / mine.size(), key,
                    ratio[0], key, ratio[1]);
        }
    }

    /**
     * The sample's cells as tiles per second: each thread its own maker, through every cell
     * `rounds` times.
     */
    private static double tilesPerSecond(List<TileInput> cells, int threads, int rounds)
            throws Exception {
        ExecutorService pool = Executors.newFixedThreadPool(threads);
        try {
            List<Future<?>> work = new ArrayList<>();
            long start = System.nanoTime();
            for (int k = 0; k < threads; ++k) {
                work.add(pool.submit(() -> {
                    FloatBuffer[] buffer = {ByteBuffer.allocateDirect(4)
                            .order(ByteOrder.nativeOrder()).asFloatBuffer()};
                    try (ModelMaker maker = new ModelMaker()) {
                        for (int i = 0; i < rounds; ++i) {
                            cells.forEach(t -> tileCall(maker, t, buffer));
                        }
                    }
                }));
            }
            for (Future<?> f : work) {
                f.get();
            }
            return threads * rounds * cells.size() / ((System.nanoTime() - start) / 1e9);
        } finally {
            pool.shutdown();
        }
    }

    private interface Body {
        void run();
    }

    /** Medians of two bodies timed in alternating runs, after both have warmed up. */
    private static double[] alternating(int runs, Body a, Body b) {
        long warmUntil = System.nanoTime() + 2_000_000_000L;
        while (System.nanoTime() < warmUntil) {
            a.run();
            b.run();
        }
        double[][] samples = new double[2][runs];
        for (int i = 0; i < runs; ++i) {
            for (int k = 0; k < 2; ++k) {
                long start = System.nanoTime();
                (k == 0 ? a : b).run();
                samples[k][i] = System.nanoTime() - start;
            }
        }
        Arrays.sort(samples[0]);
        Arrays.sort(samples[1]);
        return new double[] {samples[0][runs / 2], samples[1][runs / 2]};
    }

    private static double medianNanos(int runs, Body body) {
        // Warm-up long enough for the JIT to compile the loop and its callees.
        long warmUntil = System.nanoTime() + 2_000_000_000L;
        while (System.nanoTime() < warmUntil) {
            body.run();
        }
        double[] samples = new double[runs];
        for (int i = 0; i < runs; ++i) {
            long start = System.nanoTime();
            body.run();
            samples[i] = System.nanoTime() - start;
        }
        Arrays.sort(samples);
        if (System.getProperty("meshory.bench.spread") != null) {
            System.err.printf("min %.0f  q1 %.0f  median %.0f  q3 %.0f  max %.0f%n", samples[0],
                    samples[runs / 4], samples[runs / 2], samples[3 * runs / 4], samples[runs - 1]);
        }
        return samples[runs / 2];
    }

    public static void main(String[] args) throws Exception {
        Path dir = Path.of(args[0]);
        int runs = args.length > 1 ? Integer.parseInt(args[1]) : 31;
        String only = args.length > 2 ? args[2] : "";
        Meshory.initializeGrid(64, 64, 0, 0, 64000, 64000);
        long maker = Meshory.contsruct();

        if (only.equals("tilecall")) {
            List<TileInput> tiles = readTiles(dir.resolve("tiles.bin"));
            tileRows(tiles, "mixed", "mixed", runs);
            tileRows(tiles, "cell", "sf", runs);
            return;
        }
        List<Request> tile = readTile(dir.resolve("tile.bin"));
        double tileNs = only.equals("handoff") ? 0 : medianNanos(runs, () -> {
            for (Request r : tile) {
                roundTrip(maker, r);
            }
        });
        double buffersNs = only.equals("handoff") ? 0 : medianNanos(runs, () -> {
            for (Request r : tile) {
                roundTripBuffers(maker, r);
            }
        });
        if (only.equals("tile")) {
            System.out.printf("jvm_tile_ns %.0f%njvm_tile_buffers_ns %.0f%nchecksum %d%n", tileNs,
                    buffersNs, sink);
            return;
        }
        if (!only.equals("handoff")) {
            List<TileInput> tiles = readTiles(dir.resolve("tiles.bin"));
            tileRows(tiles, "mixed", "mixed", runs);
            tileRows(tiles, "cell", "sf", runs);
            List<TileInput> cells = tiles.stream().filter(t -> t.name().equals("cell")).toList();
            tilesPerSecond(cells, 2, 5);  // warm both threads' code
            System.out.printf("jvm_sf_tiles_per_s_1 %.1f%njvm_sf_tiles_per_s_2 %.1f%n",
                    tilesPerSecond(cells, 1, 20), tilesPerSecond(cells, 2, 20));
        }

        Request large = readTile(dir.resolve("large.bin")).get(0);
        long[] handles = new long[large.blobs().size()];
        for (int i = 0; i < handles.length; ++i) {
            Blob b = large.blobs().get(i);
            handles[i] = Meshory.makeBlob(b.id(), b.type(), b.layer(), b.cell(), b.data());
        }
        long model = Meshory.makeModel(maker, handles, large.x(), large.y());
        long[] floats = new long[1];
        double handoffNs = medianNanos(runs, () -> {
            float[] triangles = Meshory.modelTriangles(model);
            floats[0] = triangles.length;
            sink += (long) triangles[triangles.length - 1];
        });
        FloatBuffer whole = room(Meshory.modelTrianglesFloatCount(model, 0));
        double buffersHandoffNs = medianNanos(runs, () -> {
            sink += Meshory.modelTrianglesInto(model, whole.clear(), 0);
        });
        for (long h : handles) {
            Meshory.disposeBlob(h);
        }
        Meshory.dispose(maker);
        System.out.printf("jvm_tile_ns %.0f%njvm_tile_buffers_ns %.0f%njvm_handoff_ns %.0f%n"
                + "jvm_handoff_buffer_ns %.0f%n"
                + "handoff_bytes %d%nchecksum %d%n", tileNs, buffersNs, handoffNs, buffersHandoffNs,
                floats[0] * 4, sink);
    }
}
