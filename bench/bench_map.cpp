// The map core's per-interaction and per-frame work on a synthetic city
// tile (tests/map/map_scene.h): one pick under the pointer for each camera
// kind, and a frame's label selection over 600 labels.
#include <benchmark/benchmark.h>

#include "map/label_selection.h"
#include "map/map_scene.h"
#include "map/pick.h"

namespace {

using namespace quorvan;
using namespace meshory_test;

C_GLCamera cityCamera(int32_t kind) {
    S_CameraOptions o;
    o.width = 1280;
    o.height = 800;
    o.projection = kind;
    o.scale = glm::vec3(1.5f);
    o.target = glm::vec3(1.5f * static_cast<float>(kOriginX + 200.0),
                         1.5f * static_cast<float>(kOriginY + 200.0), 0.0f);
    o.yaw = 30.0f;
    o.pitch = 50.0f;
    o.distance = kind == camera_projection::PERSPECTIVE ? 700.0f : 3000.0f;
    o.maxPlane = 8000.0f;
    return C_GLCamera(o);
}

void BM_PickCity(benchmark::State& state) {
    const Scene scene;
    const C_GLCamera camera = cityCamera(static_cast<int32_t>(state.range(0)));
    const S_PaintLayer order[] = {
        {kGround, paint_flags::TRIANGLES, 1, 1},
        {kRoads, paint_flags::LINES, 3, 1},
        {kPoints, paint_flags::POINTS, 1, 6},
        {kBuildings, paint_flags::TRIANGLES | paint_flags::DEPTH, 1, 1},
    };
    Lcg r;
    for (auto _ : state) {
        const glm::vec2 at(r.in(0, 1280), r.in(0, 800));
        benchmark::DoNotOptimize(pickTile(*scene.tile, {kOriginX, kOriginY}, camera, at, order));
    }
}
BENCHMARK(BM_PickCity)
    ->Arg(camera_projection::CENTERED_ORTHOGRAPHIC)
    ->Arg(camera_projection::PERSPECTIVE);

void BM_SelectLabels(benchmark::State& state) {
    using namespace blob_geometry;
    std::vector<SceneRecord> records;
    Lcg r;
    for (int i = 0; i < 600; ++i)
        records.push_back({TEXT_DATA, kPoints,
                           labelBlock(sceneAt(r.in(0, 400), r.in(0, 400)),
                                      {{0, "Label " + std::to_string(i % 150)}})});
    C_Meshory maker;
    const C_Tile& tile = buildTile(maker, records);
    const std::vector<glm::vec2> sizes(tile.models().size(), glm::vec2(70, 14));
    const S_LabelTile tiles[] = {{&tile, {kOriginX, kOriginY}, sizes, {}}};
    const C_GLCamera camera = cityCamera(camera_projection::CENTERED_ORTHOGRAPHIC);
    size_t kept = 0;
    for (auto _ : state) {
        const std::vector<S_PlacedLabel> placed = selectTileLabels(tiles, camera);
        kept = placed.size();
        benchmark::DoNotOptimize(placed.data());
    }
    state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_SelectLabels);

}  // namespace
