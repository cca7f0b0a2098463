#pragma once

// Thick-line mesh of a 2D polyline whose width is applied later: every vertex
// lies on the centre line (z = 0) and carries a normal, its offset towards
// the left or right edge; a consumer places the edge at vertex + normal * half
// width. Four entries per segment, start-left, start-right, end-left,
// end-right, so the lists read as one triangle strip:
//
//   0 ---- 2   4 ---- 6      left (seen from +z, travelling 0 -> 2)
//   |  seg |   |  seg |
//   1 ---- 3   5 ---- 7      right
//
// Joints get miter offsets (longer than 1) unless the miter would reach 2 or
// more, in which case that joint keeps the plain unit offsets. u of the
// texture coordinates grows by segment length / textureLength; v is 0 on the
// left and 1 on the right. capSegments a > 0 adds round caps of 2a + 1
// sectors: 2a + 4 entries before the body and 2a + 3 after it, all placed at
// the end point they close, with texture coordinates (0, 0).
//
// Input handling: consecutive equal points are merged first (a zero-length
// segment has no direction), so fewer than two distinct consecutive points
// give empty lists. NaN or infinite coordinates give non-finite entries but
// nothing worse; textureLength 0 gives non-finite u. capSegments above
// textured_line::MAX_CAP_SEGMENTS is treated as that maximum.

#include <span>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <meshory/export.h>

namespace quorvan {

namespace textured_line {
// Miters this long or longer fall back to the plain offset.
constexpr float MITER_LIMIT = 2.0f;
// Far beyond any visible roundness; keeps the cap sizes from overflowing.
constexpr unsigned long MAX_CAP_SEGMENTS = 1024;
}  // namespace textured_line

class MESHORY_API C_TexturedLine {
public:
    C_TexturedLine() = default;

    // Rebuilds the three lists from `points`. Storage is kept between calls,
    // so rebuilding a line of similar size does not reallocate.
    void createLine(const std::vector<glm::vec2>& points, float textureLength,
                    unsigned long capSegments);
    // The same for points held elsewhere (the model maker's path buffer).
    void createLine(std::span<const glm::vec2> points, float textureLength,
                    unsigned long capSegments);

    const std::vector<glm::vec3>& getVertexes() const { return vertexes; }
    const std::vector<glm::vec3>& getNormals() const { return normals; }
    const std::vector<glm::vec2>& getTexCoords() const { return texCoords; }

private:
    void addStartCap(size_t capSegments);
    void addEndCap(size_t capSegments);

    std::vector<glm::vec3> vertexes;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> texCoords;
    std::vector<glm::vec2> work;  // the input relative to its first point, without repeats
};

}  // namespace quorvan
