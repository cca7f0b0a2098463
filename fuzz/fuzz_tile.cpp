// A tile in one call: a block of blob records and a request table, both
// fuzzed, built by one maker; the layout is checked and the block written to
// memory that is not aligned for floats, its tables laid out and read back
// through the generated offsets, labels included. Back: flags, record
// count, the tile's origin, then per request its first record, count and
// whether it names another origin (which refuses the tile); front: the
// origins (raw doubles), then the records. The tile is then picked and its
// labels chosen through an orthographic and a perspective camera looking at
// the tile's origin.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <meshory/generated/tile_layout_fields.h>

#include "grid/grid.h"
#include "map/label_selection.h"
#include "map/pick.h"
#include "model/meshory.h"
#include "model/tile.h"
#include "provider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    FuzzedDataProvider in(data, size);
    static const bool gridReady = [] {
        grid().cellsAmount(64, 64);
        grid().gridCoordinates(Bounds(0, 0, 6400, 6400));
        return true;
    }();
    (void)gridReady;

    const auto flags = in.ConsumeIntegralInRange<uint32_t>(0, 8);  // 8 is no flag
    const auto recordCount = in.ConsumeIntegralInRange<int64_t>(-1, 64);
    const double originX = consumeRaw<double>(in);
    const double originY = consumeRaw<double>(in);
    std::vector<S_TileRequest> requests(in.ConsumeIntegralInRange<size_t>(0, 16));
    for (S_TileRequest& q : requests) {
        q.firstRecord = in.ConsumeIntegralInRange<uint32_t>(0, 70);
        q.recordCount = in.ConsumeIntegralInRange<uint32_t>(0, 8);
        const bool another = in.ConsumeIntegralInRange<uint8_t>(0, 31) == 0;
        q.x = another ? consumeRaw<double>(in) : originX;
        q.y = another ? consumeRaw<double>(in) : originY;
    }
    const std::vector<uint8_t> records = in.ConsumeRemainingBytes<uint8_t>();

    C_Meshory maker;
    C_Tile tile;
    if (!maker.buildTile(records, recordCount, requests, flags, tile).ok) return 0;
    // Every range lies inside the block, and every model inside its bucket.
    const size_t vertices = tile.vertexCount();
    for (const S_TileModel& m : tile.models()) {
        const S_TileBucket& b = tile.buckets().at(m.bucket);
        for (const auto& [inner, outer] :
             {std::pair{m.triangles, b.triangles}, std::pair{m.lines, b.lines},
              std::pair{m.points, b.points}}) {
            if (inner.first < outer.first ||
                inner.first + inner.count > outer.first + outer.count ||
                size_t(outer.first) + outer.count > vertices)
                __builtin_trap();
        }
    }
    std::vector<unsigned char> out(4 * tile.floatCount() + 1);
    if (tile.write(out.data() + 1, out.size() - 1) != tile.floatCount()) __builtin_trap();
    // Normals are unit vectors whatever the vertices, non-finite ones included.
    for (size_t v = tile.normalsFirst(); v < vertices; ++v) {
        float n[3];
        std::memcpy(n, out.data() + 1 + 12 * v, sizeof n);
        const float length2 = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
        if (!(std::fabs(length2 - 1.0f) < 1e-4f)) __builtin_trap();
    }

    // The tables as a host reads them in place: every record and label inside the block.
    const std::span<const std::byte> block = tile.layout();
    const auto u32 = [&](size_t at) {
        if (at + 4 > block.size()) __builtin_trap();
        uint32_t v;
        std::memcpy(&v, block.data() + at, 4);
        return v;
    };
    namespace layout = tile_layout;
    if (u32(layout::head::layoutBytes) != block.size() ||
        u32(layout::head::modelCount) != tile.models().size())
        __builtin_trap();
    for (size_t m = 0; m < tile.models().size(); ++m) {
        const size_t at = u32(layout::head::modelsAt) + m * layout::model::bytes;
        const size_t first = u32(at + layout::model::labelFirst);
        const size_t length = u32(at + layout::model::labelLength);
        if (u32(at + layout::model::bucket) != tile.models()[m].bucket ||
            u32(layout::head::labelsAt) + 2 * (first + length) > block.size())
            __builtin_trap();
    }

    // Every layer painted, every other one with depth; every label measured.
    std::vector<S_PaintLayer> order;
    for (size_t b = 0; b < tile.buckets().size(); ++b)
        order.push_back({tile.buckets()[b].layerId,
                         paint_flags::ALL_KINDS | (b % 2 ? paint_flags::DEPTH : 0u), 4.0f, 6.0f});
    const std::vector<glm::vec2> sizes(tile.models().size(), glm::vec2(40.0f, 12.0f));
    const glm::dvec2 origin =
        requests.empty() ? glm::dvec2(0.0) : glm::dvec2(requests[0].x, requests[0].y);
    // A tile that names several origins is refused; built once more with a
    // limit of floats it outgrows, it is refused and left empty.
    if (tile.floatCount() > 0) {
        C_Tile small;
        if (maker.buildTile(records, recordCount, requests, flags, small, tile.floatCount() - 1)
                .ok ||
            small.floatCount() != 0)
            __builtin_trap();
    }
    for (const int32_t kind :
         {camera_projection::CENTERED_ORTHOGRAPHIC, camera_projection::PERSPECTIVE}) {
        S_CameraOptions o;
        o.projection = kind;
        o.width = 64;
        o.height = 48;
        o.scale = glm::vec3(1.0f);
        o.target = glm::vec3(static_cast<float>(origin.x), static_cast<float>(origin.y), 0.0f);
        o.pitch = 60.0f;
        const C_GLCamera camera(o);
        for (float x = 0; x <= 64; x += 16) {
            for (float y = 0; y <= 48; y += 16) {
                const S_PickResult hit = pickTile(tile, origin, camera, {x, y}, order);
                if (hit.hit() && (hit.tile != 0 || hit.model >= tile.models().size()))
                    __builtin_trap();
            }
        }
        const S_LabelTile tiles[] = {{&tile, origin, sizes, {}}};
        for (const S_PlacedLabel& l : selectTileLabels(tiles, camera))
            if (l.tile != 0 || l.model >= tile.models().size() || !std::isfinite(l.centre.x))
                __builtin_trap();
    }
    return 0;
}
