#pragma once

// Which vector-tile features become which blobs: a mapping document
// (docs/vector-tile-mapping.md), loaded once and reused for every tile.
//
// A mapping lists sources (a source layer and a geometry kind) in the order
// they are built; each source holds rules, of which a feature takes the
// first whose conditions hold; a rule's outputs say which geometry type and
// layer id the feature becomes, and which attributes give its height,
// minimum height, label texts in which languages, and line widths and codes.
// A mapping is immutable once loaded: any number of threads may use one.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <meshory/export.h>

namespace quorvan::vectortile {

struct MappingRules;

class MESHORY_API C_VectorTileMapping {
public:
    explicit C_VectorTileMapping(std::unique_ptr<const MappingRules> rules);
    ~C_VectorTileMapping();
    C_VectorTileMapping(const C_VectorTileMapping&) = delete;
    C_VectorTileMapping& operator=(const C_VectorTileMapping&) = delete;

    // Layer ids and their names, as the document names them.
    const std::map<int32_t, std::string>& layerNames() const;
    const MappingRules& rules() const { return *rules_; }

private:
    std::unique_ptr<const MappingRules> rules_;
};

struct S_MappingLoad {
    std::unique_ptr<C_VectorTileMapping> mapping;  // null when refused
    std::string error;                             // ASCII, when refused
    uint64_t offset = 0;  // byte offset into the document where the fault was found
};

// Loads a mapping document. Refuses, naming the element and its byte
// offset, a document that is not well-formed XML, an unknown element or
// geometry type, an output whose geometry type does not fit its source's
// geometry, a layer id or number out of range, a table named twice or not
// at all. Never throws but std::bad_alloc.
MESHORY_API S_MappingLoad loadMapping(std::string_view document);
// loadMapping of a file's contents; a file that cannot be read is refused.
MESHORY_API S_MappingLoad loadMappingFile(const std::string& path);

// The shipped mapping (examples/sanfrancisco.mapping.xml, compiled in): the
// Mapbox Streets v7 schema as the sample pack was made from it. Made once,
// on first use, and shared.
MESHORY_API const C_VectorTileMapping& defaultMapping();

}  // namespace quorvan::vectortile
