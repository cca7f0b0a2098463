#pragma once

// Replays a blob pack through the library the way the JVM bridge does: the
// grid set up from the pack, then for every request makeModel(blobs,
// (x, y, 0), LoadFilter(0)) on one maker. Collects, per layer, what the host
// would read back through the model getters, and the time each request took.
//
// A request none of whose blobs has a builder yields no model; it is counted
// as skipped under the layer of its first blob. Payloads are not checked
// here: malformed ones give short or empty geometry in the library.
//
// Texts are raw bytes in packs and models. Everything that leaves the
// inspector as text (table, glTF, SVG, page) goes through displayText, which
// puts U+FFFD in place of each ill-formed part, so no writer meets bytes
// that are not UTF-8.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/meshory.h"
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

// Well-formed UTF-8 for people and writers: `text` unchanged when it is,
// otherwise U+FFFD in place of each ill-formed part.
std::string displayText(std::string_view text);
// displayText escaped for XML and HTML text and attribute values, without
// the characters XML 1.0 forbids (controls but tab and newline, U+FFFE, U+FFFF).
std::string escapeMarkup(const std::string& raw);

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
    float along = 0.0f;  // length of the road line it sits on, 0 for others
};
// False for a model without label text.
bool placeLabel(const S_Model& model, LabelPlacement& placement);

// Labels as a map renderer keeps them: place names first, then road names,
// longest road first; a label whose box would overlap one already kept is
// left out, and a text is kept once per tile (cell). Boxes are in the
// picture's units; `size` is (width, height) along the label's angle.
struct LabelCandidate {
    size_t model = 0;  // index into Inspection::models
    int32_t cell = 0;
    std::string text;  // as displayText
    glm::vec2 centre{0.0f, 0.0f};
    glm::vec2 size{0.0f, 0.0f};
    float angle = 0.0f;   // degrees, counter-clockwise
    int priority = 0;     // lower first
    float weight = 0.0f;  // larger first within a priority (road length)
};
// Indices into `candidates` of the labels kept, in placement order.
std::vector<size_t> selectLabels(const std::vector<LabelCandidate>& candidates);

// Per-layer table with a total row, for people.
std::string formatTable(const Inspection& inspection);
// Per-layer counts without timings, one layer a line, stable across runs.
std::string formatCounts(const Inspection& inspection);

}  // namespace quorvan::inspect
