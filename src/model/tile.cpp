#include "model/tile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "geometry/mathglm.h"
#include "model/tile_layout.h"

namespace quorvan {

namespace {

// Appends the model's triangle list to `out` as the host output writes it.
static_assert(sizeof(glm::vec3) == 3 * sizeof(float), "vertices are packed float triples");

void appendTriangles(std::vector<glm::vec3>& out, const S_Model& model, uint32_t flags) {
    const size_t all = triangleFloatCount(model, 0) / 3;
    if (all == 0) return;
    const size_t before = out.size();
    // Room for every triangle; leaving some out only shortens the list.
    out.resize(before + all);
    const std::span<float> room(&out[before].x, 3 * (out.size() - before));
    const size_t written = writeTriangleFloats(model, flags & output_flags::ALL, room);
    out.resize(before + written / 3);
}

void appendNormals(std::vector<glm::vec3>& out, std::span<const glm::vec3> triangles,
                   bool skipped) {
    const size_t before = out.size();
    appendTriangleNormals(out, triangles);
    if (skipped) return;  // no zero-area triangle is left
    for (size_t t = before; t + 2 < out.size(); t += 3) {
        const size_t v = t - before;
        if (isZeroAreaTriangle(triangles[v], triangles[v + 1], triangles[v + 2]))
            out[t] = out[t + 1] = out[t + 2] = glm::vec3(0.0f, 0.0f, 1.0f);
    }
}

uint32_t vertexIndex(size_t n) {
    // Ranges are 32-bit: a block that large would not fit any GL buffer a
    // host could allocate either.
    if (n > std::numeric_limits<uint32_t>::max())
        throw std::length_error("meshory: tile too large");
    return static_cast<uint32_t>(n);
}

S_TileRange rangeAt(size_t first, size_t count) {
    return {vertexIndex(first), vertexIndex(count)};
}

}  // namespace

void C_Tile::clear() {
    for (Store& s : stores_) {
        s.triangles.clear();
        s.lines.clear();
        s.points.clear();
        s.normals.clear();
        s.models.clear();
    }
    // The layers' entries stay, stale from the next build on: their nodes
    // serve it without allocating, unless far more than a tile's layers.
    if (bucketOf_.size() > 2 * buckets_.size() + 64 || ++build_ == 0) bucketOf_.clear();
    buckets_.clear();
    layout_.clear();
    models_.clear();
    flags_ = 0;
    linesFirst_ = pointsFirst_ = normalsFirst_ = normalCount_ = 0;
}

size_t C_Tile::storageBytes() const {
    size_t bytes = buckets_.capacity() * sizeof(S_TileBucket) +
                   models_.capacity() * sizeof(S_TileModel) + layout_.capacity();
    for (const Store& s : stores_) {
        bytes += (s.triangles.capacity() + s.lines.capacity() + s.points.capacity() +
                  s.normals.capacity()) *
                     sizeof(glm::vec3) +
                 s.models.capacity() * sizeof(S_TileModel);
    }
    return bytes;
}

void C_Tile::begin(uint32_t flags) {
    clear();
    flags_ = flags;
}

void C_Tile::add(const S_Model& model, uint32_t request) {
    // Buckets in the order the tile meets their layers.
    const BucketSlot next{build_, static_cast<uint32_t>(buckets_.size())};
    auto [found, met] = bucketOf_.try_emplace(model.layerId, next);
    if (!met && found->second.build != build_) {
        found->second = next;  // an entry of an earlier build
        met = true;
    }
    if (met) {
        buckets_.emplace_back().layerId = model.layerId;
        if (stores_.size() < buckets_.size()) stores_.emplace_back();
    }
    const uint32_t index = found->second.bucket;
    Store& s = stores_[index];

    S_TileModel m;
    m.id = model.id;
    m.cellIndex = model.cellIndex;
    m.layerId = model.layerId;
    m.height = model.height;
    m.request = request;
    m.bucket = index;
    m.label = model.label;
    S_LabelPlacement placement;
    if (placeLabel(model, placement)) {
        m.labelPosition = glm::vec3(placement.at, model.labelPosition.z);
        m.labelAngle = placement.angle;
        m.labelAlong = placement.along;
    } else {
        m.labelPosition = model.labelPosition;
    }
    // Ranges inside the bucket for now; finish() moves them into the block.
    const size_t triangles = s.triangles.size();
    appendTriangles(s.triangles, model, flags_);
    if (flags_ & tile_flags::NORMALS)
        appendNormals(s.normals, std::span<const glm::vec3>(s.triangles).subspan(triangles),
                      flags_ & tile_flags::SKIP_ZERO_AREA);
    m.triangles = rangeAt(triangles, s.triangles.size() - triangles);
    m.lines = rangeAt(s.lines.size(), model.lines.vertices.size());
    s.lines.insert(s.lines.end(), model.lines.vertices.begin(), model.lines.vertices.end());
    m.points = rangeAt(s.points.size(), model.points.size());
    for (const glm::vec2& p : model.points) s.points.emplace_back(p, 0.0f);
    s.models.push_back(std::move(m));
}

void C_Tile::finish() {
    size_t total = 0;
    // Each section holds every bucket's list of one kind in bucket order;
    // a model's range moves with its bucket's.
    const auto place = [&](std::vector<glm::vec3> Store::*list,
                           S_TileRange S_TileBucket::*bucketRange,
                           S_TileRange S_TileModel::*modelRange) {
        for (size_t b = 0; b < buckets_.size(); ++b) {
            const size_t n = (stores_[b].*list).size();
            S_TileRange& range = buckets_[b].*bucketRange;
            range = rangeAt(total, n);
            for (S_TileModel& m : stores_[b].models) (m.*modelRange).first += range.first;
            total += n;
        }
    };
    place(&Store::triangles, &S_TileBucket::triangles, &S_TileModel::triangles);
    linesFirst_ = vertexIndex(total);
    place(&Store::lines, &S_TileBucket::lines, &S_TileModel::lines);
    pointsFirst_ = vertexIndex(total);
    place(&Store::points, &S_TileBucket::points, &S_TileModel::points);
    normalsFirst_ = vertexIndex(total);
    // One normal per triangle vertex, and the triangles come first.
    normalCount_ = (flags_ & tile_flags::NORMALS) ? linesFirst_ : 0;
    (void)vertexIndex(total + normalCount_);

    size_t modelCount = 0;
    for (const Store& s : std::span(stores_).first(buckets_.size())) modelCount += s.models.size();
    models_.reserve(modelCount);
    for (size_t b = 0; b < buckets_.size(); ++b) {
        buckets_[b].models = rangeAt(models_.size(), stores_[b].models.size());
        for (S_TileModel& m : stores_[b].models) models_.push_back(std::move(m));
        stores_[b].models.clear();
    }
    writeTileLayout(*this, layout_);
}

size_t C_Tile::write(void* out, size_t bytes) const {
    const size_t floats = floatCount();
    if (bytes / sizeof(float) < floats) return 0;
    // Bytes, not floats: the host's memory need not be aligned for floats.
    auto* d = static_cast<unsigned char*>(out);
    const auto copy = [&d](const std::vector<glm::vec3>& list) {
        if (list.empty()) return;
        std::memcpy(d, list.data(), list.size() * sizeof(glm::vec3));
        d += list.size() * sizeof(glm::vec3);
    };
    const std::span<const Store> stores = std::span(stores_).first(buckets_.size());
    for (const Store& s : stores) copy(s.triangles);
    for (const Store& s : stores) copy(s.lines);
    for (const Store& s : stores) copy(s.points);
    for (const Store& s : stores) copy(s.normals);
    return floats;
}

}  // namespace quorvan
