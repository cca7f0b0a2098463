#pragma once

// The host's shader class on a real OpenGL driver: createAuto compiles both
// stages and links them into a program with the OpenGL context current on
// the calling thread (desktop GL 3.3 core or later, made with EGL or GLX;
// the calls go through GLVND's libOpenGL), and the logs are the driver's own.
//
// Copies share one program, which is deleted when the last copy goes; that
// last copy must go while the context it was made in is current on the
// thread, as with any OpenGL object (elsewhere the id could name another
// context's program).

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "glshader/host.h"

namespace quorvan {

class C_GLShader {
public:
    // Error bits of createAuto; each failure fills the log it concerns.
    static constexpr int VERTEX_FAILED = 1;    // vertex stage did not compile
    static constexpr int FRAGMENT_FAILED = 2;  // fragment stage did not compile
    static constexpr int LINK_FAILED = 4;      // both compiled, the program did not link
    static constexpr int NO_CONTEXT = 8;       // the driver made no shader object at all

    // Builds from the two sources (bytes and length each, not zero-ended;
    // null is empty). 0 on success, with a linked program; otherwise the
    // error bits, no program, and the logs: the driver's for each stage and
    // the link, or a line saying why a step did not run.
    int createAuto(const char* vertex, unsigned vertexLength, const char* fragment,
                   unsigned fragmentLength);
    // The same for sources of any size: one longer than OpenGL takes fails
    // its stage, where a cast to the lengths above would keep a prefix.
    // A stage whose source holds a NUL byte fails too, in either form: the
    // driver would read the source only up to it.
    int createAuto(std::string_view vertex, std::string_view fragment);

    void setName(const std::string& value) { name = value; }
    const std::string& getName() const { return name; }
    bool isReady() const { return program != nullptr; }
    // The linked program's id for glUseProgram, 0 before a successful build.
    unsigned getProgram() const;

    std::string getLogVertexShader() const { return logVertex; }
    std::string getLogFragmentShader() const { return logFragment; }
    std::string getLogProgram() const { return logProgram; }

private:
    struct Program;
    int build(const char* vertex, size_t vertexLength, const char* fragment, size_t fragmentLength);
    std::string name;
    std::shared_ptr<const Program> program;
    std::string logVertex;
    std::string logFragment;
    std::string logProgram;
};

}  // namespace quorvan
