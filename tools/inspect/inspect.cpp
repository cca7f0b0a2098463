#include "inspect/inspect.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>
#include <set>

#include "geometry/mathglm.h"
#include "grid/grid.h"
#include "model/decode/utf8.h"

namespace quorvan::inspect {

namespace {

void addModel(LayerStats& layer, const S_Model& model) {
    const float h = model.height;
    if (layer.models == 0) {
        layer.minHeight = h;
        layer.maxHeight = h;
    } else {
        layer.minHeight = std::min(layer.minHeight, h);
        layer.maxHeight = std::max(layer.maxHeight, h);
    }
    ++layer.models;
    layer.triangles += geometryPolygonsToTriangles(model.polygons).size() / 3;
    layer.segments += model.lines.vertices.size() / 2;
    layer.points += model.points.size();
    if (!model.label.empty()) ++layer.labels;
}

std::string format(const char* fmt, auto... args) {
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, args...);
    return out;
}

LayerStats totals(const Inspection& inspection) {
    LayerStats t;
    t.name = "total";
    bool any = false;
    for (const auto& [id, l] : inspection.layers) {
        t.requests += l.requests;
        t.skipped += l.skipped;
        t.triangles += l.triangles;
        t.segments += l.segments;
        t.points += l.points;
        t.labels += l.labels;
        t.buildMs += l.buildMs;
        if (l.models > 0) {
            t.minHeight = any ? std::min(t.minHeight, l.minHeight) : l.minHeight;
            t.maxHeight = any ? std::max(t.maxHeight, l.maxHeight) : l.maxHeight;
            any = true;
        }
        t.models += l.models;
    }
    return t;
}

}  // namespace

void setUpGrid(const pack::PackGrid& grid) {
    if (grid.cellsInRow <= 0 || grid.cellsInCol <= 0) return;
    quorvan::grid().cellsAmount(grid.cellsInRow, grid.cellsInCol);
    quorvan::grid().gridCoordinates(grid.bounds);
}

std::string displayText(std::string_view text) {
    return toValidUtf8(text);
}

// Text for XML and HTML from any bytes: ill-formed UTF-8 becomes U+FFFD, and
// the characters XML 1.0 forbids (controls, U+FFFE, U+FFFF) are left out.
std::string escapeMarkup(const std::string& raw) {
    const std::string text = displayText(raw);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\xEF' && i + 2 < text.size() && text[i + 1] == '\xBF' &&
            (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
            i += 2;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
        }
    }
    return out;
}

std::string layerName(const pack::BlobPack& pack, int32_t layerId) {
    const auto it = pack.layerNames.find(layerId);
    return it != pack.layerNames.end() ? displayText(it->second)
                                       : "layer " + std::to_string(layerId);
}

bool isOffsetBand(const S_Model& model) {
    const S_GeometryPolygons& p = model.polygons;
    if (!isTriangleStrip(p) || p.vertices.empty() || p.normals.size() != p.vertices.size())
        return false;
    return std::all_of(p.normals.begin(), p.normals.end(),
                       [](const glm::vec3& n) { return n.z == 0.0f; });
}

std::vector<glm::vec3> drawableTriangles(const S_Model& model) {
    if (!isOffsetBand(model)) return geometryPolygonsToTriangles(model.polygons);
    S_GeometryPolygons widened = model.polygons;
    const float half = model.lines.width / 2;
    for (size_t i = 0; i < widened.vertices.size(); ++i)
        widened.vertices[i] += widened.normals[i] * half;
    return geometryPolygonsToTriangles(widened);
}

bool placeLabel(const S_Model& model, LabelPlacement& placement) {
    if (model.label.empty()) return false;
    placement = LabelPlacement{glm::vec2(model.labelPosition), 0.0f};
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

Inspection inspectPack(const pack::BlobPack& pack, const Progress& progress) {
    using Clock = std::chrono::steady_clock;
    setUpGrid(pack.grid);

    Inspection result;
    result.maker = std::make_unique<C_Meshory>();
    // What the bridge hands every request: only text variant 0 is wanted.
    const LoadFilter filter(0);
    const size_t total = pack.requests.size();
    for (size_t i = 0; i < total; ++i) {
        const pack::PackRequest& request = pack.requests[i];
        // The bridge narrows the host's doubles to the nearest float.
        const glm::vec3 origin(static_cast<float>(request.x), static_cast<float>(request.y), 0.0f);

        const auto start = Clock::now();
        const S_Model* model = nullptr;
        try {
            model = result.maker->makeModel(request.blobs, origin, filter);
        } catch (const std::bad_alloc&) {
            throw InspectFailure("out of memory building request " + std::to_string(i) +
                                 " (at byte " + std::to_string(request.offset) + ")");
        } catch (const std::exception&) {
            throw InspectFailure("the library failed on request " + std::to_string(i) +
                                 " (at byte " + std::to_string(request.offset) + ")");
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        result.totalMs += ms;

        const int32_t layerId =
            model ? model->layerId : (request.blobs.empty() ? 0 : request.blobs.front().layerId);
        LayerStats& layer = result.layers[layerId];
        if (layer.requests == 0) {
            layer.layerId = layerId;
            layer.name = layerName(pack, layerId);
        }
        ++layer.requests;
        layer.buildMs += ms;
        if (model) {
            addModel(layer, *model);
            result.models.push_back({model, glm::vec2(origin), i});
        } else {
            ++layer.skipped;
        }
        if (progress) progress(i + 1, total);
    }
    return result;
}

std::string formatTable(const Inspection& inspection) {
    std::string out =
        format("%6s %-16s %8s %10s %9s %7s %7s %17s %10s\n", "layer", "name", "models", "triangles",
               "segments", "points", "labels", "height", "build ms");
    auto row = [&](const std::string& id, const LayerStats& l) {
        const std::string height = l.models
                                       ? format("%.1f .. %.1f", static_cast<double>(l.minHeight),
                                                static_cast<double>(l.maxHeight))
                                       : "-";
        out += format("%6s %-16s %8zu %10zu %9zu %7zu %7zu %17s %10.1f\n", id.c_str(),
                      l.name.substr(0, 16).c_str(), l.models, l.triangles, l.segments, l.points,
                      l.labels, height.c_str(), l.buildMs);
        if (l.skipped)
            out +=
                format("%6s %-16s %8zu requests gave no model (no builder)\n", "", "", l.skipped);
    };
    for (const auto& [id, layer] : inspection.layers) row(std::to_string(id), layer);
    row("", totals(inspection));
    return out;
}

std::string formatCounts(const Inspection& inspection) {
    std::string out =
        "# layer name models skipped triangles segments points labels min-height max-height\n";
    for (const auto& [id, l] : inspection.layers) {
        out += format("%d %s %zu %zu %zu %zu %zu %zu %.1f %.1f\n", id, l.name.c_str(), l.models,
                      l.skipped, l.triangles, l.segments, l.points, l.labels,
                      static_cast<double>(l.minHeight), static_cast<double>(l.maxHeight));
    }
    return out;
}

}  // namespace quorvan::inspect
