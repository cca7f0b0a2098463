#include "factory/factory_utils.h"

#include <cmath>

namespace quorvan {

namespace {

// A NaN distance never meets.
bool meets(const glm::vec2& a, const glm::vec2& b, float tolerance) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy) <= tolerance;
}

}  // namespace

void mergeLines(const std::vector<glm::vec2>& line, std::vector<glm::vec2>& path, float tolerance) {
    if (&line == &path) {
        // Inserting a vector's own range into it is undefined; merge a copy.
        const std::vector<glm::vec2> copy = line;
        mergeLines(copy, path, tolerance);
        return;
    }
    if (line.empty()) return;
    if (path.empty()) {
        path = line;
        return;
    }
    if (meets(line.front(), path.back(), tolerance)) {
        path.pop_back();
        path.insert(path.end(), line.begin(), line.end());
    } else if (meets(line.back(), path.front(), tolerance)) {
        // line followed by path without its first point
        path.erase(path.begin());
        path.insert(path.begin(), line.begin(), line.end());
    } else {
        path.insert(path.end(), line.begin(), line.end());
    }
}

}  // namespace quorvan
