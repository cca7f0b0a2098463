#include "model/host_output.h"

#include <cstring>

#include "geometry/strip_rules.h"

namespace quorvan {

namespace {

// Floats of the whole list, as the array getter hands it over: a list as it
// stands (whatever its length), a strip as n - 2 triangles.
size_t allTriangleFloats(const S_GeometryPolygons& p) {
    const size_t n = p.vertices.size();
    if (isTriangleStrip(p)) return n < 3 ? 0 : 9 * (n - 2);
    return 3 * n;
}

// Calls emit(a, b, c) for every triangle of the list, in list order (a
// list's trailing one or two vertices make no triangle).
template <typename Emit>
void forEachTriangle(const S_GeometryPolygons& p, Emit emit) {
    const glm::vec3* v = p.vertices.data();
    if (isTriangleStrip(p)) {
        forEachStripTriangle(
            p.vertices.size(), [v](size_t i) -> const glm::vec3& { return v[i]; }, emit);
        return;
    }
    for (size_t t = 0, n = p.vertices.size() / 3; t < n; ++t)
        emit(v[3 * t], v[3 * t + 1], v[3 * t + 2]);
}

void put(float*& d, const glm::vec3& a) {
    d[0] = a.x;
    d[1] = a.y;
    d[2] = a.z;
    d += 3;
}

}  // namespace

bool isZeroAreaTriangle(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
    const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
    return uy * vz - uz * vy == 0.0 && uz * vx - ux * vz == 0.0 && ux * vy - uy * vx == 0.0;
}

size_t triangleFloatCount(const S_Model& model, uint32_t flags) {
    if (!(flags & output_flags::SKIP_ZERO_AREA)) return allTriangleFloats(model.polygons);
    size_t kept = 0;
    forEachTriangle(model.polygons,
                    [&kept](const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
                        kept += !isZeroAreaTriangle(a, b, c);
                    });
    return 9 * kept;
}

size_t lineFloatCount(const S_Model& model) {
    return 3 * model.lines.vertices.size();
}

size_t pointFloatCount(const S_Model& model) {
    return 3 * model.points.size();
}

size_t writeTriangleFloats(const S_Model& model, uint32_t flags, std::span<float> out) {
    const S_GeometryPolygons& p = model.polygons;
    const bool skip = flags & output_flags::SKIP_ZERO_AREA;
    // Leaving triangles out only shortens the list: where the whole list
    // fits, no count is needed first.
    if (out.size() < allTriangleFloats(p) && out.size() < triangleFloatCount(model, flags))
        return 0;
    float* d = out.data();
    if (!isTriangleStrip(p) && !skip) {
        const size_t n = allTriangleFloats(p);
        if (n > 0) std::memcpy(d, p.vertices.data(), n * sizeof(float));
        return n;
    }
    forEachTriangle(p, [&d, skip](const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
        if (skip && isZeroAreaTriangle(a, b, c)) return;
        put(d, a);
        put(d, b);
        put(d, c);
    });
    return static_cast<size_t>(d - out.data());
}

size_t writeLineFloats(const S_Model& model, std::span<float> out) {
    const size_t n = lineFloatCount(model);
    if (out.size() < n) return 0;
    if (n > 0) std::memcpy(out.data(), model.lines.vertices.data(), n * sizeof(float));
    return n;
}

size_t writePointFloats(const S_Model& model, std::span<float> out) {
    const size_t n = pointFloatCount(model);
    if (out.size() < n) return 0;
    float* d = out.data();
    for (const glm::vec2& p : model.points) put(d, glm::vec3(p, 0.0f));
    return n;
}

}  // namespace quorvan
