#include "model/tile_builder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/blob_records.h"
#include "model/build_request.h"
#include "model/model_pool.h"

namespace quorvan::builders {

namespace {

bool sameValue(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool sameOrigin(const S_TileRequest& a, const S_TileRequest& b) {
    return sameValue(a.x, b.x) && sameValue(a.y, b.y);
}

}  // namespace

TileBuilder::TileBuilder(ModelPool& pool) : pool(pool) {}

TileBuilder::~TileBuilder() {
    for (const C_Tile* tile : live) delete tile;
}

S_TileBuild TileBuilder::build(std::span<const uint8_t> records, int64_t recordCount,
                               std::span<const S_TileRequest> requests, uint32_t flags,
                               C_Tile& tile, size_t maxFloats) {
    S_TileBuild result;
    // Everything is checked before anything is built, so that a refusal
    // leaves the tile as it was.
    if ((flags & ~tile_flags::ALL) != 0) {
        result.error = "unknown tile flags " + std::to_string(flags);
        return result;
    }
    const S_BlobRecordScan scan = scanBlobRecords(records, recordCount);
    if (!scan.ok) {
        result.error = "malformed blob records: " + scan.error;
        return result;
    }
    uint32_t largest = 0;
    for (size_t r = 0; r < requests.size(); ++r) {
        const S_TileRequest& q = requests[r];
        if (uint64_t(q.firstRecord) + q.recordCount > scan.records.size()) {
            result.error = "request " + std::to_string(r) + " names records " +
                           std::to_string(q.firstRecord) + " to " +
                           std::to_string(uint64_t(q.firstRecord) + q.recordCount) + ", but " +
                           std::to_string(scan.records.size()) + " records are given";
            return result;
        }
        largest = std::max(largest, q.recordCount);
        // One origin per tile: its vertices are all relative to it, which is
        // what a host's picking and label placement take. Rebasing a request
        // onto another origin would make its floats differ, by rounding, from
        // those makeModel builds for it at its own; so a tile whose requests
        // differ in origin is refused, not rebased.
        if (!sameOrigin(q, requests[0])) {
            result.error = "request " + std::to_string(r) + " has origin (" + std::to_string(q.x) +
                           ", " + std::to_string(q.y) + "), request 0 (" +
                           std::to_string(requests[0].x) + ", " + std::to_string(requests[0].y) +
                           "): a tile has one origin";
            return result;
        }
    }

    static const ViewportPolygon noViewport;
    tile.begin(flags);
    try {
        // The blobs of one request, their payloads read in place.
        std::vector<BlobView> blobs;
        blobs.reserve(largest);
        // One model's storage serves every request, emptied between them:
        // the largest kept, which the fewest requests outgrow.
        std::unique_ptr<S_Model> model = pool.take(std::numeric_limits<size_t>::max());
        const LoadFilter filter(0);
        size_t floats = 0;
        for (size_t r = 0; r < requests.size(); ++r) {
            const S_TileRequest& q = requests[r];
            if (q.recordCount == 0) continue;
            blobs.clear();
            for (uint32_t i = 0; i < q.recordCount; ++i)
                blobs.push_back(viewOf(scan.records[q.firstRecord + i], records));
            ModelPool::clearKeepingStorage(*model);
            // As the host bridge narrows a request's origin.
            const glm::vec3 origin(static_cast<float>(q.x), static_cast<float>(q.y), 0.0f);
            const RequestContext request{*model, origin, filter, noViewport};
            if (!buildRequest(request, planRequest(blobs), blobs)) continue;
            // Counted from the built model, before the tile copies it: a
            // tile too large is refused having spent at most the limit and
            // one request's model.
            const size_t triangleFloats =
                triangleFloatCount(*model, flags & tile_flags::SKIP_ZERO_AREA);
            floats += triangleFloats * ((flags & tile_flags::NORMALS) ? 2 : 1) +
                      lineFloatCount(*model) + pointFloatCount(*model);
            if (floats > maxFloats) {
                pool.give(std::move(model));
                tile.clear();
                result.tooLarge = true;
                result.error = "request " + std::to_string(r) + " takes the tile past " +
                               std::to_string(maxFloats) + " floats";
                return result;
            }
            tile.add(*model, static_cast<uint32_t>(r));
        }
        pool.give(std::move(model));
        tile.finish();
    } catch (...) {
        tile.clear();
        throw;
    }
    result.ok = true;
    return result;
}

const C_Tile* TileBuilder::make(std::span<const uint8_t> records, int64_t recordCount,
                                std::span<const S_TileRequest> requests, uint32_t flags,
                                S_TileBuild* result, size_t maxFloats) {
    // A new object every time, in kept storage: the builder never hands out
    // the object of a released tile. The allocator may, once the object is
    // freed: builds that check handles keep the shells of the tiles released
    // last (see recycle), so a stale handle of one of those is caught rather
    // than taken for the new tile.
    auto tile = std::make_unique<C_Tile>();
    if (spare) {
        *tile = std::move(*spare);
        spare.reset();
    }
    const S_TileBuild built = build(records, recordCount, requests, flags, *tile, maxFloats);
    if (result) *result = built;
    if (!built.ok) {
        recycle(std::move(tile));
        return nullptr;
    }
    live.insert(tile.get());
    return tile.release();
}

void TileBuilder::release(const C_Tile* tile) {
    if (!tile) return;
    live.erase(tile);
    recycle(std::unique_ptr<C_Tile>(const_cast<C_Tile*>(tile)));
}

void TileBuilder::recycle(std::unique_ptr<C_Tile> tile) {
    const size_t bytes = tile->storageBytes();
    if (bytes <= pool.budget() && !(spare && spare->storageBytes() >= bytes)) {
        tile->clear();
        spare = std::make_unique<C_Tile>(std::move(*tile));
    }
#ifdef MESHORY_CHECK_HANDLES
    constexpr size_t kQuarantined = 4096;
    *tile = C_Tile();  // frees what the spare did not take
    tile->released_ = true;
    quarantine.push_back(std::move(tile));
    if (quarantine.size() > kQuarantined) quarantine.pop_front();
#endif
}

size_t TileBuilder::keptBytes() const {
    return spare ? spare->storageBytes() : 0;
}

void TileBuilder::fitBudget(size_t bytes) {
    if (spare && spare->storageBytes() > bytes) spare.reset();
}

}  // namespace quorvan::builders
