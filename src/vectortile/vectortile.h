#pragma once

// A Mapbox Vector Tile in one call: its bytes, where the tile lies in the
// host's world and a mapping (vectortile/mapping.h) give the tile's blob
// records and model requests (model/blob_records.h, model/tile.h), or,
// through C_Meshory::buildTile, the built tile itself.
//
// World space: x east, y north. The tile covers [originX, originX + size] x
// [originY, originY + size]; its features are scaled from the tile's extent
// to that square (tile y runs south, world y north) and clipped to it, so
// features in the tile's buffer are not drawn twice; points and labels
// outside it are dropped. Payload coordinates are world coordinates rounded
// to tenths; every request takes the tile's south-west corner as origin.
//
// Outlines follow the features' own edges: where the tile cut an area, the
// cut edges (the edges along the tile's sides) get no outline in flat areas.
//
// Malformed tile bytes are refused as a whole, with the byte offset (see
// readVectorTile); nothing is built then.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <meshory/export.h>
#include <meshory/model/tile.h>
#include <meshory/vectortile/mapping.h>

namespace quorvan {
class C_Meshory;
}

namespace quorvan::vectortile {

struct S_TilePlacement {
    double originX = 0.0;  // world position of the tile's south-west corner
    double originY = 0.0;
    double size = 0.0;      // width of the tile in world units: > 0, at most 1e9 as the origin
    int32_t cellIndex = 0;  // the records' cell (column << 16 | row)
    uint64_t firstId = 1;   // the records' ids count up from here
};

// The placement of tile (x, y) in a block of tiles of one zoom level whose
// north-west tile is (minX, minY): the block's south-west corner at (0, 0),
// one grid cell per tile (column x - minX, row maxY - y).
MESHORY_API S_TilePlacement placeInBlock(int32_t x, int32_t y, int32_t minX, int32_t maxY,
                                         double size);
// Width of a tile of zoom z on the ground, in metres, at the latitude of the
// (fractional) tile row `row + 0.5`: the sample's unit of about a metre.
MESHORY_API double groundTileSize(int32_t z, double row);

struct S_VectorTileRecords {
    bool ok = false;
    std::string error;             // ASCII, when !ok
    uint64_t errorOffset = 0;      // into the tile bytes, when !ok
    std::vector<uint8_t> records;  // blob records, back to back
    int64_t recordCount = 0;
    std::vector<S_TileRequest> requests;  // into `records`
    uint64_t nextId = 0;                  // the id after the last record's
};

// The records and requests of one tile. `out` is cleared first and keeps
// its storage, so a caller that converts tile after tile reuses it. On
// refusal `out` holds no records and no requests. Never throws but
// std::bad_alloc.
MESHORY_API void vectorTileRecords(std::span<const uint8_t> tile, const S_TilePlacement& placement,
                                   const C_VectorTileMapping& mapping, S_VectorTileRecords& out);

// The tile built into `target` in one call, as buildTile builds the records
// vectorTileRecords gives; `scratch` (optional) holds the records between
// calls. Refused, leaving `target` as it was, for malformed tile bytes or a
// placement whose size is not above 0 or whose size or origin lies beyond
// 1e9 units (NaN too).
MESHORY_API S_TileBuild buildVectorTile(C_Meshory& maker, std::span<const uint8_t> tile,
                                        const S_TilePlacement& placement,
                                        const C_VectorTileMapping& mapping, uint32_t flags,
                                        C_Tile& target, S_VectorTileRecords* scratch = nullptr);
// The same into a tile the maker owns (C_Meshory::makeTile); null when refused,
// as is a tile past `maxFloats` floats, while it is built (result->tooLarge).
MESHORY_API const C_Tile* makeVectorTile(C_Meshory& maker, std::span<const uint8_t> tile,
                                         const S_TilePlacement& placement,
                                         const C_VectorTileMapping& mapping, uint32_t flags,
                                         S_TileBuild* result = nullptr,
                                         S_VectorTileRecords* scratch = nullptr,
                                         size_t maxFloats = SIZE_MAX);

}  // namespace quorvan::vectortile
