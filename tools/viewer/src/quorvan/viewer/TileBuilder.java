package quorvan.viewer;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.util.List;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.atomic.AtomicInteger;
import quorvan.meshory.ModelMaker;
import quorvan.meshory.Tile;

/**
 * Builds a pack's tiles off the GL thread: each worker owns one maker (a maker serialises the
 * calls on itself, so makers are not shared) and takes the next tile until none is left. A
 * finished tile's block is written into a direct buffer of its own and its labels are shaped;
 * the tile stays open (picking and label selection read it) and is queued for the GL thread,
 * which uploads it as it arrives. The makers live as long as the builder, their tiles with them.
 */
final class TileBuilder {
    /** The outcome of one tile: the tile, or what went wrong building it. */
    record Result(BuiltTile tile, Throwable failure) {}

    private final Pack pack;
    private final MapStyle style;
    private final Fonts fonts;
    private final List<ModelMaker> makers = new CopyOnWriteArrayList<>();
    private final AtomicInteger next = new AtomicInteger();
    private final BlockingQueue<Result> done = new LinkedBlockingQueue<>();

    TileBuilder(Pack pack, int workers, MapStyle style, Fonts fonts) {
        this.pack = pack;
        this.style = style;
        this.fonts = fonts;
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
        try {
            ModelMaker maker = new ModelMaker();
            makers.add(maker);
            for (int i = next.getAndIncrement(); i < pack.tiles.size();
                    i = next.getAndIncrement()) {
                Pack.TileRequests t = pack.tiles.get(i);
                try {
                    Tile tile = maker.makeTile(pack.records, pack.recordCount, t.requests(),
                            t.origins(), Tile.SKIP_ZERO_AREA | Tile.NORMALS);
                    FloatBuffer block = ByteBuffer.allocateDirect(4 * tile.floatCount())
                        .order(ByteOrder.nativeOrder()).asFloatBuffer();
                    tile.write(block);
                    done.add(new Result(new BuiltTile(t.index(), t.x(), t.y(), tile, block.flip(),
                            style, fonts), null));
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

    /** Closes the makers, and with them every tile they built. */
    void close() {
        makers.forEach(ModelMaker::close);
    }
}
