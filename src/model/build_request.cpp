#include "model/build_request.h"

#include "debug/debuglog.h"
#include "model/builders/transport_request.h"
#include "model/geometry_types.h"

namespace quorvan::builders {

bool buildRequest(const RequestContext& request, const RequestSizes& plan,
                  std::span<const BlobView> blobs) {
    S_Model& model = request.model;
    reserveForRequest(plan, model);
    // Railways, roads and bridges share state across the blobs of this request.
    TransportRequest transport(model);
    bool built = false;
    for (const BlobView& blob : blobs) {
        const GeometryType* row = geometryType(blob.type);
        if (!row) {
            log() << "no builder for geometry type " << blob.type;
            continue;
        }
        if (extendsPath(row->transport)) {
            transport.build(row->transport, blob, request);
        } else {
            if (row->transport == TransportRole::Flushes) transport.flush();
            row->build(blob, request);
        }
        built = true;
    }
    // The path storage goes back in the model whether or not it is kept.
    transport.finish();
    if (!built) return false;
    model.id = blobs.front().id;
    model.cellIndex = blobs.front().cellIndex;
    model.layerId = blobs.front().layerId;
    return true;
}

}  // namespace quorvan::builders
