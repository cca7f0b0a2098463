package quorvan.viewer;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.atomic.AtomicInteger;
import quorvan.meshory.ModelMaker;
import quorvan.meshory.Tile;

/**
 * Builds a pack's tiles off the GL thread: each worker owns one maker (a maker serialises the
 * calls on itself, so makers are not shared) and takes the next tile until none is left. A
 * finished tile's block is written into a direct buffer of its own, the library's tile is closed
 * (its storage serves the worker's next tile), and the result is queued for the GL thread, which
 * uploads it as it arrives.
 */
final class TileBuilder {
    /** The outcome of one tile: the tile, or what went wrong building it. */
    record Result(BuiltTile tile, Throwable failure) {}

    private final Pack pack;
    private final AtomicInteger next = new AtomicInteger();
    private final BlockingQueue<Result> done = new LinkedBlockingQueue<>();

    TileBuilder(Pack pack, int workers) {
        this.pack = pack;
        for (int w = 0; w < workers; ++w) {
            Thread t = new Thread(this::work, "tile-builder-" + w);
            t.setDaemon(true);
            t.start();
        }
    }

    /** The next finished tile, waiting for it; call once per tile of the pack. */
    Result take() throws InterruptedException {
        return done.take();
    }

    private void work() {
        try (ModelMaker maker = new ModelMaker()) {
            for (int i = next.getAndIncrement(); i < pack.tiles.size();
                    i = next.getAndIncrement()) {
                Pack.TileRequests t = pack.tiles.get(i);
                try (Tile tile = maker.makeTile(pack.records, pack.recordCount, t.requests(),
                        t.origins(), Tile.SKIP_ZERO_AREA | Tile.NORMALS)) {
                    FloatBuffer block = ByteBuffer.allocateDirect(4 * tile.floatCount())
                        .order(ByteOrder.nativeOrder()).asFloatBuffer();
                    tile.write(block);
                    done.add(new Result(new BuiltTile(t.index(), t.x(), t.y(), tile, block.flip()),
                            null));
                } catch (RuntimeException | Error e) {
                    done.add(new Result(null, e));
                }
            }
        } catch (RuntimeException | Error e) {
            // The maker itself could not be made: every tile this worker would have taken fails.
            for (int i = next.getAndIncrement(); i < pack.tiles.size();
                    i = next.getAndIncrement()) {
                done.add(new Result(null, e));
            }
        }
    }
}
