#pragma once

// Which model of a set of tiles is drawn under a screen point, as a GL host
// draws them: the host says in which order it paints which layers, and how
// (what kinds, with or without the depth test, at what line width and point
// size in pixels), and the picker replays that painting for the one pixel.
//
//   - Triangles are met by the pick ray through the point, between the near
//     and the far plane (the part of the ray a frame shows).
//   - Line segments and points are met within half their drawn width or
//     size plus a tolerance, all in pixels, measured on the screen: what a
//     host draws as wide lines and sized dots covers that many pixels
//     whatever the camera's kind, pitch and zoom.
//   - A flat layer (no depth test) paints over whatever is there, so its
//     last hit in painting order wins over everything painted before. A
//     depth-tested layer wins only where it is nearer than what depth-tested
//     layers left before it (flat layers write no depth), and on equal depth
//     the first drawn stays, as with GL_LESS.
//   - Within a layer the painting goes kind by kind (triangles, lines,
//     points), tile by tile in the order given, model by model.
//
// A tile's vertices are relative to its origin: vertex v lies at (origin.x +
// v.x, origin.y + v.y, v.z) in the camera's model space (the space that the
// camera's scale maps into world space). Matrices and rays are formed in
// double precision with the origin folded in, so a tile far from the model
// space's zero picks as exactly as one near it.
//
// Layers the paint order does not list are neither drawn nor picked: the
// list is the layer filter. Nothing here changes the tiles or the camera.

#include <cstdint>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <span>

#include <meshory/camera/glcamera.h>
#include <meshory/export.h>
#include <meshory/model/tile.h>

namespace quorvan {

namespace paint_flags {
constexpr uint32_t TRIANGLES = 1;  // the layer's triangles are drawn
constexpr uint32_t LINES = 2;      // its line segments are drawn
constexpr uint32_t POINTS = 4;     // its points are drawn
constexpr uint32_t DEPTH = 8;      // drawn with the depth test (and depth writes)
constexpr uint32_t ALL_KINDS = TRIANGLES | LINES | POINTS;
}  // namespace paint_flags

// How the host paints one layer.
struct S_PaintLayer {
    int32_t layerId = 0;
    uint32_t flags = paint_flags::ALL_KINDS;
    float lineWidthPx = 1.0f;  // full width of a drawn segment
    float pointSizePx = 1.0f;  // full size of a drawn point
};

// One tile of the picture and the origin its vertices are relative to.
struct S_PickTile {
    const C_Tile* tile = nullptr;  // null tiles are skipped
    glm::dvec2 origin{0.0, 0.0};
};

namespace pick_kind {
constexpr uint32_t NONE = 0;
constexpr uint32_t TRIANGLE = 1;
constexpr uint32_t LINE = 2;
constexpr uint32_t POINT = 3;
}  // namespace pick_kind

struct S_PickResult {
    uint32_t kind = pick_kind::NONE;  // NONE when nothing is drawn there
    uint32_t tile = 0;                // index into the tiles given
    uint32_t model = 0;               // index into that tile's models()
    // Where the model was met, in model space (origin added): the ray's hit
    // on a triangle, the nearest point of a segment, the point itself.
    glm::dvec3 point{0.0, 0.0, 0.0};
    float depth = 1.0f;  // window depth there, 0 at the near plane, 1 at the far one

    bool hit() const { return kind != pick_kind::NONE; }
};

// Pixels added around every segment and point within which it is met.
inline constexpr float kDefaultPickTolerancePx = 3.0f;

// The model drawn under `screen` (pixels, x from the left, y from the top,
// as pointer events give it) for a camera of any kind. Nothing is met
// outside the viewport, through a non-finite camera, or by a non-finite
// vertex.
MESHORY_API S_PickResult pickTiles(std::span<const S_PickTile> tiles, const C_GLCamera& camera,
                                   glm::vec2 screen, std::span<const S_PaintLayer> paintOrder,
                                   float tolerancePx = kDefaultPickTolerancePx);

// One tile.
MESHORY_API S_PickResult pickTile(const C_Tile& tile, glm::dvec2 origin, const C_GLCamera& camera,
                                  glm::vec2 screen, std::span<const S_PaintLayer> paintOrder,
                                  float tolerancePx = kDefaultPickTolerancePx);

}  // namespace quorvan
