#include "model/geometry_types.h"

#include <array>
#include <map>

#include "model/builders/builders.h"

namespace quorvan::builders {

namespace {

// The released form of a builder: the call record's blob, its own bytes, and
// the record's request. No builder reads the viewport, which a caller may
// leave null.
template <Builder build>
void overOwnBytes(S_ModelBlobData* data) {
    static const ViewportPolygon noViewport;
    const RequestContext request{*data->model, data->origin, data->filter,
                                 data->viewport ? *data->viewport : noViewport};
    build(viewOf(*data->blob), request);
}

// One row: the builder (and the released form made from it), its planner and
// its transport role.
template <Builder build>
GeometryType row(int32_t code, SizePlanner plan, TransportRole transport) {
    return GeometryType(code, overOwnBytes<build>, build, plan, transport);
}

const std::map<int32_t, GeometryType>& geometryTypeFunctions() {
    // Created once under the runtime's thread-safe static initialisation and
    // only read afterwards, so makers on different threads can share it.
    static const std::map<int32_t, GeometryType> table = [] {
        using namespace blob_geometry;
        using enum TransportRole;
        // clang-format off
        const GeometryType rows[] = {
            //  builder                          code                           size planner                  transport
            row<modelTriangleStrips>           (TRIANGLE_STRIPS,               planTriangleStrips,           Flushes),
            row<modelIndexedTriangleStrips>    (INDEXED_TRIANGLE_STRIPS,       planIndexedTriangleStrips,    Flushes),
            row<modelFlatTriangleStrip>        (FLAT_TRIANGLE_STRIP,           planFlatTriangleStrip,        Flushes),
            row<modelIndexedFlatTriangleStrip> (INDEXED_FLAT_TRIANGLE_STRIPS,  planIndexedFlatTriangleStrip, Flushes),
            row<modelFlatLineStrip>            (FLAT_LINE_STRIP,               planFlatLineStrip,            Flushes),
            row<modelLines>                    (LINES,                         planLines,                    Flushes),
            row<modelIndexedLines>             (INDEXED_LINES,                 planIndexedLines,             Flushes),
            row<modelPoints>                   (POINTS,                        planPoints,                   Independent),
            row<modelText>                     (TEXT_DATA,                     nullptr,                      Independent),
            row<modelRailroad>                 (RAILROAD_PATH,                 planPathLines,                Railway),
            row<modelTramPath>                 (TRAM_PATH,                     planFlatLineStrip,            Flushes),
            row<modelRoadPath>                 (ROAD_PATH,                     planPathLines,                Road),
            row<modelBridge>                   (BRIDGE,                        planBridge,                   Bridge),
            row<modelFlatTriangleFan>          (FLAT_TRIANGLE_FAN,             planFlatTriangleFan,          Flushes),
            row<modelTriangleFan>              (TRIANGLE_FAN,                  planTriangleFan,              Flushes),
            row<modelOnPolygonFlatTriangleFan> (ON_POLYGON_FLAT_TRIANGLE_FAN,  planFlatTriangleFan,          Flushes),
            row<modelOnPolygonTriangleFan>     (ON_POLYGON_TRIANGLE_FAN,       planTriangleFan,              Flushes),
            row<modelCellPolygon>              (CELL_POLYGON,                  nullptr,                      Flushes),
            row<modelLabelSegments>            (LABEL_STYLE_SEGMENTS,          nullptr,                      Independent),
        };
        // clang-format on
        std::map<int32_t, GeometryType> t;
        for (const GeometryType& r : rows) t.emplace(r.type, r);
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
        for (const auto& [type, row] : geometryTypeFunctions())
            index[static_cast<size_t>(type)] = &row;
        return index;
    }();
    return code >= 0 && code < kCodes ? byCode[static_cast<size_t>(code)] : nullptr;
}

}  // namespace quorvan::builders
