#pragma once

// The model maker: turns a list of blobs into one model, owns every model it
// made, groups them by layer and releases them.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <vector>

#include <glm/vec3.hpp>

#include <meshory/export.h>
#include <meshory/model/glmodel.h>

namespace quorvan {

namespace builders {
class ModelPool;
class TileBuilder;
struct BlobView;
}  // namespace builders

class C_Tile;
struct S_TileBuild;
struct S_TileRequest;

class MESHORY_API C_Meshory {
public:
    using ModelSet = std::set<const S_Model*>;

    C_Meshory();
    ~C_Meshory();
    C_Meshory(const C_Meshory&) = delete;
    C_Meshory& operator=(const C_Meshory&) = delete;

    // Builds one model from `blobs` in order: each blob goes to the builder of
    // its type, which reads `filter` (never changes it). The model takes id, cell
    // index and layer from the first blob and is filed under its layer.
    // Returns null for an empty list or when no blob had a builder.
    const S_Model* makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                             const LoadFilter& filter, const ViewportPolygon& viewport);
    const S_Model* makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                             const LoadFilter& filter);
    const S_Model* makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                             const ViewportPolygon& viewport);
    // makeModel over blobs held elsewhere (no null entries): the host bridge
    // builds from the host's blobs without copying their payloads. The blobs
    // are read during the call only. Without a viewport, the empty one.
    const S_Model* makeModelFrom(std::span<const S_BlobData* const> blobs, const glm::vec3& origin,
                                 const LoadFilter& filter, const ViewportPolygon& viewport);
    const S_Model* makeModelFrom(std::span<const S_BlobData* const> blobs, const glm::vec3& origin,
                                 const LoadFilter& filter);

    // Builds every request of a tile into `tile` (model/tile.h): `recordCount`
    // blob records read in place from `records` (model/blob_records.h), each
    // request built as makeModelFrom builds its records with the origin
    // (x, y, 0) and a filter that wants text variant 0. No model is filed;
    // the maker's kept storage serves the requests, and `tile` keeps its own
    // storage from one build to the next. Refuses, leaving `tile` as it was,
    // unknown flags, malformed records, a request that names records past
    // the last, and requests that differ in origin (a tile has one);
    // requests may name any records, in any order, again or not at all.
    // A tile that would hold more than `maxFloats` floats is refused as soon
    // as a request takes it past them, before that request's floats are
    // added, and left empty: the memory spent is bounded by the limit, not
    // by what the requests would make (a Java host takes at most 2^31 - 1).
    S_TileBuild buildTile(std::span<const uint8_t> records, int64_t recordCount,
                          std::span<const S_TileRequest> requests, uint32_t flags, C_Tile& tile,
                          size_t maxFloats = SIZE_MAX);

    // buildTile into a tile the maker owns, as it owns its models, until
    // releaseTile or the maker's end; its storage is that of a tile released
    // before, within the storage budget. Null when refused; `result` (if
    // given) says why.
    const C_Tile* makeTile(std::span<const uint8_t> records, int64_t recordCount,
                           std::span<const S_TileRequest> requests, uint32_t flags,
                           S_TileBuild* result = nullptr, size_t maxFloats = SIZE_MAX);
    // Frees a tile this maker made (null does nothing); its storage is kept
    // for the next tile, within the storage budget.
    void releaseTile(const C_Tile* tile);
    const std::set<const C_Tile*>& getTiles() const;

    void addModelToGroup(S_Model* model);

    // Frees a model this maker made (null does nothing). Its layer entry stays.
    // Its storage is kept for the next requests, within the storage budget.
    void releaseModel(const S_Model* model);
    // Releases each model of `set` once; `set` may be one of the maker's own.
    void releaseModels(const ModelSet& set);
    // Releases every model and forgets every layer.
    void releaseModels();

    const std::map<int32_t, ModelSet>& getModelLayers() const { return layers; }
    // The models of a layer; an unknown layer gives an empty set.
    const ModelSet& getModelLayer(const int32_t& layerId) const;
    bool isLayerExists(const int32_t& layerId) const { return layers.count(layerId) != 0; }
    const ModelSet& getModels() const { return models; }

    // The builder registered for a type code, or null.
    static GeometryBuilder builderFor(int32_t type);

    // Released models leave their lists' storage with the maker, which builds
    // the next requests in it instead of asking the kernel for fresh pages.
    // The budget bounds the bytes kept for models (64 MiB unless set; 0 keeps
    // nothing), and apart from them those of the one tile kept for makeTile;
    // lowering it frees what no longer fits. The maker frees it all when it
    // is destroyed.
    void setStorageBudget(size_t bytes);
    size_t storageBudget() const;
    size_t keptStorageBytes() const;

private:
    std::map<int32_t, ModelSet> layers;
    ModelSet models;
    std::unique_ptr<builders::ModelPool> pool;
    std::vector<builders::BlobView> views;  // makeModelFrom's, kept to spare an allocation
    // Declared after the pool it takes storage from, so it goes first.
    std::unique_ptr<builders::TileBuilder> tileBuilder;
};

}  // namespace quorvan
