#pragma once

// A literal, slow model maker kept as the oracle of the differential test:
// every builder as it was first written, straight from its description.
// Railways, roads and bridges regenerate their whole output from the merged
// path at every blob, the path is a plain vector that a front join copies
// whole, and every conversion returns a fresh vector. Only the decoders, the
// label builders, the grid and the textured line come from the library (they
// have tests of their own and were not reworked for speed).

#include <cmath>
#include <span>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "geometry/texturedline.h"
#include "grid/grid.h"
#include "model/builders.h"
#include "model/byte_reader.h"
#include "model/glmodel.h"
#include "model/meshory.h"
#include "model/payload.h"

namespace meshory_reference {

using glm::vec2;
using glm::vec3;
using quorvan::S_BlobData;
using quorvan::S_GeometryPolygons;
using quorvan::S_Model;
using quorvan::S_ModelBlobData;
using V3 = std::vector<vec3>;
using V2 = std::vector<vec2>;
using Indices = std::vector<uint16_t>;

// ---- Conversions ------------------------------------------------------------

inline bool same(const vec3& a, const vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline vec3 ground(const vec3& v) { return {v.x, v.y, 0.0f}; }

inline V3 merge(const V3& a, const V3& b) {
    V3 out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

inline V3 mergeStrips(const V3& a, const V3& b) {
    if (a.empty() || b.empty()) return merge(a, b);
    V3 out = a;
    out.push_back(a.back());
    if (a.size() % 2 == 1) out.push_back(a.back());
    out.push_back(b.front());
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

inline bool inRange(const Indices& idx, size_t n) {
    for (uint16_t i : idx) {
        if (i >= n) return false;
    }
    return true;
}

inline V3 gather(const V3& v, const Indices& idx) {
    V3 out;
    if (!inRange(idx, v.size())) return out;
    for (uint16_t i : idx) out.push_back(v[i]);
    return out;
}

inline V3 lineStripToLines(const V3& s) {
    V3 out;
    if (s.size() < 2) return out;
    out.push_back(s[0]);
    out.push_back(s[1]);
    for (size_t i = 2; i < s.size(); ++i) {
        out.push_back(s[i]);
        out.push_back(s[i - 1]);
    }
    return out;
}

inline V3 stripToTriangles(const V3& s) {
    V3 out;
    if (s.size() < 3) return out;
    out.push_back(s[0]);
    out.push_back(s[1]);
    out.push_back(s[2]);
    for (size_t i = 3; i < s.size(); ++i) {
        out.push_back(s[i]);
        out.push_back(s[i % 2 == 1 ? i - 1 : i - 2]);
        out.push_back(s[i % 2 == 1 ? i - 2 : i - 1]);
    }
    return out;
}

inline V3 fanToTriangles(const V3& f) {
    V3 out;
    const size_t n = f.size();
    if (n < 3) return out;
    out.insert(out.end(), {f[0], f[1], f[2]});
    for (size_t i = 3; i < n; ++i) out.insert(out.end(), {f[0], f[i - 1], f[i]});
    if (!same(f[0], f[n - 1])) out.insert(out.end(), {f[0], f[n - 1], f[1]});
    return out;
}

inline V3 normals(const V3& t) {
    V3 out;
    for (size_t k = 0; k + 2 < t.size(); k += 3) {
        // getNormal(C, B, A) = (A - C) x (B - C), unit length.
        const vec3 p0 = t[k + 2], p1 = t[k + 1], p2 = t[k];
        const vec3 u = p1 - p0, v = p2 - p0;
        const vec3 n(v.y * u.z - v.z * u.y, v.z * u.x - v.x * u.z, v.x * u.y - v.y * u.x);
        const float r = 1.0f / std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        out.insert(out.end(), 3, vec3(n.x * r, n.y * r, n.z * r));
    }
    return out;
}

inline V3 lift(const V2& p, float z) {
    V3 out;
    for (const auto& q : p) out.emplace_back(q, z);
    return out;
}

inline void stroke(V3& out, const vec3& a, const vec3& b) {
    out.push_back(a);
    out.push_back(b);
    if (a.z > 0.0f) out.insert(out.end(), {ground(a), a, ground(a), ground(b)});
}

inline V3 fanOutline(const V3& fan, bool hasCentre) {
    V3 out;
    const size_t n = fan.size(), s = hasCentre ? 1 : 0;
    if (n <= s) return out;
    if (!same(fan[s], fan[n - 1])) stroke(out, fan[s], fan[n - 1]);
    for (size_t i = s + 1; i < n; ++i) stroke(out, fan[i], fan[i - 1]);
    return out;
}

inline V3 fanWalls(const V3& fan, bool hasCentre) {
    V3 out;
    const size_t n = fan.size(), s = hasCentre ? 1 : 0;
    if (n <= s) return out;
    const auto wall = [&](const vec3& c, const vec3& p) {
        out.insert(out.end(), {c, p, ground(p), c, ground(p), ground(c)});
    };
    if (!same(fan[s], fan[n - 1])) wall(fan[s], fan[n - 1]);
    for (size_t i = s + 1; i < n; ++i) wall(fan[i], fan[i - 1]);
    return out;
}

inline V2 stream(const S_ModelBlobData& d, size_t skip) {
    const auto& b = d.blob->data;
    if (b.size() < skip) return {};
    return quorvan::extractVertexes(b.data() + skip, b.size() - skip, vec2(d.origin.x, d.origin.y));
}

// ---- Builders ----------------------------------------------------------------

inline void points(S_ModelBlobData& d) {
    const V2 p = stream(d, 0);
    d.model->points.insert(d.model->points.end(), p.begin(), p.end());
}

inline void lines(S_ModelBlobData& d) {
    V3 p = lift(stream(d, 0), 0.0f);
    if (p.size() % 2) p.pop_back();
    d.model->lines.vertices = merge(d.model->lines.vertices, p);
    d.model->lines.mode = 1;
}

inline void indexedLines(S_ModelBlobData& d) {
    const auto& b = d.blob->data;
    S_Model& m = *d.model;
    m.height = 0.0f;
    V3 v;
    Indices idx, unused;
    quorvan::extractIndexedVertexes(b.data(), b.size(), d.origin, v, idx, unused, m.height);
    V3 seg = gather(v, idx);
    if (seg.size() % 2) seg.pop_back();
    m.lines.vertices = merge(m.lines.vertices, seg);
    m.lines.mode = 1;
}

inline void flatLineStrip(S_ModelBlobData& d) {
    if (d.blob->data.empty()) return;
    S_Model& m = *d.model;
    m.lines.vertices = merge(m.lines.vertices, lineStripToLines(lift(stream(d, 1), 0.0f)));
    m.lines.mode = 1;
    m.lines.width = static_cast<float>(d.blob->data[0]);
}

inline void toTriangleList(S_GeometryPolygons& p, bool freshNormals) {
    if (p.mode != 5) return;
    p.vertices = stripToTriangles(p.vertices);
    if (freshNormals) p.normals = normals(p.vertices);
}

inline void flatStrip(S_GeometryPolygons& p, const V3& strip) {
    if (p.mode == 4) {
        p.vertices = merge(p.vertices, stripToTriangles(strip));
    } else {
        p.vertices = mergeStrips(p.vertices, strip);
        p.mode = 5;
    }
}

inline void triangleStrips(S_ModelBlobData& d) {
    const V3 strip = lift(stream(d, 0), 0.0f);
    S_GeometryPolygons& p = d.model->polygons;
    toTriangleList(p, true);
    const V3 t = stripToTriangles(strip);
    p.vertices = merge(p.vertices, t);
    p.normals = merge(p.normals, normals(t));
    p.mode = 4;
}

inline void indexedFlatStrip(S_ModelBlobData& d) {
    const auto& b = d.blob->data;
    S_Model& m = *d.model;
    m.height = 0.0f;
    V2 decoded;
    Indices strip, outline;
    quorvan::extractIndexedVertexes(b.data(), b.size(), vec2(d.origin.x, d.origin.y), decoded, strip, outline,
                                    m.height);
    const V3 v = lift(decoded, 0.0f);
    flatStrip(m.polygons, gather(v, strip));
    m.lines.vertices = merge(m.lines.vertices, lineStripToLines(gather(v, outline)));
    m.lines.mode = 1;
}

inline void flatFan(S_ModelBlobData& d, bool hasCentre) {
    const V3 fan = lift(stream(d, 0), 0.0f);
    S_Model& m = *d.model;
    toTriangleList(m.polygons, false);
    m.polygons.vertices = merge(m.polygons.vertices, fanToTriangles(fan));
    m.polygons.mode = 4;
    m.lines.vertices = merge(m.lines.vertices, fanOutline(fan, hasCentre));
    m.lines.mode = 1;
}

inline void cellPolygon(S_ModelBlobData& d) {
    const quorvan::Grid& g = quorvan::grid();
    int x = 0, y = 0;
    quorvan::Grid::indexToXy(d.blob->cellIndex, &x, &y);
    const float s = static_cast<float>(g.cellSize());
    const float cx = static_cast<float>(static_cast<double>(static_cast<float>(x) * s) + g.bounds().x1) -
                     (d.origin.x + 5.0f);
    const float cy = static_cast<float>(static_cast<double>(static_cast<float>(y) * s) + g.bounds().y1) -
                     (d.origin.y + 5.0f);
    const float cz = 0.0f - d.origin.z;
    const float side = s + 10.0f;
    d.model->polygons.vertices = {{cx, cy, cz}, {cx + side, cy, cz}, {cx, cy + side, cz}, {cx + side, cy + side, cz}};
    d.model->polygons.mode = 5;
}

inline void extrudedFan(S_ModelBlobData& d, bool hasCentre) {
    const auto& b = d.blob->data;
    if (b.size() < 2) return;
    S_Model& m = *d.model;
    const float h = static_cast<float>(static_cast<uint16_t>(b[0] | b[1] << 8)) / 10.0f;
    m.height = h;
    const V3 fan = lift(stream(d, 2), h);
    toTriangleList(m.polygons, true);
    V3 t = fanToTriangles(fan);
    if (h > 0.0f) t = merge(t, fanWalls(fan, hasCentre));
    m.polygons.normals = merge(m.polygons.normals, normals(t));
    m.polygons.vertices = merge(m.polygons.vertices, t);
    m.polygons.mode = 4;
    m.lines.vertices = merge(m.lines.vertices, fanOutline(fan, hasCentre));
    m.lines.mode = 1;
}

inline void indexedTriangleStrips(S_ModelBlobData& d) {
    const auto& b = d.blob->data;
    S_Model& m = *d.model;
    m.height = 0.0f;
    toTriangleList(m.polygons, true);
    V2 decoded;
    Indices roof, outline;
    quorvan::extractIndexedVertexes(b.data(), b.size(), vec2(d.origin.x, d.origin.y), decoded, roof, outline,
                                    m.height);
    const float h = m.height;
    const V3 v = lift(decoded, h);
    const bool hasOutline = !v.empty() && !outline.empty() && inRange(outline, v.size());
    const size_t n = outline.size();
    const auto at = [&](size_t j) { return v[outline[j]]; };
    const bool open = hasOutline && !same(at(0), at(n - 1));
    V3 t = stripToTriangles(gather(v, roof));
    if (h > 0.0f && hasOutline) {
        V3 wall;
        for (size_t j = 0; j < n; ++j) wall.insert(wall.end(), {at(j), ground(at(j))});
        if (open) wall.insert(wall.end(), {at(0), ground(at(0))});
        t = merge(t, stripToTriangles(wall));
    }
    m.polygons.normals = merge(m.polygons.normals, normals(t));
    m.polygons.vertices = merge(m.polygons.vertices, t);
    m.polygons.mode = 4;
    if (hasOutline) {
        V3 l;
        if (open) stroke(l, at(n - 1), at(0));
        for (size_t j = 1; j < n; ++j) stroke(l, at(j - 1), at(j));
        m.lines.vertices = merge(m.lines.vertices, l);
    }
    m.lines.mode = 1;
}

// ---- Transport: merged path, regenerated at every blob -------------------------

inline bool meets(const vec2& a, const vec2& b, float tolerance) {
    const float dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy) <= tolerance;
}

inline void mergeLines(const V2& line, V2& path, float tolerance) {
    if (line.empty()) return;
    if (path.empty()) {
        path = line;
    } else if (meets(line.front(), path.back(), tolerance)) {
        path.pop_back();
        path.insert(path.end(), line.begin(), line.end());
    } else if (meets(line.back(), path.front(), tolerance)) {
        V2 joined = line;  // the whole path is copied at every front join
        joined.insert(joined.end(), path.begin() + 1, path.end());
        path = joined;
    } else {
        path.insert(path.end(), line.begin(), line.end());
    }
}

inline void railOrRoad(S_ModelBlobData& d, bool widthFromPayload) {
    if (d.blob->data.empty()) return;
    S_Model& m = *d.model;
    mergeLines(stream(d, 1), m.paths, 1.0f);
    m.lines.vertices = lineStripToLines(lift(m.paths, 0.0f));
    if (m.polygons.vertices.empty()) m.polygons.mode = 5;
    m.lines.mode = 1;
    m.lines.width = widthFromPayload ? static_cast<float>(d.blob->data[0]) : 3.0f;
}

inline void tram(S_ModelBlobData& d) {
    if (d.blob->data.empty()) return;
    S_Model& m = *d.model;
    m.lines.vertices = merge(m.lines.vertices, lineStripToLines(lift(stream(d, 1), 0.0f)));
    m.lines.mode = 1;
    m.lines.width = static_cast<float>(d.blob->data[0]);
}

inline void bridge(S_ModelBlobData& d) {
    if (d.blob->data.empty()) return;
    S_Model& m = *d.model;
    mergeLines(stream(d, 1), m.paths, 1.0f);
    const float c = static_cast<float>(d.blob->data[0]) + 2.0f;
    V2 left, right;
    if (m.paths.size() >= 2) {
        quorvan::C_TexturedLine centre;
        centre.createLine(m.paths, 1.0f, 0);
        const V3& v = centre.getVertexes();
        const V3& n = centre.getNormals();
        const auto edge = [&](size_t i) { return vec2(n[i] * c + v[i]); };
        const auto differ = [&](size_t i, size_t j) { return !(n[i].x == n[j].x && n[i].y == n[j].y); };
        for (size_t s = 0; s < v.size(); s += 4) {
            if (s > 0 && differ(s, s - 2)) left.push_back(edge(s - 2));
            if (s > 0 && differ(s + 1, s - 1)) right.push_back(edge(s - 1));
            left.push_back(edge(s));
            right.push_back(edge(s + 1));
        }
        if (!v.empty()) {
            left.push_back(edge(v.size() - 2));
            right.push_back(edge(v.size() - 1));
        }
    }
    quorvan::C_TexturedLine l, r;
    l.createLine(left, 1.0f, 1);
    r.createLine(right, 1.0f, 1);
    m.polygons.vertices = mergeStrips(l.getVertexes(), r.getVertexes());
    m.polygons.normals = mergeStrips(l.getNormals(), r.getNormals());
    m.polygons.mode = 5;
    m.lines.width = 2.0f;
}

// One blob into `model`, as the maker's table would dispatch it. False for a
// type without builder.
inline bool build(S_ModelBlobData& d) {
    namespace bg = quorvan::blob_geometry;
    switch (d.blob->type) {
        case bg::TRIANGLE_STRIPS: triangleStrips(d); break;
        case bg::INDEXED_TRIANGLE_STRIPS: indexedTriangleStrips(d); break;
        case bg::FLAT_TRIANGLE_STRIP: flatStrip(d.model->polygons, lift(stream(d, 0), 0.0f)); break;
        case bg::INDEXED_FLAT_TRIANGLE_STRIPS: indexedFlatStrip(d); break;
        case bg::FLAT_LINE_STRIP: flatLineStrip(d); break;
        case bg::LINES: lines(d); break;
        case bg::INDEXED_LINES: indexedLines(d); break;
        case bg::POINTS: points(d); break;
        case bg::TEXT_DATA: quorvan::builders::modelText(&d); break;
        case bg::RAILROAD_PATH: railOrRoad(d, false); break;
        case bg::TRAM_PATH: tram(d); break;
        case bg::ROAD_PATH: railOrRoad(d, true); break;
        case bg::BRIDGE: bridge(d); break;
        case bg::FLAT_TRIANGLE_FAN: flatFan(d, true); break;
        case bg::TRIANGLE_FAN: extrudedFan(d, true); break;
        case bg::ON_POLYGON_FLAT_TRIANGLE_FAN: flatFan(d, false); break;
        case bg::ON_POLYGON_TRIANGLE_FAN: extrudedFan(d, false); break;
        case bg::CELL_POLYGON: cellPolygon(d); break;
        case bg::LABEL_STYLE_SEGMENTS: quorvan::builders::modelLabelSegments(&d); break;
        default: return false;
    }
    return true;
}

// The whole request; `built` tells whether any blob had a builder.
inline S_Model makeModel(const std::vector<S_BlobData>& blobs, const vec3& origin,
                         const quorvan::LoadFilter& filter, bool& built) {
    S_Model model;
    built = false;
    const quorvan::ViewportPolygon viewport;
    for (const auto& blob : blobs) {
        S_ModelBlobData d;
        d.blob = &blob;
        d.viewport = &viewport;
        d.origin = origin;
        d.filter = filter;
        d.model = &model;
        built = build(d) || built;
    }
    if (!blobs.empty()) {
        model.id = blobs.front().id;
        model.cellIndex = blobs.front().cellIndex;
        model.layerId = blobs.front().layerId;
    }
    return model;
}

}  // namespace meshory_reference
