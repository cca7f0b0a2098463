import cpp.geometry.Meshory;

import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * The host's side of the JVM comparison: times the whole round trip of the mixed tile (makeBlob
 * for each record, makeModel per request, every getter, disposal), the same over the buffer path
 * (makeBlobs, the getters into one direct buffer, disposeBlobs), and the hand-off of a large
 * model (modelTriangles into a new array, modelTrianglesInto a kept direct buffer). Reads tile.bin and large.bin as meshory_host_reference writes
 * them; prints the medians in nanoseconds.
 *
 * <p>Usage: java -Dmeshory.library=LIB -cp meshory.jar:meshory-bench.jar MeshoryBench DIR RUNS
 * [tile|handoff] (both when not given). With -Dmeshory.bench.spread the quartiles of each
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
    private static FloatBuffer target = ByteBuffer.allocateDirect(4 << 16).order(ByteOrder.nativeOrder()).asFloatBuffer();

    private static FloatBuffer room(int floats) {
        if (target.capacity() < floats) {
            target = ByteBuffer.allocateDirect(4 * floats).order(ByteOrder.nativeOrder()).asFloatBuffer();
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
        sink += Meshory.modelTrianglesInto(model, room(Meshory.modelTrianglesFloatCount(model, 0)), 0);
        sink += Meshory.modelLinesInto(model, room(Meshory.modelLinesFloatCount(model)));
        sink += Meshory.modelPointsInto(model, room(Meshory.modelPointsFloatCount(model)));
        sink += Meshory.modelLabel(model).length() + (long) Meshory.modelHeight(model) + Meshory.modelLayerId(model);
        Meshory.disposeModel(maker, model);
        Meshory.disposeBlobs(handles);
    }

    private interface Body {
        void run();
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
            System.err.printf("min %.0f  q1 %.0f  median %.0f  q3 %.0f  max %.0f%n", samples[0], samples[runs / 4],
                    samples[runs / 2], samples[3 * runs / 4], samples[runs - 1]);
        }
        return samples[runs / 2];
    }

    public static void main(String[] args) throws IOException {
        Path dir = Path.of(args[0]);
        int runs = args.length > 1 ? Integer.parseInt(args[1]) : 31;
        String only = args.length > 2 ? args[2] : "";
        Meshory.initializeGrid(64, 64, 0, 0, 64000, 64000);
        long maker = Meshory.contsruct();

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
            System.out.printf("jvm_tile_ns %.0f%njvm_tile_buffers_ns %.0f%nchecksum %d%n", tileNs, buffersNs, sink);
            return;
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
        System.out.printf("jvm_tile_ns %.0f%njvm_tile_buffers_ns %.0f%njvm_handoff_ns %.0f%njvm_handoff_buffer_ns %.0f%n"
                + "handoff_bytes %d%nchecksum %d%n", tileNs, buffersNs, handoffNs, buffersHandoffNs, floats[0] * 4, sink);
    }
}
