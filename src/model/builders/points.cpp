// The points builder (POINTS): the payload's vertex stream appended to the
// model's points, after those already there. A stream without a complete
// point adds nothing.

#include "model/builders/builders.h"

namespace quorvan::builders {

void modelPoints(const BlobView& blob, const RequestContext& request) {
    appendInPlace(request.model.points, decodeStream(request, blob.payload));
}

void planPoints(Payload payload, PlanTally& tally) {
    tally.points += streamPoints(payload);
}

}  // namespace quorvan::builders
