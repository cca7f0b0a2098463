#include "shader_factory/factory_utils_shaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "styles/style_record.h"

namespace quorvan {
namespace {

const std::string vertexSource = "void main() { gl_Position = vec4(0.0); }";
const std::string fragmentSource = "void main() { gl_FragColor = vec4(1.0); }";

TEST(ShaderFactory, PairsFilesByExactName) {
    const std::vector<std::string> files = {"water.fragment", "roads.vertex", "water.vertex",
                                            "roads.vertex.bak", "land.fragment"};
    EXPECT_EQ(getShaderFiles(files, "water"),
              (std::vector<std::string>{"water.vertex", "water.fragment"}));
    EXPECT_EQ(getShaderFiles(files, "roads"), (std::vector<std::string>{"roads.vertex"}));
    EXPECT_EQ(getShaderFiles(files, "land"), (std::vector<std::string>{"land.fragment"}));
    EXPECT_TRUE(getShaderFiles(files, "wat").empty());
    EXPECT_TRUE(getShaderFiles({}, "water").empty());
}

TEST(ShaderFactory, ShaderExistsByFileNameWithoutExtension) {
    std::map<std::string, C_GLShader> shaders;
    shaders["water"] = C_GLShader();
    EXPECT_TRUE(shaderExists("shaders/water.vertex", shaders));
    EXPECT_TRUE(shaderExists("/abs/path/water.fragment", shaders));
    EXPECT_TRUE(shaderExists("water", shaders));
    EXPECT_FALSE(shaderExists("shaders/roads.vertex", shaders));
    EXPECT_FALSE(shaderExists("water.d/other", shaders));
    EXPECT_FALSE(shaderExists("", shaders));
    EXPECT_FALSE(shaderExists("water.vertex", {}));
}

TEST(ShaderFactory, SuccessfulBuildIsNamedAndLeavesTheLogAlone) {
    std::string log = "earlier text";
    // Embedded zero bytes reach the shader class: lengths, not C strings.
    const std::string vertexWithZero = vertexSource + std::string("\0// tail", 8);
    const C_GLShader shader = createShader(vertexWithZero, fragmentSource, "water", log);
    EXPECT_TRUE(shader.isReady());
    EXPECT_EQ(shader.getName(), "water");
    EXPECT_EQ(shader.getVertexSource(), vertexWithZero);
    EXPECT_EQ(shader.getFragmentSource(), fragmentSource);
    EXPECT_EQ(log, "earlier text");
}

TEST(ShaderFactory, FailedBuildIsUnnamedAndReportsEveryLog) {
    std::string log = "earlier text";
    const C_GLShader shader = createShader(vertexSource, "", "roads", log);
    EXPECT_FALSE(shader.isReady());
    EXPECT_EQ(shader.getName(), "");
    EXPECT_EQ(log,
              "Shader failed: roads\n"
              "Function result: 2\n"
              "vertex log:\n"
              "vertex: compiled\n"
              "\n"
              "fragment log:\n"
              "fragment: empty source\n"
              "\n"
              "shader log:\n"
              "link skipped: a stage failed to compile\n");

    createShader("", "no entry point", "both", log);
    EXPECT_EQ(log.rfind("Shader failed: both\nFunction result: 3\n", 0), 0u);
    EXPECT_NE(log.find("fragment: no entry point 'main'"), std::string::npos);
}

TEST(ShaderFactory, StyleHoldersSortByZOrder) {
    C_GeoStyle high, low, middle;
    high.setZOrder(9);
    low.setZOrder(-3);
    middle.setZOrder(2);
    const C_GeoStyleType holdHigh(&high), holdLow(&low), holdMiddle(&middle), holdNone(nullptr);
    EXPECT_TRUE(styleSortIncrease(&holdLow, &holdHigh));
    EXPECT_FALSE(styleSortIncrease(&holdHigh, &holdLow));
    EXPECT_FALSE(styleSortIncrease(&holdMiddle, &holdMiddle));

    // Null holders and holders without a style sort first instead of crashing.
    std::vector<const C_GeoStyleType*> holders = {&holdHigh, nullptr, &holdMiddle, &holdNone,
                                                  &holdLow};
    std::sort(holders.begin(), holders.end(), styleSortIncrease);
    EXPECT_EQ(holders[2], &holdLow);
    EXPECT_EQ(holders[3], &holdMiddle);
    EXPECT_EQ(holders[4], &holdHigh);
    EXPECT_FALSE(styleSortIncrease(nullptr, &holdNone));
    EXPECT_FALSE(styleSortIncrease(&holdNone, nullptr));
}

}  // namespace
}  // namespace quorvan
