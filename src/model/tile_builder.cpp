#include "model/tile_builder.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "model/blob_records.h"
#include "model/build_request.h"
#include "model/model_pool.h"

namespace quorvan::builders {

TileBuilder::TileBuilder(ModelPool& pool) : pool(pool) {}

TileBuilder::~TileBuilder() {
    for (const C_Tile* tile : live) delete tile;
}

S_TileBuild TileBuilder::build(std::span<const uint8_t> records, int64_t recordCount,
                               std::span<const S_TileRequest> requests, uint32_t flags,
                               C_Tile& tile) {
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
            if (buildRequest(request, planRequest(blobs), blobs))
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
                                S_TileBuild* result) {
    // A new object every time, in kept storage: a released tile's address is
    // never handed out again from here.
    auto tile = std::make_unique<C_Tile>();
    if (spare) {
        *tile = std::move(*spare);
        spare.reset();
    }
    const S_TileBuild built = build(records, recordCount, requests, flags, *tile);
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
    if (bytes > pool.budget() || (spare && spare->storageBytes() >= bytes)) return;
    tile->clear();
    spare = std::make_unique<C_Tile>(std::move(*tile));
}

size_t TileBuilder::keptBytes() const {
    return spare ? spare->storageBytes() : 0;
}

void TileBuilder::fitBudget(size_t bytes) {
    if (spare && spare->storageBytes() > bytes) spare.reset();
}

}  // namespace quorvan::builders
