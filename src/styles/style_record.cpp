#include "styles/style_record.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include <glm/vec3.hpp>

namespace quorvan {

C_GeoStyle::C_GeoStyle() = default;

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Hand-rolled rather than a hex stream extraction: a stream reads through the
// global locale, which the host process may have changed.
glm::vec3 hexToRGB(const std::string& hex) {
    if (hex.empty() || hex[0] != '#') return glm::vec3(0.0f);

    size_t i = 1;
    while (i < hex.size() && isBlank(hex[i])) ++i;

    constexpr uint64_t limit = std::numeric_limits<uint32_t>::max();
    uint64_t value = 0;
    for (; i < hex.size(); ++i) {
        const char c = hex[i];
        uint64_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint64_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint64_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint64_t>(c - 'A' + 10);
        } else {
            break;
        }
        // Saturating: once past 32 bits the value stays all ones however many
        // digits follow, and the 64-bit accumulator never overflows.
        value = value * 16 + digit;
        if (value > limit) value = limit;
    }

    const auto v = static_cast<uint32_t>(value);
    return glm::vec3(static_cast<float>((v >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((v >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(v & 0xFF) / 255.0f);
}

bool isElement(const pugi::xml_node& node, const char* name) {
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// The first child element `name` (pugixml's child() would also match a
// processing instruction of that name).
pugi::xml_node childElement(const pugi::xml_node& parent, const char* name) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (isElement(c, name)) return c;
    }
    return pugi::xml_node();
}

// The first child element `element` whose attribute "name" is `value`:
// VendorOption and CssParameter are looked up this way.
pugi::xml_node namedChild(const pugi::xml_node& parent, const char* element, const char* value) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (isElement(c, element) && std::strcmp(c.attribute("name").value(), value) == 0) return c;
    }
    return pugi::xml_node();
}

pugi::xml_node option(const pugi::xml_node& parent, const char* value) {
    return namedChild(parent, "VendorOption", value);
}

pugi::xml_node cssParameter(const pugi::xml_node& parent, const char* value) {
    return namedChild(parent, "CssParameter", value);
}

// The first element matching the child path `steps[from..]` below `node`, in
// document order: the result of the XPath "a/b/c" restricted to its first
// match. All matches sit at the same depth, so a depth-first walk meets them
// in document order. The depth is bounded by the path, not by the document.
template <size_t N>
pugi::xml_node firstByPath(const pugi::xml_node& node, const char* const (&steps)[N],
                           size_t from = 0) {
    if (from == N) return node;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (!isElement(c, steps[from])) continue;
        pugi::xml_node found = firstByPath(c, steps, from + 1);
        if (found) return found;
    }
    return pugi::xml_node();
}

std::string text(const pugi::xml_node& node) {
    return node.text().get();
}

}  // namespace

glm::vec4 setColorToVec4(const std::string& hex, float alpha) {
    return glm::vec4(hexToRGB(hex), alpha);
}

void C_GeoStyle::reset() {
    C_GeoStyle fresh;
    fresh.graphicsSelected = std::move(graphicsSelected);
    fresh.mergeable = std::move(mergeable);
    fresh.autoWrap = autoWrap;
    fresh.maxDisplacement = maxDisplacement;
    *this = std::move(fresh);
}

void C_GeoStyle::setProperties(const pugi::xml_node& layer) {
    static constexpr const char* rulePath[] = {"UserStyle", "FeatureTypeStyle", "Rule"};
    static constexpr const char* textPath[] = {"UserStyle", "FeatureTypeStyle", "Rule",
                                               "TextSymbolizer"};
    static constexpr const char* polygonPath[] = {"UserStyle", "FeatureTypeStyle", "Rule",
                                                  "PolygonSymbolizer"};
    static constexpr const char* styleNamePath[] = {"UserStyle", "Name"};
    static constexpr const char* graphicPath[] = {"Graphic"};
    static constexpr const char* resourcePath[] = {"Graphic", "ExternalGraphic", "Resource"};

    // What a missing element reads as: a new style's values. Missing text
    // reads as an empty string, which is the strings' default too.
    const C_GeoStyle defaults;

    name = text(childElement(layer, "Name"));
    decorator = text(option(layer, "decorator"));
    antialiasing = option(layer, "antialiasing").text().as_bool(defaults.antialiasing);
    selectable = option(layer, "selectable").text().as_bool(defaults.selectable);
    direction = option(layer, "direction").text().as_bool(defaults.direction);
    view3d = option(layer, "3D").text().as_bool(defaults.view3d);
    mergeable = text(option(layer, "mergeable"));
    zOrder = option(layer, "zOrder").text().as_int(defaults.zOrder);
    geometryLayerId = option(layer, "geometryLayerId").text().as_int(defaults.geometryLayerId);
    repeat = option(layer, "repeat").text().as_int(defaults.repeat);
    spaceAround = option(layer, "spaceAround").text().as_int(defaults.spaceAround);
    maxAngleDelta = option(layer, "maxAngleDelta").text().as_int(defaults.maxAngleDelta);
    autoWrap = option(layer, "autoWrap").text().as_int(defaults.autoWrap);
    maxDisplacement = option(layer, "maxDisplacement").text().as_int(defaults.maxDisplacement);
    styleName = text(firstByPath(layer, styleNamePath));

    // Scale denominators come from the first rule only; the symbolizers are
    // searched over all rules, so a later rule may supply them.
    const pugi::xml_node rule = firstByPath(layer, rulePath);
    minScaleDenominator =
        childElement(rule, "MinScaleDenominator").text().as_int(defaults.minScaleDenominator);
    maxScaleDenominator =
        childElement(rule, "MaxScaleDenominator").text().as_int(defaults.maxScaleDenominator);
    minLabelScaleDenominator =
        option(rule, "minLabelScaleDenominator").text().as_int(defaults.minLabelScaleDenominator);
    maxLabelScaleDenominator =
        option(rule, "maxLabelScaleDenominator").text().as_int(defaults.maxLabelScaleDenominator);

    const pugi::xml_node textSymbolizer = firstByPath(layer, textPath);
    fontSize = cssParameter(textSymbolizer, "font-size").text().as_int(defaults.fontSize);

    // A missing colour reads as black, which the default colours are, and a
    // missing opacity as their alpha.
    const pugi::xml_node polygon = firstByPath(layer, polygonPath);
    const pugi::xml_node fill = childElement(polygon, "Fill");
    fillColor =
        setColorToVec4(text(cssParameter(fill, "fill")),
                       cssParameter(fill, "fill-opacity").text().as_float(defaults.fillColor.a));
    fillWidth = cssParameter(fill, "fill-width").text().as_float(defaults.fillWidth);

    const pugi::xml_node stroke = childElement(polygon, "Stroke");
    strokeColor = setColorToVec4(
        text(cssParameter(stroke, "stroke")),
        cssParameter(stroke, "stroke-opacity").text().as_float(defaults.strokeColor.a));
    strokeWidth = cssParameter(stroke, "stroke-width").text().as_float(defaults.strokeWidth);
    // A dash array such as "5 3" reads as its first number.
    strokeDasharray =
        cssParameter(stroke, "stroke-dasharray").text().as_float(defaults.strokeDasharray);

    graphicSize = childElement(firstByPath(polygon, graphicPath), "Size")
                      .text()
                      .as_float(defaults.graphicSize);
    const pugi::xml_node resource = firstByPath(polygon, resourcePath);
    graphicsDefault = resource.attribute("default").value();
    graphicsSelected = resource.attribute("selected").value();
}

}  // namespace quorvan
