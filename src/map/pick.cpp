#include "map/pick.h"

#include <algorithm>
#include <cmath>
#include <glm/mat4x4.hpp>
#include <glm/matrix.hpp>
#include <glm/vec4.hpp>
#include <limits>
#include <optional>

#include "map/view_frame.h"

namespace quorvan {

namespace {

struct Hit {
    double depth = 1.0;
    glm::dvec3 point{0.0};  // tile-relative
};

// Möller–Trumbore on the ray a + t (b - a), t in [0, 1]: the part between
// the near and the far plane. Written so that a NaN anywhere rejects.
std::optional<double> rayTriangle(const glm::dvec3& a, const glm::dvec3& d, const glm::dvec3& p0,
                                  const glm::dvec3& p1, const glm::dvec3& p2) {
    const glm::dvec3 e1 = p1 - p0;
    const glm::dvec3 e2 = p2 - p0;
    const glm::dvec3 p = glm::cross(d, e2);
    const double det = glm::dot(e1, p);
    if (!(det != 0.0) || !std::isfinite(det)) return std::nullopt;
    const glm::dvec3 s = a - p0;
    const double u = glm::dot(s, p) / det;
    if (!(u >= 0.0 && u <= 1.0)) return std::nullopt;
    const glm::dvec3 q = glm::cross(s, e1);
    const double v = glm::dot(d, q) / det;
    if (!(v >= 0.0 && u + v <= 1.0)) return std::nullopt;
    const double t = glm::dot(e2, q) / det;
    if (!(t >= 0.0 && t <= 1.0)) return std::nullopt;
    return t;
}

// The segment a-b of clip space cut to the depth range -w <= z <= w, as GL
// clips it; false when nothing of it is left.
bool clipDepth(glm::dvec4& a, glm::dvec4& b, double& s0, double& s1) {
    s0 = 0.0;
    s1 = 1.0;
    for (const double sign : {1.0, -1.0}) {
        // Inside where w + sign * z >= 0.
        const double fa = a.w + sign * a.z;
        const double fb = b.w + sign * b.z;
        if (!(fa >= 0.0) && !(fb >= 0.0)) return false;
        if (fa < 0.0) s0 = std::max(s0, fa / (fa - fb));
        if (fb < 0.0) s1 = std::min(s1, fa / (fa - fb));
    }
    if (!(s0 <= s1)) return false;
    const glm::dvec4 ca = a + (b - a) * s0;
    const glm::dvec4 cb = a + (b - a) * s1;
    a = ca;
    b = cb;
    return a.w > 0.0 && b.w > 0.0;
}

class Painter {
public:
    Painter(const ViewFrame& view, glm::vec2 screen, float tolerancePx)
        : view_(view), screen_(view.windowOfScreen(screen)), tolerance_(tolerancePx) {}

    S_PickResult result;

    void paint(std::span<const S_PickTile> tiles, std::span<const S_PaintLayer> order) {
        if (!view_.contains(screen_)) return;
        for (const S_PaintLayer& layer : order) {
            const bool depth = layer.flags & paint_flags::DEPTH;
            for (const uint32_t kind : {pick_kind::TRIANGLE, pick_kind::LINE, pick_kind::POINT}) {
                if (!(layer.flags & (1u << (kind - 1)))) continue;
                const float reach =
                    tolerance_ + 0.5f * (kind == pick_kind::LINE    ? layer.lineWidthPx
                                         : kind == pick_kind::POINT ? layer.pointSizePx
                                                                    : 0.0f);
                for (size_t t = 0; t < tiles.size(); ++t) {
                    if (!tiles[t].tile) continue;
                    paintBucket(*tiles[t].tile, tiles[t].origin, static_cast<uint32_t>(t),
                                layer.layerId, kind, depth, reach);
                }
            }
        }
    }

private:
    void paintBucket(const C_Tile& tile, glm::dvec2 origin, uint32_t tileIndex, int32_t layerId,
                     uint32_t kind, bool depth, float reach) {
        const std::vector<S_TileBucket>& buckets = tile.buckets();
        size_t b = 0;
        while (b < buckets.size() && buckets[b].layerId != layerId) ++b;
        if (b == buckets.size()) return;
        const S_TileBucket& bucket = buckets[b];
        const TileFrame frame = view_.tileFrame(origin, screen_);
        for (uint32_t i = bucket.models.first; i < bucket.models.first + bucket.models.count; ++i) {
            const S_TileModel& m = tile.models()[i];
            std::optional<Hit> hit;
            if (kind == pick_kind::TRIANGLE) {
                hit = triangles(frame, tile.bucketTriangles(b),
                                m.triangles.first - bucket.triangles.first, m.triangles.count,
                                !depth);
            } else if (kind == pick_kind::LINE) {
                hit = lines(frame, tile.bucketLines(b), m.lines.first - bucket.lines.first,
                            m.lines.count, reach);
            } else {
                hit = points(frame, tile.bucketPoints(b), m.points.first - bucket.points.first,
                             m.points.count, reach);
            }
            if (!hit) continue;
            // Flat layers write no depth and test none: they paint over.
            if (depth) {
                if (!(hit->depth < depthBuffer_)) continue;
                depthBuffer_ = hit->depth;
            }
            result.kind = kind;
            result.tile = tileIndex;
            result.model = i;
            result.point = hit->point + glm::dvec3(origin, 0.0);
            result.depth = static_cast<float>(hit->depth);
        }
    }

    std::optional<Hit> triangles(const TileFrame& frame, std::span<const glm::vec3> v, size_t first,
                                 size_t count, bool anyHit) const {
        if (!frame.rayValid) return std::nullopt;
        const glm::dvec3 d = frame.rayFar - frame.rayNear;
        std::optional<double> best;
        for (size_t k = first; k + 3 <= first + count && k + 3 <= v.size(); k += 3) {
            const auto t = rayTriangle(frame.rayNear, d, glm::dvec3(v[k]), glm::dvec3(v[k + 1]),
                                       glm::dvec3(v[k + 2]));
            if (t && (!best || *t < *best)) {
                best = t;
                if (anyHit) break;
            }
        }
        if (!best) return std::nullopt;
        const glm::dvec3 at = frame.rayNear + d * *best;
        return Hit{frame.depthOf(at), at};
    }

    std::optional<Hit> lines(const TileFrame& frame, std::span<const glm::vec3> v, size_t first,
                             size_t count, float reach) const {
        std::optional<Hit> best;
        double bestDistance = std::numeric_limits<double>::infinity();
        for (size_t k = first; k + 2 <= first + count && k + 1 < v.size(); k += 2) {
            glm::dvec4 a = frame.toClip * glm::dvec4(glm::dvec3(v[k]), 1.0);
            glm::dvec4 b = frame.toClip * glm::dvec4(glm::dvec3(v[k + 1]), 1.0);
            double s0 = 0.0, s1 = 1.0;
            if (!clipDepth(a, b, s0, s1)) continue;
            const glm::dvec3 wa = view_.windowOfClip(a);
            const glm::dvec3 wb = view_.windowOfClip(b);
            const glm::dvec2 e(wb.x - wa.x, wb.y - wa.y);
            const glm::dvec2 w(screen_.x - wa.x, screen_.y - wa.y);
            const double length2 = glm::dot(e, e);
            const double u = length2 > 0.0 ? std::clamp(glm::dot(w, e) / length2, 0.0, 1.0) : 0.0;
            const double distance = glm::length(w - u * e);
            if (!(distance <= reach) || !(distance < bestDistance)) continue;
            bestDistance = distance;
            // Back from the screen to the segment: perspective-correct.
            const double onClipped = (u / b.w) / ((1.0 - u) / a.w + u / b.w);
            const double s = s0 + (s1 - s0) * (std::isfinite(onClipped) ? onClipped : u);
            const glm::dvec3 p0(v[k]), p1(v[k + 1]);
            best = Hit{wa.z + (wb.z - wa.z) * u, p0 + (p1 - p0) * s};
        }
        return best;
    }

    std::optional<Hit> points(const TileFrame& frame, std::span<const glm::vec3> v, size_t first,
                              size_t count, float reach) const {
        std::optional<Hit> best;
        double bestDistance = std::numeric_limits<double>::infinity();
        for (size_t k = first; k < first + count && k < v.size(); ++k) {
            const glm::dvec4 c = frame.toClip * glm::dvec4(glm::dvec3(v[k]), 1.0);
            // A point is clipped by its centre.
            if (!(c.w > 0.0 && c.z >= -c.w && c.z <= c.w)) continue;
            const glm::dvec3 w = view_.windowOfClip(c);
            const double distance = glm::length(glm::dvec2(w.x - screen_.x, w.y - screen_.y));
            if (!(distance <= reach) || !(distance < bestDistance)) continue;
            bestDistance = distance;
            best = Hit{w.z, glm::dvec3(v[k])};
        }
        return best;
    }

    const ViewFrame& view_;
    glm::dvec2 screen_;  // window coordinates: y from the bottom
    float tolerance_;
    double depthBuffer_ = 1.0;
};

}  // namespace

S_PickResult pickTiles(std::span<const S_PickTile> tiles, const C_GLCamera& camera,
                       glm::vec2 screen, std::span<const S_PaintLayer> paintOrder,
                       float tolerancePx) {
    const ViewFrame view(camera);
    Painter painter(view, screen, tolerancePx);
    painter.paint(tiles, paintOrder);
    return painter.result;
}

S_PickResult pickTile(const C_Tile& tile, glm::dvec2 origin, const C_GLCamera& camera,
                      glm::vec2 screen, std::span<const S_PaintLayer> paintOrder,
                      float tolerancePx) {
    const S_PickTile one{&tile, origin};
    return pickTiles(std::span(&one, 1), camera, screen, paintOrder, tolerancePx);
}

}  // namespace quorvan
