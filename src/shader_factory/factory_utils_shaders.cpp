#include "shader_factory/factory_utils_shaders.h"

#include <algorithm>
#include <string_view>

#include "styles/style_record.h"

namespace quorvan {

namespace {

const C_GeoStyle* styleOf(const C_GeoStyleType* holder) {
    return holder != nullptr ? holder->getStyle() : nullptr;
}

}  // namespace

std::vector<std::string> getShaderFiles(const std::vector<std::string>& files,
                                        const std::string& name) {
    std::vector<std::string> found;
    for (const char* suffix : {".vertex", ".fragment"}) {
        std::string file = name + suffix;
        if (std::find(files.begin(), files.end(), file) != files.end())
            found.push_back(std::move(file));
    }
    return found;
}

bool shaderExists(const std::string& path, const std::map<std::string, C_GLShader>& shaders) {
    // The outside helper could in principle report a longer extension than
    // the path holds; never cut below the start.
    const size_t cut = std::min(extractFileExt(path).size(), path.size());
    return shaders.count(extractFileName(path.substr(0, path.size() - cut))) != 0;
}

C_GLShader createShader(const std::string& vertex, const std::string& fragment,
                        const std::string& name, std::string& log) {
    C_GLShader shader;
    // Whole sizes: a cast to the class's unsigned lengths would build a
    // prefix of a source of 4 GiB or more.
    const int result = shader.createAuto(std::string_view(vertex), std::string_view(fragment));
    if (result == 0) {
        shader.setName(name);
        return shader;
    }
    log = "Shader failed: " + name + "\n" + "Function result: " + std::to_string(result) + "\n" +
          "vertex log:\n" + shader.getLogVertexShader() + "\n\n" + "fragment log:\n" +
          shader.getLogFragmentShader() + "\n\n" + "shader log:\n" + shader.getLogProgram() + "\n";
    return shader;
}

bool styleSortIncrease(const C_GeoStyleType* a, const C_GeoStyleType* b) {
    const C_GeoStyle* left = styleOf(a);
    const C_GeoStyle* right = styleOf(b);
    if (right == nullptr) return false;
    if (left == nullptr) return true;
    return left->getZOrder() < right->getZOrder();
}

}  // namespace quorvan
