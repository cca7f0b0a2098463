package cpp.geometry;

import static cpp.geometry.PayloadWriter.POINTS;
import static cpp.geometry.PayloadWriter.deltaStream;
import static cpp.geometry.PayloadWriter.plainStream;

import java.util.Arrays;

/**
 * Run in a JVM of its own with a small heap (see FloatArrayFailureTest): a model whose points
 * need a larger float array than the heap holds. The native must hand back the JVM's
 * OutOfMemoryError and leave the model, the maker and the bridge usable.
 */
public final class HeapExhaustion {
    private HeapExhaustion() {}

    public static void main(String[] args) {
        long maker = Meshory.contsruct();
        // 2^20 points in 4 MiB of delta stream; the native side copies it, so 24 copies cost the
        // heap nothing, but their 25 million points need a 300 MB float array.
        short[] deltas = new short[1 << 21];
        Arrays.fill(deltas, (short) 1);
        long big = Meshory.makeBlob(1, POINTS, 7, 0, deltaStream(0, 0, deltas));
        deltas = null;
        long[] handles = new long[24];
        Arrays.fill(handles, big);
        long model = Meshory.makeModel(maker, handles, 0, 0);
        Meshory.disposeBlob(big);

        boolean raised = false;
        try {
            Meshory.modelPoints(model);
        } catch (OutOfMemoryError expected) {
            raised = true;
        }
        long small = Meshory.makeBlob(2, POINTS, 8, 0, plainStream(1, 2));
        long other = Meshory.makeModel(maker, new long[] {small}, 0, 0);
        boolean usable = Meshory.modelLayerId(model) == 7
                && Meshory.modelTriangles(model).length == 0
                && Arrays.equals(Meshory.modelPoints(other), new float[] {1, 2, 0});
        Meshory.disposeBlob(small);
        Meshory.dispose(maker);
        System.out.println("raised=" + raised + " usable=" + usable);
        System.exit(raised && usable ? 0 : 1);
    }
}
