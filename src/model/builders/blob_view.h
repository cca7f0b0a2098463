#pragma once

// A blob as the builders see it, and what every blob of one request shares.
// Internal to the model maker.
//
// A blob reaches the maker in two shapes: an S_BlobData, which owns its
// payload, or a record of a tile's block (model/blob_records.h), whose
// payload lies in the host's buffer and is read in place. The builders see
// both as one view: the fields, and the payload as a byte span. A view
// lives for one call and owns nothing.

#include <cstdint>
#include <span>

#include <glm/vec3.hpp>

#include "model/blob_records.h"
#include "model/glmodel.h"

namespace quorvan::builders {

struct BlobView {
    uint64_t id = 0;
    int32_t type = 0;  // geometry type code (blob_geometry)
    int32_t layerId = 0;
    int32_t cellIndex = 0;
    std::span<const uint8_t> payload;
};

inline BlobView viewOf(const S_BlobData& blob) {
    return {blob.id, blob.type, blob.layerId, blob.cellIndex, blob.data};
}

// A scanned record of `block`, the bytes scanBlobRecords read.
inline BlobView viewOf(const S_BlobRecord& record, std::span<const uint8_t> block) {
    return {record.id, record.type, record.layerId, record.cellIndex,
            block.subspan(record.payloadOffset, record.payloadSize)};
}

// The request a blob is built into: the model every builder adds to, the
// origin the payloads are decoded against, and the request's filter and
// viewport, held by reference for the length of the request.
struct RequestContext {
    S_Model& model;
    glm::vec3 origin;
    const LoadFilter& filter;
    const ViewportPolygon& viewport;
};

// A builder of the geometry-type table: decodes the blob's payload with the
// request origin as offset, adds to the request's model and keeps no
// reference to either argument after returning.
using Builder = void (*)(const BlobView& blob, const RequestContext& request);

}  // namespace quorvan::builders
