#pragma once

// Which labels a map picture draws, and where: the rule every host of the
// library shares, so that a label left out in one is left out in all.
//
//   - Place names (labels that stand level) go first, then road names,
//     longest road first; otherwise in the order given.
//   - A label whose box would overlap one already kept is left out; boxes
//     that only touch do not overlap.
//   - A text is kept once per group (a map cell): a road cut into several
//     pieces is named once.
//
// Boxes are the sizes the host measured with its own font, in pixels,
// centred on the label's anchor and turned by its angle.

#include <cstddef>
#include <cstdint>
#include <glm/vec2.hpp>
#include <span>
#include <string_view>
#include <vector>

#include <meshory/camera/glcamera.h>
#include <meshory/export.h>
#include <meshory/model/tile.h>

namespace quorvan {

// One label that may be drawn, in picture units with y up (window pixels).
struct S_LabelCandidate {
    glm::vec2 centre{0.0f, 0.0f};
    glm::vec2 size{0.0f, 0.0f};  // width along the angle, height across it
    float angle = 0.0f;          // degrees, counter-clockwise
    float priority = 0.0f;       // lower first
    float weight = 0.0f;         // larger first within a priority (road length)
    int32_t group = 0;           // `text` is kept once per group
    std::string_view text;
};

// Indices into `candidates` of the labels kept, in placement order. A
// candidate with a non-finite centre is left out. Deterministic: the same
// candidates always give the same answer.
MESHORY_API std::vector<size_t> selectLabels(std::span<const S_LabelCandidate> candidates);

// One tile of the picture: the origin its vertices are relative to, and per
// model (index as in tile->models()) the label's box as the host measured
// it, width and height in pixels. A model whose width or height is not
// positive has no label to draw.
struct S_LabelTile {
    const C_Tile* tile = nullptr;  // null tiles are skipped
    glm::dvec2 origin{0.0, 0.0};
    std::span<const glm::vec2> sizes;  // too short: the models beyond it draw none
    // Optional per model: replaces the default priority (0 for level labels,
    // 1 for road names); lower goes first.
    std::span<const float> priorities;
};

// A label to draw: the model it names and where.
struct S_PlacedLabel {
    uint32_t tile = 0;   // index into the tiles given
    uint32_t model = 0;  // index into that tile's models()
    // Window pixels (x from the left, y from the bottom, as project() gives
    // them) of the box's centre, and its turn on the screen: a road name
    // runs along its road as the camera shows it, kept readable (within
    // +-90 degrees); a level label stands upright (0).
    glm::vec2 centre{0.0f, 0.0f};
    float angle = 0.0f;
    glm::vec2 size{0.0f, 0.0f};
};

// The labels of `tiles` that a frame of `camera` draws, in placement order.
// Only models of `layers` count (all of them when it is empty), whose label
// position lies inside the view volume and whose box reaches into the
// viewport.
MESHORY_API std::vector<S_PlacedLabel> selectTileLabels(std::span<const S_LabelTile> tiles,
                                                        const C_GLCamera& camera,
                                                        std::span<const int32_t> layers = {});

}  // namespace quorvan
