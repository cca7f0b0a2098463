#pragma once

// Mapbox Vector Tiles (2.1, protobuf) read from untrusted bytes.
//
// readVectorTile decodes a whole tile once: every layer, key, value, tag and
// geometry command is checked, and a tile that breaks the wire format or the
// tile's own rules is refused as a whole, with what is wrong and the byte
// offset where it was found. Nothing read is trusted for an allocation: every
// list grows with the bytes it is read from, so a tile of n bytes never makes
// the reader hold more than a small multiple of n. Names, keys and string
// values are views into the caller's bytes, which must outlive the result.
//
// Geometry is decoded into tile coordinates (x east, y south, 0..extent
// inside the tile, buffer beyond). Each MoveTo starts a part; a ClosePath
// repeats the part's first point at its end, so a ring comes out closed.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <meshory/export.h>

namespace quorvan::vectortile {

enum class GeomType : uint8_t { UNKNOWN = 0, POINT = 1, LINESTRING = 2, POLYGON = 3 };

// One value of a layer's value table.
struct S_Value {
    enum class Kind : uint8_t { NONE, STRING, FLOAT, DOUBLE, INT, UINT, BOOL };
    Kind kind = Kind::NONE;
    std::string_view text;         // STRING
    double number = 0.0;           // FLOAT, DOUBLE, INT, UINT (as a double), BOOL (0 or 1)
    int64_t integer = 0;           // INT
    uint64_t unsignedInteger = 0;  // UINT
    bool flag = false;             // BOOL

    // The value as text: a string as it is, a bool as "true" or "false",
    // an integer in decimal, a float in its shortest round-trip form.
    std::string toText() const;
};

struct S_TilePoint {
    int64_t x = 0;
    int64_t y = 0;
};

struct S_Feature {
    uint64_t id = 0;
    GeomType type = GeomType::UNKNOWN;
    uint32_t firstTag = 0;  // pairs (key index, value index) in S_Layer::tags, checked
    uint32_t tagCount = 0;
    uint32_t firstPart = 0;  // parts in S_Layer::partEnds
    uint32_t partCount = 0;
};

struct S_Layer {
    std::string_view name;
    uint32_t version = 1;
    uint32_t extent = 4096;
    std::vector<std::string_view> keys;
    std::vector<S_Value> values;
    std::vector<S_Feature> features;
    std::vector<uint32_t> tags;      // key, value, key, value, ...
    std::vector<uint32_t> partEnds;  // end of each part in points
    std::vector<S_TilePoint> points;

    // The points of part p of the layer.
    std::span<const S_TilePoint> part(uint32_t p) const;
    // The value of `key` on the feature, or null.
    const S_Value* find(const S_Feature& feature, std::string_view key) const;
};

struct S_VectorTile {
    bool ok = false;
    std::string error;         // ASCII, when !ok
    uint64_t errorOffset = 0;  // byte offset into the tile, when !ok
    std::vector<S_Layer> layers;

    // The last layer of that name (a later layer of the same name hides an
    // earlier one), or null.
    const S_Layer* layer(std::string_view name) const;
};

// Reads a whole tile. Refuses (ok false, no layers) bytes that are not a
// well-formed tile: a bad varint or length, a field of a known number with
// the wrong wire type, a layer without name or with extent 0 or a version
// other than 1 and 2, a tag list of odd length or with an index past the
// key or value table, a geometry command other than MoveTo, LineTo and
// ClosePath, a command whose parameters run past the geometry, a LineTo or
// ClosePath before any MoveTo, a ClosePath with a count other than 1.
// Never throws but std::bad_alloc.
MESHORY_API S_VectorTile readVectorTile(std::span<const uint8_t> bytes);

}  // namespace quorvan::vectortile
