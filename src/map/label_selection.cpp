#include "map/label_selection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>
#include <numeric>
#include <set>
#include <utility>

#include "map/view_frame.h"

namespace quorvan {

namespace {

using Box = std::array<glm::vec2, 4>;

// Corners of a label's box, counter-clockwise.
Box corners(const S_LabelCandidate& c) {
    const float a = glm::radians(c.angle);
    const glm::vec2 u(std::cos(a), std::sin(a));
    const glm::vec2 v(-u.y, u.x);
    const glm::vec2 hu = u * (c.size.x / 2);
    const glm::vec2 hv = v * (c.size.y / 2);
    return {c.centre - hu - hv, c.centre + hu - hv, c.centre + hu + hv, c.centre - hu + hv};
}

// Separating axes: two boxes overlap unless an edge normal of either
// separates their projections.
bool overlap(const Box& p, const Box& q) {
    for (const Box* box : {&p, &q}) {
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

// Kept readable left to right.
double readable(double degrees) {
    if (degrees > 90.0) degrees -= 180.0;
    if (degrees < -90.0) degrees += 180.0;
    return degrees;
}

}  // namespace

std::vector<size_t> selectLabels(std::span<const S_LabelCandidate> candidates) {
    std::vector<size_t> order(candidates.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const S_LabelCandidate& x = candidates[a];
        const S_LabelCandidate& y = candidates[b];
        if (x.priority != y.priority) return x.priority < y.priority;
        return x.weight > y.weight;
    });
    std::vector<size_t> kept;
    std::vector<Box> boxes;
    std::set<std::pair<int32_t, std::string_view>> named;
    for (const size_t i : order) {
        const S_LabelCandidate& c = candidates[i];
        if (!std::isfinite(c.centre.x) || !std::isfinite(c.centre.y)) continue;
        if (named.count({c.group, c.text})) continue;
        const Box box = corners(c);
        if (std::any_of(boxes.begin(), boxes.end(),
                        [&](const Box& other) { return overlap(box, other); }))
            continue;
        named.emplace(c.group, c.text);
        boxes.push_back(box);
        kept.push_back(i);
    }
    return kept;
}

std::vector<S_PlacedLabel> selectTileLabels(std::span<const S_LabelTile> tiles,
                                            const C_GLCamera& camera,
                                            std::span<const int32_t> layers) {
    const ViewFrame view(camera);
    std::vector<S_LabelCandidate> candidates;
    std::vector<S_PlacedLabel> placed;  // per candidate, then picked from
    for (size_t t = 0; t < tiles.size(); ++t) {
        const S_LabelTile& lt = tiles[t];
        if (!lt.tile) continue;
        const TileFrame frame = view.tileFrame(lt.origin, {0.0, 0.0});
        const std::vector<S_TileModel>& models = lt.tile->models();
        for (size_t i = 0; i < models.size() && i < lt.sizes.size(); ++i) {
            const S_TileModel& m = models[i];
            const glm::vec2 size = lt.sizes[i];
            if (m.label.empty() || !(size.x > 0.0f) || !(size.y > 0.0f) || !std::isfinite(size.x) ||
                !std::isfinite(size.y))
                continue;
            if (!layers.empty() &&
                std::find(layers.begin(), layers.end(), m.layerId) == layers.end())
                continue;
            const glm::dvec3 anchor(m.labelPosition);
            const glm::dvec4 clip = frame.toClip * glm::dvec4(anchor, 1.0);
            if (!(clip.w > 0.0 && std::abs(clip.z) <= clip.w)) continue;
            const glm::dvec3 at = view.windowOfClip(clip);
            const bool road = m.labelAlong > 0.0f;
            double angle = 0.0;
            if (road) {
                // The road's direction as the screen shows it: a step along
                // it from the anchor, projected (small enough to stay in
                // front of the eye, double precision keeps its direction).
                const double a = glm::radians(static_cast<double>(m.labelAngle));
                const glm::dvec3 ahead = anchor + glm::dvec3(std::cos(a), std::sin(a), 0.0) * 1e-3;
                const glm::dvec4 c2 = frame.toClip * glm::dvec4(ahead, 1.0);
                const glm::dvec3 w2 = view.windowOfClip(c2);
                const double dx = w2.x - at.x, dy = w2.y - at.y;
                if (c2.w > 0.0 && (dx != 0.0 || dy != 0.0) && std::isfinite(dx) &&
                    std::isfinite(dy))
                    angle = readable(glm::degrees(std::atan2(dy, dx)));
            }
            // Wholly outside the viewport: nothing of it is drawn.
            const double reach = 0.5 * std::hypot(size.x, size.y);
            if (at.x + reach < 0.0 || at.y + reach < 0.0 || at.x - reach > view.width() ||
                at.y - reach > view.height())
                continue;
            S_LabelCandidate c;
            c.centre = glm::vec2(at.x, at.y);
            c.size = size;
            c.angle = static_cast<float>(angle);
            c.priority = i < lt.priorities.size() ? lt.priorities[i] : (road ? 1.0f : 0.0f);
            c.weight = m.labelAlong;
            c.group = m.cellIndex;
            c.text = m.label;
            candidates.push_back(c);
            placed.push_back(
                {static_cast<uint32_t>(t), static_cast<uint32_t>(i), c.centre, c.angle, c.size});
        }
    }
    std::vector<S_PlacedLabel> out;
    for (const size_t k : selectLabels(candidates)) out.push_back(placed[k]);
    return out;
}

}  // namespace quorvan
