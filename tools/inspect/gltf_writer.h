#pragma once

// Writes the models of an inspection as glTF 2.0: path.gltf (JSON) beside
// path-stem.bin (the vertex data). One node per layer, holding one node per
// model at the model's origin; one mesh per model with up to three
// primitives: triangles (with flat normals), lines and points. A model with a
// label but no geometry becomes a node named by its label.
//
// glTF is y-up: the library's (x, y, z) with z up is written as (x, z, -y).
// Zero-area triangles (the degenerate joins of strips) and anything with a
// non-finite coordinate are left out: glTF requires unit normals and finite
// bounds.

#include <string>

#include "inspect/inspect.h"

namespace quorvan::inspect {

struct GltfSummary {
    size_t meshes = 0;
    size_t triangles = 0;
    size_t droppedTriangles = 0;  // zero-area or non-finite
    size_t segments = 0;
    size_t droppedSegments = 0;  // non-finite
    size_t points = 0;
};

// False with `error` set when the files cannot be written.
bool writeGltf(const Inspection& inspection, const std::string& path, GltfSummary& summary,
               std::string& error);

}  // namespace quorvan::inspect
