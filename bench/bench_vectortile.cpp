// Vector tile bytes to a built tile, the sample's four tiles per iteration,
// and its parts: the protobuf decode alone, decode and mapping to records,
// and the build from those records. The decode share of the whole build is
// VectorTileDecode / VectorTileBuild (and VectorTileRecords / VectorTileBuild
// for everything before the builders).
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "grid/grid.h"
#include "model/meshory.h"
#include "model/tile.h"
#include "vectortile/reader.h"
#include "vectortile/vectortile.h"

namespace {

namespace vt = quorvan::vectortile;

struct SampleTile {
    std::vector<uint8_t> bytes;
    vt::S_TilePlacement placement;
};

const std::vector<SampleTile>& tiles() {
    static const std::vector<SampleTile> all = [] {
        const double size = vt::groundTileSize(15, 12666);
        quorvan::grid().cellsAmount(2, 2);
        quorvan::grid().gridCoordinates(quorvan::Bounds(0, 0, 2 * size, 2 * size));
        std::vector<SampleTile> out;
        for (const auto& [x, y] :
             {std::pair{5238, 12667}, {5239, 12667}, {5238, 12666}, {5239, 12666}}) {
            std::ifstream in(std::string(MESHORY_EXAMPLES) + "/tiles/15-" + std::to_string(x) +
                                 "-" + std::to_string(y) + ".mvt",
                             std::ios::binary);
            out.push_back({{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()},
                           vt::placeInBlock(x, y, 5238, 12667, size)});
        }
        return out;
    }();
    return all;
}

void VectorTileDecode(benchmark::State& state) {
    for (auto _ : state) {
        for (const SampleTile& t : tiles()) benchmark::DoNotOptimize(vt::readVectorTile(t.bytes));
    }
}
BENCHMARK(VectorTileDecode)->Unit(benchmark::kMillisecond);

void VectorTileRecords(benchmark::State& state) {
    vt::S_VectorTileRecords out;
    for (auto _ : state) {
        for (const SampleTile& t : tiles()) {
            vt::vectorTileRecords(t.bytes, t.placement, vt::defaultMapping(), out);
            benchmark::DoNotOptimize(out.records.data());
        }
    }
}
BENCHMARK(VectorTileRecords)->Unit(benchmark::kMillisecond);

void VectorTileFromRecords(benchmark::State& state) {
    std::vector<vt::S_VectorTileRecords> records(tiles().size());
    for (size_t i = 0; i < tiles().size(); ++i) {
        vt::vectorTileRecords(tiles()[i].bytes, tiles()[i].placement, vt::defaultMapping(),
                              records[i]);
    }
    quorvan::C_Meshory maker;
    quorvan::C_Tile tile;
    for (auto _ : state) {
        for (const vt::S_VectorTileRecords& r : records) {
            benchmark::DoNotOptimize(
                maker.buildTile(r.records, r.recordCount, r.requests, 0, tile).ok);
        }
    }
}
BENCHMARK(VectorTileFromRecords)->Unit(benchmark::kMillisecond);

// The whole call as a host makes it: bytes in, a maker's tile out, released.
void VectorTileBuild(benchmark::State& state) {
    quorvan::C_Meshory maker;
    for (auto _ : state) {
        for (const SampleTile& t : tiles()) {
            const quorvan::C_Tile* tile =
                vt::makeVectorTile(maker, t.bytes, t.placement, vt::defaultMapping(), 0);
            benchmark::DoNotOptimize(tile);
            maker.releaseTile(tile);
        }
    }
}
BENCHMARK(VectorTileBuild)->Unit(benchmark::kMillisecond);

}  // namespace
