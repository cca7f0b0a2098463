#include "model/builders/merge_lines.h"

#include <gtest/gtest.h>

namespace quorvan {
namespace {

using Line = std::vector<glm::vec2>;

TEST(MergeLines, JoinsAtEitherEndOrAppends) {
    struct Case {
        const char* name;
        Line path, line, expected;
    };
    const Case cases[] = {
        {"appended at the end",
         {{0, 0}, {10, 0}},
         {{10.5f, 0}, {20, 0}},
         {{0, 0}, {10.5f, 0}, {20, 0}}},
        {"prepended", {{10, 0}, {20, 0}}, {{0, 0}, {9.5f, 0}}, {{0, 0}, {9.5f, 0}, {20, 0}}},
        {"gap kept", {{0, 0}, {10, 0}}, {{12, 0}, {20, 0}}, {{0, 0}, {10, 0}, {12, 0}, {20, 0}}},
        {"exactly the tolerance",
         {{0, 0}, {10, 0}},
         {{10, 1}, {20, 1}},
         {{0, 0}, {10, 1}, {20, 1}}},
        {"reversed not flipped",
         {{0, 0}, {10, 0}},
         {{20, 0}, {10, 0}},
         {{0, 0}, {10, 0}, {20, 0}, {10, 0}}},
        {"empty path", {}, {{1, 1}, {2, 2}}, {{1, 1}, {2, 2}}},
        {"one-point path", {{5, 5}}, {{5.5f, 5}, {8, 5}}, {{5.5f, 5}, {8, 5}}},
    };
    for (const auto& c : cases) {
        Line path = c.path;
        mergeLines(c.line, path, 1.0f);
        EXPECT_EQ(path, c.expected) << c.name;
    }
}

TEST(MergeLines, PathMergedWithItself) {
    Line path{{0, 0}, {10, 0}};
    mergeLines(path, path, 1.0f);  // neither end meets: appended once
    EXPECT_EQ(path, (Line{{0, 0}, {10, 0}, {0, 0}, {10, 0}}));
    Line loop{{0, 0}, {10, 0}, {0, 0.5f}};
    mergeLines(loop, loop, 1.0f);  // first meets last
    EXPECT_EQ(loop, (Line{{0, 0}, {10, 0}, {0, 0}, {10, 0}, {0, 0.5f}}));
}

}  // namespace
}  // namespace quorvan
