#include "vectortile/shapes.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "vectortile/triangulate.h"

namespace quorvan::vectortile {

namespace {

// floor without a call into libm on CPUs without a rounding instruction:
// exact below 2^52, where every double with a fraction converts to int64.
double fastFloor(double v) {
    if (!(std::abs(v) < 4503599627370496.0)) return std::floor(v);
    const double t = static_cast<double>(static_cast<int64_t>(v));
    return t > v ? t - 1 : t;
}

bool insideBox(std::span<const Point> points, const Box& box) {
    for (const Point& p : points) {
        if (!(p.x >= box[0] && p.x <= box[2] && p.y >= box[1] && p.y <= box[3])) return false;
    }
    return true;
}

}  // namespace

double roundHalfUp(double v) {
    const double r = fastFloor(v);
    const double rounded = v - r >= 0.5 ? r + 1 : r;
    // -0.4 rounds to -0, as the converter rounds: the sign is a payload bit.
    return rounded == 0 ? std::copysign(0.0, v) : rounded;
}

double quantise(double v) {
    return roundHalfUp(v * 10) / 10;
}

double cross(const Point& a, const Point& b, const Point& c) {
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

double signedArea(std::span<const Point> ring) {
    double sum = 0;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        sum += (ring[j].x - ring[i].x) * (ring[j].y + ring[i].y);
    }
    return sum / 2;
}

namespace {

Point lerpAt(const Point& a, const Point& b, int axis, double value) {
    const double t = (value - a[axis]) / (b[axis] - a[axis]);
    Point p(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
    p[axis] = value;
    return p;
}

Ring cleaned(std::span<const Point> points) {
    Ring out;
    out.reserve(points.size());
    for (const Point& p : points) {
        const Point q(quantise(p.x), quantise(p.y));
        if (out.empty() || out.back() != q) out.push_back(q);
    }
    return out;
}

}  // namespace

Ring clipRing(std::span<const Point> ring, const Box& box) {
    // Most features lie inside their tile: clipping would give them back as they are.
    if (insideBox(ring, box)) return Ring(ring.begin(), ring.end());
    struct Side {
        int axis;
        double value;
        bool keepAbove;
    };
    const Side sides[4] = {
        {0, box[0], true}, {0, box[2], false}, {1, box[1], true}, {1, box[3], false}};
    Ring out(ring.begin(), ring.end());
    Ring input;
    for (const Side& side : sides) {
        input.swap(out);
        out.clear();
        const auto inside = [&](const Point& p) {
            return side.keepAbove ? p[side.axis] >= side.value : p[side.axis] <= side.value;
        };
        for (size_t i = 0; i < input.size(); ++i) {
            const Point& cur = input[i];
            const Point& prev = input[(i + input.size() - 1) % input.size()];
            if (inside(cur)) {
                if (!inside(prev)) out.push_back(lerpAt(prev, cur, side.axis, side.value));
                out.push_back(cur);
            } else if (inside(prev)) {
                out.push_back(lerpAt(prev, cur, side.axis, side.value));
            }
        }
        if (out.empty()) break;
    }
    return out;
}

std::vector<Ring> clipLine(std::span<const Point> points, const Box& box) {
    std::vector<Ring> pieces;
    if (insideBox(points, box)) {
        if (points.size() >= 2) pieces.emplace_back(points.begin(), points.end());
        return pieces;
    }
    bool open = false;
    for (size_t i = 1; i < points.size(); ++i) {
        const Point& a = points[i - 1];
        const Point& b = points[i];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        double t0 = 0;
        double t1 = 1;
        bool visible = true;
        const double pq[4][2] = {
            {-dx, a.x - box[0]}, {dx, box[2] - a.x}, {-dy, a.y - box[1]}, {dy, box[3] - a.y}};
        for (const auto& [p, q] : pq) {
            if (p == 0) {
                if (q < 0) visible = false;
            } else {
                const double t = q / p;
                if (p < 0) {
                    t0 = std::max(t0, t);
                } else {
                    t1 = std::min(t1, t);
                }
            }
        }
        if (!visible || t0 > t1) {
            open = false;
            continue;
        }
        const Point start = t0 == 0 ? a : Point(a.x + dx * t0, a.y + dy * t0);
        const Point end = t1 == 1 ? b : Point(a.x + dx * t1, a.y + dy * t1);
        if (!open) {
            pieces.push_back({start});
            open = true;
        }
        pieces.back().push_back(end);
        if (t1 < 1) open = false;
    }
    std::erase_if(pieces, [](const Ring& piece) { return piece.size() < 2; });
    return pieces;
}

Ring cleanRing(std::span<const Point> points) {
    Ring out = cleaned(points);
    while (out.size() > 1 && out.front() == out.back()) out.pop_back();
    return out;
}

Ring cleanLine(std::span<const Point> points) {
    return cleaned(points);
}

std::vector<Polygon> classifyRings(std::vector<Ring> rings) {
    std::vector<Polygon> polygons;
    for (Ring& ring : rings) {
        if (ring.size() < 3) continue;
        const double area = signedArea(ring);
        if (area > 0) {
            polygons.push_back({std::move(ring), {}});
        } else if (area < 0 && !polygons.empty()) {
            polygons.back().holes.push_back(std::move(ring));
        }
    }
    return polygons;
}

std::vector<std::array<uint32_t, 3>> triangulatePolygon(const Polygon& polygon,
                                                        std::vector<Point>& vertices) {
    vertices.assign(polygon.outer.begin(), polygon.outer.end());
    std::vector<uint32_t> holeStarts;
    for (const Ring& hole : polygon.holes) {
        holeStarts.push_back(static_cast<uint32_t>(vertices.size()));
        vertices.insert(vertices.end(), hole.begin(), hole.end());
    }
    const std::vector<uint32_t> found = triangulate(vertices, holeStarts);
    std::vector<std::array<uint32_t, 3>> triangles;
    triangles.reserve(found.size() / 3);
    for (size_t i = 0; i + 2 < found.size(); i += 3) {
        const uint32_t a = found[i], b = found[i + 1], c = found[i + 2];
        const double area = cross(vertices[a], vertices[b], vertices[c]);
        if (area > 0) {
            triangles.push_back({a, b, c});
        } else if (area < 0) {
            triangles.push_back({a, c, b});
        }
    }
    return triangles;
}

std::vector<uint32_t> stripFromTriangles(std::span<const std::array<uint32_t, 3>> triangles) {
    std::vector<uint32_t> strip;
    strip.reserve(triangles.size() * 3);
    for (const auto& [a, b, c] : triangles) {
        if (strip.empty()) {
            strip.insert(strip.end(), {a, b, c});
            continue;
        }
        const size_t n = strip.size();
        const uint32_t u = strip[n - 2];
        const uint32_t v = strip[n - 1];
        // Triangle k = n - 2 of a strip is (s[k], s[k+1], s[k+2]) for even k
        // and (s[k+1], s[k], s[k+2]) for odd k.
        const bool even = (n - 2) % 2 == 0;
        const uint32_t first = even ? u : v;
        const uint32_t second = even ? v : u;
        const std::array<std::array<uint32_t, 3>, 3> rotations = {
            {{a, b, c}, {b, c, a}, {c, a, b}}};
        const auto next = std::find_if(rotations.begin(), rotations.end(), [&](const auto& r) {
            return r[0] == first && r[1] == second;
        });
        if (next != rotations.end()) {
            strip.push_back((*next)[2]);
            continue;
        }
        strip.push_back(v);
        if (n % 2 == 1) strip.push_back(v);
        strip.insert(strip.end(), {a, a, b, c});
    }
    return strip;
}

bool isConvex(std::span<const Point> ring) {
    const size_t n = ring.size();
    if (n < 3) return false;
    double turning = 0;
    for (size_t i = 0; i < n; ++i) {
        const Point& a = ring[(i + n - 1) % n];
        const Point& b = ring[i];
        const Point& c = ring[(i + 1) % n];
        const double turn = cross(a, b, c);
        if (turn < 0) return false;
        const double dot = (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y);
        turning += std::atan2(turn, dot);
    }
    return std::abs(turning - 2 * M_PI) < 1e-6;
}

std::optional<Point> fanCentre(std::span<const Point> ring) {
    const double area = signedArea(ring);
    if (!(area > 0)) return std::nullopt;
    double cx = 0;
    double cy = 0;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const double f = ring[j].x * ring[i].y - ring[i].x * ring[j].y;
        cx += (ring[j].x + ring[i].x) * f;
        cy += (ring[j].y + ring[i].y) * f;
    }
    const Point centre(quantise(cx / (6 * area)), quantise(cy / (6 * area)));
    for (size_t i = 0; i < ring.size(); ++i) {
        if (!(cross(centre, ring[i], ring[(i + 1) % ring.size()]) > 0)) return std::nullopt;
    }
    return centre;
}

bool onClipEdge(const Point& a, const Point& b, const Box& q) {
    return (a.x == b.x && (a.x == q[0] || a.x == q[2])) ||
           (a.y == b.y && (a.y == q[1] || a.y == q[3]));
}

Box quantiseBox(const Box& box) {
    return {quantise(box[0]), quantise(box[1]), quantise(box[2]), quantise(box[3])};
}

}  // namespace quorvan::vectortile
