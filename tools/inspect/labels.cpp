#include "inspect/labels.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <meshory/map/label_selection.h>

#include "inspect/text.h"
#include "model/decode/utf8.h"

namespace quorvan::inspect {

std::vector<size_t> selectLabels(const std::vector<LabelCandidate>& candidates) {
    // The library's rule, which every host shares; the texts are viewed in
    // place, and outlive the call.
    std::vector<S_LabelCandidate> library;
    library.reserve(candidates.size());
    for (const LabelCandidate& c : candidates) {
        library.push_back(
            {c.centre, c.size, c.angle, static_cast<float>(c.priority), c.weight, c.cell, c.text});
    }
    return quorvan::selectLabels(library);
}

TopViewLabels topViewLabels(const Inspection& inspection, const TopView& view) {
    // DejaVu Sans averages about 0.6 em per character, its bold 0.65 em.
    TopViewLabels labels;
    for (size_t i = 0; i < inspection.models.size(); ++i) {
        const BuiltModel& m = inspection.models[i];
        LabelPlacement label;
        if (!placeLabel(*m.model, label)) continue;
        const glm::vec2 world = m.origin + label.at;
        if (!std::isfinite(world.x) || !std::isfinite(world.y)) continue;
        glm::dvec2 px = view.toPx(world);
        const bool road = !m.model->roadSegments.empty();
        LabelCandidate c;
        c.model = i;
        c.cell = m.model->cellIndex;
        c.text = displayText(m.model->label);
        const double chars = static_cast<double>(countCodePoints(c.text));
        const double half =
            road ? 0.6 * kRoadFontPx * chars / 2 + 2 : 0.65 * kPlaceFontPx * chars / 2 + 4;
        if (!road) {
            // Keep place names whole at the picture's edges.
            const double width = view.widthPx();
            px.x = std::clamp(px.x, std::min(half, width / 2), std::max(width - half, width / 2));
        }
        c.centre = glm::vec2(static_cast<float>(px.x), static_cast<float>(-px.y));
        c.size = glm::vec2(static_cast<float>(2 * half), road ? 12.0f : 18.0f);
        c.angle = label.angle;
        c.priority = road ? 1 : 0;
        c.weight = label.along;
        labels.candidates.push_back(std::move(c));
        labels.roads.push_back(road);
    }
    labels.kept = selectLabels(labels.candidates);
    return labels;
}

}  // namespace quorvan::inspect
