#!/usr/bin/env python3
"""Prints the goal table from one run of scripts/bench.sh.

Reads the Google Benchmark JSON files (medians of interleaved repetitions,
CPU time) and the host comparison's key/value lines from the results
directory given as the first argument. Exits 0 whatever the ratios: the
table is a report, not a gate. With --quick (scripts/bench.sh --quick: few
short repetitions), a timing goal missed is reported as "unsure (quick)",
not as NOT MET: such a run cannot tell a miss from noise; counts and bytes
are judged as in a full run.
"""
import json
import statistics
import sys
from pathlib import Path

results = Path(sys.argv[1])
quick = "--quick" in sys.argv[2:]


def medians(name):
    """run_name -> median aggregate of one benchmark program's JSON output."""
    data = json.loads((results / f"{name}.json").read_text())
    out = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            out[b["run_name"]] = b
    return out


def host_values(key):
    """Medians over the interleaved rounds of one key of the host comparison."""
    values = []
    for line in (results / "host.txt").read_text().splitlines():
        parts = line.split()
        if len(parts) == 2 and parts[0] == key:
            values.append(float(parts[1]))
    return statistics.median(values) if values else float("nan")


def fastest_memcpy(runs, size):
    rates = [b["bytes_per_second"] for n, b in runs.items() if n.startswith(f"BM_Memcpy/{size}/")]
    return max(rates) if rates else float("nan")


rows = []  # (goal, measured, target, met)


def row(goal, value, target, at_most, detail="", timing=True):
    met = value <= target if at_most else value >= target
    verdict = "met" if met else ("unsure (quick)" if quick and timing else "NOT MET")
    rows.append((goal, f"{value:.2f}", ("≤ " if at_most else "≥ ") + f"{target:.2f}", verdict, detail))


# Linear models: time(10000) / (10 x time(1000)) for every type and order.
models = medians("bench_models")
scaling, allocating = {}, {}
for name, b in models.items():
    series, n = name.rsplit("/", 1)
    scaling.setdefault(series, {})[int(n)] = b["cpu_time"]
    allocating.setdefault(series, {})[int(n)] = b.get("allocated_bytes", float("nan"))
ratios = {s.replace("BM_Model/", ""): t[10000] / (10 * t[1000]) for s, t in scaling.items() if 1000 in t and 10000 in t}
alloc_ratios = {s.replace("BM_Model/", ""): a[10000] / (10 * a[1000]) if a[1000] else float("nan")
                for s, a in allocating.items() if 1000 in a and 10000 in a}
worst = max(ratios, key=ratios.get)
row("linear models (worst type/order)", ratios[worst], 1.10, True, worst)

# Steady state under the allocator's defaults: one maker, each model released
# before the next request (bench_steady_state, no mallopt in that program).
steady = medians("bench_steady_state")
steady_time, steady_faults = {}, {}
for name, b in steady.items():
    series, n = name.rsplit("/", 1)
    series = series.replace("BM_SteadyModel/", "")
    steady_time.setdefault(series, {})[int(n)] = b["cpu_time"]
    if b.get("model_bytes"):
        steady_faults.setdefault(series, {})[int(n)] = b["fault_bytes"] / b["model_bytes"]
steady_ratios = {s: t[10000] / (10 * t[1000]) for s, t in steady_time.items() if 1000 in t and 10000 in t}
worst_steady = max(steady_ratios, key=steady_ratios.get)
row("steady state, default allocator (worst type/order)", steady_ratios[worst_steady], 1.15, True, worst_steady)
fault_ratios = {f"{s}/{n}": r for s, by_n in steady_faults.items() for n, r in by_n.items()}
worst_fault = max(fault_ratios, key=fault_ratios.get)
row("kernel bytes per request ÷ model bytes (worst)", fault_ratios[worst_fault], 0.05, True, worst_fault,
    timing=False)

# No hidden copies: bytes allocated while building / bytes of the finished models.
tile = medians("bench_builders")["BM_MixedTile"]
row("no hidden copies (mixed tile)", tile["alloc_ratio"], 2.0, True,
    f"{tile['allocated_bytes'] / 1e6:.2f} MB allocated for {tile['model_bytes'] / 1e6:.2f} MB of models",
    timing=False)

# A tile of 160,000 one-point requests in as many layers against the same in one layer.
builders = medians("bench_builders")
layers = builders["BM_TileLayers/160000"]["cpu_time"] / builders["BM_TileLayers/1"]["cpu_time"]
row("tile of 160,000 requests: 160,000 layers ÷ one layer", layers, 2.0, True,
    f"{builders['BM_TileLayers/160000']['cpu_time']:.0f} ms against {builders['BM_TileLayers/1']['cpu_time']:.0f} ms")

# Decoding: output bytes/s of the vertex-stream decoders / fastest memcpy of the same bytes.
decoders = medians("bench_decoders")
for label, name, size in [("plain", "BM_PlainStream/4096", 32768), ("delta", "BM_DeltaStream/4096", 32768),
                          ("plain, 64 points", "BM_PlainStream/64", 512), ("delta, 64 points", "BM_DeltaStream/64", 512)]:
    row(f"decoding: {label} stream", decoders[name]["bytes_per_second"] / fastest_memcpy(decoders, size), 0.5, False,
        f"{size} output bytes")

# Conversions: output bytes/s / fastest memcpy of the same bytes.
conversions = medians("bench_conversions")
for label, name, size in [("strip to triangles + normals", "BM_StripToTrianglesWithNormals/4096", 294768),
                          ("line strip to lines", "BM_LineStripToLines/4096", 98280),
                          ("strip to triangles + normals, L1", "BM_StripToTrianglesWithNormals/256", 18288),
                          ("line strip to lines, L1", "BM_LineStripToLines/256", 6120)]:
    row(f"conversions: {label}", conversions[name]["bytes_per_second"] / fastest_memcpy(conversions, size), 0.35,
        False, f"{size} output bytes")

# The JVM side.
row("JNI hand-off (modelTriangles)", host_values("jvm_handoff_ns") / host_values("native_handoff_ns"), 1.3, True,
    f"{host_values('handoff_bytes') / 1e6:.1f} MB into new memory; "
    f"{host_values('jvm_handoff_ns') / host_values('native_handoff_hot_ns'):.2f} against one cache-hot native buffer")
row("host round trip (mixed tile)", host_values("jvm_tile_ns") / host_values("native_tile_ns"), 1.25, True,
    f"JVM {host_values('jvm_tile_ns') / 1e6:.2f} ms, native {host_values('native_tile_ns') / 1e6:.2f} ms")
row("JNI hand-off into a kept direct buffer (modelTrianglesInto)",
    host_values("jvm_handoff_buffer_ns") / host_values("native_handoff_hot_ns"), 1.15, True,
    f"{host_values('jvm_handoff_buffer_ns') / 1e6:.2f} ms against {host_values('jvm_handoff_ns') / 1e6:.2f} ms "
    "for a new array")
row("host round trip, buffer path (mixed tile)", host_values("jvm_tile_buffers_ns") / host_values("native_tile_ns"),
    1.15, True, f"JVM {host_values('jvm_tile_buffers_ns') / 1e6:.2f} ms over makeBlobs and the buffer getters")

# A tile in one call (zero-area triangles left out), against a native program doing the same:
# build the tile, write its floats into host memory. Today's per-model buffer path beside it.
for key, label in [("mixed", "mixed tile"), ("sf", "San Francisco cells")]:
    jvm, native = host_values(f"jvm_tilecall_{key}_ns"), host_values(f"native_tilecall_{key}_ns")
    models = host_values(f"tile_{key}_models")
    row(f"JVM tile in one call ÷ native ({label})", jvm / native, 1.05, True,
        f"JVM {jvm / 1e6:.2f} ms, native {native / 1e6:.2f} ms; {models:.0f} models a tile")
    public, bare = host_values(f"jvm_public_{key}_ns"), host_values(f"jvm_bare_{key}_ns")
    row(f"public tile path ÷ bare natives, one JVM ({label})", public / bare, 1.03, True,
        f"makeTile + write + close {public / 1e6:.3f} ms, the natives makeTile + tileInto + disposeTile "
        f"{bare / 1e6:.3f} ms, alternating runs")
    row(f"JVM per-model buffer path ÷ native per-model ({label})",
        host_values(f"jvm_models_{key}_ns") / host_values(f"native_models_{key}_ns"), 1.15, True,
        f"JVM {host_values(f'jvm_models_{key}_ns') / 1e6:.2f} ms over about {9 * models:.0f} JNI calls; "
        f"the tile call is {host_values(f'jvm_models_{key}_ns') / jvm:.2f}x faster")
    allocated = host_values(f"jvm_tilecall_{key}_alloc_bytes")
    row(f"Java heap bytes a tile call allocates ({label})", allocated, 1024, True,
        f"the same few objects whatever the tile ({models:.0f} models, "
        f"{host_values(f'tile_{key}_buckets'):.0f} buckets): the tables are read in place", timing=False)
heaps = {key: host_values(f"jvm_tilecall_{key}_alloc_bytes") for key in ("mixed", "sf")}
counts = {key: host_values(f"tile_{key}_models") for key in ("mixed", "sf")}
row("Java heap bytes a tile allocates per model (slope, mixed tile to cells)",
    (heaps["sf"] - heaps["mixed"]) / (counts["sf"] - counts["mixed"]), 1.0, True,
    f"{heaps['mixed']:.0f} bytes for {counts['mixed']:.0f} models, {heaps['sf']:.0f} bytes for "
    f"{counts['sf']:.0f}: independent of the models", timing=False)
row("JNI calls a tile: records to floats, tables and labels", 4, 5, True,
    "by construction: build, tables view, write, close; labels are read from the tables", timing=False)
one, two = host_values("jvm_sf_tiles_per_s_1"), host_values("jvm_sf_tiles_per_s_2")
row("San Francisco tiles per second, 2 threads ÷ 1 thread", two / one, 1.8, False,
    f"{one:.0f} tiles/s on one thread, {two:.0f} on two, one maker each")

# The JVM viewer, pack to first full frame (software OpenGL), against meshory-inspect's build of
# the same pack: the median of the rounds' ratios. Absent where the viewer could not run.
viewer = results / "viewer.txt"
if viewer.exists():
    frames, builds = [], []
    for line in viewer.read_text().splitlines():
        key, _, value = line.partition(" ")
        (frames if key == "viewer_first_frame_ms" else builds).append(float(value))
    if frames and len(frames) == len(builds):
        ratio = statistics.median(f / b for f, b in zip(frames, builds))
        row("JVM viewer, pack to first full frame ÷ meshory-inspect build (San Francisco)", ratio, 2.0, True,
            f"viewer {statistics.median(frames):.0f} ms (Mesa llvmpipe, 1280 x 800), "
            f"inspect {statistics.median(builds):.0f} ms")

# Zero-area triangles of the real sample tiles handed over with SKIP_ZERO_AREA.
zero = {}
for line in (results / "zero_area.txt").read_text().splitlines():
    key, _, value = line.partition(" ")
    if key != "pack":
        zero[key] = zero.get(key, 0) + int(value)
row("zero-area triangles handed over with the option (sample tiles)", zero["zero_area_with_option"], 0, True,
    f"{zero['zero_area']:,} of {zero['triangles']:,} triangles have zero area; "
    f"{zero['handed_over_with_option']:,} handed over with the option", timing=False)

print()
print("| goal | ratio | target | | detail |")
print("|---|---|---|---|---|")
for goal, value, target, met, detail in rows:
    print(f"| {goal} | {value} | {target} | {met} | {detail} |")
print()
print("Linear models, N = 10000 against 10 x N = 1000, every type and order:")
print(f"  {'':40s} {'time':>6s} {'bytes allocated':>16s}")
for name in sorted(ratios, key=ratios.get, reverse=True):
    print(f"  {name:40s} {ratios[name]:6.2f} {alloc_ratios.get(name, float('nan')):16.2f}")
print()
print("Steady state, default allocator, one maker releasing each model before the next request:")
print(f"  {'':40s} {'time':>6s} {'kernel bytes/model bytes at 1000':>34s} {'at 10000':>9s}")
for name in sorted(steady_ratios, key=steady_ratios.get, reverse=True):
    f = steady_faults.get(name, {})
    print(f"  {name:40s} {steady_ratios[name]:6.2f} {f.get(1000, float('nan')):34.3f} {f.get(10000, float('nan')):9.3f}")
