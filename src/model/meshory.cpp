#include "model/meshory.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>

#include "debug/debuglog.h"
#include "model/blob_records.h"
#include "model/builders/transport_request.h"
#include "model/geometry_types.h"
#include "model/model_pool.h"
#include "model/request_plan.h"
#include "model/tile.h"

namespace quorvan {

namespace {

const ViewportPolygon& regionEmpty() {
    static const ViewportPolygon region;
    return region;
}

}  // namespace

C_Meshory::C_Meshory() : pool(std::make_unique<builders::ModelPool>()) {}

C_Meshory::~C_Meshory() {
    // Nothing is worth keeping now: the models and tiles go, then the pool with its storage.
    for (const S_Model* model : models) delete model;
    for (const C_Tile* tile : tiles) delete tile;
}

GeometryBuilder C_Meshory::builderFor(int32_t type) {
    const builders::GeometryType* row = builders::geometryType(type);
    return row ? row->fn : nullptr;
}

const S_Model* C_Meshory::makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                                    const LoadFilter& filter, const ViewportPolygon& viewport) {
    if (blobs.empty()) return nullptr;
    std::vector<const S_BlobData*> list;
    list.reserve(blobs.size());
    for (const S_BlobData& blob : blobs) list.push_back(&blob);
    return makeModelFrom(list, origin, filter, viewport);
}

const S_Model* C_Meshory::makeModelFrom(std::span<const S_BlobData* const> blobs,
                                        const glm::vec3& origin, const LoadFilter& filter,
                                        const ViewportPolygon& viewport) {
    if (blobs.empty()) return nullptr;
    inputs.clear();
    for (const S_BlobData* blob : blobs) inputs.push_back({blob, blob->data});
    // Owned here until filed, so an allocation failure inside a builder frees it.
    const builders::RequestSizes sizes = builders::planRequest(inputs);
    std::unique_ptr<S_Model> model = pool->take(sizes.bytes());
    builders::reserveForRequest(sizes, *model);
    if (!buildInto(*model, inputs, origin, filter, viewport)) {
        pool->give(std::move(model));
        return nullptr;
    }

    // Reserve room in both containers before filing, so that filing cannot
    // fail half way and leave the model in one but not the other.
    auto [layer, inserted] = layers.try_emplace(model->layerId);
    (void)inserted;
    S_Model* raw = model.get();
    models.insert(raw);
    try {
        layer->second.insert(raw);
    } catch (...) {
        models.erase(raw);
        throw;
    }
    return model.release();
}

bool C_Meshory::buildInto(S_Model& model, std::span<const builders::BlobInput> blobs,
                          const glm::vec3& origin, const LoadFilter& filter,
                          const ViewportPolygon& viewport) {
    // Railways, roads and bridges share state across the blobs of this request.
    builders::TransportRequest transport(model);
    bool built = false;
    for (const builders::BlobInput& in : blobs) {
        const S_BlobData& blob = *in.blob;
        const builders::GeometryType* row = builders::geometryType(blob.type);
        if (!row) {
            log() << "no builder for geometry type " << blob.type;
            continue;
        }
        S_ModelBlobData data;
        data.blob = &blob;
        data.viewport = &viewport;
        data.origin = origin;
        data.filter = filter;
        data.model = &model;
        if (builders::extendsPath(row->transport)) {
            transport.build(row->transport, data, in.payload);
        } else {
            if (row->transport == builders::TransportRole::Flushes) transport.flush();
            row->build(&data, in.payload);
        }
        built = true;
    }
    // The path storage goes back in the model whether or not it is kept.
    transport.finish();
    if (!built) return false;
    model.id = blobs.front().blob->id;
    model.cellIndex = blobs.front().blob->cellIndex;
    model.layerId = blobs.front().blob->layerId;
    return true;
}

const S_Model* C_Meshory::makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                                    const LoadFilter& filter) {
    return makeModel(blobs, origin, filter, regionEmpty());
}

const S_Model* C_Meshory::makeModelFrom(std::span<const S_BlobData* const> blobs,
                                        const glm::vec3& origin, const LoadFilter& filter) {
    return makeModelFrom(blobs, origin, filter, regionEmpty());
}

const S_Model* C_Meshory::makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                                    const ViewportPolygon& viewport) {
    return makeModel(blobs, origin, LoadFilter(), viewport);
}

S_TileBuild C_Meshory::buildTile(std::span<const uint8_t> records, int64_t recordCount,
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

    tile.begin(flags);
    try {
        // The blobs of one request: the records' fields, and their payloads
        // read in place. A blob without bytes of its own allocates nothing.
        std::vector<S_BlobData> blobs;
        blobs.reserve(largest);
        std::vector<builders::BlobInput> tileInputs;
        tileInputs.reserve(largest);
        // One model's storage serves every request, emptied between them:
        // the largest kept, which the fewest requests outgrow.
        std::unique_ptr<S_Model> model = pool->take(std::numeric_limits<size_t>::max());
        const LoadFilter filter(0);
        for (size_t r = 0; r < requests.size(); ++r) {
            const S_TileRequest& q = requests[r];
            if (q.recordCount == 0) continue;
            blobs.clear();
            tileInputs.clear();
            for (uint32_t i = 0; i < q.recordCount; ++i) {
                const S_BlobRecord& rec = scan.records[q.firstRecord + i];
                blobs.emplace_back(rec.id, rec.type, rec.layerId, rec.cellIndex, std::vector<uint8_t>());
            }
            for (uint32_t i = 0; i < q.recordCount; ++i) {
                const S_BlobRecord& rec = scan.records[q.firstRecord + i];
                tileInputs.push_back({&blobs[i], records.subspan(rec.payloadOffset, rec.payloadSize)});
            }
            builders::ModelPool::clearKeepingStorage(*model);
            builders::reserveForRequest(builders::planRequest(tileInputs), *model);
            // As the host bridge narrows a request's origin.
            const glm::vec3 origin(static_cast<float>(q.x), static_cast<float>(q.y), 0.0f);
            if (buildInto(*model, tileInputs, origin, filter, regionEmpty()))
                tile.add(*model, static_cast<uint32_t>(r));
        }
        pool->give(std::move(model));
        tile.finish();
    } catch (...) {
        tile.clear();
        throw;
    }
    result.ok = true;
    return result;
}

const C_Tile* C_Meshory::makeTile(std::span<const uint8_t> records, int64_t recordCount,
                                  std::span<const S_TileRequest> requests, uint32_t flags,
                                  S_TileBuild* result) {
    // A new object every time, in kept storage: a released tile's address is
    // never handed out again from here.
    auto tile = std::make_unique<C_Tile>();
    if (spareTile) {
        *tile = std::move(*spareTile);
        spareTile.reset();
    }
    const S_TileBuild build = buildTile(records, recordCount, requests, flags, *tile);
    if (result) *result = build;
    if (!build.ok) {
        releaseTile(tile.release(), false);
        return nullptr;
    }
    tiles.insert(tile.get());
    return tile.release();
}

void C_Meshory::releaseTile(const C_Tile* tile) { releaseTile(tile, true); }

void C_Meshory::releaseTile(const C_Tile* tile, bool filed) {
    if (!tile) return;
    if (filed) tiles.erase(tile);
    std::unique_ptr<C_Tile> owned(const_cast<C_Tile*>(tile));
    const size_t bytes = owned->storageBytes();
    if (bytes > pool->budget() || (spareTile && spareTile->storageBytes() >= bytes)) return;
    owned->clear();
    spareTile = std::make_unique<C_Tile>(std::move(*owned));
}

void C_Meshory::addModelToGroup(S_Model* model) {
    layers[model->layerId].insert(model);
}

void C_Meshory::releaseModel(const S_Model* model) {
    if (!model) return;
    models.erase(model);
    if (auto it = layers.find(model->layerId); it != layers.end()) it->second.erase(model);
    pool->give(std::unique_ptr<S_Model>(const_cast<S_Model*>(model)));
}

void C_Meshory::releaseModels(const ModelSet& set) {
    // The set may be one of our own, which shrinks as we go: walk a copy.
    const ModelSet copy = set;
    for (const S_Model* model : copy) releaseModel(model);
}

void C_Meshory::releaseModels() {
    for (const S_Model* model : models)
        pool->give(std::unique_ptr<S_Model>(const_cast<S_Model*>(model)));
    models.clear();
    layers.clear();
}

void C_Meshory::setStorageBudget(size_t bytes) {
    pool->setBudget(bytes);
    if (spareTile && spareTile->storageBytes() > bytes) spareTile.reset();
}

size_t C_Meshory::storageBudget() const {
    return pool->budget();
}

size_t C_Meshory::keptStorageBytes() const {
    return pool->keptBytes() + (spareTile ? spareTile->storageBytes() : 0);
}

const C_Meshory::ModelSet& C_Meshory::getModelLayer(const int32_t& layerId) const {
    static const ModelSet empty;
    const auto it = layers.find(layerId);
    return it == layers.end() ? empty : it->second;
}

}  // namespace quorvan
