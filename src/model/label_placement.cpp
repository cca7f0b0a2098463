#include "model/label_placement.h"

#include <cmath>

#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>

namespace quorvan {

bool placeLabel(const S_Model& model, S_LabelPlacement& placement) {
    if (model.label.empty()) return false;
    placement = S_LabelPlacement{glm::vec2(model.labelPosition), 0.0f, 0.0f};
    float longest = 0.0f;
    for (const auto& [styleId, lines] : model.roadSegments) {
        for (const SegmentLine& line : lines) {
            float length = 0.0f;
            for (size_t i = 1; i < line.points.size(); ++i)
                length += glm::distance(line.points[i - 1], line.points[i]);
            if (!(length > longest)) continue;
            longest = length;
            placement.along = length;
            // Walk to the middle of the line.
            float left = length / 2;
            for (size_t i = 1; i < line.points.size(); ++i) {
                const glm::vec2 a = line.points[i - 1];
                const glm::vec2 b = line.points[i];
                const float step = glm::distance(a, b);
                if (step < left && i + 1 < line.points.size()) {
                    left -= step;
                    continue;
                }
                placement.at = step > 0.0f ? a + (b - a) * (left / step) : a;
                float angle = glm::degrees(std::atan2(b.y - a.y, b.x - a.x));
                if (angle > 90.0f) angle -= 180.0f;
                if (angle < -90.0f) angle += 180.0f;
                placement.angle = angle;
                break;
            }
        }
    }
    return std::isfinite(placement.at.x) && std::isfinite(placement.at.y);
}

}  // namespace quorvan
