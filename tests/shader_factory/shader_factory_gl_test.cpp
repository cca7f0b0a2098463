// The shader factory against a real driver: Mesa through EGL on its
// surfaceless platform, with no window system. Exits 77 (skipped) where no
// such context can be made.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "shader_factory/factory_utils_shaders.h"

namespace quorvan {
namespace {

// A desktop OpenGL 3.3 core context with no surface, current on the main
// thread for the whole run.
class HeadlessContext {
public:
    // Empty when the context is current, otherwise the step that failed.
    std::string open() {
        const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (clientExtensions == nullptr ||
            std::string(clientExtensions).find("EGL_MESA_platform_surfaceless") ==
                std::string::npos)
            return "EGL has no surfaceless platform (Mesa's libegl-mesa0)";
        const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay == nullptr) return "no eglGetPlatformDisplayEXT";
        display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        EGLint major = 0, minor = 0;
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
            return failed("eglInitialize");
        if (!eglBindAPI(EGL_OPENGL_API)) return failed("eglBindAPI(EGL_OPENGL_API)");
        // Surfaceless displays offer no configs for desktop GL; a context
        // without one (EGL_KHR_no_config_context) draws into framebuffer
        // objects only, which is all a test needs.
        const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                     3,
                                     EGL_CONTEXT_MINOR_VERSION,
                                     3,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                     EGL_NONE};
        context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
        if (context == EGL_NO_CONTEXT) return failed("eglCreateContext (OpenGL 3.3 core)");
        if (!makeCurrent()) return failed("eglMakeCurrent");
        return {};
    }

    bool makeCurrent() { return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context); }
    void release() { eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT); }

    // The display stays initialised until the process ends: Mesa 22 loses a
    // few bytes when eglTerminate unloads its driver, which LeakSanitizer
    // would report against this test.
    ~HeadlessContext() {
        if (display == EGL_NO_DISPLAY) return;
        release();
        if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
    }

private:
    std::string failed(const char* step) {
        char code[16];
        std::snprintf(code, sizeof(code), "0x%04x", static_cast<unsigned>(eglGetError()));
        return std::string(step) + " failed with EGL error " + code;
    }

    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
};

HeadlessContext* gl = nullptr;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every shader of a folder, paired by the factory's rule: name -> sources.
std::map<std::string, std::vector<std::string>> shaderPairs(const std::filesystem::path& dir) {
    std::vector<std::string> files;
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::filesystem::path file = entry.path().filename();
        files.push_back(file.string());
        if (file.extension() == ".vertex" || file.extension() == ".fragment")
            names.insert(file.stem().string());
    }
    std::map<std::string, std::vector<std::string>> pairs;
    for (const std::string& name : names) {
        for (const std::string& file : getShaderFiles(files, name))
            pairs[name].push_back(readFile(dir / file));
    }
    return pairs;
}

// Ours and, once they exist, the viewer's: every pair builds, and a lone
// stage is a shader the factory cannot pair.
TEST(GlShaderFactory, BuildsEveryShaderPairOfTheTree) {
    size_t built = 0;
    for (const char* dir : {MESHORY_SHADER_TEST_DATA, MESHORY_VIEWER_SHADERS}) {
        const auto pairs = shaderPairs(dir);
        for (const auto& [name, sources] : pairs) {
            ASSERT_EQ(sources.size(), 2u) << dir << "/" << name << " has no partner";
            std::string log = "untouched";
            const C_GLShader shader = createShader(sources[0], sources[1], name, log);
            ASSERT_TRUE(shader.isReady()) << dir << "/" << name << ":\n" << log;
            EXPECT_EQ(shader.getName(), name);
            EXPECT_EQ(log, "untouched");
            EXPECT_TRUE(glIsProgram(shader.getProgram()));
            ++built;
        }
        std::printf("%s: %zu shaders\n", dir, pairs.size());
    }
    EXPECT_GE(built, 1u);
}

// Shaders are returned by value and kept in maps: the program lives while a
// copy does, draws what it says, and goes with the last copy.
TEST(GlShaderFactory, ProgramOutlivesItsCopiesAndDraws) {
    auto pairs = shaderPairs(MESHORY_SHADER_TEST_DATA);
    const std::vector<std::string>& flat = pairs["flat"];
    ASSERT_EQ(flat.size(), 2u);
    std::map<std::string, C_GLShader> shaders;
    {
        std::string log;
        const C_GLShader made = createShader(flat[0], flat[1], "flat", log);
        ASSERT_TRUE(made.isReady()) << log;
        shaders[made.getName()] = made;
    }
    EXPECT_TRUE(shaderExists("shaders/flat.vertex", shaders));
    const GLuint program = shaders.at("flat").getProgram();
    ASSERT_TRUE(glIsProgram(program));

    GLuint target = 0, framebuffer = 0, vertexArray = 0;
    glGenRenderbuffers(1, &target);
    glBindRenderbuffer(GL_RENDERBUFFER, target);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 4, 4);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glGenVertexArrays(1, &vertexArray);  // core profile draws need one, even empty
    glBindVertexArray(vertexArray);
    glViewport(0, 0, 4, 4);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(program);
    glUniform4f(glGetUniformLocation(program, "colour"), 1.0f, 0.5f, 0.0f, 1.0f);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    unsigned char pixel[4] = {};
    glReadPixels(1, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &target);
    shaders.clear();
    EXPECT_FALSE(glIsProgram(program));
}

const std::string kVertex = R"(#version 330 core
void main() {
    gl_Position = vec4(0.0, 0.0, 0.0, 1.0);
}
)";

// The factory's report around what the driver said.
std::string report(const std::string& name, int result, const C_GLShader& shader) {
    return "Shader failed: " + name + "\nFunction result: " + std::to_string(result) +
           "\nvertex log:\n" + shader.getLogVertexShader() + "\n\nfragment log:\n" +
           shader.getLogFragmentShader() + "\n\nshader log:\n" + shader.getLogProgram() + "\n";
}

TEST(GlShaderFactory, BrokenShadersReportTheDriversLog) {
    // A syntax error on line 4 of the fragment stage.
    const std::string badSyntax =
        "#version 330 core\nout vec4 colour;\nvoid main() {\n    colour = vec4(1.0) +;\n}\n";
    std::string log;
    C_GLShader shader = createShader(kVertex, badSyntax, "broken", log);
    std::printf("%s", log.c_str());
    EXPECT_FALSE(shader.isReady());
    EXPECT_EQ(shader.getName(), "");
    EXPECT_EQ(shader.getProgram(), 0u);
    EXPECT_EQ(log, report("broken", C_GLShader::FRAGMENT_FAILED, shader));
    // Mesa writes "0:<line>(<column>): error: ...".
    EXPECT_NE(shader.getLogFragmentShader().find("0:4("), std::string::npos);
    EXPECT_NE(shader.getLogFragmentShader().find("error"), std::string::npos);

    // Both stages compile, but the fragment stage calls a function that no
    // stage defines: the link fails and the driver names the function.
    const std::string unresolved =
        "#version 330 core\nout vec4 colour;\nvec4 shade();\n"
        "void main() {\n    colour = shade();\n}\n";
    shader = createShader(kVertex, unresolved, "unlinked", log);
    std::printf("%s", log.c_str());
    EXPECT_EQ(log, report("unlinked", C_GLShader::LINK_FAILED, shader));
    EXPECT_NE(shader.getLogProgram().find("shade"), std::string::npos);

    // Without a current context nothing is made, and that is a failure.
    gl->release();
    shader = createShader(kVertex, kVertex, "nowhere", log);
    ASSERT_TRUE(gl->makeCurrent());
    EXPECT_EQ(log, report("nowhere", C_GLShader::NO_CONTEXT, shader));
    EXPECT_FALSE(shader.isReady());
}

// The driver reads a source only up to a NUL, and the class's raw lengths
// are unsigned: a source it would cut short fails, and never reaches the
// driver. The huge source is a view that nothing may read.
TEST(GlShaderFactory, SourcesTheDriverWouldCutShortAreRefused) {
    const std::string fragment =
        "#version 330 core\nout vec4 colour;\nvoid main() {\n    colour = vec4(1.0);\n}\n";
    const std::string withNul = kVertex + std::string("\0 garbage", 9);
    std::string log;
    C_GLShader shader = createShader(withNul, fragment, "nul", log);
    EXPECT_FALSE(shader.isReady());
    EXPECT_EQ(log, report("nul", C_GLShader::VERTEX_FAILED, shader));
    EXPECT_NE(
        shader.getLogVertexShader().find("NUL byte at offset " + std::to_string(kVertex.size())),
        std::string::npos)
        << shader.getLogVertexShader();
    EXPECT_EQ(shader.createAuto(kVertex.data(), static_cast<unsigned>(kVertex.size()),
                                withNul.data(), static_cast<unsigned>(withNul.size())),
              C_GLShader::FRAGMENT_FAILED);
    EXPECT_EQ(shader.getProgram(), 0u);

    const std::string_view huge(kVertex.data(), (size_t{1} << 32) + kVertex.size());
    EXPECT_EQ(shader.createAuto(kVertex, huge), C_GLShader::FRAGMENT_FAILED);
    EXPECT_EQ(shader.createAuto(huge, fragment), C_GLShader::VERTEX_FAILED);
    EXPECT_NE(shader.getLogVertexShader().find(std::to_string(huge.size()) + " bytes"),
              std::string::npos)
        << shader.getLogVertexShader();
    EXPECT_FALSE(shader.isReady());
    // The same class still builds the clean pair.
    EXPECT_EQ(shader.createAuto(kVertex, fragment), 0) << shader.getLogFragmentShader();
    EXPECT_TRUE(shader.isReady());
}

}  // namespace
}  // namespace quorvan

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    quorvan::HeadlessContext context;
    if (const std::string problem = context.open(); !problem.empty()) {
        std::printf("skipped: %s\n", problem.c_str());
        return 77;
    }
    std::printf("OpenGL %s, GLSL %s, on %s\n", glGetString(GL_VERSION),
                glGetString(GL_SHADING_LANGUAGE_VERSION), glGetString(GL_RENDERER));
    quorvan::gl = &context;
    const int result = RUN_ALL_TESTS();
    quorvan::gl = nullptr;
    return result;
}
