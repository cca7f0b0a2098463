#pragma once

// What a host reads of a model, written straight into memory the host owns
// (a direct buffer it uploads to the GPU): flat x, y, z floats, the same
// lists the array getters return. Each list has a count, so the host can
// size its buffer first, and a writer that fills at most that many floats.
//
// The triangle list may leave out zero-area triangles: the joins between
// strips and the closing triangles of fans repeat a vertex, and make up a
// third to four fifths of the triangles of real tiles. Zero area is
// isZeroAreaTriangle's (geometry/zero_area.h). Where a host puts a model's
// label is placeLabel's (model/label_placement.h); both come with this header.

#include <cstddef>
#include <cstdint>
#include <span>

#include <meshory/export.h>
#include <meshory/geometry/zero_area.h>
#include <meshory/model/glmodel.h>
#include <meshory/model/label_placement.h>

namespace quorvan {

namespace output_flags {
constexpr uint32_t SKIP_ZERO_AREA = 1;  // leave zero-area triangles out
}  // namespace output_flags

// Floats of the triangle list (nine per triangle), the strip converted.
MESHORY_API size_t triangleFloatCount(const S_Model& model, uint32_t flags);
// Floats of the line list (six per segment) and of the points as (x, y, 0).
MESHORY_API size_t lineFloatCount(const S_Model& model);
MESHORY_API size_t pointFloatCount(const S_Model& model);

// Write the list into `out` and return the floats written. `out` must hold
// at least the list's count; these write nothing and return 0 otherwise.
MESHORY_API size_t writeTriangleFloats(const S_Model& model, uint32_t flags, std::span<float> out);
MESHORY_API size_t writeLineFloats(const S_Model& model, std::span<float> out);
MESHORY_API size_t writePointFloats(const S_Model& model, std::span<float> out);

// The same floats, in native byte order, into `bytes` bytes at `out`, which
// may lie at any address: a host's buffer (a Java FloatBuffer viewing a byte
// buffer at an odd offset, say) need not be aligned for float, and a float
// pointer to it must not even be formed. Returns the floats written, as the
// writers above do; fewer than 4 × the list's count bytes write nothing.
MESHORY_API size_t writeTriangleBytes(const S_Model& model, uint32_t flags, void* out,
                                      size_t bytes);
MESHORY_API size_t writeLineBytes(const S_Model& model, void* out, size_t bytes);
MESHORY_API size_t writePointBytes(const S_Model& model, void* out, size_t bytes);

}  // namespace quorvan
