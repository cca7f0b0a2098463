#pragma once

// The drawing properties of one map layer, read from one layer element of an
// SLD style document (a child of the root "StyledLayerDescriptor").
//
// setProperties() never fails: a missing element, attribute or text leaves
// the property at its default, numbers are read from the start of the text
// (pugixml's as_int / as_float / as_bool: hexadecimal "0x" integers accepted,
// out-of-range integers saturate, no number reads as 0), and a colour that is
// not "#" followed by hexadecimal digits reads as black. Only the first Rule
// of a layer gives the scale denominators; the text and polygon symbolizers
// are the first found over all rules.

#include <string>

#include <glm/vec4.hpp>
#include <pugixml.hpp>

#include <meshory/export.h>

namespace quorvan {

class MESHORY_API C_GeoStyle {
public:
    // Every property at its default: the member initialisers below are the
    // one statement of the defaults, which reset() and setProperties() use.
    // Defined in the library, which programs built against 0.1.0 call.
    C_GeoStyle();

    // Restores the defaults; leaves graphicsSelected, mergeable, autoWrap and
    // maxDisplacement as they are.
    void reset();

    // Assigns every property but innerId from `layer`, so nothing of an
    // earlier call survives. An empty node gives the defaults.
    void setProperties(const pugi::xml_node& layer);

    const std::string& getName() const { return name; }
    void setName(const std::string& value) { name = value; }
    const std::string& getStyleName() const { return styleName; }
    void setStyleName(const std::string& value) { styleName = value; }
    const std::string& getDecorator() const { return decorator; }
    void setDecorator(const std::string& value) { decorator = value; }
    std::string getGraphicsDefault() const { return graphicsDefault; }
    void setGraphicsDefault(const std::string& value) { graphicsDefault = value; }
    std::string getGraphicsSelected() const { return graphicsSelected; }
    void setGraphicsSelected(const std::string& value) { graphicsSelected = value; }
    const std::string& getMergeable() const { return mergeable; }
    void setMergeable(const std::string& value) { mergeable = value; }

    bool isAntialiasing() const { return antialiasing; }
    void setAntialiasing(bool value) { antialiasing = value; }
    bool isSelectable() const { return selectable; }
    void setSelectable(bool value) { selectable = value; }
    bool isDirection() const { return direction; }
    void setDirection(bool value) { direction = value; }
    bool isView3d() const { return view3d; }
    void setView3d(bool value) { view3d = value; }

    int getGeometryLayerId() const { return geometryLayerId; }
    void setGeometryLayerId(int value) { geometryLayerId = value; }
    int getZOrder() const { return zOrder; }
    void setZOrder(int value) { zOrder = value; }
    // A negative scale denominator means no limit.
    int getMinScaleDenominator() const { return minScaleDenominator; }
    void setMinScaleDenominator(int value) { minScaleDenominator = value; }
    int getMaxScaleDenominator() const { return maxScaleDenominator; }
    void setMaxScaleDenominator(int value) { maxScaleDenominator = value; }
    int getMinLabelScaleDenominator() const { return minLabelScaleDenominator; }
    void setMinLabelScaleDenominator(int value) { minLabelScaleDenominator = value; }
    int getMaxLabelScaleDenominator() const { return maxLabelScaleDenominator; }
    void setMaxLabelScaleDenominator(int value) { maxLabelScaleDenominator = value; }
    int getRepeat() const { return repeat; }
    void setRepeat(int value) { repeat = value; }
    int getSpaceAround() const { return spaceAround; }
    void setSpaceAround(int value) { spaceAround = value; }
    int getMaxAngleDelta() const { return maxAngleDelta; }
    void setMaxAngleDelta(int value) { maxAngleDelta = value; }
    int getFontSize() const { return fontSize; }
    void setFontSize(int value) { fontSize = value; }
    // Position of the layer element among the root's children, from 0.
    int getInnerId() const { return innerId; }
    void setInnerId(int value) { innerId = value; }
    int getAutoWrap() const { return autoWrap; }
    void setAutoWrap(int value) { autoWrap = value; }
    int getMaxDisplacement() const { return maxDisplacement; }
    void setMaxDisplacement(int value) { maxDisplacement = value; }

    // r, g, b in 0..1; a is the document's opacity as written (not clamped).
    const glm::vec4& getFillColor() const { return fillColor; }
    void setFillColor(const glm::vec4& value) { fillColor = value; }
    const glm::vec4& getStrokeColor() const { return strokeColor; }
    void setStrokeColor(const glm::vec4& value) { strokeColor = value; }

    float getStrokeWidth() const { return strokeWidth; }
    void setStrokeWidth(float value) { strokeWidth = value; }
    float getStrokeDasharray() const { return strokeDasharray; }
    void setStrokeDasharray(float value) { strokeDasharray = value; }
    float getFillWidth() const { return fillWidth; }
    void setFillWidth(float value) { fillWidth = value; }
    float getGraphicSize() const { return graphicSize; }
    void setGraphicSize(float value) { graphicSize = value; }

private:
    std::string name;
    std::string styleName;
    std::string decorator;
    std::string graphicsDefault;
    std::string graphicsSelected;
    std::string mergeable;
    bool antialiasing = false;
    bool selectable = false;
    bool direction = false;
    bool view3d = false;
    int geometryLayerId = 0;
    int zOrder = 0;
    int minScaleDenominator = -1;
    int maxScaleDenominator = -1;
    int minLabelScaleDenominator = -1;
    int maxLabelScaleDenominator = -1;
    int repeat = 0;
    int spaceAround = 0;
    int maxAngleDelta = 30;
    int fontSize = 0;
    int innerId = 0;
    // reset() keeps these two, but a new style starts at its defaults like
    // every other property, so it never holds an indeterminate value.
    int autoWrap = 0;
    int maxDisplacement = 5;
    glm::vec4 fillColor{0.0f};
    glm::vec4 strokeColor{0.0f};
    float strokeWidth = 0.0f;
    float strokeDasharray = 0.0f;
    float fillWidth = 0.0f;
    float graphicSize = 0.0f;
};

// SLD colour text and an opacity to (r, g, b, alpha). `hex` is "#" and
// hexadecimal digits, read as one unsigned 32-bit number whose low 24 bits
// are red, green and blue: leading white space after "#" is skipped, reading
// stops at the first non-digit, an overflow saturates to 0xFFFFFFFF. Empty
// text, text not starting with "#" and colour names give black. `alpha` is
// kept as given.
MESHORY_API glm::vec4 setColorToVec4(const std::string& hex, float alpha);

}  // namespace quorvan
