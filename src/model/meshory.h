#pragma once

// The model maker: turns a list of blobs into one model, owns every model it
// made, groups them by layer and releases them.

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <vector>

#include <glm/vec3.hpp>

#include <meshory/export.h>
#include <meshory/model/glmodel.h>

namespace quorvan {

// Geometry type codes of S_BlobData::type. Codes without a builder (19..100,
// above 101, below 1) are skipped by makeModel.
namespace blob_geometry {
constexpr int32_t TRIANGLE_STRIPS = 1;
constexpr int32_t INDEXED_TRIANGLE_STRIPS = 2;
constexpr int32_t FLAT_TRIANGLE_STRIP = 3;
constexpr int32_t INDEXED_FLAT_TRIANGLE_STRIPS = 4;
constexpr int32_t FLAT_LINE_STRIP = 5;
constexpr int32_t LINES = 6;
constexpr int32_t INDEXED_LINES = 7;
constexpr int32_t POINTS = 8;
constexpr int32_t TEXT_DATA = 9;
constexpr int32_t RAILROAD_PATH = 10;
constexpr int32_t TRAM_PATH = 11;
constexpr int32_t ROAD_PATH = 12;
constexpr int32_t BRIDGE = 13;
constexpr int32_t FLAT_TRIANGLE_FAN = 14;
constexpr int32_t TRIANGLE_FAN = 15;
constexpr int32_t ON_POLYGON_FLAT_TRIANGLE_FAN = 16;
constexpr int32_t ON_POLYGON_TRIANGLE_FAN = 17;
constexpr int32_t CELL_POLYGON = 18;
constexpr int32_t LABEL_STYLE_SEGMENTS = 101;
}  // namespace blob_geometry

using GeometryBuilder = void (*)(S_ModelBlobData*);

// One row of the geometry-type table.
struct MESHORY_API S_GeometryTypeFunction {
    int32_t type = 0;
    GeometryBuilder fn = nullptr;

    S_GeometryTypeFunction() = default;
    S_GeometryTypeFunction(const int32_t& type, GeometryBuilder fn) : type(type), fn(fn) {}
};

class MESHORY_API C_Meshory {
public:
    using ModelSet = std::set<const S_Model*>;

    C_Meshory() = default;
    ~C_Meshory();
    C_Meshory(const C_Meshory&) = delete;
    C_Meshory& operator=(const C_Meshory&) = delete;

    // Builds one model from `blobs` in order: each blob goes to the builder of
    // its type, with a private copy of `filter`. The model takes id, cell
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

    void addModelToGroup(S_Model* model);

    // Frees a model this maker made (null does nothing). Its layer entry stays.
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

private:
    std::map<int32_t, ModelSet> layers;
    ModelSet models;
};

}  // namespace quorvan
