#pragma once

// The short names the builder and concurrency tests write their cases with:
// the payload writer, the geometry type codes and the glm vectors, brought
// into the unnamed namespace inside quorvan where those tests live.

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "support/payload_writer.h"

// Declared, not defined, here: the codes come with the model headers a test
// includes, and a using-directive only needs the namespace's name.
namespace quorvan::blob_geometry {}

namespace quorvan {
namespace {

using namespace meshory_test;
using namespace blob_geometry;
using glm::vec2;
using glm::vec3;

}  // namespace
}  // namespace quorvan
