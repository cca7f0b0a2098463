// Replays fuzz inputs without libFuzzer: each argument is a file or a folder
// of files, each fed once to the target. The test suite uses it to keep every
// past finding and the seed corpus passing under the sanitizers.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

static int replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    // An exact-size heap copy, so that the sanitizer sees any overrun.
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    return LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
}

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file()) replay(entry.path()), ++count;
            }
        } else if (fs::exists(arg)) {
            replay(arg), ++count;
        }
    }
    std::printf("replayed %zu input(s)\n", count);
    return 0;
}
