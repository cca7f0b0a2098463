#pragma once

// Files for the style tests: the checked-in documents of data/ and documents
// written at test time.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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
        std::string pattern =
            (std::filesystem::temp_directory_path() / "meshory-styles-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        dir = pattern;
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
