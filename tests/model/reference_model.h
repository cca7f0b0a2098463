#pragma once

// A literal, slow model maker kept as the oracle of the differential test:
// every builder as it was first written, straight from its description, and
// sharing no helper with the code under test. Payloads are read byte by byte
// from their layouts; railways, roads and bridges regenerate their whole
// output from the merged path at every blob, the path is a plain vector that
// a front join copies whole, and every conversion returns a fresh vector.
// Only the grid and the textured line come from the library: the bridge rule
// is stated over the textured line's output, and both have tests of their own.

#include <bit>
#include <cfloat>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "geometry/texturedline.h"
#include "grid/grid.h"
#include "model/glmodel.h"
#include "model/meshory.h"

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

// ---- Payload reading ------------------------------------------------------------

// Little-endian values from a position in a payload; callers check has() first.
struct Cursor {
    const std::vector<uint8_t>& b;
    size_t at = 0;

    bool has(uint64_t n) const { return at <= b.size() && n <= b.size() - at; }
    uint32_t le(size_t n) {
        uint32_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
        at += n;
        return v;
    }
    uint8_t u8() { return static_cast<uint8_t>(le(1)); }
    uint16_t u16() { return static_cast<uint16_t>(le(2)); }
    int16_t i16() { return static_cast<int16_t>(le(2)); }
    uint32_t u32() { return le(4); }
    int32_t i32() { return static_cast<int32_t>(le(4)); }
    float f32() { return std::bit_cast<float>(le(4)); }
    std::string text(size_t n) {
        std::string out(b.begin() + static_cast<std::ptrdiff_t>(at),
                        b.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
        return out;
    }
};

// The vertex stream from byte `from` to the end: an encoding byte, then plain
// (x, y) floats, or a first point and (dx, dy) steps in tenths.
inline V2 decodeStream(const std::vector<uint8_t>& b, size_t from, vec2 offset) {
    V2 out;
    Cursor c{b, from};
    if (!c.has(1)) return out;
    if (c.u8() == 0) {
        while (c.has(8)) {
            const float x = c.f32();
            const float y = c.f32();
            out.emplace_back(x - offset.x, y - offset.y);
        }
        return out;
    }
    if (!c.has(8)) return out;
    vec2 p;
    p.x = c.f32();
    p.y = c.f32();
    out.push_back(p - offset);
    while (c.has(4)) {
        p.x += static_cast<float>(c.i16()) / 10.0f;
        p.y += static_cast<float>(c.i16()) / 10.0f;
        out.push_back(p - offset);
    }
    return out;
}

template <typename V>
struct Block {
    std::vector<V> vertices;
    Indices first, second;
};

// An indexed block over the whole payload; the height is written only when
// the block has vertices. Vertices and first list come only when all their
// bytes are there; the second list is whatever whole entries follow.
template <typename V>
Block<V> decodeBlock(const std::vector<uint8_t>& b, const V& offset, float& height) {
    Block<V> out;
    Cursor c{b, 0};
    if (!c.has(7)) return out;
    const uint16_t count = c.u16(), indexCount = c.u16(), tenths = c.u16();
    const uint8_t flags = c.u8();
    if (count == 0) return out;
    height = static_cast<float>(tenths) / 10.0f;
    const bool delta = flags & 4, byteFirst = flags & 1, byteSecond = flags & 2;
    const uint64_t dims = V::length();
    const uint64_t vertexBytes = delta ? 4 * dims + 2 * dims * (count - 1u) : 4 * dims * count;
    if (!c.has(vertexBytes + (byteFirst ? indexCount : 2u * indexCount))) return out;
    V p{};  // the first vertex sets every component; {} only quiets GCC at -O3
    for (uint16_t k = 0; k < count; ++k) {
        for (int i = 0; i < V::length(); ++i) {
            if (delta && k > 0) {
                p[i] += static_cast<float>(c.i16()) / 10.0f;
            } else {
                p[i] = c.f32();
            }
        }
        out.vertices.push_back(p - offset);
    }
    for (uint16_t k = 0; k < indexCount; ++k) out.first.push_back(byteFirst ? c.u8() : c.u16());
    while (c.has(byteSecond ? 1 : 2)) out.second.push_back(byteSecond ? c.u8() : c.u16());
    return out;
}

// ---- Conversions ------------------------------------------------------------

inline bool same(const vec3& a, const vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline vec3 ground(const vec3& v) {
    return {v.x, v.y, 0.0f};
}

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
        const float length2 = n.x * n.x + n.y * n.y + n.z * n.z;
        if (length2 >= FLT_MIN && length2 <= FLT_MAX) {
            const float r = 1.0f / std::sqrt(length2);
            out.insert(out.end(), 3, vec3(n.x * r, n.y * r, n.z * r));
            continue;
        }
        // Past single precision: the same cross product in double; none at all gives up.
        const glm::dvec3 du = glm::dvec3(p1) - glm::dvec3(p0), dv = glm::dvec3(p2) - glm::dvec3(p0);
        const glm::dvec3 w(dv.y * du.z - dv.z * du.y, dv.z * du.x - dv.x * du.z,
                           dv.x * du.y - dv.y * du.x);
        const double length = std::sqrt(w.x * w.x + w.y * w.y + w.z * w.z);
        const bool none = !(length > 0.0) || !std::isfinite(length);
        out.insert(out.end(), 3, none ? vec3(0, 0, 1) : vec3(w / length));
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
    return decodeStream(d.blob->data, skip, vec2(d.origin.x, d.origin.y));
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
    S_Model& m = *d.model;
    m.height = 0.0f;
    const Block<vec3> block = decodeBlock(d.blob->data, d.origin, m.height);
    V3 seg = gather(block.vertices, block.first);
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
    S_Model& m = *d.model;
    m.height = 0.0f;
    const Block<vec2> block = decodeBlock(d.blob->data, vec2(d.origin.x, d.origin.y), m.height);
    const V3 v = lift(block.vertices, 0.0f);
    flatStrip(m.polygons, gather(v, block.first));
    m.lines.vertices = merge(m.lines.vertices, lineStripToLines(gather(v, block.second)));
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

// The cell's square, 5 units beyond the cell on every side: the corner is
// placed in double from the grid start, then narrowed and taken off the origin.
// A cell outside the grid adds nothing.
inline void cellPolygon(S_ModelBlobData& d) {
    int column = 0, row = 0;
    quorvan::Grid::indexToXy(d.blob->cellIndex, &column, &row);
    const quorvan::Grid& grid = quorvan::grid();
    if (column >= grid.cellsInRow() || row >= grid.cellsInCol()) return;
    const float cell = static_cast<float>(grid.cellSize());
    const auto corner = [cell](int k, double start, float origin) {
        const double placed = static_cast<double>(static_cast<float>(k) * cell) + start;
        return static_cast<float>(placed) - (origin + 5.0f);
    };
    const float x = corner(column, grid.bounds().x1, d.origin.x);
    const float y = corner(row, grid.bounds().y1, d.origin.y);
    const float z = 0.0f - d.origin.z;
    const float far = cell + 10.0f;
    d.model->polygons.vertices = {
        {x, y, z}, {x + far, y, z}, {x, y + far, z}, {x + far, y + far, z}};
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
    S_Model& m = *d.model;
    m.height = 0.0f;
    toTriangleList(m.polygons, true);
    const Block<vec2> block = decodeBlock(d.blob->data, vec2(d.origin.x, d.origin.y), m.height);
    const Indices& roof = block.first;
    const Indices& outline = block.second;
    const float h = m.height;
    const V3 v = lift(block.vertices, h);
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

// One edge of a bridge (side 0 left, 1 right): the corners of the centre
// mesh pushed out by c along their offsets, each segment's start and end in
// travel order. Where the next segment starts with the very same offset the
// two corners coincide, and the end is left out.
inline V2 bridgeEdge(const quorvan::C_TexturedLine& centre, float c, size_t side) {
    const V3& v = centre.getVertexes();
    const V3& n = centre.getNormals();
    const auto corner = [&](size_t i) { return vec2(n[i].x * c + v[i].x, n[i].y * c + v[i].y); };
    V2 edge;
    const size_t segments = v.size() / 4;
    for (size_t j = 0; j < segments; ++j) {
        const size_t start = 4 * j + side, end = start + 2, next = start + 4;
        edge.push_back(corner(start));
        const bool shared = j + 1 < segments && n[end].x == n[next].x && n[end].y == n[next].y;
        if (!shared) edge.push_back(corner(end));
    }
    return edge;
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
        left = bridgeEdge(centre, c, 0);
        right = bridgeEdge(centre, c, 1);
    }
    quorvan::C_TexturedLine l, r;
    l.createLine(left, 1.0f, 1);
    r.createLine(right, 1.0f, 1);
    m.polygons.vertices = mergeStrips(l.getVertexes(), r.getVertexes());
    m.polygons.normals = mergeStrips(l.getNormals(), r.getNormals());
    m.polygons.mode = 5;
    m.lines.width = 2.0f;
}

// ---- Labels ------------------------------------------------------------------------

// Well-formed UTF-8: one to four byte sequences, no overlong form, no
// surrogate, nothing above U+10FFFF.
inline bool wellFormedUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        size_t tail = 0;
        uint32_t cp = lead, lowest = 0;
        if (lead >= 0xF0 && lead <= 0xF7) {
            tail = 3, cp = lead & 0x07u, lowest = 0x10000;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            tail = 2, cp = lead & 0x0Fu, lowest = 0x800;
        } else if (lead >= 0xC0 && lead <= 0xDF) {
            tail = 1, cp = lead & 0x1Fu, lowest = 0x80;
        } else if (lead >= 0x80) {
            return false;
        }
        if (tail > s.size() - i - 1) return false;
        for (size_t k = 1; k <= tail; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if (b < 0x80 || b > 0xBF) return false;
            cp = cp << 6 | (b & 0x3Fu);
        }
        if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += tail + 1;
    }
    return true;
}

// TEXT_DATA: an anchor, then texts (a variant before every one but the
// first); a text cut off by the end ends the block.
inline void text(S_ModelBlobData& d) {
    const auto& b = d.blob->data;
    if (b.size() <= 8) return;
    Cursor c{b, 0};
    const float x = c.f32();
    const float y = c.f32();
    std::vector<std::pair<uint16_t, std::string>> texts;
    while (c.has(1)) {
        uint16_t variant = 0;
        if (!texts.empty()) {
            if (!c.has(2)) break;
            variant = c.u16();
        }
        if (!c.has(1)) break;
        const size_t length = c.u8();
        if (!c.has(length)) break;
        texts.emplace_back(variant, c.text(length));
    }
    const std::string* chosen = nullptr;
    for (const auto& [variant, t] : texts) {
        if (d.filter.variants.count(variant)) {
            chosen = &t;
            break;
        }
    }
    for (size_t k = 0; !chosen && k < texts.size(); ++k) {
        const size_t last = texts.size() - 1 - k;
        if (texts[last].first == 0) chosen = &texts[last].second;
    }
    if (!chosen || !wellFormedUtf8(*chosen)) return;
    d.model->labelPosition = vec3(x - d.origin.x, y - d.origin.y, 0.0f - d.origin.z);
    d.model->label = *chosen;
}

// LABEL_STYLE_SEGMENTS: groups of elements until the end; the first element
// (or group count) not wholly there ends the payload. Kept elements are
// filed once the whole payload is read.
inline void labelSegments(S_ModelBlobData& d) {
    const auto& b = d.blob->data;
    const quorvan::LoadFilter& f = d.filter;
    const auto wanted = [](const auto& set, auto value) {
        return set.empty() || set.count(value) != 0;
    };
    std::vector<quorvan::SegmentLineElement> kept;
    Cursor c{b, 0};
    bool whole = true;
    while (whole && c.has(2)) {  // a lone last byte is no group count
        const uint16_t count = c.u16();
        for (uint16_t k = 0; whole && k < count; ++k) {
            quorvan::SegmentLineElement e;
            whole = c.has(4);
            if (!whole) break;
            const uint64_t skipped = 4 * static_cast<uint64_t>(c.u32()) + 4;
            whole = c.has(skipped + 16);
            if (!whole) break;
            c.at += static_cast<size_t>(skipped);
            e.variant = c.u16();
            e.category = c.u8();
            e.styleId = c.i32();
            e.code = c.i32();
            e.kind = c.u8();
            const uint16_t length = c.u16(), pointCount = c.u16();
            whole = c.has(length + 8 * static_cast<uint64_t>(pointCount));
            if (!whole) break;
            e.text = c.text(length);
            for (uint16_t p = 0; p < pointCount; ++p) {
                const float x = c.f32();
                const float y = c.f32();
                e.points.emplace_back(x - d.origin.x, y - d.origin.y);
            }
            if (wanted(f.styleIds, static_cast<uint32_t>(e.styleId)) &&
                wanted(f.variants, e.variant) && wanted(f.categories, e.category)) {
                kept.push_back(std::move(e));
            }
        }
    }
    S_Model& m = *d.model;
    for (const auto& e : kept) {
        if (e.kind != 1 && e.kind != 2) continue;
        auto& segments = e.kind == 1 ? m.roadSegments : m.pointSegments;
        quorvan::SegmentLine line;
        line.points = e.points;
        line.code = static_cast<int16_t>(e.code);
        segments[e.styleId].push_back(line);
        m.label = e.text;
        if (e.kind == 2 && !e.points.empty()) m.labelPosition = vec3(e.points.front(), 0.0f);
    }
}

// One blob into `model`, as the maker's table would dispatch it. False for a
// type without builder.
inline bool build(S_ModelBlobData& d) {
    namespace bg = quorvan::blob_geometry;
    switch (d.blob->type) {
        case bg::TRIANGLE_STRIPS:
            triangleStrips(d);
            break;
        case bg::INDEXED_TRIANGLE_STRIPS:
            indexedTriangleStrips(d);
            break;
        case bg::FLAT_TRIANGLE_STRIP:
            flatStrip(d.model->polygons, lift(stream(d, 0), 0.0f));
            break;
        case bg::INDEXED_FLAT_TRIANGLE_STRIPS:
            indexedFlatStrip(d);
            break;
        case bg::FLAT_LINE_STRIP:
            flatLineStrip(d);
            break;
        case bg::LINES:
            lines(d);
            break;
        case bg::INDEXED_LINES:
            indexedLines(d);
            break;
        case bg::POINTS:
            points(d);
            break;
        case bg::TEXT_DATA:
            text(d);
            break;
        case bg::RAILROAD_PATH:
            railOrRoad(d, false);
            break;
        case bg::TRAM_PATH:
            tram(d);
            break;
        case bg::ROAD_PATH:
            railOrRoad(d, true);
            break;
        case bg::BRIDGE:
            bridge(d);
            break;
        case bg::FLAT_TRIANGLE_FAN:
            flatFan(d, true);
            break;
        case bg::TRIANGLE_FAN:
            extrudedFan(d, true);
            break;
        case bg::ON_POLYGON_FLAT_TRIANGLE_FAN:
            flatFan(d, false);
            break;
        case bg::ON_POLYGON_TRIANGLE_FAN:
            extrudedFan(d, false);
            break;
        case bg::CELL_POLYGON:
            cellPolygon(d);
            break;
        case bg::LABEL_STYLE_SEGMENTS:
            labelSegments(d);
            break;
        default:
            return false;
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
