// A downstream program: includes every installed header as <meshory/...>,
// with only <prefix>/include on its include path, and calls each subsystem
// once.
#include <meshory/camera/glcamera.h>
#include <meshory/debug/debuglog.h>
#include <meshory/export.h>
#include <meshory/geometry/aabb2d.h>
#include <meshory/geometry/mathglm.h>
#include <meshory/geometry/texturedline.h>
#include <meshory/geometry/zero_area.h>
#include <meshory/grid/grid.h>
#include <meshory/model/blob_records.h>
#include <meshory/model/glmodel.h>
#include <meshory/model/host_output.h>
#include <meshory/model/label_placement.h>
#include <meshory/model/meshory.h>
#include <meshory/model/model_conversions.h>
#include <meshory/model/tile.h>
#include <meshory/styles/geostyle_lib.h>
#include <meshory/styles/geostyles_lib.h>
#include <meshory/styles/style_list.h>
#include <meshory/styles/style_record.h>
#include <meshory/version.h>

#include <cmath>
#include <cstdio>
#include <string>

static_assert(MESHORY_VERSION_MAJOR >= 0);

static int fail(const char* what) {
    std::fprintf(stderr, "consumer: %s\n", what);
    return 1;
}

int main() {
    using namespace quorvan;
    grid().cellsAmount(2, 2);
    grid().gridCoordinates(Bounds(0, 0, 100, 100));

    // Plain stream, one point (3, 0) in little-endian floats.
    const std::vector<uint8_t> payload = {0, 0, 0, 0x40, 0x40, 0, 0, 0, 0};
    C_Meshory maker;
    const std::vector<S_BlobData> blobs = {S_BlobData(1, blob_geometry::POINTS, 2, 0, payload)};
    const S_Model* model = maker.makeModel(blobs, glm::vec3(1, 0, 0), LoadFilter(0));
    if (!model || model->points.size() != 1 || model->points[0].x != 2.0f) return fail("model");
    float floats[3] = {};
    if (writePointFloats(*model, floats) != 3 || floats[0] != 2.0f) return fail("host output");
    if (!scanBlobRecords({}, 0).ok) return fail("blob records");
    // The same point as one record of a tile: id 0, type, layer 2, cell 0,
    // payload size, all little-endian, then the payload.
    std::vector<uint8_t> record(24, 0);
    record[8] = blob_geometry::POINTS;
    record[12] = 2;
    record[20] = static_cast<uint8_t>(payload.size());
    record.insert(record.end(), payload.begin(), payload.end());
    const S_TileRequest request{0, 1, 1.0, 0.0};
    C_Tile tile;
    if (!maker.buildTile(record, 1, {&request, 1}, 0, tile).ok || tile.floatCount() != 3)
        return fail("tile");

    // The styles headers take pugixml nodes: the package must bring pugixml.
    C_GeoStyle style;
    style.setProperties(pugi::xml_node());
    C_GeoStylesList styles;
    styles.loadFromFile("/nonexistent/styles.sld");
    if (styles.getStyleCount() != 0) return fail("styles");

    S_CameraOptions options;
    options.width = 640;
    options.height = 480;
    options.scale = glm::vec3(1);
    const glm::vec3 window = C_GLCamera(options).project(glm::vec3(0));
    if (!std::isfinite(window.x)) return fail("camera");

    // (p2 - p0) x (p1 - p0): this triangle's normal points down.
    const glm::vec3 normal = getNormal(glm::vec3(0), glm::vec3(1, 0, 0), glm::vec3(0, 1, 0));
    if (normal.z >= 0) return fail("normal");
    if (!C_AABB2d(glm::vec2(0), 2, 2).isPointInside(glm::vec2(0.5f))) return fail("box");
    C_TexturedLine line;
    line.createLine(std::vector<glm::vec2>{{0, 0}, {10, 0}}, 1.0f, 0);
    if (line.getVertexes().empty()) return fail("textured line");

    setDebugLogTag("consumer");
    log() << "discarded";

    std::printf("consumer ok: meshory %s\n", MESHORY_VERSION);
    return 0;
}
