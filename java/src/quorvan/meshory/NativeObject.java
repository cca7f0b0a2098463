package quorvan.meshory;

import java.lang.ref.Cleaner;
import java.util.function.LongConsumer;

/**
 * The lifetime of one native object, shared by its Java owner and the {@link Cleaner} action
 * that frees it if the owner is forgotten. It must never refer to the owner, or the owner could
 * never become unreachable.
 *
 * <p>Calls bracket each use with {@link #acquire} and {@link #release}. Closing marks the object
 * closed at once (later uses throw {@link IllegalStateException} before any native call) but
 * frees it only when the last running use has ended, so a close racing a call on another thread
 * never frees memory under it.
 *
 * <p>The lifetime's own monitor is held only for a few instructions, never across a native call:
 * calls that must not overlap serialise on {@link #calls} instead. So a child's queries (a tile's,
 * a model's) run beside a long build of its maker, whose use of the maker stays counted.
 */
final class NativeObject implements Runnable {
    private static final Cleaner CLEANER = Cleaner.create();

    private final String kind;
    private final NativeObject parent;
    private final LongConsumer free;
    // Where the owner was created, when -Dmeshory.leakDetection=advanced asks (ForgottenOwners).
    private final Throwable creationSite;
    private final Cleaner.Cleanable cleanable;
    private long handle;
    private int users;
    // Read without the monitor by checkOpen; written under it.
    private volatile boolean closed;

    /** The lock held across a native call that must not overlap the object's other calls. */
    final Object calls = new Object();

    /**
     * Takes over {@code handle} for {@code owner}; {@code free} must not refer to the owner.
     * Handle 0 stands for no native object: it is never freed.
     */
    NativeObject(Object owner, String kind, long handle, LongConsumer free) {
        this(owner, kind, handle, null, free);
    }

    /** The same for an object that {@code parent} frees with itself (a model of a maker). */
    NativeObject(Object owner, String kind, long handle, NativeObject parent, LongConsumer free) {
        this.kind = kind;
        this.parent = parent;
        this.free = free;
        this.handle = handle;
        this.creationSite = handle != 0 ? ForgottenOwners.creationSite(kind) : null;
        this.cleanable = CLEANER.register(owner, this);
    }

    /** The handle, counted as in use until {@link #release}; throws once closed. */
    synchronized long acquire() {
        checkOpen();
        ++users;
        return handle;
    }

    /** How a parent frees one of its children: {@code dispose(parentHandle, childHandle)}. */
    interface ChildDisposal {
        void dispose(long parent, long child);
    }

    /**
     * The free action of a child that {@code parent} also frees with itself (a model or tile of a
     * maker): the child is disposed of under the parent's call lock, unless the parent is closed,
     * as it has freed its children then (or will, once its last call returns).
     */
    static LongConsumer freedThrough(NativeObject parent, ChildDisposal disposal) {
        return child -> {
            long parentHandle = parent.tryAcquire();
            if (parentHandle == 0) {
                return;
            }
            try {
                synchronized (parent.calls) {
                    disposal.dispose(parentHandle, child);
                }
            } finally {
                parent.release();
            }
        };
    }

    /** Throws, as {@link #acquire} does, once closed. */
    void checkOpen() {
        if (closed) {
            throw new IllegalStateException("meshory: the " + kind + " is closed");
        }
    }

    /** The handle counted as in use, or 0 (not counted) when already closed. */
    synchronized long tryAcquire() {
        if (closed) {
            return 0;
        }
        ++users;
        return handle;
    }

    void release() {
        long toFree;
        synchronized (this) {
            --users;
            toFree = takeIfUnused();
        }
        freeOutsideLock(toFree);
    }

    boolean isClosed() {
        return closed;
    }

    /** Closes; a second close does nothing. */
    void close() {
        markClosed();
        cleanable.clean();
    }

    /** The Cleaner action: the owner became unreachable; frees the object unless it was closed. */
    @Override
    public void run() {
        boolean forgotten;
        synchronized (this) {
            forgotten = !closed && handle != 0;
        }
        // Freed with its parent already: nothing was forgotten.
        forgotten = forgotten && (parent == null || !parent.isClosed());
        // Freed before it is reported: a slow log must not hold native memory.
        markClosed();
        if (forgotten) {
            ForgottenOwners.report(kind, creationSite);
        }
    }

    /** How many forgotten objects the Cleaner freed in this class loader. */
    static long forgottenCount() {
        return ForgottenOwners.total();
    }

    private void markClosed() {
        long toFree;
        synchronized (this) {
            closed = true;
            toFree = takeIfUnused();
        }
        freeOutsideLock(toFree);
    }

    // Called with the lock held: the handle to free now, taken out so it is freed once.
    private long takeIfUnused() {
        if (!closed || users > 0 || handle == 0) {
            return 0;
        }
        long h = handle;
        handle = 0;
        return h;
    }

    // Outside this object's lock: freeing a model takes its maker's lock.
    private void freeOutsideLock(long h) {
        if (h != 0) {
            free.accept(h);
        }
    }
}
