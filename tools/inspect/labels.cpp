#include "inspect/labels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>
#include <set>
#include <utility>

#include "inspect/text.h"
#include "model/decode/utf8.h"

namespace quorvan::inspect {

namespace {

// Corners of a label's box, counter-clockwise.
std::array<glm::vec2, 4> corners(const LabelCandidate& c) {
    const float a = glm::radians(c.angle);
    const glm::vec2 u(std::cos(a), std::sin(a));
    const glm::vec2 v(-u.y, u.x);
    const glm::vec2 hu = u * (c.size.x / 2);
    const glm::vec2 hv = v * (c.size.y / 2);
    return {c.centre - hu - hv, c.centre + hu - hv, c.centre + hu + hv, c.centre - hu + hv};
}

// Separating axes: two boxes overlap unless some edge normal of either
// separates their projections.
bool overlap(const std::array<glm::vec2, 4>& p, const std::array<glm::vec2, 4>& q) {
    for (const auto* box : {&p, &q}) {
        for (int e = 0; e < 2; ++e) {
            const glm::vec2 edge = (*box)[e + 1] - (*box)[e];
            const glm::vec2 axis(-edge.y, edge.x);
            float pMin = glm::dot(axis, p[0]), pMax = pMin;
            float qMin = glm::dot(axis, q[0]), qMax = qMin;
            for (int k = 1; k < 4; ++k) {
                pMin = std::min(pMin, glm::dot(axis, p[k]));
                pMax = std::max(pMax, glm::dot(axis, p[k]));
                qMin = std::min(qMin, glm::dot(axis, q[k]));
                qMax = std::max(qMax, glm::dot(axis, q[k]));
            }
            if (pMax <= qMin || qMax <= pMin) return false;
        }
    }
    return true;
}

}  // namespace

std::vector<size_t> selectLabels(const std::vector<LabelCandidate>& candidates) {
    std::vector<size_t> order(candidates.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const LabelCandidate& x = candidates[a];
        const LabelCandidate& y = candidates[b];
        if (x.priority != y.priority) return x.priority < y.priority;
        return x.weight > y.weight;
    });
    std::vector<size_t> kept;
    std::vector<std::array<glm::vec2, 4>> boxes;
    std::set<std::pair<int32_t, std::string>> named;
    for (const size_t i : order) {
        const LabelCandidate& c = candidates[i];
        if (!std::isfinite(c.centre.x) || !std::isfinite(c.centre.y)) continue;
        if (named.count({c.cell, c.text})) continue;
        const auto box = corners(c);
        if (std::any_of(boxes.begin(), boxes.end(),
                        [&](const auto& other) { return overlap(box, other); }))
            continue;
        named.emplace(c.cell, c.text);
        boxes.push_back(box);
        kept.push_back(i);
    }
    return kept;
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
