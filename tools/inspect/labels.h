#pragma once

// Labels in the inspector's pictures: where a model's label goes, and which
// labels a picture keeps so that none covers another.

#include <meshory/model/glmodel.h>
#include <meshory/model/host_output.h>

#include <cstddef>
#include <cstdint>
#include <glm/vec2.hpp>
#include <string>
#include <vector>

#include "inspect/replay.h"
#include "inspect/top_view.h"

namespace quorvan::inspect {

// Where a model's label goes, relative to its origin: the library's rule
// (placeLabel in model/host_output.h), which hosts share.
using LabelPlacement = S_LabelPlacement;

// Labels as a map renderer keeps them: place names first, then road names,
// longest road first; a label whose box would overlap one already kept is
// left out, and a text is kept once per tile (cell). Boxes are in the
// picture's units; `size` is (width, height) along the label's angle.
struct LabelCandidate {
    size_t model = 0;  // index into Inspection::models
    int32_t cell = 0;
    std::string text;  // as displayText
    glm::vec2 centre{0.0f, 0.0f};
    glm::vec2 size{0.0f, 0.0f};
    float angle = 0.0f;   // degrees, counter-clockwise
    int priority = 0;     // lower first
    float weight = 0.0f;  // larger first within a priority (road length)
};
// Indices into `candidates` of the labels kept, in placement order: the
// library's selectLabels (map/label_selection.h), which every host shares.
std::vector<size_t> selectLabels(const std::vector<LabelCandidate>& candidates);

// Text sizes of a top view, in pixels, and the halo around the letters.
inline constexpr int kPlaceFontPx = 15;  // bold
inline constexpr int kRoadFontPx = 10;
inline constexpr int kLabelHaloPx = 3;

// Every model's label as a top view shows it, and the ones it keeps: boxes
// in pixels with y up (so that the models' angles apply), sized for DejaVu
// Sans; place names are moved inside the view's left and right edges.
struct TopViewLabels {
    std::vector<LabelCandidate> candidates;
    std::vector<bool> roads;   // per candidate: a road name (else a place name)
    std::vector<size_t> kept;  // selectLabels(candidates)
};
TopViewLabels topViewLabels(const Inspection& inspection, const TopView& view);

}  // namespace quorvan::inspect
