#include "model/geometry_types.h"

#include <array>
#include <map>

#include "model/builders/builders.h"

namespace quorvan::builders {

namespace {

const std::map<int32_t, GeometryType>& geometryTypeFunctions() {
    // Created once under the runtime's thread-safe static initialisation and
    // only read afterwards, so makers on different threads can share it.
    static const std::map<int32_t, GeometryType> table = [] {
        using namespace blob_geometry;
        using enum TransportRole;
        // clang-format off
        const GeometryType rows[] = {
            // code                          builder                          size planner                  transport
            {TRIANGLE_STRIPS,                modelTriangleStrips,             planTriangleStrips,           Flushes},
            {INDEXED_TRIANGLE_STRIPS,        modelIndexedTriangleStrips,      planIndexedTriangleStrips,    Flushes},
            {FLAT_TRIANGLE_STRIP,            modelFlatTriangleStrip,          planFlatTriangleStrip,        Flushes},
            {INDEXED_FLAT_TRIANGLE_STRIPS,   modelIndexedFlatTriangleStrip,   planIndexedFlatTriangleStrip, Flushes},
            {FLAT_LINE_STRIP,                modelFlatLineStrip,              planFlatLineStrip,            Flushes},
            {LINES,                          modelLines,                      planLines,                    Flushes},
            {INDEXED_LINES,                  modelIndexedLines,               planIndexedLines,             Flushes},
            {POINTS,                         modelPoints,                     planPoints,                   Independent},
            {TEXT_DATA,                      modelText,                       nullptr,                      Independent},
            {RAILROAD_PATH,                  modelRailroad,                   planPathLines,                Railway},
            {TRAM_PATH,                      modelTramPath,                   planFlatLineStrip,            Flushes},
            {ROAD_PATH,                      modelRoadPath,                   planPathLines,                Road},
            {BRIDGE,                         modelBridge,                     planBridge,                   Bridge},
            {FLAT_TRIANGLE_FAN,              modelFlatTriangleFan,            planFlatTriangleFan,          Flushes},
            {TRIANGLE_FAN,                   modelTriangleFan,                planTriangleFan,              Flushes},
            {ON_POLYGON_FLAT_TRIANGLE_FAN,   modelOnPolygonFlatTriangleFan,   planFlatTriangleFan,          Flushes},
            {ON_POLYGON_TRIANGLE_FAN,        modelOnPolygonTriangleFan,       planTriangleFan,              Flushes},
            {CELL_POLYGON,                   modelCellPolygon,                nullptr,                      Flushes},
            {LABEL_STYLE_SEGMENTS,           modelLabelSegments,              nullptr,                      Independent},
        };
        // clang-format on
        std::map<int32_t, GeometryType> t;
        for (const GeometryType& row : rows) t.emplace(row.type, row);
        return t;
    }();
    return table;
}

}  // namespace

const GeometryType* geometryType(int32_t code) {
    // The maker and the request plan look up every blob: index the rows by
    // code once, so that a lookup is one load instead of a tree walk.
    constexpr int32_t kCodes = blob_geometry::LABEL_STYLE_SEGMENTS + 1;
    static const std::array<const GeometryType*, kCodes> byCode = [] {
        std::array<const GeometryType*, kCodes> index{};
        for (const auto& [type, row] : geometryTypeFunctions()) index[static_cast<size_t>(type)] = &row;
        return index;
    }();
    return code >= 0 && code < kCodes ? byCode[static_cast<size_t>(code)] : nullptr;
}

}  // namespace quorvan::builders
