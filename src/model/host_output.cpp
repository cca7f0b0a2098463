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

// Vertices go out as bytes: the destination has no alignment to rely on.
// A 12-byte memcpy is two stores, fewer than three float ones.
static_assert(sizeof(glm::vec3) == 3 * sizeof(float));

void put(unsigned char*& d, const glm::vec3& a) {
    std::memcpy(d, &a, sizeof a);
    d += sizeof a;
}

bool floatAligned(const void* p) {
    return reinterpret_cast<uintptr_t>(p) % alignof(float) == 0;
}

}  // namespace

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

size_t writeTriangleBytes(const S_Model& model, uint32_t flags, void* out, size_t bytes) {
    const S_GeometryPolygons& p = model.polygons;
    const bool skip = flags & output_flags::SKIP_ZERO_AREA;
    const size_t room = bytes / sizeof(float);
    // Leaving triangles out only shortens the list: where the whole list
    // fits, no count is needed first.
    if (room < allTriangleFloats(p) && room < triangleFloatCount(model, flags)) return 0;
    auto* const start = static_cast<unsigned char*>(out);
    if (!isTriangleStrip(p) && !skip) {
        const size_t n = allTriangleFloats(p);
        if (n > 0) std::memcpy(start, p.vertices.data(), n * sizeof(float));
        return n;
    }
    unsigned char* d = start;
    forEachTriangle(p, [&d, skip](const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
        if (skip && isZeroAreaTriangle(a, b, c)) return;
        put(d, a);
        put(d, b);
        put(d, c);
    });
    return static_cast<size_t>(d - start) / sizeof(float);
}

size_t writeLineBytes(const S_Model& model, void* out, size_t bytes) {
    const size_t n = lineFloatCount(model);
    if (bytes / sizeof(float) < n) return 0;
    if (n > 0) std::memcpy(out, model.lines.vertices.data(), n * sizeof(float));
    return n;
}

size_t writePointBytes(const S_Model& model, void* out, size_t bytes) {
    const size_t n = pointFloatCount(model);
    if (bytes / sizeof(float) < n) return 0;
    // Stores of bytes may alias anything, so the compiler keeps the byte loop
    // scalar; float stores it vectorises. Aligned memory takes the float
    // loop, which is sound there, and only other memory the byte one.
    if (floatAligned(out)) {
        auto* d = static_cast<float*>(out);
        for (const glm::vec2& p : model.points) {
            d[0] = p.x;
            d[1] = p.y;
            d[2] = 0.0f;
            d += 3;
        }
        return n;
    }
    auto* d = static_cast<unsigned char*>(out);
    constexpr float zero = 0.0f;
    for (const glm::vec2& p : model.points) {
        std::memcpy(d, &p, sizeof p);
        std::memcpy(d + sizeof p, &zero, sizeof zero);
        d += sizeof p + sizeof zero;
    }
    return n;
}

size_t writeTriangleFloats(const S_Model& model, uint32_t flags, std::span<float> out) {
    return writeTriangleBytes(model, flags, out.data(), out.size_bytes());
}

size_t writeLineFloats(const S_Model& model, std::span<float> out) {
    return writeLineBytes(model, out.data(), out.size_bytes());
}

size_t writePointFloats(const S_Model& model, std::span<float> out) {
    return writePointBytes(model, out.data(), out.size_bytes());
}

}  // namespace quorvan
