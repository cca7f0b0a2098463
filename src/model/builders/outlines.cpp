// Outlines and walls of areas (outlines.h), shared by the flat and the
// extruded builders.

#include "model/builders/outlines.h"

#include "geometry/mathglm.h"
#include "model/builders/builders.h"

namespace quorvan {

using builders::ground;

namespace {

// Walks the outline ring of a fan (fan[0] is an inner centre when hasCentre)
// as (current, previous) vertex pairs: the closing edge first, unless the
// ring repeats its first vertex, then each edge in fan order. A fan that
// holds only its centre has no edge. `out` gets room for six entries an
// edge (at most one edge per outline vertex) before the walk.
template <typename Edge>
void appendPerFanEdge(std::vector<glm::vec3>& out, const std::vector<glm::vec3>& fan,
                      bool hasCentre, Edge&& edge) {
    const size_t n = fan.size();
    const size_t first = hasCentre ? 1 : 0;
    if (n <= first) return;
    reserveToAppend(out, 6 * (n - first));
    if (!isSameVertex(fan[first], fan[n - 1])) edge(fan[first], fan[n - 1]);
    for (size_t i = first + 1; i < n; ++i) edge(fan[i], fan[i - 1]);
}

// The by-value form of an appending fan function: its entries alone.
template <typename Append>
std::vector<glm::vec3> fanEntries(Append&& append, const std::vector<glm::vec3>& fan,
                                  bool hasCentre) {
    std::vector<glm::vec3> out;
    append(out, fan, hasCentre);
    return out;
}

}  // namespace

void makeStrokeFromLine(std::vector<glm::vec3>& out, const glm::vec3& a, const glm::vec3& b) {
    out.push_back(a);
    out.push_back(b);
    if (a.z > 0.0f) {
        out.push_back(ground(a));
        out.push_back(a);
        out.push_back(ground(a));
        out.push_back(ground(b));
    }
}

void appendStrokeLinesFromTrianglesFan(std::vector<glm::vec3>& out,
                                       const std::vector<glm::vec3>& fan, bool hasCentre) {
    // Six vertices per raised edge, two at ground level.
    appendPerFanEdge(out, fan, hasCentre, [&out](const glm::vec3& c, const glm::vec3& p) {
        makeStrokeFromLine(out, c, p);
    });
}

std::vector<glm::vec3> makeStrokeLinesFromTrianglesFan(const std::vector<glm::vec3>& fan,
                                                       bool hasCentre) {
    return fanEntries(appendStrokeLinesFromTrianglesFan, fan, hasCentre);
}

void appendWallsTrianglesFromTriangleFan(std::vector<glm::vec3>& out,
                                         const std::vector<glm::vec3>& fan, bool hasCentre) {
    //  p------c     roof edge, from the previous outline vertex p to c
    //  |   /  |     (c, p, gp) and (c, gp, gc)
    //  gp-----gc    on the ground
    const auto wall = [&out](const glm::vec3& c, const glm::vec3& p) {
        const glm::vec3 gp = ground(p);
        out.insert(out.end(), {c, p, gp, c, gp, ground(c)});
    };
    appendPerFanEdge(out, fan, hasCentre, wall);
}

std::vector<glm::vec3> getWallsTrianglesFromTriangleFan(const std::vector<glm::vec3>& fan,
                                                        bool hasCentre) {
    return fanEntries(appendWallsTrianglesFromTriangleFan, fan, hasCentre);
}

}  // namespace quorvan
