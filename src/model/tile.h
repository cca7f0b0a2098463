#pragma once

// A tile in one call: every model request of a map tile built from one block
// of blob records, and laid out as a GL host draws it, one bucket per layer.
//
// The records are those of model/blob_records.h, read in place: no blob is
// made, and the block is read during the call only. Each request names a run
// of consecutive records and an origin, and is built exactly as makeModel
// builds those blobs (origin (x, y, 0) narrowed to float, a filter that
// wants text variant 0): the floats equal what the host output writes for
// that model (model/host_output.h), float for float.
//
// The tile's floats form one block of x, y, z vertices:
//
//   | triangles          | lines              | points             | normals (NORMALS) |
//   | layer A | layer B  | layer A | layer B  | layer A | layer B  | one per triangle  |
//                                                                    vertex, same order
//
// Buckets follow the order in which the tile met their layers. Inside a
// bucket each model's vertices are one range, in request order, so a host
// draws a bucket with one call, and picks or hides a model by its range
// without rebuilding anything. Ranges count vertices from the block's start:
// a whole-block vertex buffer draws them as they are. Triangles are a list
// (strips converted), lines a list of segments, points (x, y, 0).
//
// A tile has one origin: every request names the same (x, y), and the
// tile's vertices are all relative to it, as a host's picking and label
// placement take them (map/pick.h, map/label_selection.h). A tile whose
// requests differ in origin is refused; building each at its own origin and
// rebasing it would break the float-for-float equality above.
//
// A request whose blobs have no builder makes no model (makeModel gives
// null for it); the others each make one, stamped with the first record's
// id, cell and layer.

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include <meshory/export.h>
#include <meshory/model/host_output.h>

namespace quorvan {

namespace tile_flags {
// Leave out zero-area triangles, as output_flags::SKIP_ZERO_AREA does.
constexpr uint32_t SKIP_ZERO_AREA = output_flags::SKIP_ZERO_AREA;
// Append one unit normal per triangle vertex: its triangle's, by the rule
// the extruded builders use, so a building's walls and roof light as they
// face. A zero-area triangle (which draws nothing) gets (0, 0, 1).
constexpr uint32_t NORMALS = 2;
// Bridge bands with their width, as output_flags::BRIDGE_BANDS draws them.
constexpr uint32_t BRIDGE_BANDS = output_flags::BRIDGE_BANDS;
constexpr uint32_t ALL = SKIP_ZERO_AREA | NORMALS | BRIDGE_BANDS;
}  // namespace tile_flags

// One model request: records [firstRecord, firstRecord + recordCount) of the
// block, in order, and the origin.
struct S_TileRequest {
    uint32_t firstRecord = 0;
    uint32_t recordCount = 0;
    double x = 0.0;
    double y = 0.0;
};

// Vertices [first, first + count) of the tile's block.
struct S_TileRange {
    uint32_t first = 0;
    uint32_t count = 0;
};

struct S_TileBucket {
    int32_t layerId = 0;
    S_TileRange triangles;
    S_TileRange lines;
    S_TileRange points;
    // Entries [first, first + count) of the tile's models.
    S_TileRange models;
};

struct S_TileModel {
    uint64_t id = 0;
    int32_t cellIndex = 0;
    int32_t layerId = 0;
    float height = 0.0f;
    uint32_t request = 0;  // index of the request that made it
    uint32_t bucket = 0;
    S_TileRange triangles;  // inside its bucket's ranges
    S_TileRange lines;
    S_TileRange points;
    std::string label;  // raw bytes, as S_Model::label
    // Where a host puts the label, relative to the origin, and turned by how
    // many degrees: placeLabel's (model/host_output.h), which puts a road
    // name halfway along its longest line and along it; S_Model's
    // labelPosition, level, when it places none.
    glm::vec3 labelPosition{0.0f, 0.0f, 0.0f};
    float labelAngle = 0.0f;
    // Length of the road line a road name runs along (placeLabel's along);
    // 0 for a label that stands level.
    float labelAlong = 0.0f;
};

namespace builders {
class TileBuilder;
}  // namespace builders

class MESHORY_API C_Tile {
public:
    C_Tile() = default;

    const std::vector<S_TileBucket>& buckets() const { return buckets_; }
    // Grouped by bucket, in request order inside each.
    const std::vector<S_TileModel>& models() const { return models_; }
    uint32_t flags() const { return flags_; }

    // Vertices of the block, and where each section starts.
    size_t vertexCount() const { return static_cast<size_t>(normalsFirst_) + normalCount_; }
    size_t floatCount() const { return 3 * vertexCount(); }
    uint32_t linesFirst() const { return linesFirst_; }
    uint32_t pointsFirst() const { return pointsFirst_; }
    // The normal of triangle vertex v is vertex normalsFirst() + v.
    uint32_t normalsFirst() const { return normalsFirst_; }

    // Bucket b's triangle, line and point vertices, read in place: the
    // block's ranges buckets()[b].triangles, .lines and .points, without
    // writing the block out (pickers and label placement read them).
    std::span<const glm::vec3> bucketTriangles(size_t b) const { return stores_.at(b).triangles; }
    std::span<const glm::vec3> bucketLines(size_t b) const { return stores_.at(b).lines; }
    std::span<const glm::vec3> bucketPoints(size_t b) const { return stores_.at(b).points; }

    // Writes the whole block to `out` (floatCount() floats, native byte
    // order, any alignment) and returns the floats written; writes nothing
    // and returns 0 when `bytes` cannot hold them.
    size_t write(void* out, size_t bytes) const;
    size_t write(std::span<float> out) const { return write(out.data(), out.size_bytes()); }

    // The tile's tables as one block a host reads in place
    // (model/tile_layout.h), laid out when the tile is built.
    std::span<const std::byte> layout() const { return layout_; }

    // Empty, as a new tile; its storage is kept for the next build.
    void clear();
    // Bytes of storage the tile holds, whatever it holds now.
    size_t storageBytes() const;

    // True for a tile its maker has released but keeps as an empty shell:
    // builds that check handles keep the shells of recently released tiles,
    // so that a stale handle names a released tile, never a newer one.
    bool isReleased() const { return released_; }

private:
    // The tile's unit builds it (model/tile_builder.h): begin, one add per
    // built model, finish.
    friend class builders::TileBuilder;

    // One layer's vertices while the tile is built.
    struct Store {
        std::vector<glm::vec3> triangles;
        std::vector<glm::vec3> lines;
        std::vector<glm::vec3> points;
        std::vector<glm::vec3> normals;
        std::vector<S_TileModel> models;
    };

    void begin(uint32_t flags);
    // Adds a built model under its layer.
    void add(const S_Model& model, uint32_t request);
    // Lays the stores out as buckets.
    void finish();

    std::vector<S_TileBucket> buckets_;
    std::vector<S_TileModel> models_;
    std::vector<Store> stores_;  // per bucket, kept across builds
    // Bucket of each layer met: a tile may hold as many layers as requests,
    // and a search through the buckets per request would make the build
    // quadratic in them. Ordered: O(log n) whatever ids a host chooses.
    // Entries of an earlier build (another `build_`) count as absent.
    struct BucketSlot {
        uint32_t build = 0;
        uint32_t bucket = 0;
    };
    std::map<int32_t, BucketSlot> bucketOf_;
    uint32_t build_ = 0;
    std::vector<std::byte> layout_;
    uint32_t flags_ = 0;
    uint32_t linesFirst_ = 0;
    uint32_t pointsFirst_ = 0;
    uint32_t normalsFirst_ = 0;
    uint32_t normalCount_ = 0;
    bool released_ = false;
};

// The outcome of building a tile: what is wrong and where, when not ok.
struct S_TileBuild {
    bool ok = false;
    std::string error;      // ASCII; names the record or request
    bool tooLarge = false;  // refused for its size, not its input's form
};

}  // namespace quorvan
