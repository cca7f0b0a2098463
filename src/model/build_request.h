#pragma once

// Building one model request: the blobs' builders run in order into one
// model, with the transport state they share. Internal to the model maker;
// the maker's makeModel and the tile builder both build through it.

#include <span>

#include "model/glmodel.h"
#include "model/request_plan.h"

namespace quorvan::builders {

// Builds `blobs` into the request's model, which holds nothing yet:
// reserves its lists as `plan` (planRequest(blobs), which the caller needs
// first to pick the model's storage) says, then runs each blob's builder in
// order. Stamps the model with the first blob's id, cell and layer; false,
// with the model unstamped, when no blob had a builder.
bool buildRequest(const RequestContext& request, const RequestSizes& plan,
                  std::span<const BlobView> blobs);

}  // namespace quorvan::builders
