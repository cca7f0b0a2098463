#include "model/tile_layout.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include <meshory/generated/tile_layout_fields.h>

#include "model/decode/utf16.h"
#include "model/tile.h"

namespace quorvan {

namespace {

namespace layout = tile_layout;

template <typename T>
void put(std::byte* record, size_t field, T value) {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8);
    std::memcpy(record + field, &value, sizeof value);
}

size_t checkedSize(size_t bytes) {
    if (bytes > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::length_error("meshory: tile layout too large");
    return bytes;
}

}  // namespace

void writeTileLayout(const C_Tile& tile, std::vector<std::byte>& out) {
    const auto& buckets = tile.buckets();
    const auto& models = tile.models();
    // The texts first: their length sizes the block.
    std::u16string labels;
    std::vector<uint32_t> labelFirst(models.size());
    for (size_t m = 0; m < models.size(); ++m) {
        labelFirst[m] = static_cast<uint32_t>(checkedSize(labels.size()));
        labels += utf8ToUtf16(std::string_view(models[m].label.c_str()));
    }
    const size_t bucketsAt = layout::head::bytes;
    const size_t modelsAt = bucketsAt + buckets.size() * layout::bucket::bytes;
    const size_t labelsAt = modelsAt + models.size() * layout::model::bytes;
    const size_t total = checkedSize(labelsAt + labels.size() * sizeof(char16_t));
    out.assign(total, std::byte{0});

    const auto u32 = [](size_t v) { return static_cast<uint32_t>(v); };
    std::byte* head = out.data();
    put(head, layout::head::bucketCount, u32(buckets.size()));
    put(head, layout::head::modelCount, u32(models.size()));
    put(head, layout::head::linesFirst, tile.linesFirst());
    put(head, layout::head::pointsFirst, tile.pointsFirst());
    put(head, layout::head::normalsFirst, tile.normalsFirst());
    put(head, layout::head::vertexCount, u32(tile.vertexCount()));
    put(head, layout::head::flags, tile.flags());
    put(head, layout::head::labelChars, u32(labels.size()));
    put(head, layout::head::bucketsAt, u32(bucketsAt));
    put(head, layout::head::modelsAt, u32(modelsAt));
    put(head, layout::head::labelsAt, u32(labelsAt));
    put(head, layout::head::layoutBytes, u32(total));
    for (size_t b = 0; b < buckets.size(); ++b) {
        const S_TileBucket& k = buckets[b];
        std::byte* r = out.data() + bucketsAt + b * layout::bucket::bytes;
        put(r, layout::bucket::layerId, k.layerId);
        put(r, layout::bucket::trianglesFirst, k.triangles.first);
        put(r, layout::bucket::triangleCount, k.triangles.count);
        put(r, layout::bucket::linesFirst, k.lines.first);
        put(r, layout::bucket::lineCount, k.lines.count);
        put(r, layout::bucket::pointsFirst, k.points.first);
        put(r, layout::bucket::pointCount, k.points.count);
        put(r, layout::bucket::modelsFirst, k.models.first);
        put(r, layout::bucket::modelCount, k.models.count);
    }
    for (size_t i = 0; i < models.size(); ++i) {
        const S_TileModel& m = models[i];
        std::byte* r = out.data() + modelsAt + i * layout::model::bytes;
        put(r, layout::model::id, m.id);
        put(r, layout::model::cellIndex, m.cellIndex);
        put(r, layout::model::layerId, m.layerId);
        put(r, layout::model::height, m.height);
        put(r, layout::model::request, m.request);
        put(r, layout::model::bucket, m.bucket);
        put(r, layout::model::trianglesFirst, m.triangles.first);
        put(r, layout::model::triangleCount, m.triangles.count);
        put(r, layout::model::linesFirst, m.lines.first);
        put(r, layout::model::lineCount, m.lines.count);
        put(r, layout::model::pointsFirst, m.points.first);
        put(r, layout::model::pointCount, m.points.count);
        put(r, layout::model::labelX, m.labelPosition.x);
        put(r, layout::model::labelY, m.labelPosition.y);
        put(r, layout::model::labelZ, m.labelPosition.z);
        put(r, layout::model::labelAngle, m.labelAngle);
        put(r, layout::model::labelAlong, m.labelAlong);
        put(r, layout::model::labelFirst, labelFirst[i]);
        const size_t end = i + 1 < models.size() ? labelFirst[i + 1] : labels.size();
        put(r, layout::model::labelLength, u32(end - labelFirst[i]));
    }
    if (!labels.empty())
        std::memcpy(out.data() + labelsAt, labels.data(), labels.size() * sizeof(char16_t));
}

}  // namespace quorvan
