#include "glshader/glshader.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <cstring>
#include <limits>

namespace quorvan {

struct C_GLShader::Program {
    explicit Program(GLuint id) : id(id) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() { glDeleteProgram(id); }
    GLuint id;
};

namespace {

// Deletes a shader object when the build is done with it: once attached to
// a program the driver keeps it alive for as long as it needs it.
class Stage {
public:
    explicit Stage(GLenum type) : id(glCreateShader(type)) {}
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;
    ~Stage() {
        if (id != 0) glDeleteShader(id);
    }
    GLuint id;
};

std::string shaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return {};
    std::string log(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    glGetShaderInfoLog(shader, length, &written, log.data());
    log.resize(static_cast<size_t>(written < 0 ? 0 : written));
    return log;
}

std::string programLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return {};
    std::string log(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    glGetProgramInfoLog(program, length, &written, log.data());
    log.resize(static_cast<size_t>(written < 0 ? 0 : written));
    return log;
}

// True when the stage compiled; `log` gets the driver's log either way, or
// why the source never went to the driver.
bool compile(const Stage& stage, const char* source, size_t length, std::string& log) {
    // OpenGL takes lengths as GLint.
    if (length > static_cast<size_t>(std::numeric_limits<GLint>::max())) {
        log = "source of " + std::to_string(length) + " bytes is longer than OpenGL takes";
        return false;
    }
    // The driver reads a source as a C string: a NUL would quietly end it,
    // and what follows would never be compiled.
    if (const void* nul = source != nullptr ? std::memchr(source, '\0', length) : nullptr) {
        log = "source holds a NUL byte at offset " +
              std::to_string(static_cast<const char*>(nul) - source) +
              ": OpenGL would compile only the text before it";
        return false;
    }
    const GLchar* text = source != nullptr ? source : "";
    const GLint size = source != nullptr ? static_cast<GLint>(length) : 0;
    glShaderSource(stage.id, 1, &text, &size);
    glCompileShader(stage.id);
    GLint status = GL_FALSE;
    glGetShaderiv(stage.id, GL_COMPILE_STATUS, &status);
    log = shaderLog(stage.id);
    return status == GL_TRUE;
}

}  // namespace

unsigned C_GLShader::getProgram() const {
    return program != nullptr ? program->id : 0;
}

int C_GLShader::createAuto(const char* vertex, unsigned vertexLength, const char* fragment,
                           unsigned fragmentLength) {
    return build(vertex, vertexLength, fragment, fragmentLength);
}

int C_GLShader::createAuto(std::string_view vertex, std::string_view fragment) {
    return build(vertex.data(), vertex.size(), fragment.data(), fragment.size());
}

int C_GLShader::build(const char* vertex, size_t vertexLength, const char* fragment,
                      size_t fragmentLength) {
    program.reset();
    logVertex.clear();
    logFragment.clear();
    logProgram.clear();

    const Stage vertexStage(GL_VERTEX_SHADER);
    const Stage fragmentStage(GL_FRAGMENT_SHADER);
    if (vertexStage.id == 0 || fragmentStage.id == 0) {
        // No error from the driver to report: without a current context the
        // calls go nowhere.
        logProgram = "glCreateShader made no shader object (no OpenGL context current?)";
        return NO_CONTEXT;
    }
    int result = 0;
    if (!compile(vertexStage, vertex, vertexLength, logVertex)) result |= VERTEX_FAILED;
    if (!compile(fragmentStage, fragment, fragmentLength, logFragment)) result |= FRAGMENT_FAILED;
    if (result != 0) {
        logProgram = "link skipped: a stage failed to compile";
        return result;
    }

    auto linked = std::make_shared<const Program>(glCreateProgram());
    if (linked->id == 0) {
        logProgram = "glCreateProgram made no program object";
        return NO_CONTEXT;
    }
    glAttachShader(linked->id, vertexStage.id);
    glAttachShader(linked->id, fragmentStage.id);
    glLinkProgram(linked->id);
    GLint status = GL_FALSE;
    glGetProgramiv(linked->id, GL_LINK_STATUS, &status);
    logProgram = programLog(linked->id);
    // The program keeps its code; the stages can go with the build.
    glDetachShader(linked->id, vertexStage.id);
    glDetachShader(linked->id, fragmentStage.id);
    if (status != GL_TRUE) return LINK_FAILED;
    program = std::move(linked);
    return 0;
}

}  // namespace quorvan
