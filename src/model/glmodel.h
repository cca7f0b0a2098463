#pragma once

// The plain records that carry a tile's geometry from the host to the
// builders and back: blobs in, models out. Behaviour lives elsewhere.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <meshory/export.h>

namespace quorvan {

// Geometry type codes of S_BlobData::type. Codes without a builder (19..100,
// above 101, below 1) are skipped by makeModel. What a code does (its
// builder, its size plan, its part in transport paths) is one row of the
// maker's geometry-type table.
namespace blob_geometry {
constexpr int32_t TRIANGLE_STRIPS = 1;
constexpr int32_t INDEXED_TRIANGLE_STRIPS = 2;
constexpr int32_t FLAT_TRIANGLE_STRIP = 3;
constexpr int32_t INDEXED_FLAT_TRIANGLE_STRIPS = 4;
constexpr int32_t FLAT_LINE_STRIP = 5;
constexpr int32_t LINES = 6;
constexpr int32_t INDEXED_LINES = 7;
constexpr int32_t POINTS = 8;
constexpr int32_t TEXT_DATA = 9;
constexpr int32_t RAILROAD_PATH = 10;
constexpr int32_t TRAM_PATH = 11;
constexpr int32_t ROAD_PATH = 12;
constexpr int32_t BRIDGE = 13;
constexpr int32_t FLAT_TRIANGLE_FAN = 14;
constexpr int32_t TRIANGLE_FAN = 15;
constexpr int32_t ON_POLYGON_FLAT_TRIANGLE_FAN = 16;
constexpr int32_t ON_POLYGON_TRIANGLE_FAN = 17;
constexpr int32_t CELL_POLYGON = 18;
constexpr int32_t LABEL_STYLE_SEGMENTS = 101;
}  // namespace blob_geometry

// One geometry record of a tile as the host supplied it.
struct MESHORY_API S_BlobData {
    int32_t type = 0;           // geometry type code (blob_geometry), selects the builder
    std::vector<uint8_t> data;  // payload bytes, laid out per type
    uint64_t id = 0;            // host identifier of the record
    int32_t layerId = 0;        // models are grouped by it
    int32_t cellIndex = 0;      // grid cell: column << 16 | row

    // Note the argument order differs from the field order.
    S_BlobData(uint64_t id, int32_t type, int32_t layerId, int32_t cellIndex,
               const std::vector<uint8_t>& payload)
        : type(type), data(payload), id(id), layerId(layerId), cellIndex(cellIndex) {}
};

// Ground-plane region of a model request, in model coordinates. Handed to
// every builder unchanged; no builder reads it today.
struct MESHORY_API ViewportPolygon {
    std::vector<glm::vec2> points;
};

// Which labelled items a request wants. An empty set restricts nothing.
struct MESHORY_API LoadFilter {
    std::set<uint16_t> variants;
    std::set<uint8_t> categories;
    // Reserved by the format for a further id restriction; no builder reads it.
    std::set<uint32_t> reserved;
    std::set<uint32_t> styleIds;

    LoadFilter() = default;
    explicit LoadFilter(unsigned short variant) { variants.insert(variant); }
};

// OpenGL primitive codes of the geometry records' `mode`; 0 until a builder sets one.
inline constexpr uint32_t MODE_LINES = 1;
inline constexpr uint32_t MODE_TRIANGLES = 4;
inline constexpr uint32_t MODE_TRIANGLE_STRIP = 5;

// The area part of a model. `mode` is the OpenGL primitive of `vertices`:
// MODE_TRIANGLES or MODE_TRIANGLE_STRIP, 0 until a builder sets it.
// Flat builders write no normals, so `normals` may be shorter than `vertices`.
// How builders switch a record between the two: model/builders/polygon_modes.h.
struct MESHORY_API S_GeometryPolygons {
    std::vector<glm::vec3> vertices;
    std::vector<glm::vec3> normals;
    uint32_t mode = 0;
};

// Whether the vertices read as one triangle strip. Every other mode, 0
// included, reads as a triangle list: the one test every reader of a record
// applies before drawing or converting it.
inline bool isTriangleStrip(const S_GeometryPolygons& polygons) {
    return polygons.mode == MODE_TRIANGLE_STRIP;
}

// The line part of a model: two vertices per segment (MODE_LINES once set).
struct MESHORY_API S_GeometryLines {
    std::vector<glm::vec3> vertices;
    uint32_t mode = 0;
    float width = 0.0f;
};

// One labelled polyline filed in a model.
struct MESHORY_API SegmentLine {
    std::vector<glm::vec2> points;
    int16_t code = 0;
};

// One decoded item of a LABEL_STYLE_SEGMENTS payload.
struct MESHORY_API SegmentLineElement {
    uint16_t variant = 0;
    uint8_t category = 0;
    int32_t styleId = 0;
    int32_t code = 0;
    uint8_t kind = 0;               // 1 road segment, 2 point segment
    std::string text;               // raw bytes, not validated
    std::vector<glm::vec2> points;  // already reduced by the origin
};

// One decoded text of a TEXT_DATA payload; position not yet reduced by the origin.
struct MESHORY_API S_Label {
    glm::vec2 position{0.0f, 0.0f};
    uint16_t variant = 0;
    std::string text;
};

// The result of one model request.
struct MESHORY_API S_Model {
    uint64_t id = 0;
    int32_t cellIndex = 0;
    int32_t layerId = 0;
    float height = 0.0f;
    S_GeometryPolygons polygons;
    S_GeometryLines lines;
    std::vector<glm::vec2> paths;  // merged transport polyline
    std::vector<glm::vec2> points;
    std::map<int32_t, std::vector<SegmentLine>> roadSegments;
    std::map<int32_t, std::vector<SegmentLine>> pointSegments;
    std::string label;
    glm::vec3 labelPosition{0.0f, 0.0f, 0.0f};
};

// Everything one builder call receives. Borrowed pointers live for the call only.
struct MESHORY_API S_ModelBlobData {
    const S_BlobData* blob = nullptr;
    const ViewportPolygon* viewport = nullptr;
    glm::vec3 origin{0.0f, 0.0f, 0.0f};
    LoadFilter filter;
    S_Model* model = nullptr;
};

// A builder of the geometry-type table: decodes the payload of `data->blob`
// with the origin as offset, adds to `data->model` and keeps no pointer into
// `data` after returning.
using GeometryBuilder = void (*)(S_ModelBlobData*);

// A code and its builder: the part of a geometry-type row a native caller sees.
struct MESHORY_API S_GeometryTypeFunction {
    int32_t type = 0;
    GeometryBuilder fn = nullptr;

    S_GeometryTypeFunction() = default;
    S_GeometryTypeFunction(const int32_t& type, GeometryBuilder fn) : type(type), fn(fn) {}
};

}  // namespace quorvan
