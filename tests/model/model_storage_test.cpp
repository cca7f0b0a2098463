#include <gtest/gtest.h>

#include <vector>

#include "model/meshory.h"
#include "support/payload_writer.h"

namespace quorvan {
namespace {

using glm::vec2;
namespace bg = blob_geometry;

// `n` buildings with walls: triangles, normals and outline lines.
std::vector<S_BlobData> buildings(int n) {
    std::vector<S_BlobData> blobs;
    for (int i = 0; i < n; ++i) {
        const float x = static_cast<float>(i % 100) * 20.0f,
                    y = static_cast<float>(i / 100) * 20.0f;
        const std::vector<vec2> fan = {{x, y},     {x + 5, y}, {x + 5, y + 5},
                                       {x, y + 5}, {x - 5, y}, {x + 5, y}};
        blobs.emplace_back(i, bg::TRIANGLE_FAN, 1, 0,
                           meshory_test::withU16Prefix(120, meshory_test::plainStream(fan)));
    }
    return blobs;
}

TEST(ModelStorage, ReleasedStorageServesTheNextRequestWithinTheBudget) {
    const std::vector<S_BlobData> large = buildings(2000), small = buildings(3);
    C_Meshory maker;
    EXPECT_EQ(maker.storageBudget(), size_t(64) << 20);

    const S_Model* first = maker.makeModel(large, {0, 0, 0}, LoadFilter(0));
    const glm::vec3* storage = first->polygons.vertices.data();
    const std::vector<glm::vec3> triangles = first->polygons.vertices;
    maker.releaseModel(first);
    EXPECT_GT(maker.keptStorageBytes(), triangles.size() * sizeof(glm::vec3));

    // The same request again builds in the kept storage, with the same result.
    const S_Model* again = maker.makeModel(large, {0, 0, 0}, LoadFilter(0));
    EXPECT_EQ(again->polygons.vertices.data(), storage);
    EXPECT_EQ(again->polygons.vertices, triangles);
    EXPECT_EQ(maker.keptStorageBytes(), 0u);

    // A budget below a model's storage frees it instead of keeping it.
    const S_Model* little = maker.makeModel(small, {0, 0, 0}, LoadFilter(0));
    maker.releaseModel(little);
    const size_t littleBytes = maker.keptStorageBytes();
    EXPECT_GT(littleBytes, 0u);
    maker.setStorageBudget(littleBytes + 4096);
    maker.releaseModel(again);
    EXPECT_EQ(maker.keptStorageBytes(), littleBytes);

    // Budget 0 frees what is kept and keeps nothing more.
    maker.setStorageBudget(0);
    EXPECT_EQ(maker.keptStorageBytes(), 0u);
    maker.releaseModel(maker.makeModel(small, {0, 0, 0}, LoadFilter(0)));
    EXPECT_EQ(maker.keptStorageBytes(), 0u);
}

TEST(ModelStorage, RequestWithoutBuilderKeepsItsStorageAndFreesAllWithTheMaker) {
    C_Meshory maker;
    const std::vector<S_BlobData> none = {S_BlobData(1, 0, 1, 0, {1, 2, 3})};
    EXPECT_EQ(maker.makeModel(none, {0, 0, 0}, LoadFilter(0)), nullptr);
    // Kept storage and live models alike go with the maker (LeakSanitizer checks).
    maker.releaseModel(maker.makeModel(buildings(10), {0, 0, 0}, LoadFilter(0)));
    maker.makeModel(buildings(10), {0, 0, 0}, LoadFilter(0));
    maker.releaseModels();
    EXPECT_GT(maker.keptStorageBytes(), 0u);
}

}  // namespace
}  // namespace quorvan
