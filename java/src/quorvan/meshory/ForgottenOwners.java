package quorvan.meshory;

import java.util.HashSet;
import java.util.Locale;
import java.util.Objects;
import java.util.Set;
import java.util.concurrent.atomic.AtomicLong;

/**
 * What the {@link java.lang.ref.Cleaner} says about owners it freed because nobody closed them,
 * chosen with the system property {@value #PROPERTY}, as leak detectors on the JVM do:
 * <ul>
 *   <li>{@code simple} (the default): the first {@value #IN_FULL} warnings in full, then one line
 *       per {@value #PERIOD} forgotten owners with the count so far;
 *   <li>{@code advanced}: each owner records where it was created (a stack trace, at some cost
 *       per owner), and the first forgotten owner of each creating line is warned about in full,
 *       naming that line, for up to {@value #MAX_SITES} lines; then the count, as above;
 *   <li>{@code disabled}: nothing is logged.
 * </ul>
 * A warning costs the Cleaner's one thread its time: a program that forgets owners by the
 * thousand must not make it fall behind, holding their native memory, while it writes lines.
 */
final class ForgottenOwners {
    static final String PROPERTY = "meshory.leakDetection";
    static final int IN_FULL = 8;
    static final int PERIOD = 1000;
    static final int MAX_SITES = 64;

    enum Level {
        DISABLED, SIMPLE, ADVANCED
    }

    private static final System.Logger LOG = System.getLogger("quorvan.meshory");
    private static final AtomicLong TOTAL = new AtomicLong();
    private static final Set<String> SITES = new HashSet<>();
    private static volatile Level level = parse(System.getProperty(PROPERTY));
    private static volatile long countedFrom;

    private ForgottenOwners() {}

    static Level parse(String value) {
        if (value == null) {
            return Level.SIMPLE;
        }
        return switch (value.trim().toLowerCase(Locale.ROOT)) {
            case "disabled", "off", "false" -> Level.DISABLED;
            case "advanced", "paranoid" -> Level.ADVANCED;
            default -> Level.SIMPLE;
        };
    }

    /** Sets the level and starts the warnings afresh, as at start-up. */
    static void reset(Level newLevel) {
        synchronized (SITES) {
            SITES.clear();
            countedFrom = TOTAL.get();
            level = newLevel;
        }
    }

    /** Where a new owner is created, when the level records it; otherwise null. */
    static Throwable creationSite(String kind) {
        return level == Level.ADVANCED ? new Throwable("the " + kind + " was created here") : null;
    }

    /** Every owner freed by the Cleaner since start-up. */
    static long total() {
        return TOTAL.get();
    }

    /** Counts one forgotten owner and warns as the level says. */
    static void report(String kind, Throwable site) {
        long n = TOTAL.incrementAndGet() - countedFrom;
        Level l = level;
        if (l == Level.DISABLED) {
            return;
        }
        String advice = "; close it (try-with-resources)";
        if (site != null) {
            String line = creatingLine(site);
            boolean first;
            synchronized (SITES) {
                first = SITES.size() < MAX_SITES && SITES.add(line);
            }
            if (first) {
                LOG.log(System.Logger.Level.WARNING,
                        "meshory: freed a " + kind + " that was never closed, created at " + line
                        + advice, site);
                return;
            }
        } else if (n <= IN_FULL) {
            LOG.log(System.Logger.Level.WARNING, "meshory: freed a " + kind
                    + " that was never closed" + advice
                    + (n == IN_FULL ? " (further ones are counted, one line per " + PERIOD
                            + "; -D" + PROPERTY + "=advanced names where each was created)" : ""));
            return;
        }
        if (n % PERIOD == 0) {
            LOG.log(System.Logger.Level.WARNING, "meshory: " + n
                    + " owners freed that were never closed");
        }
    }

    /** The first frame outside this library: the line that created the owner. */
    private static String creatingLine(Throwable site) {
        for (StackTraceElement frame : site.getStackTrace()) {
            if (!inLibrary(frame.getClassName())) {
                return frame.toString();
            }
        }
        return "an unknown line";
    }

    // A class of this jar. Packages alone cannot tell: a host may put code of its own in them.
    private static boolean inLibrary(String className) {
        if (!className.startsWith("quorvan.") && !className.startsWith("cpp.geometry.")) {
            return false;
        }
        try {
            Class<?> c = Class.forName(className, false, ForgottenOwners.class.getClassLoader());
            return Objects.equals(c.getProtectionDomain().getCodeSource(),
                    ForgottenOwners.class.getProtectionDomain().getCodeSource());
        } catch (ClassNotFoundException | SecurityException e) {
            return true;
        }
    }
}
