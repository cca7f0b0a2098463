#include "map/pick.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <glm/ext/matrix_transform.hpp>
#include <limits>
#include <optional>

#include "map/map_scene.h"

namespace quorvan {
namespace {

using namespace meshory_test;

// Looking at the scene's middle, or at `at` (map units from the origin).
C_GLCamera makeCamera(int32_t kind, float yaw, float pitch, float scale,
                      glm::dvec2 at = {200.0, 200.0}) {
    S_CameraOptions o;
    o.width = 800;
    o.height = 600;
    o.projection = kind;
    o.scale = glm::vec3(scale);
    o.target = glm::vec3(scale * static_cast<float>(kOriginX + at.x),
                         scale * static_cast<float>(kOriginY + at.y), 0.0f);
    o.yaw = yaw;
    o.pitch = pitch;
    o.distance = kind == camera_projection::PERSPECTIVE ? 450.0f : 3000.0f;
    o.minPlane = 1.0f;
    o.maxPlane = 8000.0f;
    o.fov = 60.0f;
    return C_GLCamera(o);
}

// The camera's matrices multiplied in double precision, the tile's origin
// folded in: far from zero, their float product (getCameraMatrix) is off by
// a fraction of a pixel, as a GPU's would be.
glm::dmat4 chainOf(const C_GLCamera& camera) {
    const glm::dmat4 m = glm::dmat4(camera.getProjectionMatrix()) *
                         glm::dmat4(camera.getViewMatrix()) * glm::dmat4(camera.getScaleMatrix());
    return glm::translate(m, glm::dvec3(kOriginX, kOriginY, 0));
}

// Screen point (y from the top) of a tile-relative point.
glm::vec2 screenOf(const C_GLCamera& camera, glm::dvec3 p) {
    const glm::dvec4 c = chainOf(camera) * glm::dvec4(p, 1.0);
    const auto& o = camera.options();
    return {static_cast<float>((c.x / c.w * 0.5 + 0.5) * o.width),
            static_cast<float>(o.height - (c.y / c.w * 0.5 + 0.5) * o.height)};
}

// The reference: triangles rasterised, not ray cast. Each triangle is
// projected to the window; a screen point is covered when its barycentric
// weights there are all non-negative, at the depth those weights give
// (window depth is affine across a projected triangle). The nearest
// building covering the point wins; else the last ground block covering it.
std::optional<uint32_t> rasterPick(const C_Tile& tile, const C_GLCamera& camera, glm::vec2 s) {
    const glm::dmat4 m = chainOf(camera);
    const auto& o = camera.options();
    const glm::dvec2 p(s.x, o.height - s.y);
    std::optional<uint32_t> building, ground;
    double nearest = 1.0;
    for (size_t b = 0; b < tile.buckets().size(); ++b) {
        const S_TileBucket& bucket = tile.buckets()[b];
        if (bucket.layerId != kGround && bucket.layerId != kBuildings) continue;
        const auto v = tile.bucketTriangles(b);
        for (uint32_t i = bucket.models.first; i < bucket.models.first + bucket.models.count; ++i) {
            const S_TileModel& model = tile.models()[i];
            const uint32_t first = model.triangles.first - bucket.triangles.first;
            for (uint32_t k = first; k + 3 <= first + model.triangles.count; k += 3) {
                glm::dvec3 w[3];
                for (int c = 0; c < 3; ++c) {
                    const glm::dvec4 q = m * glm::dvec4(glm::dvec3(v[k + c]), 1.0);
                    w[c] = {(q.x / q.w * 0.5 + 0.5) * o.width, (q.y / q.w * 0.5 + 0.5) * o.height,
                            q.z / q.w * 0.5 + 0.5};
                }
                const auto edge = [&](int a, int b2) {
                    return (w[b2].x - w[a].x) * (p.y - w[a].y) -
                           (w[b2].y - w[a].y) * (p.x - w[a].x);
                };
                const double area = edge(0, 1) + edge(1, 2) + edge(2, 0);
                const double l0 = edge(1, 2), l1 = edge(2, 0), l2 = edge(0, 1);
                const bool inside =
                    (l0 >= 0 && l1 >= 0 && l2 >= 0) || (l0 <= 0 && l1 <= 0 && l2 <= 0);
                const double whole = l0 + l1 + l2;
                if (!inside || whole == 0.0 || area == 0.0) continue;
                const double depth = (l0 * w[0].z + l1 * w[1].z + l2 * w[2].z) / whole;
                if (!(depth >= 0.0 && depth <= 1.0)) continue;
                if (bucket.layerId == kGround) {
                    ground = i;
                } else if (depth < nearest) {
                    nearest = depth;
                    building = i;
                }
            }
        }
    }
    return building ? building : ground;
}

const S_PaintLayer kTrianglesOnly[] = {
    {kGround, paint_flags::TRIANGLES, 1.0f, 1.0f},
    {kBuildings, paint_flags::TRIANGLES | paint_flags::DEPTH, 1.0f, 1.0f},
};

// The library's ray against the rasterised reference over 1,000 screen
// points for each kind of camera; both see buildings and ground.
TEST(Pick, AgreesWithRasterisedTrianglesForEveryCameraKind) {
    const Scene scene;
    struct View {
        const char* name;
        C_GLCamera camera;
    };
    const View views[] = {
        {"orthographic", makeCamera(camera_projection::CENTERED_ORTHOGRAPHIC, 30.0f, 50.0f, 1.5f)},
        {"orthographic top-down",
         makeCamera(camera_projection::CENTERED_ORTHOGRAPHIC, 0.0f, 90.0f, 1.2f)},
        {"perspective", makeCamera(camera_projection::PERSPECTIVE, 200.0f, 45.0f, 1.0f)},
        {"perspective steep", makeCamera(camera_projection::PERSPECTIVE, 75.0f, 80.0f, 0.8f)},
        {"screen orthographic",
         makeCamera(camera_projection::SCREEN_ORTHOGRAPHIC, 180.0f, 70.0f, 1.4f, {0, 0})},
    };
    for (const View& view : views) {
        Lcg r;
        int agree = 0, buildings = 0, grounds = 0;
        constexpr int kPoints = 1000;
        for (int n = 0; n < kPoints; ++n) {
            const glm::vec2 s(r.in(0, 800), r.in(0, 600));
            const S_PickResult got =
                pickTile(*scene.tile, {kOriginX, kOriginY}, view.camera, s, kTrianglesOnly);
            const std::optional<uint32_t> want = rasterPick(*scene.tile, view.camera, s);
            const bool same = got.hit() ? want && *want == got.model : !want;
            agree += same;
            if (!same)
                std::printf("  at %g %g: ray %d (kind %u, depth %g), raster %d\n", s.x, s.y,
                            got.hit() ? int(got.model) : -1, got.kind, got.depth,
                            want ? int(*want) : -1);
            if (got.hit())
                (scene.tile->models()[got.model].layerId == kBuildings ? buildings : grounds)++;
        }
        std::printf("%s: %d of %d points agree (%d on buildings, %d on ground)\n", view.name, agree,
                    kPoints, buildings, grounds);
        EXPECT_GE(agree, 999) << view.name;
        // The scene is seen: a real share of the points lands on each layer.
        EXPECT_GT(buildings, 30) << view.name;
        EXPECT_GT(grounds, 100) << view.name;
    }
}

// Lines and points are met within half their drawn size plus the
// tolerance, in pixels on the screen, whatever the zoom; a flat layer
// painted later covers what was painted before, even a depth-tested one.
TEST(Pick, LinesAndPointsByPixelsAndPaintOrder) {
    using namespace blob_geometry;
    C_Meshory maker;
    // A road along y = 100 and a point above its middle, on a ground block.
    const C_Tile& tile =
        buildTile(maker, {{FLAT_TRIANGLE_FAN, kGround,
                           plainStream({sceneAt(200, 200), sceneAt(0, 0), sceneAt(400, 0),
                                        sceneAt(400, 400), sceneAt(0, 400), sceneAt(0, 0)})},
                          {LINES, kRoads, plainStream({sceneAt(100, 100), sceneAt(300, 100)})},
                          {POINTS, kPoints, plainStream({sceneAt(200, 250)})}});
    const S_PaintLayer order[] = {
        {kGround, paint_flags::TRIANGLES, 1.0f, 1.0f},
        {kRoads, paint_flags::LINES, 4.0f, 1.0f},
        {kPoints, paint_flags::POINTS, 1.0f, 10.0f},
    };
    const auto layerAt = [&](const C_GLCamera& camera, glm::vec2 s) {
        const S_PickResult hit = pickTile(tile, {kOriginX, kOriginY}, camera, s, order);
        return hit.hit() ? tile.models()[hit.model].layerId : -1;
    };
    for (const float scale : {0.5f, 3.0f}) {
        for (const float pitch : {90.0f, 40.0f}) {
            const C_GLCamera camera =
                makeCamera(camera_projection::CENTERED_ORTHOGRAPHIC, 20.0f, pitch, scale);
            // The point: reach 3 + 5 pixels, the road: 3 + 2 pixels.
            const glm::vec2 p = screenOf(camera, {200, 250, 0});
            EXPECT_EQ(layerAt(camera, p + glm::vec2(7.9f, 0)), kPoints);
            EXPECT_EQ(layerAt(camera, p + glm::vec2(0, 8.1f)), kGround);
            const glm::vec2 a = screenOf(camera, {100, 100, 0}),
                            b = screenOf(camera, {300, 100, 0});
            const glm::vec2 across = glm::normalize(glm::vec2(b.y - a.y, a.x - b.x));
            const glm::vec2 mid = (a + b) * 0.5f;
            EXPECT_EQ(layerAt(camera, mid + across * 4.9f), kRoads) << scale << " " << pitch;
            EXPECT_EQ(layerAt(camera, mid - across * 5.1f), kGround) << scale << " " << pitch;
            const S_PickResult onRoad = pickTile(tile, {kOriginX, kOriginY}, camera, mid, order);
            EXPECT_EQ(onRoad.kind, pick_kind::LINE);
            EXPECT_NEAR(onRoad.point.x, kOriginX + 200.0, 0.5 / scale);
            EXPECT_NEAR(onRoad.point.y, kOriginY + 100.0, 0.5 / scale);
        }
    }

    const Scene scene;
    const C_Tile& city = *scene.tile;
    // Buildings drawn with depth, then the ground painted over them: the
    // ground shows, and is picked, wherever both are.
    const C_GLCamera camera = makeCamera(camera_projection::PERSPECTIVE, 10.0f, 60.0f, 1.0f);
    const S_PaintLayer groundOnTop[] = {
        {kBuildings, paint_flags::TRIANGLES | paint_flags::DEPTH, 1, 1},
        {kGround, paint_flags::TRIANGLES, 1, 1},
    };
    Lcg r;
    int buildings = 0, covered = 0;
    for (int n = 0; n < 300; ++n) {
        const glm::vec2 s(r.in(0, 800), r.in(0, 600));
        const S_PickResult under = pickTile(city, {kOriginX, kOriginY}, camera, s, kTrianglesOnly);
        const S_PickResult over = pickTile(city, {kOriginX, kOriginY}, camera, s, groundOnTop);
        const S_PaintLayer groundAlone[] = {groundOnTop[1]};
        const bool ground = pickTile(city, {kOriginX, kOriginY}, camera, s, groundAlone).hit();
        if (under.hit() && city.models()[under.model].layerId == kBuildings) {
            ++buildings;
            covered += ground;
            EXPECT_EQ(over.hit() && city.models()[over.model].layerId == kGround, ground);
        }
    }
    EXPECT_GT(covered, 10);
    EXPECT_LT(covered, buildings);
}

// What is not drawn is not picked: layers left out of the paint order,
// points outside the viewport, null tiles, a camera without a valid scale.
TEST(Pick, NothingWhereNothingIsDrawn) {
    const Scene scene;
    const C_GLCamera camera =
        makeCamera(camera_projection::CENTERED_ORTHOGRAPHIC, 0.0f, 90.0f, 1.0f);
    const glm::vec2 centre(400, 300);
    ASSERT_TRUE(pickTile(*scene.tile, {kOriginX, kOriginY}, camera, centre, kTrianglesOnly).hit());
    EXPECT_FALSE(pickTile(*scene.tile, {kOriginX, kOriginY}, camera, centre, {}).hit());
    const S_PaintLayer unknown[] = {{999, paint_flags::ALL_KINDS, 50, 50}};
    EXPECT_FALSE(pickTile(*scene.tile, {kOriginX, kOriginY}, camera, centre, unknown).hit());
    EXPECT_FALSE(
        pickTile(*scene.tile, {kOriginX, kOriginY}, camera, {-1.0f, 300.0f}, kTrianglesOnly).hit());
    // Two tiles, the first null: the hit names the second.
    const S_PickTile tiles[] = {{nullptr, {0, 0}}, {scene.tile, {kOriginX, kOriginY}}};
    const S_PickResult two = pickTiles(tiles, camera, centre, kTrianglesOnly);
    ASSERT_TRUE(two.hit());
    EXPECT_EQ(two.tile, 1u);
    S_CameraOptions flat = camera.options();
    flat.scale = glm::vec3(0.0f);
    EXPECT_FALSE(
        pickTile(*scene.tile, {kOriginX, kOriginY}, C_GLCamera(flat), centre, kTrianglesOnly)
            .hit());
}

}  // namespace
}  // namespace quorvan
