package quorvan.viewer;

import java.io.IOException;
import java.nio.BufferUnderflowException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * A blob pack (docs/blob-pack.md) as the viewer hands it to the library: the grid set-up, the
 * layer names, every blob record in one direct buffer, and the requests grouped into tiles.
 *
 * <p>The pack's blobs are laid out as the library's blob records already, so they are copied
 * into the direct buffer as they are and the library reads them in place. Requests with the same
 * origin form one tile: the sample's requests have their cell's corner as origin, so a tile is a
 * cell and its geometry shares one origin, which the shaders add.
 */
final class Pack {
    /** The requests of one tile: first record and record count per request, and the origin. */
    record TileRequests(int index, double x, double y, int[] requests, double[] origins) {
        int requestCount() {
            return requests.length / 2;
        }
    }

    final int cellsInRow;
    final int cellsInCol;
    final double x1;
    final double y1;
    final double x2;
    final double y2;
    final Map<Integer, String> layerNames;
    final ByteBuffer records;
    final int recordCount;
    final int requestCount;
    final List<TileRequests> tiles;

    private Pack(ByteBuffer pack) {
        if (pack.remaining() < 56 || !"MSHYPACK".equals(ascii(pack, 0, 8))) {
            throw new IllegalArgumentException("not a blob pack");
        }
        if (pack.getShort(8) != 1 || pack.getShort(10) != 0) {
            throw new IllegalArgumentException("unsupported blob pack version or flags");
        }
        cellsInRow = pack.getInt(12);
        cellsInCol = pack.getInt(16);
        x1 = pack.getDouble(20);
        y1 = pack.getDouble(28);
        x2 = pack.getDouble(36);
        y2 = pack.getDouble(44);
        pack.position(52);
        Map<Integer, String> names = new HashMap<>();
        for (long n = Integer.toUnsignedLong(pack.getInt()); n > 0; --n) {
            int id = pack.getInt();
            int length = Short.toUnsignedInt(pack.getShort());
            byte[] text = new byte[length];
            pack.get(text);
            names.put(id, new String(text, StandardCharsets.UTF_8));
        }
        layerNames = Map.copyOf(names);
        long requests = Integer.toUnsignedLong(pack.getInt());
        // Every request takes at least 20 bytes: a count past that is a corrupt pack, refused
        // before anything is allocated for it.
        if (requests > pack.remaining() / 20) {
            throw new IllegalArgumentException("request count past the end of the pack");
        }
        records = ByteBuffer.allocateDirect(pack.remaining()).order(ByteOrder.LITTLE_ENDIAN);
        Map<List<Double>, List<int[]>> byOrigin = new LinkedHashMap<>();
        int count = 0;
        for (int r = 0; r < requests; ++r) {
            double x = pack.getDouble();
            double y = pack.getDouble();
            long blobs = Integer.toUnsignedLong(pack.getInt());
            if (blobs > pack.remaining() / 24) {
                throw new IllegalArgumentException("blob count past the end of the pack");
            }
            int first = count;
            // A request's blobs lie one after another: one copy for all of them.
            int from = pack.position();
            int end = from;
            for (long b = 0; b < blobs; ++b, ++count) {
                long size = 24 + Integer.toUnsignedLong(pack.getInt(end + 20));
                if (size > pack.limit() - end) {
                    throw new IllegalArgumentException("blob past the end of the pack");
                }
                end += (int) size;
            }
            records.put(pack.slice(from, end - from));
            pack.position(end);
            byOrigin.computeIfAbsent(List.of(x, y), k -> new ArrayList<>())
                    .add(new int[] {first, (int) blobs});
        }
        if (pack.hasRemaining()) {
            throw new IllegalArgumentException("bytes after the last request");
        }
        records.flip();
        recordCount = count;
        requestCount = (int) requests;
        List<TileRequests> grouped = new ArrayList<>();
        for (Map.Entry<List<Double>, List<int[]>> e : byOrigin.entrySet()) {
            double x = e.getKey().get(0);
            double y = e.getKey().get(1);
            List<int[]> list = e.getValue();
            int[] table = new int[2 * list.size()];
            double[] origins = new double[2 * list.size()];
            for (int i = 0; i < list.size(); ++i) {
                table[2 * i] = list.get(i)[0];
                table[2 * i + 1] = list.get(i)[1];
                origins[2 * i] = x;
                origins[2 * i + 1] = y;
            }
            grouped.add(new TileRequests(grouped.size(), x, y, table, origins));
        }
        tiles = List.copyOf(grouped);
    }

    static Pack read(Path file) throws IOException {
        ByteBuffer bytes = ByteBuffer.wrap(Files.readAllBytes(file)).order(ByteOrder.LITTLE_ENDIAN);
        try {
            return new Pack(bytes);
        } catch (BufferUnderflowException | IndexOutOfBoundsException e) {
            throw new IllegalArgumentException("truncated blob pack at byte " + bytes.position(),
                    e);
        }
    }

    String layerName(int layerId) {
        return layerNames.getOrDefault(layerId, "layer " + layerId);
    }

    private static String ascii(ByteBuffer b, int at, int length) {
        byte[] text = new byte[length];
        b.get(at, text);
        return new String(text, StandardCharsets.US_ASCII);
    }
}
