#include "glshader/glshader.h"

namespace quorvan {

namespace {

// Fills `log` and returns false when the stage would not compile.
bool compileStage(const std::string& source, const char* stage, std::string& log) {
    if (source.empty()) {
        log = std::string(stage) + ": empty source";
        return false;
    }
    if (source.find("main") == std::string::npos) {
        log = std::string(stage) + ": no entry point 'main'";
        return false;
    }
    log.clear();
    return true;
}

}  // namespace

int C_GLShader::createAuto(const char* vertex, unsigned vertexLength, const char* fragment,
                           unsigned fragmentLength) {
    return createAuto(
        std::string_view(vertex != nullptr ? vertex : "", vertex != nullptr ? vertexLength : 0),
        std::string_view(fragment != nullptr ? fragment : "",
                         fragment != nullptr ? fragmentLength : 0));
}

int C_GLShader::createAuto(std::string_view vertex, std::string_view fragment) {
    vertexSource.assign(vertex);
    fragmentSource.assign(fragment);
    int result = 0;
    if (!compileStage(vertexSource, "vertex", logVertex)) result |= VERTEX_FAILED;
    if (!compileStage(fragmentSource, "fragment", logFragment)) result |= FRAGMENT_FAILED;
    if (result != 0) {
        if (logVertex.empty()) logVertex = "vertex: compiled";
        if (logFragment.empty()) logFragment = "fragment: compiled";
        logProgram = "link skipped: a stage failed to compile";
    } else {
        logProgram.clear();
    }
    ready = result == 0;
    return result;
}

}  // namespace quorvan
