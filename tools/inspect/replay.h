#pragma once

// Replays a blob pack through the library the way the JVM bridge does: the
// grid set up from the pack, then for every request makeModel(blobs,
// (x, y, 0), LoadFilter(0)) on one maker. Collects, per layer, what the host
// would read back through the model getters, and the time each request took.
//
// A request none of whose blobs has a builder yields no model; it is counted
// as skipped under the layer of its first blob. Payloads are not checked
// here: malformed ones give short or empty geometry in the library.

#include <meshory/model/glmodel.h>
#include <meshory/model/meshory.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <glm/vec2.hpp>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "pack/blob_pack.h"

namespace quorvan::inspect {

struct LayerStats {
    int32_t layerId = 0;
    std::string name;  // from the pack (as displayText), or "layer <id>"
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
    pack::PackGrid grid;  // the pack's, as set up for the build
    double totalMs = 0.0;
};

// A request the library failed on (it throws only when out of memory); the
// message names the request and its byte offset in the pack.
class InspectFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Called after each request with (done, total).
using Progress = std::function<void(size_t, size_t)>;

// Sets up the process-wide grid from the pack; counts of 0 leave it alone.
void setUpGrid(const pack::PackGrid& grid);

// Sets up the grid and builds every request of the pack. Throws
// InspectFailure when the library fails on a request.
Inspection inspectPack(const pack::BlobPack& pack, const Progress& progress = {});

std::string layerName(const pack::BlobPack& pack, int32_t layerId);

}  // namespace quorvan::inspect
