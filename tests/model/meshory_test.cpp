#include "model/meshory.h"

#include <gtest/gtest.h>

#include "support/payload_writer.h"

namespace quorvan {
namespace {

using glm::vec2;
using glm::vec3;
namespace bg = blob_geometry;

S_BlobData pointsBlob(std::vector<vec2> pts, int32_t layer = 1, uint64_t id = 1, int32_t cell = 0) {
    return S_BlobData(id, bg::POINTS, layer, cell, meshory_test::plainStream(pts));
}

TEST(Records, DefaultsAndDeepCopies) {
    const S_Model m;
    EXPECT_EQ(m.height, 0.0f);
    EXPECT_EQ(m.polygons.mode, 0u);
    EXPECT_EQ(m.lines.mode, 0u);
    EXPECT_EQ(m.lines.width, 0.0f);
    EXPECT_TRUE(m.label.empty());
    EXPECT_EQ(m.labelPosition, vec3(0));

    const LoadFilter f(0);
    EXPECT_EQ(f.variants, std::set<uint16_t>{0});
    EXPECT_TRUE(f.categories.empty() && f.styleIds.empty() && f.reserved.empty());

    const S_BlobData empty(1, 2, 3, 4, {});
    EXPECT_TRUE(empty.data.empty());
    S_BlobData original(9, bg::POINTS, 3, 4, {1, 2, 3});
    S_BlobData copy = original;
    copy.data[0] = 42;
    EXPECT_EQ(original.data[0], 1);
    EXPECT_EQ(original.id, 9u);
    EXPECT_EQ(original.type, bg::POINTS);
    EXPECT_EQ(original.layerId, 3);
    EXPECT_EQ(original.cellIndex, 4);
}

TEST(ModelMaker, NothingToBuildGivesNull) {
    C_Meshory maker;
    EXPECT_EQ(maker.makeModel({}, vec3(0), LoadFilter()), nullptr);
    const std::vector<S_BlobData> unknown = {
        S_BlobData(1, 19, 1, 0, {1, 2, 3}), S_BlobData(2, 0, 1, 0, {}), S_BlobData(3, -5, 1, 0, {}),
        S_BlobData(4, 102, 1, 0, {})};
    EXPECT_EQ(maker.makeModel(unknown, vec3(0), LoadFilter()), nullptr);
    EXPECT_TRUE(maker.getModels().empty());
    EXPECT_TRUE(maker.getModelLayers().empty());
}

TEST(ModelMaker, PointsOfSeveralBlobsAppendInOrderRelativeToOrigin) {
    C_Meshory maker;
    const S_Model* m = maker.makeModel({pointsBlob({{1, 2}}), pointsBlob({{3, 4}, {5, 6}})},
                                       vec3(1, 2, 9), LoadFilter(0));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->points, (std::vector<vec2>{{0, 0}, {2, 2}, {4, 4}}));
    EXPECT_TRUE(m->polygons.vertices.empty());
    EXPECT_EQ(m->lines.mode, 0u);
}

TEST(ModelMaker, StampsTheFirstBlobEvenWithoutBuilder) {
    C_Meshory maker;
    const S_Model* m =
        maker.makeModel({S_BlobData(77, 50, 12, 0x30004, {}), pointsBlob({{1, 1}}, 3, 5, 6)},
                        vec3(0), LoadFilter());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->id, 77u);
    EXPECT_EQ(m->layerId, 12);
    EXPECT_EQ(m->cellIndex, 0x30004);
    EXPECT_TRUE(maker.isLayerExists(12));
    EXPECT_FALSE(maker.isLayerExists(3));
}

TEST(ModelMaker, EmptyPayloadStillCountsAsBuilt) {
    C_Meshory maker;
    const S_Model* m =
        maker.makeModel({S_BlobData(1, bg::POINTS, 1, 0, {0, 1, 2})}, vec3(0), LoadFilter());
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->points.empty());
    EXPECT_NE(maker.makeModel({S_BlobData(1, bg::POINTS, 1, 0, {})}, vec3(0), LoadFilter()),
              nullptr);
}

TEST(ModelMaker, LayersGroupModelsAndSurviveReleaseOfTheirLastModel) {
    C_Meshory maker;
    const S_Model* a = maker.makeModel({pointsBlob({{1, 1}}, 4)}, vec3(0), LoadFilter());
    const S_Model* b = maker.makeModel({pointsBlob({{2, 2}}, 4)}, vec3(0), ViewportPolygon());
    const S_Model* c = maker.makeModel({pointsBlob({{3, 3}}, 8)}, vec3(0), LoadFilter());
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(maker.getModelLayer(4), (C_Meshory::ModelSet{a, b}));
    EXPECT_EQ(maker.getModels().size(), 3u);

    maker.releaseModel(a);
    maker.releaseModel(b);
    EXPECT_TRUE(maker.isLayerExists(4));
    EXPECT_TRUE(maker.getModelLayer(4).empty());
    maker.releaseModel(nullptr);
    EXPECT_EQ(maker.getModels(), C_Meshory::ModelSet{c});

    maker.releaseModels();
    EXPECT_FALSE(maker.isLayerExists(4));
    EXPECT_FALSE(maker.isLayerExists(8));
    EXPECT_TRUE(maker.getModels().empty());
    EXPECT_TRUE(maker.getModelLayer(99).empty());  // unknown layer: a valid empty set
}

TEST(ModelMaker, ReleasingOwnSetsReleasesEachModelOnce) {
    C_Meshory maker;
    for (int i = 0; i < 5; ++i)
        maker.makeModel({pointsBlob({{1, 1}}, i % 2)}, vec3(0), LoadFilter());
    maker.releaseModels(maker.getModelLayer(1));
    EXPECT_EQ(maker.getModels().size(), 3u);
    EXPECT_TRUE(maker.getModelLayer(1).empty());
    maker.releaseModels(maker.getModels());
    EXPECT_TRUE(maker.getModels().empty());
    // The destructor releases whatever is left; ASan's leak check covers it.
    maker.makeModel({pointsBlob({{1, 1}})}, vec3(0), LoadFilter());
}

TEST(ModelMaker, AddModelToGroupFilesOnce) {
    C_Meshory maker;
    auto* model = new S_Model;
    model->layerId = 5;
    maker.addModelToGroup(model);
    maker.addModelToGroup(model);
    EXPECT_EQ(maker.getModelLayer(5).size(), 1u);
    maker.releaseModel(model);
}

TEST(ModelMaker, BuilderTableCoversTheRegisteredCodes) {
    EXPECT_NE(C_Meshory::builderFor(bg::POINTS), nullptr);
    for (int32_t code : {0, 19, 100, 102, -1}) EXPECT_EQ(C_Meshory::builderFor(code), nullptr);
}

}  // namespace
}  // namespace quorvan
