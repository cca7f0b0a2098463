#pragma once

// The parsed form of a mapping document. Internal to the vector-tile mapping.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "vectortile/reader.h"

namespace quorvan::vectortile {

// The feature's value of `key`, as text, is one of `values`.
struct Condition {
    std::string key;
    std::vector<std::string> values;
};

// Per value of one attribute: a code (label category and style id) and a
// line width, with defaults for other values.
struct Table {
    std::string key;
    std::map<std::string, std::pair<int32_t, int32_t>, std::less<>> rows;
    int32_t code = 0;
    int32_t width = 0;
};

enum class OutputKind : uint8_t {
    AREA,      // polygons: indexed strips, or fans where they fit
    PATH,      // lines: one width path per piece inside the tile
    POINTS,    // points inside the tile, one request per tile
    SEGMENTS,  // lines: label segments with the feature's names
    TEXT,      // points inside the tile: a label block with the feature's names
};

struct Output {
    OutputKind kind = OutputKind::AREA;
    int32_t layer = 0;
    int32_t type = 0;  // blob_geometry code
    std::vector<Condition> when;
    // AREA
    bool fans = false;          // convex or star-shaped rings without holes as fans
    bool clipOutlines = false;  // outline the edges along the tile's clip boundary too
    std::string heightKey;
    std::string minHeightKey;
    // PATH: a fixed width, or the table's width for the feature scaled
    int32_t width = 0;
    int32_t table = -1;  // index into MappingRules::tables
    double widthScale = 1.0;
    // SEGMENTS
    std::string codeKey;
    uint8_t segmentKind = 0;
};

struct Rule {
    std::vector<Condition> when;
    std::vector<Output> outputs;
};

struct Source {
    std::string layer;
    GeomType geometry = GeomType::UNKNOWN;
    std::vector<Rule> rules;
};

struct NameKey {
    std::string key;
    uint16_t variant = 0;
};

struct MappingRules {
    std::map<int32_t, std::string> layerNames;
    std::vector<NameKey> names;  // the first is the local name, variant 0
    std::vector<Table> tables;
    bool cell = false;  // one CELL_POLYGON request per tile
    int32_t cellLayer = 0;
    std::vector<Source> sources;
};

}  // namespace quorvan::vectortile
