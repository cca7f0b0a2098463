#include "inspect/layer_style.h"

#include <cmath>
#include <cstdio>
#include <map>

namespace quorvan::inspect {

std::string Rgb::hex() const {
    char text[8];
    std::snprintf(text, sizeof(text), "#%02x%02x%02x", r, g, b);
    return text;
}

float Rgb::channel(int i) const {
    return (i == 0 ? r : i == 1 ? g : b) / 255.0f;
}

float Rgb::linearChannel(int i) const {
    const double c = channel(i);
    return static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
}

LayerStyle layerStyle(int32_t layerId, const std::string& name) {
    static const std::map<std::string, LayerStyle> known = {
        {"cell", {{242, 239, 233}, {220, 214, 204}, {}, false, 0.6f}},
        {"landuse", {{228, 223, 211}, {210, 202, 186}, {}, false, 0.6f}},
        {"park", {{200, 228, 176}, {160, 204, 140}, {}, false, 0.6f}},
        {"water", {{170, 211, 240}, {120, 180, 226}, {}, false, 0.6f}},
        {"building", {{217, 208, 201}, {184, 170, 158}, {}, false, 0.4f}},
        {"road", {{255, 255, 255}, {255, 255, 255}, {196, 188, 176}, true, 1.0f}},
        {"railway", {{120, 120, 120}, {110, 110, 110}, {}, false, 1.0f}},
        {"tram", {{150, 110, 180}, {150, 110, 180}, {}, false, 1.0f}},
        {"bridge", {{188, 180, 170}, {150, 140, 128}, {}, false, 0.6f}},
        {"place", {{40, 40, 40}, {40, 40, 40}, {}, false, 0.6f}},
        {"poi", {{211, 107, 79}, {211, 107, 79}, {}, false, 0.6f}},
        {"road-name", {{85, 85, 85}, {85, 85, 85}, {}, false, 0.6f}},
    };
    if (const auto it = known.find(name); it != known.end()) return it->second;

    // Golden-ratio hue steps keep neighbouring ids apart.
    const double hue = std::fmod(static_cast<uint32_t>(layerId) * 0.618033988749895, 1.0);
    auto channel = [&](double shift) {
        const double t = std::fmod(hue + shift, 1.0);
        const double v = t < 1.0 / 6   ? 6 * t
                         : t < 0.5     ? 1.0
                         : t < 2.0 / 3 ? (2.0 / 3 - t) * 6
                                       : 0.0;
        return static_cast<uint8_t>(90 + v * 130);
    };
    const Rgb fill{channel(1.0 / 3), channel(0.0), channel(2.0 / 3)};
    const Rgb stroke{static_cast<uint8_t>(fill.r * 3 / 4), static_cast<uint8_t>(fill.g * 3 / 4),
                     static_cast<uint8_t>(fill.b * 3 / 4)};
    return {fill, stroke, {}, false, 0.6f};
}

}  // namespace quorvan::inspect
