#pragma once

// Replays a blob pack through the library the way the JVM bridge does: the
// grid set up from the pack, then for every request makeModel(blobs,
// (x, y, 0), LoadFilter(0)) on one maker. Collects, per layer, what the host
// would read back through the model getters, and the time each request took.
//
// A request none of whose blobs has a builder yields no model; it is counted
// as skipped under the layer of its first blob. Payloads are not checked
// here: malformed ones give short or empty geometry in the library.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/meshory.h"
#include "pack/blob_pack.h"

namespace quorvan::inspect {

struct LayerStats {
    int32_t layerId = 0;
    std::string name;  // from the pack, or "layer <id>"
    size_t requests = 0;
    size_t models = 0;
    size_t skipped = 0;    // requests that gave no model
    size_t triangles = 0;  // as modelTriangles returns them, strip joins included
    size_t segments = 0;   // as modelLines returns them
    size_t points = 0;
    size_t labels = 0;  // models with a label text
    float minHeight = 0.0f;
    float maxHeight = 0.0f;
    double buildMs = 0.0;
};

struct BuiltModel {
    const S_Model* model = nullptr;  // owned by Inspection::maker
    glm::vec2 origin{0.0f, 0.0f};    // as the library got it
    size_t request = 0;
};

struct Inspection {
    std::unique_ptr<C_Meshory> maker;
    std::vector<BuiltModel> models;  // in request order
    std::map<int32_t, LayerStats> layers;
    double totalMs = 0.0;
};

// Called after each request with (done, total).
using Progress = std::function<void(size_t, size_t)>;

// Sets up the process-wide grid from the pack; counts of 0 leave it alone.
void setUpGrid(const pack::PackGrid& grid);

// Sets up the grid and builds every request of the pack.
Inspection inspectPack(const pack::BlobPack& pack, const Progress& progress = {});

std::string layerName(const pack::BlobPack& pack, int32_t layerId);

// The triangles of a model as a host draws them: modelTriangles' list, except
// for offset bands. The bridge builder leaves its bands as a strip of
// centre-line positions whose normals are the offsets to the band's edges
// (horizontal, one per vertex), for a shader to widen; they are widened here
// by half the model's line width, as that shader would.
std::vector<glm::vec3> drawableTriangles(const S_Model& model);
bool isOffsetBand(const S_Model& model);

// Where a model's label goes, relative to its origin: road labels at the
// middle of their longest segment line, along it (angle in degrees, turned
// to read left to right); other labels at the model's labelPosition.
struct LabelPlacement {
    glm::vec2 at{0.0f, 0.0f};
    float angle = 0.0f;
};
// False for a model without label text.
bool placeLabel(const S_Model& model, LabelPlacement& placement);

// Per-layer table with a total row, for people.
std::string formatTable(const Inspection& inspection);
// Per-layer counts without timings, one layer a line, stable across runs.
std::string formatCounts(const Inspection& inspection);

}  // namespace quorvan::inspect
