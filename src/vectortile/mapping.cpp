#include "vectortile/mapping.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>

#include <pugixml.hpp>

#include "model/glmodel.h"
#include "vectortile/mapping_rules.h"

namespace quorvan::vectortile {

extern const unsigned char kDefaultMappingDocument[];
extern const size_t kDefaultMappingSize;

namespace {

struct Refusal {
    std::string what;
    pugi::xml_node node;
};

std::string describe(const pugi::xml_node& node) {
    return "<" + std::string(node.name()) + ">";
}

[[noreturn]] void refuse(const pugi::xml_node& node, const std::string& what) {
    throw Refusal{describe(node) + ": " + what, node};
}

std::string_view text(const pugi::xml_node& node, const char* name, bool required) {
    const pugi::xml_attribute a = node.attribute(name);
    if (!a && required) refuse(node, std::string("needs the attribute ") + name);
    return a.value();
}

template <typename T>
T integer(const pugi::xml_node& node, const char* name, T min, T max, T fallback, bool required) {
    const std::string_view v = text(node, name, required);
    if (v.empty() && !required) return fallback;
    int64_t value = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), value);
    if (r.ec != std::errc() || r.ptr != v.data() + v.size() || value < min || value > max) {
        refuse(node, std::string(name) + " is not a whole number in " + std::to_string(min) + ".." +
                         std::to_string(max));
    }
    return static_cast<T>(value);
}

std::vector<std::string> words(std::string_view list) {
    std::vector<std::string> out;
    std::istringstream in{std::string(list)};
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::vector<Condition> conditions(const pugi::xml_node& parent) {
    std::vector<Condition> out;
    for (const pugi::xml_node& when : parent.children("when")) {
        out.push_back({std::string(text(when, "key", true)), words(text(when, "in", true))});
    }
    return out;
}

int32_t typeCode(const pugi::xml_node& node, std::string_view name) {
    static const std::map<std::string_view, int32_t> codes = {
        {"INDEXED_TRIANGLE_STRIPS", blob_geometry::INDEXED_TRIANGLE_STRIPS},
        {"INDEXED_FLAT_TRIANGLE_STRIPS", blob_geometry::INDEXED_FLAT_TRIANGLE_STRIPS},
        {"FLAT_LINE_STRIP", blob_geometry::FLAT_LINE_STRIP},
        {"RAILROAD_PATH", blob_geometry::RAILROAD_PATH},
        {"TRAM_PATH", blob_geometry::TRAM_PATH},
        {"ROAD_PATH", blob_geometry::ROAD_PATH},
        {"BRIDGE", blob_geometry::BRIDGE}};
    const auto it = codes.find(name);
    if (it == codes.end()) refuse(node, "type '" + std::string(name) + "' does not fit it");
    return it->second;
}

class Parser {
public:
    explicit Parser(MappingRules& rules) : rules_(rules) {}

    void parse(const pugi::xml_node& root) {
        if (std::string_view(root.name()) != "vector-tile-mapping") {
            refuse(root, "the document's root must be <vector-tile-mapping>");
        }
        // Tables first: outputs name them wherever they stand.
        for (const pugi::xml_node& t : root.children("table")) table(t);
        for (const pugi::xml_node& child : root.children()) {
            if (child.type() != pugi::node_element) continue;
            const std::string_view name = child.name();
            if (name == "layer") {
                rules_.layerNames[integer<int32_t>(child, "id", INT32_MIN, INT32_MAX, 0, true)] =
                    text(child, "name", true);
            } else if (name == "names") {
                for (const pugi::xml_node& n : child.children("name")) {
                    rules_.names.push_back({std::string(text(n, "key", true)),
                                            integer<uint16_t>(n, "variant", 0, 0xffff, 0, true)});
                }
                if (!rules_.names.empty() && rules_.names[0].variant != 0) {
                    refuse(child, "the first name is the local name, variant 0");
                }
            } else if (name == "cell") {
                rules_.cell = true;
                rules_.cellLayer = integer<int32_t>(child, "layer", INT32_MIN, INT32_MAX, 0, true);
            } else if (name == "source") {
                source(child);
            } else if (name != "table") {
                refuse(child, "unknown element");
            }
        }
    }

private:
    void table(const pugi::xml_node& node) {
        const std::string name(text(node, "name", true));
        if (tableIndex_.count(name) != 0) refuse(node, "table '" + name + "' named twice");
        Table t;
        t.key = text(node, "key", true);
        t.code = integer<int32_t>(node, "code", INT32_MIN, INT32_MAX, 0, false);
        t.width = integer<int32_t>(node, "width", 0, 255, 0, false);
        for (const pugi::xml_node& row : node.children("row")) {
            t.rows[std::string(text(row, "value", true))] = {
                integer<int32_t>(row, "code", INT32_MIN, INT32_MAX, t.code, false),
                integer<int32_t>(row, "width", 0, 255, t.width, false)};
        }
        tableIndex_[name] = static_cast<int32_t>(rules_.tables.size());
        rules_.tables.push_back(std::move(t));
    }

    int32_t tableNamed(const pugi::xml_node& node, const char* attribute) {
        const std::string name(text(node, attribute, true));
        const auto it = tableIndex_.find(name);
        if (it == tableIndex_.end()) refuse(node, "no table named '" + name + "'");
        return it->second;
    }

    void source(const pugi::xml_node& node) {
        Source s;
        s.layer = text(node, "layer", true);
        const std::string_view geometry = text(node, "geometry", true);
        if (geometry == "point") {
            s.geometry = GeomType::POINT;
        } else if (geometry == "line") {
            s.geometry = GeomType::LINESTRING;
        } else if (geometry == "polygon") {
            s.geometry = GeomType::POLYGON;
        } else {
            refuse(node, "geometry is point, line or polygon");
        }
        for (const pugi::xml_node& r : node.children()) {
            if (r.type() != pugi::node_element) continue;
            if (std::string_view(r.name()) != "rule") refuse(r, "unknown element");
            Rule rule;
            rule.when = conditions(r);
            for (const pugi::xml_node& o : r.children()) {
                if (o.type() != pugi::node_element || std::string_view(o.name()) == "when") {
                    continue;
                }
                rule.outputs.push_back(output(o, s.geometry));
            }
            s.rules.push_back(std::move(rule));
        }
        rules_.sources.push_back(std::move(s));
    }

    Output output(const pugi::xml_node& node, GeomType geometry) {
        Output o;
        o.layer = integer<int32_t>(node, "layer", INT32_MIN, INT32_MAX, 0, true);
        o.when = conditions(node);
        const std::string_view name = node.name();
        const auto needs = [&](GeomType g, const char* what) {
            if (geometry != g) refuse(node, std::string("belongs in a source of ") + what);
        };
        if (name == "area") {
            needs(GeomType::POLYGON, "polygons");
            o.kind = OutputKind::AREA;
            o.type = typeCode(node, text(node, "type", true));
            if (o.type != blob_geometry::INDEXED_TRIANGLE_STRIPS &&
                o.type != blob_geometry::INDEXED_FLAT_TRIANGLE_STRIPS) {
                refuse(node, "an area is INDEXED_TRIANGLE_STRIPS or INDEXED_FLAT_TRIANGLE_STRIPS");
            }
            o.fans = text(node, "fans", false) == "true";
            o.heightKey = text(node, "height-key", false);
            o.minHeightKey = text(node, "min-height-key", false);
            // An extruded ring's outline is read as one closed ring, so only
            // flat areas can leave the clip edges out.
            const std::string_view clip = text(node, "clip-edges", false);
            if (clip == "outline" || o.type == blob_geometry::INDEXED_TRIANGLE_STRIPS) {
                if (clip == "none") refuse(node, "an extruded area outlines its whole ring");
                o.clipOutlines = true;
            } else if (!clip.empty() && clip != "none") {
                refuse(node, "clip-edges is none or outline");
            }
        } else if (name == "path") {
            needs(GeomType::LINESTRING, "lines");
            o.kind = OutputKind::PATH;
            o.type = typeCode(node, text(node, "type", true));
            if (o.type == blob_geometry::INDEXED_TRIANGLE_STRIPS ||
                o.type == blob_geometry::INDEXED_FLAT_TRIANGLE_STRIPS) {
                refuse(node, "a path is a line type");
            }
            if (node.attribute("width-table")) {
                o.table = tableNamed(node, "width-table");
                const std::string_view scale = text(node, "width-scale", false);
                if (!scale.empty()) {
                    const auto r =
                        std::from_chars(scale.data(), scale.data() + scale.size(), o.widthScale);
                    if (r.ec != std::errc() || !(o.widthScale >= 0 && o.widthScale <= 255)) {
                        refuse(node, "width-scale is a number in 0..255");
                    }
                }
            } else {
                o.width = integer<int32_t>(node, "width", 0, 255, 0, false);
            }
        } else if (name == "points") {
            needs(GeomType::POINT, "points");
            o.kind = OutputKind::POINTS;
            o.type = blob_geometry::POINTS;
        } else if (name == "text") {
            needs(GeomType::POINT, "points");
            o.kind = OutputKind::TEXT;
            o.type = blob_geometry::TEXT_DATA;
        } else if (name == "segments") {
            needs(GeomType::LINESTRING, "lines");
            o.kind = OutputKind::SEGMENTS;
            o.type = blob_geometry::LABEL_STYLE_SEGMENTS;
            o.table = node.attribute("table") ? tableNamed(node, "table") : -1;
            o.codeKey = text(node, "code-key", false);
            o.segmentKind = integer<uint8_t>(node, "kind", 0, 255, 0, false);
        } else {
            refuse(node, "unknown output");
        }
        return o;
    }

    MappingRules& rules_;
    std::map<std::string, int32_t> tableIndex_;
};

}  // namespace

C_VectorTileMapping::C_VectorTileMapping(std::unique_ptr<const MappingRules> rules)
    : rules_(std::move(rules)) {}
C_VectorTileMapping::~C_VectorTileMapping() = default;

const std::map<int32_t, std::string>& C_VectorTileMapping::layerNames() const {
    return rules_->layerNames;
}

S_MappingLoad loadMapping(std::string_view document) {
    S_MappingLoad load;
    pugi::xml_document xml;
    const pugi::xml_parse_result parsed =
        xml.load_buffer(document.data(), document.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        load.error = std::string("not a well-formed document: ") + parsed.description();
        load.offset = static_cast<uint64_t>(parsed.offset);
        return load;
    }
    auto rules = std::make_unique<MappingRules>();
    try {
        Parser(*rules).parse(xml.document_element());
    } catch (const Refusal& refusal) {
        load.error = refusal.what;
        const ptrdiff_t at = refusal.node.offset_debug();
        load.offset = at > 0 ? static_cast<uint64_t>(at) : 0;
        return load;
    }
    load.mapping = std::make_unique<C_VectorTileMapping>(std::move(rules));
    return load;
}

S_MappingLoad loadMappingFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        S_MappingLoad load;
        load.error = "cannot read the mapping file";
        return load;
    }
    const std::string document((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    return loadMapping(document);
}

const C_VectorTileMapping& defaultMapping() {
    // The shipped document is checked by the tests; a fault in it would be
    // a build error, so the static is made from a loaded mapping or none.
    static const std::unique_ptr<C_VectorTileMapping> mapping = [] {
        S_MappingLoad load = loadMapping(std::string_view(
            reinterpret_cast<const char*>(kDefaultMappingDocument), kDefaultMappingSize));
        return load.mapping
                   ? std::move(load.mapping)
                   : std::make_unique<C_VectorTileMapping>(std::make_unique<const MappingRules>());
    }();
    return *mapping;
}

}  // namespace quorvan::vectortile
