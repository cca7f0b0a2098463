#include "inspect/tables.h"

#include <algorithm>
#include <cstdio>

namespace quorvan::inspect {

namespace {

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
