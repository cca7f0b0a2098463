#pragma once

// Shader factory: pairs shader source files by name, builds programs through
// the host's C_GLShader and orders the host's style holders by zOrder.
// Shader files are named <name>.vertex and <name>.fragment.

#include <map>
#include <string>
#include <vector>

#include "export.h"
#include "glshader/glshader.h"

namespace quorvan {

// name + ".vertex" when `files` holds exactly that string, then
// name + ".fragment" likewise: zero, one or two entries, vertex first.
MESHORY_API std::vector<std::string> getShaderFiles(const std::vector<std::string>& files,
                                                    const std::string& name);

// True when `shaders` has a key equal to the file name of `path` without
// its extension (as extractFileName and extractFileExt see them).
MESHORY_API bool shaderExists(const std::string& path,
                              const std::map<std::string, C_GLShader>& shaders);

// Builds a shader from the two sources. On success it is named `name` and
// `log` is untouched; on failure it stays unnamed and `log` is replaced by a
// report: the name, the result code of createAuto and the vertex, fragment
// and program logs. The shader is returned in either case.
MESHORY_API C_GLShader createShader(const std::string& vertex, const std::string& fragment,
                                    const std::string& name, std::string& log);

// Strict order by ascending zOrder of the held styles. A null holder, or one
// without a style, sorts before every style, so sorting such a list neither
// crashes nor breaks the ordering's consistency.
MESHORY_API bool styleSortIncrease(const C_GeoStyleType* a, const C_GeoStyleType* b);

}  // namespace quorvan
