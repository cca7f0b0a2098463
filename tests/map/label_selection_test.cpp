#include "map/label_selection.h"

#include <gtest/gtest.h>

#include <glm/ext/matrix_transform.hpp>

#include "map/map_scene.h"

namespace quorvan {
namespace {

using namespace meshory_test;

S_LabelCandidate candidate(glm::vec2 centre, glm::vec2 size, float angle, float priority,
                           float weight, int32_t group, std::string_view text) {
    return {centre, size, angle, priority, weight, group, text};
}

// Priority, then weight, then the order given; boxes turned by their angle
// collide only where they really overlap (touching is not overlapping); a
// text is kept once per group; a centre that is not finite is left out.
TEST(LabelSelection, KeepsByPriorityAndWeightWithoutOverlapOrRepeats) {
    const std::vector<S_LabelCandidate> c{
        candidate({0, 0}, {100, 10}, 0, 1, 10, 0, "Short St"),      // 0: a short road
        candidate({0, 8}, {100, 10}, 0, 1, 50, 0, "Long St"),       // 1: longer, wins over 0
        candidate({300, 0}, {40, 20}, 0, 0, 0, 0, "Castro"),        // 2: a place, first
        candidate({300, 12}, {100, 10}, 0, 1, 90, 0, "Castro St"),  // 3: overlaps the place
        candidate({150, 100}, {100, 10}, 45, 1, 5, 0, "Diagonal"),  // 4: clear
        // 5: its axis-aligned bounds would meet 4's, the turned boxes do not.
        candidate({150 + 60, 100 - 60}, {100, 10}, 45, 1, 4, 0, "Parallel"),
        candidate({400, 200}, {10, 10}, 0, 1, 1, 0, "Long St"),     // 6: repeats 1's text
        candidate({400, 300}, {10, 10}, 0, 1, 1, 7, "Long St"),     // 7: in another cell
        candidate({600, 0}, {10, 10}, 0, 1, 0, 0, "Touch"),         // 8
        candidate({610, 0}, {10, 10}, 0, 1, 0, 0, "Touching"),      // 9: touches 8
        candidate({std::nanf(""), 0}, {1, 1}, 0, 0, 0, 0, "Lost"),  // 10
    };
    const std::vector<size_t> kept = selectLabels(c);
    EXPECT_EQ(kept, (std::vector<size_t>{2, 1, 4, 5, 7, 8, 9}));
    EXPECT_EQ(selectLabels(c), kept);
    EXPECT_TRUE(selectLabels({}).empty());
}

C_GLCamera camera(float yaw, float pitch, int32_t kind = camera_projection::CENTERED_ORTHOGRAPHIC) {
    S_CameraOptions o;
    o.width = 800;
    o.height = 600;
    o.projection = kind;
    o.scale = glm::vec3(2.0f);
    o.target = glm::vec3(2.0f * static_cast<float>(kOriginX + 200.0),
                         2.0f * static_cast<float>(kOriginY + 200.0), 0.0f);
    o.yaw = yaw;
    o.pitch = pitch;
    o.distance = kind == camera_projection::PERSPECTIVE ? 500.0f : 3000.0f;
    o.maxPlane = 8000.0f;
    return C_GLCamera(o);
}

glm::dvec2 windowOf(const C_GLCamera& cam, glm::dvec3 p) {
    const glm::dmat4 m =
        glm::translate(glm::dmat4(cam.getProjectionMatrix()) * glm::dmat4(cam.getViewMatrix()) *
                           glm::dmat4(cam.getScaleMatrix()),
                       glm::dvec3(kOriginX, kOriginY, 0));
    const glm::dvec4 c = m * glm::dvec4(p, 1.0);
    return {(c.x / c.w * 0.5 + 0.5) * 800, (c.y / c.w * 0.5 + 0.5) * 600};
}

// Labels of tiles through a camera: anchors where the camera shows them,
// road names along their road as the screen shows it, place names upright,
// only listed layers and measured labels, nothing wholly off screen.
TEST(LabelSelection, TileLabelsThroughTheCamera) {
    using namespace blob_geometry;
    SegmentSpec road;
    road.text = "Market St";
    road.points = {sceneAt(100, 200), sceneAt(300, 200)};  // along +x
    C_Meshory maker;
    const C_Tile& tile =
        buildTile(maker, {{TEXT_DATA, kPoints, labelBlock(sceneAt(200, 260), {{0, "Castro"}})},
                          {LABEL_STYLE_SEGMENTS, kRoads, labelSegments({{road}})},
                          {TEXT_DATA, kPoints, labelBlock(sceneAt(202, 262), {{0, "Noe"}})},
                          {TEXT_DATA, kPoints, labelBlock(sceneAt(5000, 5000), {{0, "Far"}})},
                          {TEXT_DATA, kGround, labelBlock(sceneAt(100, 100), {{0, "Hidden"}})}});
    ASSERT_EQ(tile.models().size(), 5u);
    std::vector<glm::vec2> sizes(5, glm::vec2(60, 14));
    const int32_t layers[] = {kPoints, kRoads};
    const S_LabelTile tiles[] = {{&tile, {kOriginX, kOriginY}, sizes, {}}};

    for (const float yaw : {0.0f, 30.0f, 135.0f, 250.0f}) {
        const C_GLCamera cam = camera(yaw, 60.0f);
        const std::vector<S_PlacedLabel> placed = selectTileLabels(tiles, cam, layers);
        // Castro first (a place), then the road; Noe overlaps Castro, Far
        // is off screen, Hidden's layer is not drawn.
        ASSERT_EQ(placed.size(), 2u) << yaw;
        EXPECT_EQ(placed[0].model, 0u);
        EXPECT_EQ(placed[0].angle, 0.0f);
        const glm::dvec2 castro = windowOf(cam, {200, 260, 0});
        EXPECT_NEAR(placed[0].centre.x, castro.x, 1e-2);
        EXPECT_NEAR(placed[0].centre.y, castro.y, 1e-2);
        EXPECT_EQ(placed[1].model, 3u);  // models come by bucket: places, then roads
        const glm::dvec2 a = windowOf(cam, {100, 200, 0}), b = windowOf(cam, {300, 200, 0});
        double along = glm::degrees(std::atan2(b.y - a.y, b.x - a.x));
        if (along > 90) along -= 180;
        if (along < -90) along += 180;
        EXPECT_NEAR(placed[1].angle, along, 1e-3) << yaw;
        EXPECT_EQ(placed[1].size, glm::vec2(60, 14));
    }
    // A perspective camera places the same labels; an unmeasured label
    // (width 0) and a tile too short of sizes draw none.
    EXPECT_EQ(selectTileLabels(tiles, camera(10.0f, 50.0f, camera_projection::PERSPECTIVE), layers)
                  .size(),
              2u);
    sizes[0] = glm::vec2(0, 14);
    const std::vector<S_PlacedLabel> without = selectTileLabels(tiles, camera(0, 90), layers);
    ASSERT_EQ(without.size(), 2u);
    EXPECT_EQ(without[0].model, 1u);  // Noe, now unblocked
    const S_LabelTile shortTile[] = {{&tile, {kOriginX, kOriginY}, std::span(sizes).first(1), {}}};
    EXPECT_TRUE(selectTileLabels(shortTile, camera(0, 90), layers).empty());
    // Priorities given by the host replace the default: the road first.
    const float priorities[] = {5, 5, 5, 0, 5};
    sizes[0] = glm::vec2(60, 14);
    const S_LabelTile ranked[] = {{&tile, {kOriginX, kOriginY}, sizes, priorities}};
    EXPECT_EQ(selectTileLabels(ranked, camera(0, 90), layers).front().model, 3u);
}

}  // namespace
}  // namespace quorvan
