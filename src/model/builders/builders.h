#pragma once

// Builders of the geometry-type table (internal to the model maker). Each
// follows one contract (Builder, builders/blob_view.h): decode the blob's
// payload with the request origin as offset, add to the request's model,
// keep no reference to either argument after returning.
//
// The payload is the view's byte span: the blob's own bytes, or, while a
// tile is built in one call, the record's bytes in the host's buffer, read
// in place. A builder reads no other bytes and keeps none of them. The table
// (model/geometry_types.cpp) makes each builder's released form
// void(S_ModelBlobData*) from it.
// Appending a list to a model field is done in place (amortised growth), which
// gives the same result as replacing the field with mergeTriangles(field, list).

#include <cstdint>
#include <span>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "geometry/mathglm.h"
#include "model/builders/blob_view.h"
#include "model/builders/size_plan.h"
#include "model/decode/payload.h"
#include "model/glmodel.h"

namespace quorvan::builders {

using Payload = std::span<const uint8_t>;

// The decoders' 2D points lifted to height z.
inline std::vector<glm::vec3> liftTo(const std::vector<glm::vec2>& points, float z) {
    std::vector<glm::vec3> out;
    out.reserve(points.size());
    for (const auto& p : points) out.emplace_back(p, z);
    return out;
}

// The point under v on the ground plane.
inline glm::vec3 ground(const glm::vec3& v) {
    return {v.x, v.y, 0.0f};
}

// The request origin as the 2D decoders' offset.
inline glm::vec2 groundOffset(const RequestContext& request) {
    return {request.origin.x, request.origin.y};
}

// ---- The blob's payload, decoded with the request origin as offset ----------

// The whole payload as one vertex stream.
inline std::vector<glm::vec2> decodeStream(const RequestContext& request, Payload payload) {
    return extractVertexes(payload.data(), payload.size(), groundOffset(request));
}

// A fixed prefix, then a vertex stream: false (nothing decoded) without the prefix.
template <typename P>
bool decodePrefixedStream(const RequestContext& request, Payload payload, P& prefix,
                          std::vector<glm::vec2>& points) {
    return extractPrefixedVertexes(payload, groundOffset(request), prefix, points);
}

// One indexed block over the whole payload (V = vec2: ground offset; vec3:
// the whole origin). The model's height is set to 0, then to the block's.
template <typename V>
struct IndexedBlock {
    std::vector<V> vertices;
    std::vector<uint16_t> indices;
    std::vector<uint16_t> secondIndices;
};

template <typename V>
IndexedBlock<V> decodeIndexedBlock(const RequestContext& request, Payload payload) {
    V offset;
    if constexpr (V::length() == 3) {
        offset = request.origin;
    } else {
        offset = groundOffset(request);
    }
    IndexedBlock<V> block;
    request.model.height = 0.0f;
    extractIndexedVertexes(payload.data(), payload.size(), offset, block.vertices, block.indices,
                           block.secondIndices, request.model.height);
    return block;
}

// Each builder file also defines the size planners of its types
// (size_plan.h), named after the builder: planX bounds what modelX adds.

// Points (points.cpp).
void modelPoints(const BlobView& blob, const RequestContext& request);
void planPoints(Payload payload, PlanTally& tally);

// Lines (lines.cpp). A tram line is planned as a flat line strip.
void modelLines(const BlobView& blob, const RequestContext& request);
void modelIndexedLines(const BlobView& blob, const RequestContext& request);
void modelFlatLineStrip(const BlobView& blob, const RequestContext& request);
void planLines(Payload payload, PlanTally& tally);
void planIndexedLines(Payload payload, PlanTally& tally);
void planFlatLineStrip(Payload payload, PlanTally& tally);

// Flat areas (areas.cpp). A cell adds four vertices, which no plan counts.
void modelTriangleStrips(const BlobView& blob, const RequestContext& request);
void modelFlatTriangleStrip(const BlobView& blob, const RequestContext& request);
void modelIndexedFlatTriangleStrip(const BlobView& blob, const RequestContext& request);
void modelFlatTriangleFan(const BlobView& blob, const RequestContext& request);
void modelOnPolygonFlatTriangleFan(const BlobView& blob, const RequestContext& request);
void modelCellPolygon(const BlobView& blob, const RequestContext& request);
void planTriangleStrips(Payload payload, PlanTally& tally);
void planFlatTriangleStrip(Payload payload, PlanTally& tally);
void planIndexedFlatTriangleStrip(Payload payload, PlanTally& tally);
void planFlatTriangleFan(Payload payload, PlanTally& tally);

// Extruded areas (extruded.cpp).
void modelIndexedTriangleStrips(const BlobView& blob, const RequestContext& request);
void modelTriangleFan(const BlobView& blob, const RequestContext& request);
void modelOnPolygonTriangleFan(const BlobView& blob, const RequestContext& request);
void planIndexedTriangleStrips(Payload payload, PlanTally& tally);
void planTriangleFan(Payload payload, PlanTally& tally);

// Labels and text (labels.cpp): nothing a plan sizes.
void modelText(const BlobView& blob, const RequestContext& request);
void modelLabelSegments(const BlobView& blob, const RequestContext& request);

// Transport paths (transport.cpp): u8 prefix (width; unread for railways),
// then a vertex stream. An empty payload changes nothing.
void modelRailroad(const BlobView& blob, const RequestContext& request);
void modelTramPath(const BlobView& blob, const RequestContext& request);
void modelRoadPath(const BlobView& blob, const RequestContext& request);
void modelBridge(const BlobView& blob, const RequestContext& request);
void planPathLines(Payload payload, PlanTally& tally);
void planBridge(Payload payload, PlanTally& tally);

}  // namespace quorvan::builders
