#pragma once

// Axis-aligned rectangle in the ground plane. The four fields are kept
// consistent by `create` and `move`; the two-corner form does not reorder its
// corners, so a box made from (max, min) has a negative half size and
// contains nothing. Non-finite input gives non-finite fields and every test
// on them is false.

#include <vector>

#include <glm/vec2.hpp>

#include <meshory/export.h>

namespace quorvan {

class MESHORY_API C_AABB2d {
public:
    C_AABB2d() = default;
    C_AABB2d(const glm::vec2& center, float width, float height);
    C_AABB2d(const glm::vec2& a, const glm::vec2& b);

    // Centred on `center`, width x height.
    void create(const glm::vec2& center, float width, float height);
    // min = a, max = b.
    void create(const glm::vec2& a, const glm::vec2& b);

    // Overlap test; touching boxes intersect.
    bool intersection(const C_AABB2d& other) const;
    // Strictly inside: points on the border are outside.
    bool isPointInside(const glm::vec2& p) const;
    // This box lies within `other`, borders included (so a box is inside itself).
    bool isInside(const C_AABB2d& other) const;

    void move(const glm::vec2& d);

    // The corners counter-clockwise from min: (min.x, min.y), (max.x, min.y),
    // (max.x, max.y), (min.x, max.y).
    std::vector<glm::vec2> getRect() const;

    const glm::vec2& getMin() const { return min; }
    const glm::vec2& getMax() const { return max; }
    const glm::vec2& getCenter() const { return center; }
    // Half the width and half the height.
    const glm::vec2& getSize() const { return halfSize; }

private:
    glm::vec2 min{0.0f, 0.0f};
    glm::vec2 max{0.0f, 0.0f};
    glm::vec2 center{0.0f, 0.0f};
    glm::vec2 halfSize{0.0f, 0.0f};
};

}  // namespace quorvan
