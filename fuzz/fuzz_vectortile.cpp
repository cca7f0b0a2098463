// Vector tile bytes, as they come, through the reader and the default
// mapping; the records must scan and every request name records that exist.
// Small tiles are built into a tile as well, so the records the mapping
// writes also pass through the builders. Seeds: small tiles cut from the
// sample's tiles (make_tile_seeds.cpp).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "grid/grid.h"
#include "model/blob_records.h"
#include "model/meshory.h"
#include "model/tile.h"
#include "vectortile/vectortile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    static const bool gridReady = [] {
        grid().cellsAmount(2, 2);
        grid().gridCoordinates(Bounds(0, 0, 2000, 2000));
        return true;
    }();
    (void)gridReady;
    static vectortile::S_VectorTileRecords out;
    const std::span<const uint8_t> bytes(data, size);
    const vectortile::S_TilePlacement placement = vectortile::placeInBlock(1, 1, 0, 1, 1000.0);
    vectortile::vectorTileRecords(bytes, placement, vectortile::defaultMapping(), out);
    if (!out.ok) {
        if (out.errorOffset > size || out.recordCount != 0) std::abort();
        return 0;
    }
    const S_BlobRecordScan scan = scanBlobRecords(out.records, out.recordCount);
    if (!scan.ok || scan.bytesRead != out.records.size()) std::abort();
    for (const S_TileRequest& q : out.requests) {
        if (q.recordCount == 0 ||
            q.firstRecord + uint64_t{q.recordCount} > uint64_t(out.recordCount)) {
            std::abort();
        }
    }
    if (size < 8192) {
        C_Meshory maker;
        C_Tile tile;
        if (!maker.buildTile(out.records, out.recordCount, out.requests, tile_flags::ALL, tile)
                 .ok) {
            std::abort();
        }
    }
    return 0;
}
