#pragma once

// The tile builder: runs a tile's requests (model/tile.h) into a C_Tile, and
// keeps the tiles it made for a host until they are released. Internal to
// the model maker, which owns one as it owns its storage pool and forwards
// buildTile, makeTile, releaseTile and getTiles to it.
//
// Every request is built by buildRequest (model/build_request.h), as
// makeModelFrom builds it, in one working model taken from the maker's pool;
// the tile lays each built model out in its buckets.

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <span>

#include "model/tile.h"

namespace quorvan::builders {

class ModelPool;

class TileBuilder {
public:
    // `pool` serves the working model and bounds the spare tile; it outlives
    // the builder.
    explicit TileBuilder(ModelPool& pool);
    ~TileBuilder();
    TileBuilder(const TileBuilder&) = delete;
    TileBuilder& operator=(const TileBuilder&) = delete;

    // C_Meshory::buildTile, makeTile and releaseTile (model/meshory.h).
    S_TileBuild build(std::span<const uint8_t> records, int64_t recordCount,
                      std::span<const S_TileRequest> requests, uint32_t flags, C_Tile& tile,
                      size_t maxFloats);
    const C_Tile* make(std::span<const uint8_t> records, int64_t recordCount,
                       std::span<const S_TileRequest> requests, uint32_t flags, S_TileBuild* result,
                       size_t maxFloats);
    void release(const C_Tile* tile);

    const std::set<const C_Tile*>& tiles() const { return live; }
    // Bytes the spare tile holds.
    size_t keptBytes() const;
    // Drops the spare tile when it no longer fits `bytes`.
    void fitBudget(size_t bytes);

private:
    // Keeps the tile's storage as the spare when it is the largest released
    // and fits the pool's budget; frees the tile, or keeps its shell.
    void recycle(std::unique_ptr<C_Tile> tile);

    ModelPool& pool;
    std::set<const C_Tile*> live;
    // The storage of the largest tile released, for the next make(): a
    // tile's lists, grown afresh each time, would take fresh pages from the
    // kernel for every tile.
    std::unique_ptr<C_Tile> spare;
    // Builds that check handles: the empty shells of the tiles released
    // last, oldest first, whose addresses the allocator cannot hand out
    // again while they are here. Bounded, so a long-running host pays a
    // few hundred kilobytes for it.
    std::deque<std::unique_ptr<C_Tile>> quarantine;
};

}  // namespace quorvan::builders
