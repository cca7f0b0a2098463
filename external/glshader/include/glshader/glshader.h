#pragma once

// Stand-in for the host's shader library. It compiles nothing: a stage
// "compiles" when its source is not empty and mentions "main", which is
// enough to drive both outcomes of a build.

#include <string>

namespace quorvan {

class C_GeoStyle;

class C_GLShader {
public:
    // Error bits of createAuto.
    static constexpr int VERTEX_FAILED = 1;
    static constexpr int FRAGMENT_FAILED = 2;

    // Builds from the two sources (bytes and length each, not zero-ended).
    // 0 on success; otherwise VERTEX_FAILED | FRAGMENT_FAILED as they apply,
    // with all three logs filled.
    int createAuto(const char* vertex, unsigned vertexLength, const char* fragment,
                   unsigned fragmentLength);

    void setName(const std::string& value) { name = value; }
    const std::string& getName() const { return name; }
    bool isReady() const { return ready; }
    const std::string& getVertexSource() const { return vertexSource; }
    const std::string& getFragmentSource() const { return fragmentSource; }

    std::string getLogVertexShader() const { return logVertex; }
    std::string getLogFragmentShader() const { return logFragment; }
    std::string getLogProgram() const { return logProgram; }

private:
    std::string name;
    std::string vertexSource;
    std::string fragmentSource;
    std::string logVertex;
    std::string logFragment;
    std::string logProgram;
    bool ready = false;
};

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
