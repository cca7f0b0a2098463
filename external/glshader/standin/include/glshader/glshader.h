#pragma once

// Stand-in for the host's shader library. It compiles nothing: a stage
// "compiles" when its source is not empty and mentions "main", which is
// enough to drive both outcomes of a build.

#include <string>
#include <string_view>

#include "glshader/host.h"

namespace quorvan {

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
    // The same for sources of any size; the sources are kept whole, zero
    // bytes and all, so that tests see exactly what the factory passed.
    int createAuto(std::string_view vertex, std::string_view fragment);

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

}  // namespace quorvan
