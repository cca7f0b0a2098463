#include "inspect/svg_writer.h"

#include <meshory/geometry/mathglm.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>

#include "inspect/labels.h"
#include "inspect/layer_style.h"
#include "inspect/offset_bands.h"
#include "inspect/text.h"

namespace quorvan::inspect {

namespace {

bool finite(const glm::vec2& v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}

void appendPoint(std::string& d, char command, const glm::dvec2& p) {
    char text[48];
    std::snprintf(text, sizeof(text), "%c%.1f %.1f", command, p.x, p.y);
    d += text;
}

// The ground footprint of a model's triangles, all turned the same way so
// that the nonzero fill rule draws their union without seams.
void appendAreas(std::string& d, const BuiltModel& built, const TopView& view) {
    const std::vector<glm::vec3> triangles = drawableTriangles(*built.model);
    for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
        glm::vec2 a = built.origin + glm::vec2(triangles[i]);
        glm::vec2 b = built.origin + glm::vec2(triangles[i + 1]);
        const glm::vec2 c = built.origin + glm::vec2(triangles[i + 2]);
        if (!finite(a) || !finite(b) || !finite(c)) continue;
        const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (area == 0.0f || !std::isfinite(area)) continue;
        if (area < 0.0f) std::swap(a, b);
        appendPoint(d, 'M', view.toPx(a));
        appendPoint(d, 'L', view.toPx(b));
        appendPoint(d, 'L', view.toPx(c));
        d += 'Z';
    }
}

void appendLines(std::string& d, const BuiltModel& built, const TopView& view) {
    const std::vector<glm::vec3>& v = built.model->lines.vertices;
    for (size_t i = 0; i + 1 < v.size(); i += 2) {
        const glm::vec2 a = built.origin + glm::vec2(v[i]);
        const glm::vec2 b = built.origin + glm::vec2(v[i + 1]);
        if (!finite(a) || !finite(b)) continue;
        appendPoint(d, 'M', view.toPx(a));
        appendPoint(d, 'L', view.toPx(b));
    }
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", v);
    return text;
}

}  // namespace

std::string svgDocument(const Inspection& inspection, const pack::PackGrid& grid,
                        const SvgOptions& options, SvgSummary& summary) {
    summary = SvgSummary{};
    const TopView view = chooseTopView(inspection, grid, std::max(options.widthPx, 16));
    const double minStrokePx = 0.5;

    std::map<int32_t, std::vector<const BuiltModel*>> byLayer;
    for (const BuiltModel& m : inspection.models) byLayer[m.model->layerId].push_back(&m);

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           number(view.scale * (view.maxX - view.minX)) + "\" height=\"" + number(view.heightPx()) +
           "\" viewBox=\"0 0 " + number(view.scale * (view.maxX - view.minX)) + " " +
           number(view.heightPx()) + "\" font-family=\"DejaVu Sans, sans-serif\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";

    for (const auto& [layerId, models] : byLayer) {
        const LayerStats& stats = inspection.layers.at(layerId);
        const LayerStyle style = layerStyle(layerId, stats.name);
        svg += "<g id=\"layer-" + std::to_string(layerId) + "\" data-name=\"" +
               escapeMarkup(stats.name) + "\">\n";

        std::string areas;
        for (const BuiltModel* m : models) appendAreas(areas, *m, view);
        if (!areas.empty())
            svg += "<path fill=\"" + style.fill.hex() + "\" d=\"" + areas + "\"/>\n";

        // Lines grouped by the width their model asks for.
        std::map<float, std::string> lines;
        for (const BuiltModel* m : models) {
            const float width = std::max(m->model->lines.width, style.minLineWidth);
            appendLines(lines[width], *m, view);
        }
        for (int pass = style.cased ? 0 : 1; pass < 2; ++pass) {
            for (const auto& [width, d] : lines) {
                if (d.empty()) continue;
                const double px =
                    std::max(width * view.scale, minStrokePx) + (pass == 0 ? 1.5 : 0.0);
                const Rgb& colour = pass == 0 ? style.casing : style.stroke;
                svg += "<path fill=\"none\" stroke=\"" + colour.hex() + "\" stroke-width=\"" +
                       number(px) + "\" stroke-linecap=\"round\" d=\"" + d + "\"/>\n";
            }
        }

        std::string dots;
        for (const BuiltModel* m : models) {
            for (const glm::vec2& p : m->model->points) {
                const glm::vec2 world = m->origin + p;
                if (!finite(world)) continue;
                const glm::dvec2 px = view.toPx(world);
                dots += "<circle cx=\"" + number(px.x) + "\" cy=\"" + number(px.y) + "\" r=\"3\"/>";
            }
        }
        if (!dots.empty()) {
            svg += "<g fill=\"" + style.fill.hex() + "\" stroke=\"#ffffff\" stroke-width=\"1\">" +
                   dots + "</g>\n";
        }
        svg += "</g>\n";
    }

    // Cell borders, so that a person sees the tiles.
    if (drawableGrid(grid)) {
        std::string d;
        const double size = grid.bounds.width() / grid.cellsInRow;
        const double x1 = std::min(grid.bounds.x1, grid.bounds.x2);
        const double y1 = std::min(grid.bounds.y1, grid.bounds.y2);
        for (int i = 0; i <= grid.cellsInRow; ++i) {
            const auto x = static_cast<float>(x1 + i * size);
            appendPoint(d, 'M', view.toPx({x, static_cast<float>(y1)}));
            appendPoint(d, 'L', view.toPx({x, static_cast<float>(y1 + grid.cellsInCol * size)}));
        }
        for (int j = 0; j <= grid.cellsInCol; ++j) {
            const auto y = static_cast<float>(y1 + j * size);
            appendPoint(d, 'M', view.toPx({static_cast<float>(x1), y}));
            appendPoint(d, 'L', view.toPx({static_cast<float>(x1 + grid.cellsInRow * size), y}));
        }
        svg +=
            "<path fill=\"none\" stroke=\"#7a7a7a\" stroke-width=\"1\" stroke-dasharray=\"6 6\" "
            "d=\"" +
            d + "\"/>\n";
    }

    // Labels last, with a halo, so that no layer covers them.
    const TopViewLabels labels = topViewLabels(inspection, view);
    summary.labelCandidates = labels.candidates.size();
    summary.labelsDrawn = labels.kept.size();
    svg += "<g fill=\"#222222\" stroke=\"#ffffff\" stroke-width=\"" + std::to_string(kLabelHaloPx) +
           "\" paint-order=\"stroke\" stroke-linejoin=\"round\" text-anchor=\"middle\" "
           "dominant-baseline=\"middle\">\n";
    for (const size_t k : labels.kept) {
        const LabelCandidate& c = labels.candidates[k];
        const bool road = labels.roads[k];
        const glm::dvec2 px(c.centre.x, -c.centre.y);
        svg += "<text x=\"" + number(px.x) + "\" y=\"" + number(px.y) + "\" font-size=\"" +
               std::to_string(road ? kRoadFontPx : kPlaceFontPx) + "\"" +
               (road ? "" : " font-weight=\"bold\"");
        // SVG turns clockwise with y down, the model counter-clockwise with y up.
        if (c.angle != 0.0f) {
            svg += " transform=\"rotate(" + number(-c.angle) + " " + number(px.x) + " " +
                   number(px.y) + ")\"";
        }
        // Appended piece by piece: gcc 12 warns, wrongly, of an overlap in ">" + text.
        svg += '>';
        svg += escapeMarkup(c.text);
        svg += "</text>\n";
    }
    svg += "</g>\n";

    // Legend: one swatch per layer that produced models.
    std::string legend;
    int row = 0;
    for (const auto& [layerId, stats] : inspection.layers) {
        if (stats.models == 0) continue;
        const LayerStyle style = layerStyle(layerId, stats.name);
        const int y = 12 + row * 18;
        legend += "<rect x=\"10\" y=\"" + std::to_string(y) +
                  "\" width=\"14\" height=\"12\" fill=\"" + style.fill.hex() + "\" stroke=\"" +
                  style.stroke.hex() + "\"/>";
        legend += "<text x=\"30\" y=\"" + std::to_string(y + 10) + "\">" +
                  escapeMarkup(stats.name) + " (" + std::to_string(stats.models) + ")</text>\n";
        ++row;
    }
    if (row > 0) {
        svg +=
            "<g font-size=\"12\" fill=\"#222222\"><rect x=\"4\" y=\"4\" width=\"170\" height=\"" +
            std::to_string(row * 18 + 10) +
            "\" fill=\"#ffffff\" fill-opacity=\"0.85\" stroke=\"#999999\"/>\n" + legend + "</g>\n";
    }
    svg += "</svg>\n";
    return svg;
}

bool writeSvg(const Inspection& inspection, const pack::PackGrid& grid, const std::string& path,
              const SvgOptions& options, SvgSummary& summary, std::string& error) {
    const std::string svg = svgDocument(inspection, grid, options, summary);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << svg;
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace quorvan::inspect
