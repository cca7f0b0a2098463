#pragma once

// The rule of mergeLines over any path representation, so that the public
// vector form and the model maker's two-ended path buffer cannot drift
// apart. A Path offers empty(), front(), back(), assign(line),
// popFront(), popBack(), append(line) and prepend(line).

#include <cmath>
#include <vector>

#include <glm/vec2.hpp>

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
