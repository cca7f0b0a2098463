#pragma once

// The parts of the host's shader library that do not depend on how shaders
// are built: the style holder and the path helpers. Both shader classes
// (standin/ and gl/) come with them.

#include <string>

namespace quorvan {

class C_GeoStyle;

// Holds a style for the host's renderer.
class C_GeoStyleType {
public:
    explicit C_GeoStyleType(const C_GeoStyle* style) : style(style) {}
    virtual ~C_GeoStyleType() = default;
    virtual const C_GeoStyle* getStyle() const { return style; }

private:
    const C_GeoStyle* style;
};

// The part of a path after its last '/'.
std::string extractFileName(const std::string& path);
// The file name's extension from its last '.', dot included; empty when the
// file name has no dot.
std::string extractFileExt(const std::string& path);

}  // namespace quorvan
