// The style loader on fuzzed documents: the input is written to a file of its
// own (the loader reads paths only), loaded twice (loading appends) and
// queried at a few heights, NaN and infinity included.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "styles/style_list.h"

namespace {

// One file per process, so that parallel fuzzing jobs do not share it;
// removed at exit.
struct ScratchFile {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("meshory-fuzz-styles-" + std::to_string(getpid()) + ".sld"))
                           .string();
    ~ScratchFile() { std::remove(path.c_str()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    static const ScratchFile scratch;
    FILE* f = std::fopen(scratch.path.c_str(), "wb");
    if (!f) return 0;
    // The replay passes null for an empty input, which fwrite must not get.
    const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) return 0;

    C_GeoStylesList list;
    if (list.loadFromFile(scratch.path) != 0) {
        if (list.getStyleCount() != 0) __builtin_trap();  // a failed load leaves the list as it was
        return 0;
    }
    const size_t once = list.getStyleCount();
    list.loadFromFile(scratch.path);
    if (list.getStyleCount() != 2 * once) __builtin_trap();

    const float inf = std::numeric_limits<float>::infinity();
    for (const float h : {0.0f, 1.0f, 150.5f, 8000.0f, 1e9f, -1.0f, inf, -inf, std::nanf("")}) {
        for (const C_GeoStyle* style : list.getStyleByHeight(h)) {
            if (!style) __builtin_trap();
        }
    }
    volatile size_t sink = list.getAll3dStyles().size();
    for (const C_GeoStyle* style : list.getAllStyles())
        sink = sink + style->getName().size() + style->getZOrder();
    (void)sink;
    list.clear();
    return 0;
}
