#pragma once

// Writes the models of an inspection as glTF 2.0: path.gltf (JSON) beside
// path-stem.bin (the vertex data). One node per layer, holding one node per
// model at the model's origin; one mesh per model with up to three
// primitives: triangles (with flat normals), lines and points. A model with a
// label but no geometry becomes a node named by its label. Layer nodes carry
// their SVG colours in extras (layerId, fill, stroke, casing), model nodes
// what a viewer shows on picking (layerId, layer, id, label).
//
// The scene's extras hold the labels a 3D view draws (labels, left out when
// there are none): those a top view kLabelViewPx pixels wide keeps, by the
// SVG's rules, so that none covers another where they lie on the ground.
// Each gives text, kind ("place"
// or "road"), layerId, position (glTF, on the ground), angle (degrees,
// counter-clockwise seen from above, 0 reading east), size (the box, width
// and depth in world units), fontSize and halo (the width of the white
// outline around the letters; world units).
//
// glTF is y-up: the library's (x, y, z) with z up is written as (x, z, -y).
// Zero-area triangles (the degenerate joins of strips) and anything with a
// non-finite coordinate are left out: glTF requires unit normals and finite
// bounds.

#include <string>

#include "inspect/replay.h"

namespace quorvan::inspect {

// Coarser than the SVG: a 3D view shows the ground smaller than a top view
// of the same window, and its labels must stay readable.
inline constexpr int kLabelViewPx = 640;

struct GltfSummary {
    size_t meshes = 0;
    size_t triangles = 0;
    size_t droppedTriangles = 0;  // zero-area or non-finite
    size_t segments = 0;
    size_t droppedSegments = 0;  // non-finite
    size_t points = 0;
    size_t labels = 0;
};

enum class GltfEncoding {
    Json,  // one JSON document, the vertex data as a base64 data URI
    Glb,   // binary glTF: the JSON and the vertex data in one container
};

// The glTF in memory, for the page and for checks. Texts (node, mesh and
// material names, the extras a viewer shows on picking: layerId, layer, id
// as text, label) are displayText, so the JSON is valid whatever the pack.
std::string encodeGltf(const Inspection& inspection, GltfEncoding encoding, GltfSummary& summary);

// False with `error` set when the files cannot be written.
bool writeGltf(const Inspection& inspection, const std::string& path, GltfSummary& summary,
               std::string& error);

}  // namespace quorvan::inspect
