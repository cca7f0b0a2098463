#pragma once

// Files for the style tests: the checked-in documents of data/ and documents
// written at test time.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace quorvan::test {

// The data directory beside this header. The test executables run from the
// build tree, so it is found from the compiler's (absolute) path of this file.
inline std::filesystem::path styleDataDir() {
    const std::filesystem::path dir = std::filesystem::path(__FILE__).parent_path() / "data";
    EXPECT_TRUE(std::filesystem::is_directory(dir)) << "style test data not found at " << dir;
    return dir;
}

inline std::string styleData(const char* name) {
    return (styleDataDir() / name).string();
}

// A file in a fresh directory under the system temporary directory, removed
// with its directory at scope exit.
class TempFile {
public:
    explicit TempFile(const std::string& name, const std::string& content = std::string()) {
        // create_directory reports whether it made the folder, so a name
        // taken meanwhile is never shared (mkdtemp, portably).
        std::random_device random;
        for (int attempt = 0; attempt < 100 && dir.empty(); ++attempt) {
            const auto candidate = std::filesystem::temp_directory_path() /
                                   ("meshory-styles-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) dir = candidate;
        }
        if (dir.empty()) ADD_FAILURE() << "no fresh temporary folder";
        file = dir / name;
        std::ofstream(file, std::ios::binary) << content;
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    std::string path() const { return file.string(); }
    std::filesystem::path directory() const { return dir; }

private:
    std::filesystem::path dir;
    std::filesystem::path file;
};

// A minimal document around layer elements.
inline std::string sld(const std::string& layers,
                       const std::string& rootAttributes = std::string()) {
    return "<?xml version=\"1.0\"?>\n<StyledLayerDescriptor version=\"1.0.0\" "
           "xmlns=\"http://www.opengis.net/sld\"" +
           rootAttributes + ">" + layers + "</StyledLayerDescriptor>";
}

}  // namespace quorvan::test
