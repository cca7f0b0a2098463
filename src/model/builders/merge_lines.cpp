#include "model/builders/merge_lines.h"

namespace quorvan {

namespace {

// A plain vector as a path: a front join shifts the whole path, which is
// fine for one merge; the model maker keeps its path in a two-ended buffer
// instead (model/builders/path_buffer.h).
struct VectorPath {
    std::vector<glm::vec2>& points;

    bool empty() const { return points.empty(); }
    const glm::vec2& front() const { return points.front(); }
    const glm::vec2& back() const { return points.back(); }
    void assign(const std::vector<glm::vec2>& line) { points = line; }
    void popFront() { points.erase(points.begin()); }
    void popBack() { points.pop_back(); }
    void append(const std::vector<glm::vec2>& line) {
        points.insert(points.end(), line.begin(), line.end());
    }
    void prepend(const std::vector<glm::vec2>& line) {
        points.insert(points.begin(), line.begin(), line.end());
    }
};

}  // namespace

void mergeLines(const std::vector<glm::vec2>& line, std::vector<glm::vec2>& path, float tolerance) {
    if (&line == &path) {
        // Inserting a vector's own range into it is undefined; merge a copy.
        const std::vector<glm::vec2> copy = line;
        mergeLines(copy, path, tolerance);
        return;
    }
    VectorPath target{path};
    merge_detail::mergeInto(line, target, tolerance);
}

}  // namespace quorvan
