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
// Bridge bands as drawn. A bridge's two bands (its railings) are strips laid
// on their edge lines, every vertex carrying its offset towards the band's
// side in the polygon normals; as stored they have no area. With this flag
// each such vertex is moved by its offset times half the band width: the
// bands come out 2 units wide, the bridge's line width, centred on their edge
// lines, as the inspector draws them. A model's polygons are such bands when
// they are a strip with one normal per vertex, every one in the ground plane
// (z = 0): no other builder leaves normals on a strip. The width is the
// bridge builder's line width, 2; not the model's lines.width, which a later
// road or railway blob of the same model overwrites. (2 is the tile's NORMALS.)
constexpr uint32_t BRIDGE_BANDS = 4;
constexpr uint32_t ALL = SKIP_ZERO_AREA | BRIDGE_BANDS;
}  // namespace output_flags

// Half the width of a bridge band as BRIDGE_BANDS draws it.
inline constexpr float BRIDGE_BAND_HALF_WIDTH = 1.0f;

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
