#pragma once

// Sizes the model's lists for a whole request before its first builder runs.
// Internal to the model maker.
//
// From each blob's payload size and headers (nothing is decoded; each type's
// planner sits beside its builder) it bounds
// what the builders will add to polygon vertices, normals, line vertices,
// points and the merged transport path, and reserves that much, so that each
// list is allocated once instead of growing (and being copied) step by step. Strips that a later
// triangle-list blob converts are counted as triangles. The bound may exceed
// the result by a few entries per blob (rings that turn out closed, indices
// that are out of range); it never decides anything the builders do, so a
// wrong bound costs memory or time, never a different model. Reservations
// are capped, so that a payload whose counts the builders reject cannot make
// the plan claim more than kMaxPlannedEntries per list.

#include <cstddef>
#include <cstdint>
#include <span>

#include "model/builders/blob_view.h"
#include "model/glmodel.h"

namespace quorvan::builders {

constexpr size_t kMaxPlannedEntries = size_t(1) << 22;

// Entries each list of the model is planned to hold, each at most kMaxPlannedEntries.
struct RequestSizes {
    size_t polygons = 0;  // polygon vertices
    size_t normals = 0;
    size_t lines = 0;  // line vertices
    size_t points = 0;
    size_t paths = 0;  // merged transport path

    // Bytes of the planned lists: what a model's storage must hold to serve
    // the request without growing.
    size_t bytes() const;
};

RequestSizes planRequest(std::span<const BlobView> blobs);
void reserveForRequest(const RequestSizes& sizes, S_Model& model);

}  // namespace quorvan::builders
