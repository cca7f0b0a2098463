#pragma once

// Colours of a layer in the inspector's pictures (SVG top view, glTF
// materials), chosen from the layer's name as the converter writes it; other
// names get a colour derived from the layer id.

#include <cstdint>
#include <string>

namespace quorvan::inspect {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    std::string hex() const;           // "#rrggbb"
    float channel(int i) const;        // 0..1 as written (sRGB), i = 0 red, 1 green, 2 blue
    float linearChannel(int i) const;  // 0..1 in linear light, as glTF colour factors are
};

struct LayerStyle {
    Rgb fill;    // areas
    Rgb stroke;  // lines and outlines
    Rgb casing;  // drawn under wide lines (roads)
    bool cased = false;
    float minLineWidth = 0.6f;  // units, for lines the model gives no width
};

LayerStyle layerStyle(int32_t layerId, const std::string& name);

}  // namespace quorvan::inspect
