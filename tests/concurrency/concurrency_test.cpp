// What the library promises about threads, checked under ThreadSanitizer
// (the tsan preset) and for determinism everywhere: separate makers on
// separate threads, the first use of the process-wide tables from several
// threads at once, and concurrent queries on one style list, one camera and
// the grid. Every thread's results must equal what one thread computes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <latch>
#include <set>
#include <thread>
#include <vector>

#include "camera/glcamera.h"
#include "debug/debuglog.h"
#include "grid/grid.h"
#include "model/meshory.h"
#include "model/tile.h"
#include "styles/style_files.h"
#include "styles/style_list.h"
#include "support/payload_writer.h"
#include "support/short_names.h"

namespace quorvan {
namespace {

constexpr int kThreads = 4;

// Runs body(t) on kThreads threads released together, so that their first
// steps really overlap.
void onThreads(const std::function<void(int)>& body) {
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            body(t);
        });
    }
    for (auto& th : threads) th.join();
}

void configureGrid() {
    grid().cellsAmount(16, 16);
    grid().gridCoordinates(Bounds(0, 0, 1600, 1600));
}

// One blob of every type with a builder. The segment payload holds an
// element of an unknown kind, so that building also writes to the debug log.
std::vector<S_BlobData> everyType() {
    const std::vector<vec2> line{{10, 20}, {30, 25}, {50, 20}, {60, 40}};
    const std::vector<vec2> ring{{35, 35}, {20, 20}, {50, 20}, {50, 50}, {20, 50}};
    const std::vector<vec2> quad{{0, 0}, {10, 0}, {0, 10}, {10, 10}};
    SegmentSpec road;
    road.styleId = 4, road.kind = 1, road.text = "Road", road.points = line;
    SegmentSpec pin;
    pin.styleId = 5, pin.kind = 2, pin.text = "Pin", pin.points = {{12, 13}};
    SegmentSpec unknown = pin;
    unknown.kind = 9;
    const std::vector<std::pair<int32_t, Bytes>> payloads{
        {TRIANGLE_STRIPS, plainStream(quad)},
        {INDEXED_TRIANGLE_STRIPS,
         indexedBlock<vec2>(quad, {0, 1, 2, 3}, {0, 1, 3, 2}, 45, kByteIndices)},
        {FLAT_TRIANGLE_STRIP, deltaStream(ring)},
        {INDEXED_FLAT_TRIANGLE_STRIPS,
         indexedBlock<vec2>(quad, {0, 1, 2, 3}, {0, 1, 3, 2}, 0, kDeltaVertices)},
        {FLAT_LINE_STRIP, withU8Prefix(3, plainStream(line))},
        {LINES, plainStream(line)},
        {INDEXED_LINES,
         indexedBlock<vec3>({{0, 0, 1}, {5, 5, 2}, {9, 1, 0}}, {0, 1, 1, 2}, {}, 0, 0)},
        {POINTS, deltaStream(ring)},
        {TEXT_DATA, labelBlock({15, 25}, {{0, "Main"}, {1, "Haupt"}})},
        {RAILROAD_PATH, withU8Prefix(0, plainStream(line))},
        {TRAM_PATH, withU8Prefix(2, plainStream(line))},
        {ROAD_PATH, withU8Prefix(6, deltaStream(ring))},
        {BRIDGE, withU8Prefix(2, plainStream(line))},
        {FLAT_TRIANGLE_FAN, plainStream(ring)},
        {TRIANGLE_FAN, withU16Prefix(25, plainStream(ring))},
        {ON_POLYGON_FLAT_TRIANGLE_FAN, deltaStream(ring)},
        {ON_POLYGON_TRIANGLE_FAN, withU16Prefix(30, deltaStream(ring))},
        {CELL_POLYGON, {}},
        {LABEL_STYLE_SEGMENTS, labelSegments({{road, pin, unknown}})},
    };
    std::vector<S_BlobData> blobs;
    for (const auto& [type, payload] : payloads)
        blobs.emplace_back(blobs.size() + 1, type, 3, 65536 + 2, payload);
    return blobs;
}

// What a model holds, in comparable form.
struct Snapshot {
    std::vector<vec3> triangles, triangleNormals, lines;
    std::vector<vec2> points, paths;
    std::string label;
    vec3 labelPosition{0.0f};
    float height = 0.0f;
    size_t roadSegments = 0, pointSegments = 0;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const S_Model& m) {
    return {m.polygons.vertices,
            m.polygons.normals,
            m.lines.vertices,
            m.points,
            m.paths,
            m.label,
            m.labelPosition,
            m.height,
            m.roadSegments.size(),
            m.pointSegments.size()};
}

// The models of every type, one per blob, plus one model of all of them.
std::vector<Snapshot> buildAll(C_Meshory& maker, const std::vector<S_BlobData>& blobs) {
    std::vector<Snapshot> out;
    for (const auto& blob : blobs) {
        const S_Model* model = maker.makeModel({blob}, vec3(5, 5, 0), LoadFilter(0));
        out.push_back(model ? snapshot(*model) : Snapshot{});
    }
    out.push_back(snapshot(*maker.makeModel(blobs, vec3(5, 5, 0), LoadFilter(0))));
    return out;
}

// Runs in a process of its own (a thread-safe death test re-executes the
// test binary), so that no table exists before the threads start.
void firstUseFromManyThreads() {
    const auto blobs = everyType();
    // Grid and logs first, all at once; the host then configures the grid.
    onThreads([](int) {
        (void)grid().cellsInRow();
        log() << "first";
        err() << "first";
    });
    configureGrid();
    // Builder table, empty viewport and segment table next, all at once.
    std::vector<std::vector<Snapshot>> results(kThreads);
    onThreads([&](int t) {
        C_Meshory maker;
        results[t] = buildAll(maker, blobs);
    });
    for (const auto& r : results) {
        if (r != results.front()) std::exit(3);
    }
    // Every type produced something.
    for (size_t i = 0; i + 1 < results.front().size(); ++i) {
        if (results.front()[i] == Snapshot{}) std::exit(4);
    }
    std::exit(0);
}

TEST(Concurrency, FirstUseOfTheProcessWideTablesIsSafe) {
    // An emulated program cannot execute itself again; there CTest runs this
    // test in a process of its own, so a forked child starts with no tables
    // either.
    GTEST_FLAG_SET(death_test_style, std::getenv("MESHORY_EMULATED") ? "fast" : "threadsafe");
    EXPECT_EXIT(firstUseFromManyThreads(), testing::ExitedWithCode(0), "");
}

TEST(Concurrency, SeparateMakersOnSeparateThreadsBuildWhatOneThreadBuilds) {
    configureGrid();
    const auto blobs = everyType();
    C_Meshory referenceMaker;
    const auto reference = buildAll(referenceMaker, blobs);
    std::vector<int> mismatches(kThreads, 0);
    onThreads([&](int t) {
        C_Meshory maker;
        for (int round = 0; round < 20; ++round) {
            if (buildAll(maker, blobs) != reference) ++mismatches[t];
            // Alternate between releasing as we go and leaving it all to the maker.
            if (round % 2 == 0) maker.releaseModels();
        }
    });
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

// Tiles too: each thread's maker builds what one thread builds, and one tile
// is written by every thread at once (a tile never changes once built).
TEST(Concurrency, TilesOnSeparateMakersAndOneTileReadByManyThreads) {
    configureGrid();
    ByteWriter records;
    std::vector<S_TileRequest> requests;
    for (const S_BlobData& blob : everyType()) {
        appendRecord(records, blob.id, blob.type, blob.layerId, blob.cellIndex, blob.data);
        requests.push_back({static_cast<uint32_t>(requests.size()), 1, 5.0, 5.0});
    }
    requests.push_back({0, static_cast<uint32_t>(requests.size()), 5.0, 5.0});
    const auto floatsOf = [](const C_Tile& tile) {
        std::vector<float> out(tile.floatCount());
        tile.write(out);
        return out;
    };
    C_Meshory referenceMaker;
    const C_Tile* reference = referenceMaker.makeTile(
        records.bytes, static_cast<int64_t>(requests.size()) - 1, requests, tile_flags::ALL);
    ASSERT_NE(reference, nullptr);
    const std::vector<float> expected = floatsOf(*reference);
    std::vector<int> mismatches(kThreads, 0);
    onThreads([&](int t) {
        C_Meshory maker;
        for (int round = 0; round < 10; ++round) {
            const C_Tile* tile =
                maker.makeTile(records.bytes, static_cast<int64_t>(requests.size()) - 1, requests,
                               tile_flags::ALL);
            if (!tile || floatsOf(*tile) != expected || floatsOf(*reference) != expected)
                ++mismatches[t];
            maker.releaseTile(tile);
        }
    });
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

TEST(Concurrency, OneStyleListAnswersManyThreadsAtOnce) {
    C_GeoStylesList list;
    ASSERT_EQ(list.loadFromFile(test::styleData("city.sld")), 0);
    ASSERT_GT(list.getStyleCount(), 2u);
    const std::vector<float> heights{0.0f, 49.0f, 100.0f, 3000.5f, 8000.0f, 8001.0f, 1e6f};
    std::vector<std::vector<const C_GeoStyle*>> reference;
    for (float h : heights) reference.push_back(list.getStyleByHeight(h));
    const auto reference3d = list.getAll3dStyles();
    std::vector<int> mismatches(kThreads, 0);
    onThreads([&](int t) {
        for (int round = 0; round < 200; ++round) {
            for (size_t i = 0; i < heights.size(); ++i) {
                if (list.getStyleByHeight(heights[i]) != reference[i]) ++mismatches[t];
            }
            if (list.getAll3dStyles() != reference3d) ++mismatches[t];
            for (const C_GeoStyle* s : list.getAllStyles()) {
                if (s->getName().empty() && s->getGeometryLayerId() == 0) ++mismatches[t];
            }
        }
    });
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

TEST(Concurrency, OneCameraProjectsForManyThreadsAtOnce) {
    S_CameraOptions options;
    options.width = 800, options.height = 600, options.projection = camera_projection::PERSPECTIVE;
    options.scale = vec3(1.0f), options.target = vec3(100, 50, 0), options.yaw = 30.0f;
    const C_GLCamera camera(options);
    // Everything a picking host asks, as one comparable list of points.
    const auto ask = [&camera](int i) {
        const float f = static_cast<float>(i);
        std::vector<vec3> out{camera.project(vec3(f, 2 * f, 0)),
                              camera.unProject(vec3(400 + f, 300, 0.5f)), camera.getEye()};
        for (const auto& v : camera.unprojectLine(vec3(f, 10, 0), vec3(f, 10, 1))) out.push_back(v);
        for (const auto& v : camera.getLineToPlane(vec2(f * 7, 300), 0.0f)) out.push_back(v);
        for (const auto& v : camera.getViewportProjection(f)) out.push_back(v);
        out.push_back(vec3(camera.getBillboardViewMatrixPoint(vec3(f, 0, 0))[3]));
        return out;
    };
    std::vector<std::vector<vec3>> reference;
    for (int i = 0; i < 100; ++i) reference.push_back(ask(i));
    std::vector<int> mismatches(kThreads, 0);
    onThreads([&](int t) {
        for (int i = 0; i < 100; ++i) {
            if (ask(i) != reference[i]) ++mismatches[t];
        }
    });
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

TEST(Concurrency, TheConfiguredGridAnswersManyThreadsAtOnce) {
    configureGrid();
    const auto ask = [](int i) {
        const double d = i * 37.5;
        std::set<int> cells;
        std::vector<StrictRange> ranges;
        grid().getCellsIndices(Bounds(d, d / 2, d + 300, d + 150), &cells);
        grid().getCellRangesExtended(Bounds(d, d / 2, d + 300, d + 150), &ranges, 1);
        std::vector<int> out(cells.begin(), cells.end());
        for (const auto& r : ranges) out.insert(out.end(), {r.first, r.last});
        return out;
    };
    std::vector<std::vector<int>> reference;
    for (int i = 0; i < 40; ++i) reference.push_back(ask(i));
    std::vector<int> mismatches(kThreads, 0);
    onThreads([&](int t) {
        for (int i = 0; i < 40; ++i) {
            if (ask(i) != reference[i]) ++mismatches[t];
        }
    });
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

}  // namespace
}  // namespace quorvan
