// The per-frame questions of a map view: grid cells of a view rectangle,
// visible styles at a camera height (a generated document of 200 layers),
// camera projection and unprojection.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "camera/glcamera.h"
#include "grid/grid.h"
#include "styles/style_list.h"

namespace {

using namespace quorvan;

void setUpGrid() {
    grid().cellsAmount(256, 256);
    grid().gridCoordinates(Bounds(0.0, 0.0, 256000.0, 256000.0));
}

void BM_GridCellRanges(benchmark::State& state) {
    setUpGrid();
    const double side = static_cast<double>(state.range(0)) * 1000.0;
    std::vector<StrictRange> ranges;
    for (auto _ : state) {
        ranges.clear();
        grid().getCellRanges(Bounds(12345.0, 23456.0, 12345.0 + side, 23456.0 + side), &ranges);
        benchmark::DoNotOptimize(ranges.data());
    }
}

void BM_GridCellIndices(benchmark::State& state) {
    setUpGrid();
    const double side = static_cast<double>(state.range(0)) * 1000.0;
    std::set<int> cells;
    for (auto _ : state) {
        cells.clear();
        grid().getCellsIndices(Bounds(12345.0, 23456.0, 12345.0 + side, 23456.0 + side), &cells);
        benchmark::DoNotOptimize(cells.size());
    }
}

// An SLD document of `layers` named layers, each with two scale rules.
std::string generatedDocument(int layers) {
    std::string doc =
        "<?xml version=\"1.0\"?>\n<StyledLayerDescriptor version=\"1.0.0\" "
        "background-color=\"#F2EFE9\">";
    for (int i = 0; i < layers; ++i) {
        const std::string n = std::to_string(i);
        doc += "<NamedLayer><Name>layer" + n + "</Name><VendorOption name=\"geometryLayerId\">" +
               n + "</VendorOption><VendorOption name=\"zOrder\">" +
               std::to_string(i * 7 % layers) + "</VendorOption><VendorOption name=\"3D\">" +
               (i % 5 == 0 ? "true" : "false") +
               "</VendorOption><UserStyle><FeatureTypeStyle><Rule><MinScaleDenominator>" +
               std::to_string(1000 + i * 97) + "</MinScaleDenominator><MaxScaleDenominator>" +
               std::to_string(i) +
               "</MaxScaleDenominator><PolygonSymbolizer><Fill><CssParameter "
               "name=\"fill\">#D9D0C9</CssParameter>"
               "</Fill></PolygonSymbolizer></Rule></FeatureTypeStyle></UserStyle></NamedLayer>";
    }
    return doc + "</StyledLayerDescriptor>";
}

void BM_StyleVisibility(benchmark::State& state) {
    const std::string path = std::filesystem::temp_directory_path() /
                             ("meshory-bench-" + std::to_string(getpid()) + ".sld");
    std::ofstream(path) << generatedDocument(200);
    C_GeoStylesList styles;
    if (styles.loadFromFile(path) != 0) state.SkipWithError("generated document did not load");
    std::filesystem::remove(path);
    float height = 0.0f;
    for (auto _ : state) {
        height = height > 20000.0f ? 0.0f : height + 173.0f;
        auto visible = styles.getStyleByHeight(height);
        benchmark::DoNotOptimize(visible.data());
    }
}

C_GLCamera perspectiveCamera() {
    S_CameraOptions options;
    options.width = 1920;
    options.height = 1080;
    options.projection = camera_projection::PERSPECTIVE;
    options.scale = glm::vec3(1.0f);
    options.target = glm::vec3(1000.0f, 2000.0f, 0.0f);
    return C_GLCamera(options);
}

void BM_CameraProject(benchmark::State& state) {
    const C_GLCamera camera = perspectiveCamera();
    glm::vec3 p(1000.0f, 2000.0f, 0.0f);
    for (auto _ : state) {
        p.x += 0.25f;
        benchmark::DoNotOptimize(camera.project(p));
    }
}

void BM_CameraUnproject(benchmark::State& state) {
    const C_GLCamera camera = perspectiveCamera();
    glm::vec3 w(960.0f, 540.0f, 0.5f);
    for (auto _ : state) {
        w.x = w.x > 1900.0f ? 0.0f : w.x + 1.0f;
        benchmark::DoNotOptimize(camera.unProject(w));
    }
}

void BM_CameraPickRay(benchmark::State& state) {
    const C_GLCamera camera = perspectiveCamera();
    glm::vec2 s(960.0f, 540.0f);
    for (auto _ : state) {
        s.x = s.x > 1900.0f ? 0.0f : s.x + 1.0f;
        auto ray = camera.getLineToPlane(s, 0.0f);
        benchmark::DoNotOptimize(ray.data());
    }
}

}  // namespace

BENCHMARK(BM_GridCellRanges)->Arg(3)->Arg(30);
BENCHMARK(BM_GridCellIndices)->Arg(3)->Arg(30);
BENCHMARK(BM_StyleVisibility);
BENCHMARK(BM_CameraProject);
BENCHMARK(BM_CameraUnproject);
BENCHMARK(BM_CameraPickRay);
