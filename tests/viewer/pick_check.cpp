// The C++ side of the viewer's pick test: builds the pack's tiles with the
// library's tile API, makes a C_GLCamera from the settings the viewer wrote,
// and finds the model under each of the viewer's screen points by its own
// reading of the picking rule (the viewer's README section states it):
//
//   - 3D layers: the nearest triangle the pick ray meets;
//   - else, flat layers painted in order: the last painted point within half
//     its size plus the tolerance, line segment within half its width plus
//     the tolerance, or triangle containing the ground point; within a layer
//     kinds are painted triangles, lines, points, each tile by tile in pack
//     order, model by model.
//
// Only what the style draws at the viewer's camera height counts. Prints
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

struct Built {
    float originX = 0.0f;
    float originY = 0.0f;
    const C_Tile* tile = nullptr;
    std::vector<float> block;

    float at(uint32_t v, int axis) const {
        const float c = block[3 * size_t(v) + size_t(axis)];
        return axis == 0 ? c + originX : axis == 1 ? c + originY : c;
    }
    const S_TileBucket* bucket(int32_t layer) const {
        for (const S_TileBucket& b : tile->buckets())
            if (b.layerId == layer) return &b;
        return nullptr;
    }
};

struct Hit {
    const Built* tile = nullptr;
    const S_TileModel* model = nullptr;
};

// Möller–Trumbore, written term by term as the viewer computes it, so both
// round alike; +infinity for no hit.
float rayTriangle(const Built& t, uint32_t v, const float a[3], const float d[3]) {
    const float x0 = t.at(v, 0), y0 = t.at(v, 1), z0 = t.at(v, 2);
    const float e1x = t.at(v + 1, 0) - x0, e1y = t.at(v + 1, 1) - y0, e1z = t.at(v + 1, 2) - z0;
    const float e2x = t.at(v + 2, 0) - x0, e2y = t.at(v + 2, 1) - y0, e2z = t.at(v + 2, 2) - z0;
    const float px = d[1] * e2z - d[2] * e2y;
    const float py = d[2] * e2x - d[0] * e2z;
    const float pz = d[0] * e2y - d[1] * e2x;
    const float det = e1x * px + e1y * py + e1z * pz;
    const float none = std::numeric_limits<float>::infinity();
    if (det == 0.0f) return none;
    const float sx = a[0] - x0, sy = a[1] - y0, sz = a[2] - z0;
    const float u = (sx * px + sy * py + sz * pz) / det;
    if (u < 0.0f || u > 1.0f) return none;
    const float qx = sy * e1z - sz * e1y;
    const float qy = sz * e1x - sx * e1z;
    const float qz = sx * e1y - sy * e1x;
    const float w = (d[0] * qx + d[1] * qy + d[2] * qz) / det;
    if (w < 0.0f || u + w > 1.0f) return none;
    const float hit = (e2x * qx + e2y * qy + e2z * qz) / det;
    return hit >= 0.0f ? hit : none;
}

bool inTriangles(const Built& t, S_TileRange r, float px, float py) {
    for (uint32_t v = r.first; v + 2 < r.first + r.count; v += 3) {
        const float x0 = t.at(v, 0), y0 = t.at(v, 1), x1 = t.at(v + 1, 0), y1 = t.at(v + 1, 1);
        const float x2 = t.at(v + 2, 0), y2 = t.at(v + 2, 1);
        const float d0 = (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0);
        const float d1 = (x2 - x1) * (py - y1) - (y2 - y1) * (px - x1);
        const float d2 = (x0 - x2) * (py - y2) - (y0 - y2) * (px - x2);
        const bool negative = d0 < 0 || d1 < 0 || d2 < 0;
        const bool positive = d0 > 0 || d1 > 0 || d2 > 0;
        if (!(negative && positive)) return true;
    }
    return false;
}

bool nearSegments(const Built& t, S_TileRange r, float px, float py, float reach) {
    for (uint32_t v = r.first; v + 1 < r.first + r.count; v += 2) {
        const float x0 = t.at(v, 0), y0 = t.at(v, 1);
        const float ex = t.at(v + 1, 0) - x0, ey = t.at(v + 1, 1) - y0;
        const float wx = px - x0, wy = py - y0;
        const float length2 = ex * ex + ey * ey;
        const float u =
            length2 > 0 ? std::fmax(0.0f, std::fmin(1.0f, (wx * ex + wy * ey) / length2)) : 0.0f;
        const float cx = wx - u * ex, cy = wy - u * ey;
        if (cx * cx + cy * cy <= reach * reach) return true;
    }
    return false;
}

bool nearPoints(const Built& t, S_TileRange r, float px, float py, float reach) {
    for (uint32_t v = r.first; v < r.first + r.count; ++v) {
        const float cx = px - t.at(v, 0), cy = py - t.at(v, 1);
        if (cx * cx + cy * cy <= reach * reach) return true;
    }
    return false;
}

bool drawsFill(const C_GeoStyle& s) {
    return s.getFillColor().a > 0;
}
bool drawsStroke(const C_GeoStyle& s) {
    return s.getStrokeColor().a > 0 && s.getStrokeWidth() > 0;
}
float pointSize(const C_GeoStyle& s) {
    return s.getGraphicSize() > 0 ? s.getGraphicSize() : 6.0f;
}

Hit pick(const std::vector<Built>& tiles, const std::vector<const C_GeoStyle*>& visible,
         const std::vector<glm::vec3>& ray, float zoom, float tolerance) {
    const float a[3] = {ray[0].x, ray[0].y, ray[0].z};
    const float d[3] = {ray[1].x - a[0], ray[1].y - a[1], ray[1].z - a[2]};
    Hit best;
    float bestT = std::numeric_limits<float>::infinity();
    for (const C_GeoStyle* s : visible) {
        if (!s->isView3d() || !drawsFill(*s)) continue;
        for (const Built& t : tiles) {
            const S_TileBucket* b = t.bucket(s->getGeometryLayerId());
            if (!b) continue;
            for (uint32_t i = b->models.first; i < b->models.first + b->models.count; ++i) {
                const S_TileModel& m = t.tile->models()[i];
                for (uint32_t v = m.triangles.first; v < m.triangles.first + m.triangles.count;
                     v += 3) {
                    const float hit = rayTriangle(t, v, a, d);
                    if (hit < bestT) bestT = hit, best = {&t, &m};
                }
            }
        }
    }
    if (best.model) return best;
    const float gx = ray[1].x, gy = ray[1].y;
    for (auto s = visible.rbegin(); s != visible.rend(); ++s) {
        if ((*s)->isView3d()) continue;
        for (int kind = 2; kind >= 0; --kind) {
            if ((kind == 1 && !drawsStroke(**s)) || (kind == 0 && !drawsFill(**s))) continue;
            const float reach = kind == 2 ? (tolerance + pointSize(**s) / 2) / zoom
                                          : (tolerance + (*s)->getStrokeWidth() / 2) / zoom;
            for (auto t = tiles.rbegin(); t != tiles.rend(); ++t) {
                const S_TileBucket* b = t->bucket((*s)->getGeometryLayerId());
                if (!b) continue;
                for (uint32_t i = b->models.first + b->models.count; i-- > b->models.first;) {
                    const S_TileModel& m = t->tile->models()[i];
                    const bool hit = kind == 0   ? inTriangles(*t, m.triangles, gx, gy)
                                     : kind == 1 ? nearSegments(*t, m.lines, gx, gy, reach)
                                                 : nearPoints(*t, m.points, gx, gy, reach);
                    if (hit) return {&*t, &m};
                }
            }
        }
    }
    return best;
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
    float height = 0.0f, tolerance = 0.0f;
    for (int header = 0; header < 3 && std::getline(picks, line); ++header) {
        std::istringstream in(line);
        in >> word;
        if (word == "camera") {
            in >> options.width >> options.height >> options.minPlane >> options.maxPlane >>
                options.target.x >> options.target.y >> options.target.z >> options.scale.x >>
                options.scale.y >> options.scale.z >> options.yaw >> options.pitch >>
                options.distance >> options.fov;
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
    // As the JVM bridge makes the host's cameras.
    options.projection = camera_projection::CENTERED_ORTHOGRAPHIC;
    const C_GLCamera camera(options);

    Tiles grouped = groupTiles(pack);
    C_Meshory maker;
    std::vector<Built> tiles;
    for (const auto& [origin, requests] : grouped.groups) {
        S_TileBuild result;
        Built b;
        b.tile = maker.makeTile(grouped.records, grouped.recordCount, requests, tile_flags::ALL,
                                &result);
        if (!b.tile) {
            std::fprintf(stderr, "tile at %g, %g: %s\n", origin.x, origin.y, result.error.c_str());
            return 2;
        }
        b.originX = static_cast<float>(origin.x);
        b.originY = static_cast<float>(origin.y);
        b.block.resize(b.tile->floatCount());
        b.tile->write(b.block);
        tiles.push_back(std::move(b));
    }
    const std::vector<const C_GeoStyle*> visible = styles.getStyleByHeight(height);

    // The same picks by the library's picker, painted as the viewer paints:
    // flat layers in order, then the 3D layers' fills with depth.
    std::vector<S_PaintLayer> order;
    for (const bool depth : {false, true}) {
        for (const C_GeoStyle* s : visible) {
            if (s->isView3d() != depth) continue;
            uint32_t flags = depth ? paint_flags::DEPTH : paint_flags::POINTS;
            if (drawsFill(*s)) flags |= paint_flags::TRIANGLES;
            if (!depth && drawsStroke(*s)) flags |= paint_flags::LINES;
            order.push_back({s->getGeometryLayerId(), flags, s->getStrokeWidth(), pointSize(*s)});
        }
    }
    std::vector<S_PickTile> pickTiles;
    for (const Built& b : tiles) pickTiles.push_back({b.tile, glm::dvec2(b.originX, b.originY)});
    int libraryAgree = 0;

    int points = 0, agree = 0, picked = 0;
    while (std::getline(picks, line)) {
        std::istringstream in(line);
        float sx = 0, sy = 0;
        std::string viewer;
        in >> sx >> sy;
        std::getline(in >> std::ws, viewer);
        const Hit hit = pick(tiles, visible, camera.getLineToPlane(glm::vec2(sx, sy), 0.0f),
                             options.scale.x, tolerance);
        const std::string mine = hit.model ? std::to_string(hit.model->layerId) + " " +
                                                 std::to_string(hit.model->id) + " " +
                                                 std::to_string(hit.model->cellIndex)
                                           : "none";
        const S_PickResult library =
            quorvan::pickTiles(pickTiles, camera, glm::vec2(sx, sy), order, tolerance);
        const S_TileModel* lm =
            library.hit() ? &tiles[library.tile].tile->models()[library.model] : nullptr;
        const std::string theirs = lm ? std::to_string(lm->layerId) + " " + std::to_string(lm->id) +
                                            " " + std::to_string(lm->cellIndex)
                                      : "none";
        libraryAgree += theirs == viewer;
        if (theirs != viewer)
            std::printf("library differs at %g, %g: viewer %s, library %s (kind %u)\n", sx, sy,
                        viewer.c_str(), theirs.c_str(), library.kind);
        if (points == 0)
            std::printf("pick at the known point %g, %g: viewer %s, C++ %s\n", sx, sy,
                        viewer.c_str(), mine.c_str());
        ++points;
        picked += hit.model != nullptr;
        if (mine == viewer) {
            ++agree;
        } else {
            std::printf("disagree at %g, %g: viewer %s, C++ %s\n", sx, sy, viewer.c_str(),
                        mine.c_str());
        }
    }
    std::printf("pick agreement %d of %d points (%d with a model)\n", agree, points, picked);
    std::printf("library pick agreement %d of %d points\n", libraryAgree, points);
    return points == 101 && agree == points ? 0 : 1;
}
