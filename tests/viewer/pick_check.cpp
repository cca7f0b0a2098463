// The C++ side of the viewer's pick test: builds the pack's tiles with the
// library's tile API, makes the camera the viewer wrote (orthographic or
// perspective), paints the style's visible layers in the viewer's order
// (flat layers in z-order: fills, strokes, points; then the 3D layers' fills
// with depth) and picks each of the viewer's screen points with the
// library's pickTiles. The viewer picks through the JVM with the same call:
// both must name the same model at every point. (The picking rule itself is
// checked against an independent ray/triangle test in tests/map.) Prints
// the agreement and exits 1 unless every point agrees.
//
// usage: viewer_pick_check PACK SLD PICKS

#include <meshory/camera/glcamera.h>
#include <meshory/grid/grid.h>
#include <meshory/map/pick.h>
#include <meshory/model/meshory.h>
#include <meshory/model/tile.h>
#include <meshory/styles/style_list.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "pack/blob_pack.h"

using namespace quorvan;

namespace {

bool drawsFill(const C_GeoStyle& s) {
    return s.getFillColor().a > 0;
}
bool drawsStroke(const C_GeoStyle& s) {
    return s.getStrokeColor().a > 0 && s.getStrokeWidth() > 0;
}
float pointSize(const C_GeoStyle& s) {
    return s.getGraphicSize() > 0 ? s.getGraphicSize() : 6.0f;
}

// Each request's blobs as records of the blob layout, the pack's requests
// grouped by origin in order of first appearance: the viewer's tiles.
struct Tiles {
    std::vector<uint8_t> records;
    int64_t recordCount = 0;
    std::vector<std::pair<glm::dvec2, std::vector<S_TileRequest>>> groups;
};

template <typename T>
void put(std::vector<uint8_t>& out, T value) {
    const size_t at = out.size();
    out.resize(at + sizeof value);
    std::memcpy(out.data() + at, &value, sizeof value);  // little-endian hosts only, as the pack
}

Tiles groupTiles(const pack::BlobPack& pack) {
    Tiles t;
    for (const pack::PackRequest& r : pack.requests) {
        S_TileRequest q;
        q.firstRecord = static_cast<uint32_t>(t.recordCount);
        q.recordCount = static_cast<uint32_t>(r.blobs.size());
        q.x = r.x;
        q.y = r.y;
        for (const S_BlobData& b : r.blobs) {
            put(t.records, b.id);
            put(t.records, b.type);
            put(t.records, b.layerId);
            put(t.records, b.cellIndex);
            put(t.records, static_cast<uint32_t>(b.data.size()));
            t.records.insert(t.records.end(), b.data.begin(), b.data.end());
            ++t.recordCount;
        }
        auto g = t.groups.begin();
        while (g != t.groups.end() && g->first != glm::dvec2(r.x, r.y)) ++g;
        if (g == t.groups.end()) g = t.groups.insert(g, {glm::dvec2(r.x, r.y), {}});
        g->second.push_back(q);
    }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: viewer_pick_check PACK SLD PICKS\n");
        return 2;
    }
    pack::BlobPack pack;
    pack::PackError error;
    if (!pack::readBlobPackFile(argv[1], pack, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.message.c_str());
        return 2;
    }
    if (pack.grid.cellsInRow > 0 && pack.grid.cellsInCol > 0) {
        grid().cellsAmount(pack.grid.cellsInRow, pack.grid.cellsInCol);
        grid().gridCoordinates(pack.grid.bounds);
    }
    C_GeoStylesList styles;
    if (styles.loadFromFile(argv[2]) != 0) {
        std::fprintf(stderr, "%s: not a style document\n", argv[2]);
        return 2;
    }

    std::ifstream picks(argv[3]);
    std::string line, word;
    S_CameraOptions options;
    options.projection = camera_projection::CENTERED_ORTHOGRAPHIC;
    float height = 0.0f, tolerance = 0.0f;
    for (int header = 0; header < 4 && std::getline(picks, line); ++header) {
        std::istringstream in(line);
        in >> word;
        int perspective = 0;
        if (word == "camera") {
            in >> options.width >> options.height >> options.minPlane >> options.maxPlane >>
                options.target.x >> options.target.y >> options.target.z >> options.scale.x >>
                options.scale.y >> options.scale.z >> options.yaw >> options.pitch >>
                options.distance >> options.fov;
        } else if (word == "perspective" && in >> perspective && perspective == 1) {
            options.projection = camera_projection::PERSPECTIVE;
        } else if (word == "height") {
            in >> height;
        } else if (word == "tolerance") {
            in >> tolerance;
        }
    }
    if (options.width <= 0 || !(tolerance > 0) || !(height > 0)) {
        std::fprintf(stderr, "%s: no camera, height or tolerance\n", argv[3]);
        return 2;
    }
    const C_GLCamera camera(options);

    Tiles grouped = groupTiles(pack);
    C_Meshory maker;
    std::vector<S_PickTile> tiles;
    for (const auto& [origin, requests] : grouped.groups) {
        S_TileBuild result;
        const C_Tile* tile = maker.makeTile(grouped.records, grouped.recordCount, requests,
                                            tile_flags::ALL, &result);
        if (!tile) {
            std::fprintf(stderr, "tile at %g, %g: %s\n", origin.x, origin.y, result.error.c_str());
            return 2;
        }
        tiles.push_back({tile, origin});
    }
    const std::vector<const C_GeoStyle*> visible = styles.getStyleByHeight(height);
    std::vector<S_PaintLayer> order;
    for (const bool depth : {false, true}) {
        for (const C_GeoStyle* s : visible) {
            if (s->isView3d() != depth || (depth && !drawsFill(*s))) continue;
            uint32_t flags = depth ? paint_flags::DEPTH : paint_flags::POINTS;
            if (drawsFill(*s)) flags |= paint_flags::TRIANGLES;
            if (!depth && drawsStroke(*s)) flags |= paint_flags::LINES;
            order.push_back({s->getGeometryLayerId(), flags, s->getStrokeWidth(), pointSize(*s)});
        }
    }

    int points = 0, agree = 0, picked = 0;
    while (std::getline(picks, line)) {
        std::istringstream in(line);
        float sx = 0, sy = 0;
        std::string viewer;
        in >> sx >> sy;
        std::getline(in >> std::ws, viewer);
        const S_PickResult hit = pickTiles(tiles, camera, glm::vec2(sx, sy), order, tolerance);
        const S_TileModel* m = hit.hit() ? &tiles[hit.tile].tile->models()[hit.model] : nullptr;
        const std::string mine = m ? std::to_string(m->layerId) + " " + std::to_string(m->id) +
                                         " " + std::to_string(m->cellIndex)
                                   : "none";
        if (points == 0)
            std::printf("pick at the known point %g, %g: viewer %s, library %s\n", sx, sy,
                        viewer.c_str(), mine.c_str());
        ++points;
        picked += m != nullptr;
        agree += mine == viewer;
        if (mine != viewer)
            std::printf("disagree at %g, %g: viewer %s, library %s (kind %u)\n", sx, sy,
                        viewer.c_str(), mine.c_str(), hit.kind);
    }
    std::printf("pick agreement %d of %d points (%d with a model)\n", agree, points, picked);
    return points == 101 && agree == points ? 0 : 1;
}
