#pragma once

// A small synthetic city for the map core's tests: flat ground blocks,
// roads as lines, points, and extruded buildings, at an origin far from
// zero, built into one tile through the maker's tile call.

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "model/meshory.h"
#include "model/tile.h"
#include "support/payload_writer.h"

namespace meshory_test {

inline constexpr int32_t kGround = 10;
inline constexpr int32_t kRoads = 20;
inline constexpr int32_t kPoints = 30;
inline constexpr int32_t kBuildings = 40;
inline constexpr double kOriginX = 552000.0;
inline constexpr double kOriginY = 4182000.0;

// Park–Miller: the same numbers on every standard library.
struct Lcg {
    uint64_t state = 12345;
    double next() {
        state = state * 48271 % 2147483647;
        return static_cast<double>(state) / 2147483647.0;
    }
    float in(float lo, float hi) { return lo + static_cast<float>(next()) * (hi - lo); }
};

struct SceneRecord {
    int32_t type;
    int32_t layer;
    Bytes payload;
};

inline glm::vec2 sceneAt(float x, float y) {
    return {static_cast<float>(kOriginX) + x, static_cast<float>(kOriginY) + y};
}

// One request per record, all at the scene's origin.
inline const quorvan::C_Tile& buildTile(quorvan::C_Meshory& maker,
                                        const std::vector<SceneRecord>& records) {
    ByteWriter w;
    std::vector<quorvan::S_TileRequest> requests;
    for (uint32_t i = 0; i < records.size(); ++i) {
        appendRecord(w, 1000 + i, records[i].type, records[i].layer, 0, records[i].payload);
        requests.push_back({i, 1, kOriginX, kOriginY});
    }
    quorvan::S_TileBuild result;
    const quorvan::C_Tile* tile =
        maker.makeTile(w.bytes, static_cast<int64_t>(records.size()), requests,
                       quorvan::tile_flags::SKIP_ZERO_AREA, &result);
    if (!tile) throw std::runtime_error(result.error);
    return *tile;
}

struct Scene {
    quorvan::C_Meshory maker;
    const quorvan::C_Tile* tile = nullptr;

    Scene() {
        using namespace quorvan::blob_geometry;
        ByteWriter w;
        std::vector<quorvan::S_TileRequest> requests;
        uint32_t record = 0;
        const auto add = [&](int32_t type, int32_t layer, const Bytes& payload) {
            appendRecord(w, 1000 + record, type, layer, 0, payload);
            requests.push_back({record++, 1, kOriginX, kOriginY});
        };
        const auto at = [](float x, float y) {
            return glm::vec2(static_cast<float>(kOriginX) + x, static_cast<float>(kOriginY) + y);
        };
        Lcg r;
        // Ground blocks on a 5 x 5 grid of 80-unit cells, overlapping a little.
        for (int i = 0; i < 5; ++i) {
            for (int j = 0; j < 5; ++j) {
                const float x = 80.0f * i, y = 80.0f * j, s = r.in(60.0f, 95.0f);
                add(FLAT_TRIANGLE_FAN, kGround,
                    plainStream({at(x + s / 2, y + s / 2), at(x, y), at(x + s, y), at(x + s, y + s),
                                 at(x, y + s), at(x, y)}));
            }
        }
        for (int k = 0; k < 12; ++k) {
            add(LINES, kRoads,
                plainStream({at(r.in(0, 400), r.in(0, 400)), at(r.in(0, 400), r.in(0, 400))}));
            add(POINTS, kPoints, plainStream({at(r.in(0, 400), r.in(0, 400))}));
        }
        for (int k = 0; k < 40; ++k) {
            const float x = r.in(0, 370), y = r.in(0, 370), s = r.in(8, 30);
            const auto h = static_cast<uint16_t>(r.in(30, 400));
            add(TRIANGLE_FAN, kBuildings,
                withU16Prefix(h, plainStream({at(x + s / 2, y + s / 2), at(x, y), at(x + s, y),
                                              at(x + s, y + s), at(x, y + s), at(x, y)})));
        }
        quorvan::S_TileBuild result;
        tile =
            maker.makeTile(w.bytes, record, requests, quorvan::tile_flags::SKIP_ZERO_AREA, &result);
        if (!tile) throw std::runtime_error(result.error);
    }
};

}  // namespace meshory_test
