#pragma once

#include <vector>

#include <glm/vec2.hpp>

#include "export.h"

namespace quorvan {

// ---- Line merging --------------------------------------------------------

// Glues `line` onto `path` in place: appended when its first point is within
// `tolerance` of the path's last point (which it replaces), prepended when
// its last point is within tolerance of the path's first point (which it
// replaces), otherwise appended unchanged. An empty path becomes a copy, an
// empty line changes nothing. Points meet when their distance is at most
// `tolerance`; a NaN distance never meets. `line` may be `path` itself.
MESHORY_API void mergeLines(const std::vector<glm::vec2>& line, std::vector<glm::vec2>& path, float tolerance);

}  // namespace quorvan
