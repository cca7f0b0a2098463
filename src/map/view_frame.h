#pragma once

// A camera's chain P x V x S in double precision, for the map core's work on
// the screen: tiles far from model space's zero keep their precision once
// their origin is folded into the matrix, and window coordinates come out
// as project() defines them (x from the left, y from the bottom, depth 0 at
// the near plane and 1 at the far plane).

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "camera/glcamera.h"

namespace quorvan {

// One tile's view: its relative vertices to clip space, and the pick ray
// through one window point in the same relative coordinates.
struct TileFrame {
    glm::dmat4 toClip{1.0};
    glm::dvec3 rayNear{0.0};
    glm::dvec3 rayFar{0.0};
    bool rayValid = false;

    // The window depth of a tile-relative point.
    double depthOf(const glm::dvec3& p) const {
        const glm::dvec4 c = toClip * glm::dvec4(p, 1.0);
        return c.z / c.w * 0.5 + 0.5;
    }
};

class ViewFrame {
public:
    explicit ViewFrame(const C_GLCamera& camera);

    double width() const { return width_; }
    double height() const { return height_; }
    const glm::dmat4& toClip() const { return toClip_; }

    // Screen points (y from the top, as pointer events) to window points.
    glm::dvec2 windowOfScreen(glm::vec2 screen) const { return {screen.x, height_ - screen.y}; }
    bool contains(glm::dvec2 window) const {
        return window.x >= 0.0 && window.x <= width_ && window.y >= 0.0 && window.y <= height_;
    }
    glm::dvec3 windowOfClip(const glm::dvec4& c) const {
        return {(c.x / c.w * 0.5 + 0.5) * width_, (c.y / c.w * 0.5 + 0.5) * height_,
                c.z / c.w * 0.5 + 0.5};
    }
    // `window` is where the ray is cast through; any point will do when no
    // ray is needed.
    TileFrame tileFrame(glm::dvec2 origin, glm::dvec2 window) const;

private:
    double width_;
    double height_;
    glm::dmat4 toClip_;
    glm::dmat4 fromClip_;
};

}  // namespace quorvan
