#pragma once

// The transport builders' line-merge rule: how a railway, road or bridge
// line joins the request's merged path. mergeLines is its exported form over
// a vector; merge_detail::mergeInto is the rule over any path
// representation, so that the vector form and the model maker's two-ended
// path buffer (path_buffer.h) cannot drift apart. A Path offers empty(),
// front(), back(), assign(line), popFront(), popBack(), append(line) and
// prepend(line).

#include <cmath>
#include <vector>

#include <glm/vec2.hpp>

#include <meshory/export.h>

namespace quorvan {

// Glues `line` onto `path` in place: appended when its first point is within
// `tolerance` of the path's last point (which it replaces), prepended when
// its last point is within tolerance of the path's first point (which it
// replaces), otherwise appended unchanged. An empty path becomes a copy, an
// empty line changes nothing. Points meet when their distance is at most
// `tolerance`; a NaN distance never meets. `line` may be `path` itself.
MESHORY_API void mergeLines(const std::vector<glm::vec2>& line, std::vector<glm::vec2>& path,
                            float tolerance);

}  // namespace quorvan

namespace quorvan::merge_detail {

// Distance at most `tolerance`, in single precision; a NaN distance never meets.
inline bool meets(const glm::vec2& a, const glm::vec2& b, float tolerance) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy) <= tolerance;
}

template <typename Path>
void mergeInto(const std::vector<glm::vec2>& line, Path& path, float tolerance) {
    if (line.empty()) return;
    if (path.empty()) {
        path.assign(line);
    } else if (meets(line.front(), path.back(), tolerance)) {
        // The line's first point replaces the path's last.
        path.popBack();
        path.append(line);
    } else if (meets(line.back(), path.front(), tolerance)) {
        // The line's last point replaces the path's first.
        path.popFront();
        path.prepend(line);
    } else {
        path.append(line);
    }
}

}  // namespace quorvan::merge_detail
