#include "model/meshory.h"

#include <memory>

#include "model/build_request.h"
#include "model/geometry_types.h"
#include "model/model_pool.h"
#include "model/request_plan.h"
#include "model/tile_builder.h"

namespace quorvan {

namespace {

const ViewportPolygon& regionEmpty() {
    static const ViewportPolygon region;
    return region;
}

}  // namespace

C_Meshory::C_Meshory()
    : pool(std::make_unique<builders::ModelPool>()),
      tileBuilder(std::make_unique<builders::TileBuilder>(*pool)) {}

C_Meshory::~C_Meshory() {
    // Nothing is worth keeping now: the models go, then the tiles with the
    // tile builder, then the pool with its storage.
    for (const S_Model* model : models) delete model;
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
    views.clear();
    for (const S_BlobData* blob : blobs) views.push_back(builders::viewOf(*blob));
    // Owned here until filed, so an allocation failure inside a builder frees it.
    const builders::RequestSizes sizes = builders::planRequest(views);
    std::unique_ptr<S_Model> model = pool->take(sizes.bytes());
    if (!builders::buildRequest({*model, origin, filter, viewport}, sizes, views)) {
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
                                 C_Tile& tile, size_t maxFloats) {
    return tileBuilder->build(records, recordCount, requests, flags, tile, maxFloats);
}

const C_Tile* C_Meshory::makeTile(std::span<const uint8_t> records, int64_t recordCount,
                                  std::span<const S_TileRequest> requests, uint32_t flags,
                                  S_TileBuild* result, size_t maxFloats) {
    return tileBuilder->make(records, recordCount, requests, flags, result, maxFloats);
}

void C_Meshory::releaseTile(const C_Tile* tile) {
    tileBuilder->release(tile);
}

const std::set<const C_Tile*>& C_Meshory::getTiles() const {
    return tileBuilder->tiles();
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
    tileBuilder->fitBudget(bytes);
}

size_t C_Meshory::storageBudget() const {
    return pool->budget();
}

size_t C_Meshory::keptStorageBytes() const {
    return pool->keptBytes() + tileBuilder->keptBytes();
}

const C_Meshory::ModelSet& C_Meshory::getModelLayer(const int32_t& layerId) const {
    static const ModelSet empty;
    const auto it = layers.find(layerId);
    return it == layers.end() ? empty : it->second;
}

}  // namespace quorvan
