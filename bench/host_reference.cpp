// The native side of the JVM comparison (bench/java/MeshoryBench.java):
//   meshory_host_reference write DIR PACK   writes tile.bin, large.bin and tiles.bin
//                                           (the mixed tile and the cells of PACK as
//                                           tiles in one call) for the harness
//   meshory_host_reference run DIR N        times, N times each, the native build of
//                                           the same tile, the native memset + memcpy
//                                           of the large model's triangle bytes, and
//                                           each tile of tiles.bin built in one call
//                                           and written into host memory, and the
//                                           same over the per-model path; prints the
//                                           medians in nanoseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "bench_support.h"
#include "geometry/mathglm.h"
#include "grid/grid.h"
#include "model/blob_records.h"
#include "model/decode/byte_reader.h"
#include "model/host_output.h"
#include "model/model_conversions.h"
#include "model/tile.h"

namespace {

using namespace meshory_bench;
using Clock = std::chrono::steady_clock;

const size_t kLargeVertices = 1'000'000;

template <typename F>
double medianNanos(int runs, F&& body) {
    for (int i = 0; i < 3; ++i) body();  // warm-up
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body();
        samples.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + runs / 2, samples.end());
    return samples[static_cast<size_t>(runs / 2)];
}

// A tile for the one-call path: its records in one block and its requests.
struct TileInput {
    std::string name;
    Bytes records;
    uint32_t recordCount = 0;
    std::vector<quorvan::S_TileRequest> requests;
};

TileInput tileOf(const std::string& name, const std::vector<Request>& requests) {
    TileInput t;
    t.name = name;
    meshory_test::ByteWriter w;
    for (const Request& r : requests) {
        t.requests.push_back(
            {t.recordCount, static_cast<uint32_t>(r.blobs.size()), r.origin.x, r.origin.y});
        for (const S_BlobData& b : r.blobs) {
            w.put(b.id).i32(b.type).i32(b.layerId).i32(b.cellIndex);
            w.u32(static_cast<uint32_t>(b.data.size())).raw(b.data);
            ++t.recordCount;
        }
    }
    t.records = std::move(w.bytes);
    return t;
}

// The requests of a blob pack (docs/blob-pack.md), one tile per origin (the
// sample's requests have their cell's corner as origin), after setting up
// its grid. The pack is trusted: a bench input.
std::vector<TileInput> packTiles(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    quorvan::ByteReader r(bytes.data(), bytes.size());
    int32_t columns = 0, rows = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t names = 0, count = 0;
    r.skip(12);
    r.read(columns), r.read(rows), r.read(x1), r.read(y1), r.read(x2), r.read(y2), r.read(names);
    for (uint32_t i = 0; i < names; ++i) {
        uint16_t length = 0;
        r.skip(4), r.read(length), r.skip(length);
    }
    quorvan::grid().cellsAmount(columns, rows);
    quorvan::grid().gridCoordinates(quorvan::Bounds(x1, y1, x2, y2));
    std::map<std::pair<double, double>, std::vector<Request>> cells;
    r.read(count);
    for (uint32_t q = 0; q < count; ++q) {
        double x = 0, y = 0;
        uint32_t blobs = 0;
        r.read(x), r.read(y), r.read(blobs);
        Request request;
        request.origin = vec3(float(x), float(y), 0.0f);
        for (uint32_t b = 0; b < blobs; ++b) {
            uint64_t id = 0;
            int32_t type = 0, layer = 0, cell = 0;
            uint32_t size = 0;
            r.read(id), r.read(type), r.read(layer), r.read(cell), r.read(size);
            std::string payload;
            r.readString(size, payload);
            request.blobs.emplace_back(id, type, layer, cell,
                                       Bytes(payload.begin(), payload.end()));
        }
        cells[{x, y}].push_back(std::move(request));
    }
    std::vector<TileInput> out;
    for (const auto& [origin, requests] : cells) out.push_back(tileOf("cell", requests));
    return out;
}

void writeTiles(const std::string& path, const std::vector<TileInput>& tiles) {
    meshory_test::ByteWriter w;
    w.u32(static_cast<uint32_t>(tiles.size()));
    for (const TileInput& t : tiles) {
        w.u32(static_cast<uint32_t>(t.name.size())).text(t.name);
        w.u32(static_cast<uint32_t>(t.records.size())).raw(t.records).u32(t.recordCount);
        w.u32(static_cast<uint32_t>(t.requests.size()));
        for (const auto& q : t.requests) w.u32(q.firstRecord).u32(q.recordCount).put(q.x).put(q.y);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(w.bytes.data()),
               static_cast<std::streamsize>(w.bytes.size()));
}

std::vector<TileInput> readTiles(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    quorvan::ByteReader r(bytes.data(), bytes.size());
    uint32_t count = 0;
    r.read(count);
    std::vector<TileInput> tiles(count);
    for (TileInput& t : tiles) {
        uint32_t length = 0, size = 0, requests = 0;
        r.read(length);
        r.readString(length, t.name);
        r.read(size);
        std::string records;
        r.readString(size, records);
        t.records.assign(records.begin(), records.end());
        r.read(t.recordCount), r.read(requests);
        t.requests.resize(requests);
        for (auto& q : t.requests)
            r.read(q.firstRecord), r.read(q.recordCount), r.read(q.x), r.read(q.y);
    }
    return tiles;
}

// Every tile of `tiles` named `name` built in one call and written into host
// memory (a buffer kept across runs, as the JVM side keeps its direct
// buffer), zero-area triangles left out: what a GL host does before
// glBufferData. Also the same requests over the per-model path: blobs made
// from the records, each model built, its lists written into host memory,
// released.
void timeTiles(const std::vector<TileInput>& tiles, const std::string& name, const std::string& key,
               int runs) {
    quorvan::C_Meshory maker;
    quorvan::C_Tile tile;
    std::vector<float> host;
    const auto tileCall = [&] {
        for (const TileInput& t : tiles) {
            if (t.name != name) continue;
            maker.buildTile(t.records, t.recordCount, t.requests,
                            quorvan::tile_flags::SKIP_ZERO_AREA, tile);
            if (host.size() < tile.floatCount()) host.resize(tile.floatCount());
            tile.write(host);
        }
    };
    const auto perModel = [&] {
        for (const TileInput& t : tiles) {
            if (t.name != name) continue;
            const auto scan = quorvan::scanBlobRecords(t.records, t.recordCount);
            for (const auto& q : t.requests) {
                const auto blobs = quorvan::makeBlobs(
                    t.records, std::vector<quorvan::S_BlobRecord>(
                                   scan.records.begin() + q.firstRecord,
                                   scan.records.begin() + q.firstRecord + q.recordCount));
                std::vector<const S_BlobData*> list;
                for (const auto& b : blobs) list.push_back(b.get());
                const glm::vec3 origin(float(q.x), float(q.y), 0.0f);
                const quorvan::S_Model* model =
                    maker.makeModelFrom(list, origin, quorvan::LoadFilter(0));
                if (!model) continue;
                const size_t floats =
                    quorvan::triangleFloatCount(*model, quorvan::output_flags::SKIP_ZERO_AREA) +
                    quorvan::lineFloatCount(*model) + quorvan::pointFloatCount(*model);
                if (host.size() < floats) host.resize(floats);
                const std::span<float> out(host);
                size_t at = quorvan::writeTriangleFloats(
                    *model, quorvan::output_flags::SKIP_ZERO_AREA, out);
                at += quorvan::writeLineFloats(*model, out.subspan(at));
                quorvan::writePointFloats(*model, out.subspan(at));
                maker.releaseModel(model);
            }
        }
    };
    std::printf("native_tilecall_%s_ns %.0f\n", key.c_str(), medianNanos(runs, tileCall));
    std::printf("native_models_%s_ns %.0f\n", key.c_str(), medianNanos(runs, perModel));
}

int run(const std::string& dir, int runs) {
    (void)dir;  // the same bytes are generated here from the same seeds
    // The native counterpart of the host's round trip: blobs made from the
    // record bytes (one copy, as makeBlob makes), the model built, its
    // triangles read as a list (a strip converted, as the getter does; a
    // list is read where it lies), the model released and the blobs freed.
    const std::vector<Request> tile = mixedTile();
    quorvan::C_Meshory maker;
    const quorvan::LoadFilter filter(0);
    size_t sink = 0;
    const double tileNs = medianNanos(runs, [&] {
        for (const Request& r : tile) {
            std::vector<quorvan::S_BlobData> blobs;
            blobs.reserve(r.blobs.size());
            for (const auto& b : r.blobs)
                blobs.emplace_back(b.id, b.type, b.layerId, b.cellIndex, b.data);
            const quorvan::S_Model* model = maker.makeModel(blobs, r.origin, filter);
            if (quorvan::isTriangleStrip(model->polygons))
                sink += quorvan::geometryPolygonsToTriangles(model->polygons).size();
            sink += model->polygons.vertices.size() + model->lines.vertices.size() +
                    model->points.size();
            maker.releaseModel(model);
        }
    });
    asm volatile("" : : "r"(sink));

    const Request large = largeModel(kLargeVertices);
    const quorvan::S_Model* model = maker.makeModel(large.blobs, large.origin, filter);
    const std::vector<glm::vec3> triangles = quorvan::geometryPolygonsToTriangles(model->polygons);
    const size_t bytes = triangles.size() * sizeof(glm::vec3);
    // What NewFloatArray (zeroed) and SetFloatArrayRegion do with the bytes.
    // Every Java array is new memory: the JVM's bump allocator hands out the
    // next part of its (mapped, pre-touched) heap, which is not in any cache.
    // The reference does the same with buffers mapped once and used in turn,
    // more of them than the last-level cache holds; the same buffer every
    // time (stays in cache) is printed too.
    const size_t count = std::max<size_t>(2, (size_t(192) << 20) / bytes + 1);
    std::vector<std::vector<uint8_t>> buffers(count, std::vector<uint8_t>(bytes, 1));
    size_t next = 0;
    const auto handOff = [&](std::vector<uint8_t>& destination) {
        std::memset(destination.data(), 0, bytes);
        std::memcpy(destination.data(), triangles.data(), bytes);
        asm volatile("" : : "r"(destination.data()) : "memory");
    };
    const double freshNs = medianNanos(runs, [&] { handOff(buffers[next++ % count]); });
    const double hotNs = medianNanos(runs, [&] { handOff(buffers[0]); });
    std::printf(
        "native_tile_ns %.0f\nnative_handoff_ns %.0f\nnative_handoff_hot_ns %.0f\nhandoff_bytes "
        "%zu\n",
        tileNs, freshNs, hotNs, bytes);

    const std::vector<TileInput> tiles = readTiles(dir + "/tiles.bin");
    timeTiles(tiles, "mixed", "mixed", runs);
    timeTiles(tiles, "cell", "sf", runs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    // The same grid as the harness sets up (cell polygons ask it); the
    // pack's cells come in the mixed tile's coordinates: its grid serves both.
    quorvan::grid().cellsAmount(64, 64);
    quorvan::grid().gridCoordinates(quorvan::Bounds(0, 0, 64000, 64000));
    if (mode == "write" && argc > 3) {
        writeTile(std::string(argv[2]) + "/tile.bin", mixedTile());
        writeTile(std::string(argv[2]) + "/large.bin", {largeModel(kLargeVertices)});
        std::vector<TileInput> tiles = packTiles(argv[3]);
        tiles.insert(tiles.begin(), tileOf("mixed", mixedTile()));
        writeTiles(std::string(argv[2]) + "/tiles.bin", tiles);
        return 0;
    }
    if (mode == "run") return run(argv[2], argc > 3 ? std::atoi(argv[3]) : 31);
    std::fprintf(stderr, "usage: %s write DIR PACK | run DIR [RUNS]\n", argv[0]);
    return 2;
}
