// The points builder (POINTS): the payload's vertex stream appended to the
// model's points, after those already there. A stream without a complete
// point adds nothing.

#include "model/builders/builders.h"

namespace quorvan::builders {

void modelPoints(S_ModelBlobData* data) {
    appendInPlace(data->model->points, decodeStream(data));
}

void planPoints(const std::vector<uint8_t>& payload, PlanTally& tally) {
    tally.points += streamPoints(payload);
}

}  // namespace quorvan::builders
