#include "geometry/aabb2d.h"

#include <cmath>

namespace quorvan {

C_AABB2d::C_AABB2d(const glm::vec2& center, float width, float height) {
    create(center, width, height);
}

C_AABB2d::C_AABB2d(const glm::vec2& a, const glm::vec2& b) {
    create(a, b);
}

void C_AABB2d::create(const glm::vec2& c, float width, float height) {
    halfSize = glm::vec2(width * 0.5f, height * 0.5f);
    center = c;
    min = center - halfSize;
    max = center + halfSize;
}

void C_AABB2d::create(const glm::vec2& a, const glm::vec2& b) {
    min = a;
    max = b;
    halfSize = (b - a) * 0.5f;
    center = a + halfSize;
}

bool C_AABB2d::intersection(const C_AABB2d& other) const {
    return std::fabs(center.x - other.center.x) <= halfSize.x + other.halfSize.x &&
           std::fabs(center.y - other.center.y) <= halfSize.y + other.halfSize.y;
}

bool C_AABB2d::isPointInside(const glm::vec2& p) const {
    return min.x < p.x && p.x < max.x && min.y < p.y && p.y < max.y;
}

bool C_AABB2d::isInside(const C_AABB2d& other) const {
    return min.x >= other.min.x && other.max.x >= max.x && min.y >= other.min.y &&
           other.max.y >= max.y;
}

void C_AABB2d::move(const glm::vec2& d) {
    min += d;
    max += d;
    center += d;
}

std::vector<glm::vec2> C_AABB2d::getRect() const {
    return {{min.x, min.y}, {max.x, min.y}, {max.x, max.y}, {min.x, max.y}};
}

}  // namespace quorvan
