#include "model/builders/builders.h"
#include "model/meshory.h"

#include <gtest/gtest.h>

#include <cmath>

#include <glm/geometric.hpp>

#include "support/payload_writer.h"

namespace quorvan {
namespace {

using glm::vec2;
using glm::vec3;
using meshory_test::Bytes;
using meshory_test::withU8Prefix;
using namespace blob_geometry;
using Blobs = std::vector<std::pair<int32_t, Bytes>>;

const vec3 kOrigin(1000, 2000, 0);

// A transport payload whose points are given relative to kOrigin.
Bytes transport(uint8_t prefix, std::vector<vec2> points) {
    for (auto& p : points) p += vec2(kOrigin);
    return withU8Prefix(prefix, meshory_test::plainStream(points));
}

const S_Model& make(C_Meshory& maker, const Blobs& blobs) {
    std::vector<S_BlobData> list;
    for (const auto& [type, bytes] : blobs) list.emplace_back(1, type, 7, 0, bytes);
    return *maker.makeModel(list, kOrigin, LoadFilter(0));
}

// Runs one builder directly on `model`, as the maker would.
void build(quorvan::builders::Builder builder, const Bytes& payload, S_Model& model) {
    const S_BlobData blob(1, 0, 0, 0, payload);
    const LoadFilter filter;
    const quorvan::ViewportPolygon viewport;
    builder(quorvan::builders::viewOf(blob), {model, kOrigin, filter, viewport});
}

void expectAllFinite(const std::vector<vec3>& list) {
    for (const auto& v : list)
        ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

TEST(TransportBuilders, RailRoadAndTramLines) {
    C_Meshory maker;
    const S_Model& rail = make(maker, {{RAILROAD_PATH, transport(99, {{0, 0}, {10, 0}})},
                                       {RAILROAD_PATH, transport(0, {{10.5f, 0}, {20, 0}})}});
    EXPECT_EQ(rail.paths, (std::vector<vec2>{{0, 0}, {10.5f, 0}, {20, 0}}));
    EXPECT_EQ(rail.lines.vertices,
              (std::vector<vec3>{{0, 0, 0}, {10.5f, 0, 0}, {20, 0, 0}, {10.5f, 0, 0}}));
    EXPECT_EQ(rail.lines.width, 3.0f);
    EXPECT_EQ(rail.lines.mode, 1u);
    EXPECT_EQ(rail.polygons.mode, 5u);

    EXPECT_EQ(make(maker, {{ROAD_PATH, transport(6, {{0, 0}, {0, 3}})}}).lines.width, 6.0f);

    const S_Model& tram = make(maker, {{TRAM_PATH, transport(4, {{0, 0}, {1, 0}, {2, 0}})},
                                       {TRAM_PATH, transport(5, {{2, 0}, {3, 0}})}});
    EXPECT_TRUE(tram.paths.empty());
    EXPECT_EQ(
        tram.lines.vertices,
        (std::vector<vec3>{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}));
    EXPECT_EQ(tram.lines.width, 5.0f);
}

TEST(TransportBuilders, BridgeBandsLieAtTheirOffsetAndStayFinite) {
    C_Meshory maker;
    const S_Model& straight = make(maker, {{BRIDGE, transport(2, {{0, 0}, {10, 0}})}});
    const auto& v = straight.polygons.vertices;
    ASSERT_EQ(v.size(), 33u);  // 15 + 15 + 3 (odd left band)
    EXPECT_EQ(straight.polygons.normals.size(), 33u);
    EXPECT_EQ(straight.lines.width, 2.0f);
    // Left band and its join copies on y = 4 (C = w + 2), right band on y = -4.
    for (size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i].y, i < 17 ? 4.0f : -4.0f, 1e-5f) << i;

    // A repeated point would give a zero-length centre segment.
    const S_Model& repeated =
        make(maker, {{BRIDGE, transport(1, {{0, 0}, {5, 0}, {5, 0}, {10, 3}})}});
    EXPECT_FALSE(repeated.polygons.vertices.empty());
    expectAllFinite(repeated.polygons.vertices);
    expectAllFinite(repeated.polygons.normals);

    // A turn of about 163 degrees at (10, 0) rejects the miter: the left edge
    // holds both corners there, the first segment's end before the second's start.
    const auto& s =
        make(maker, {{BRIDGE, transport(2, {{0, 0}, {10, 0}, {0, 3}})}}).polygons.vertices;
    ASSERT_EQ(s.size(), 49u);  // two bands of 6 + 4 * 3 + 5, joined
    const auto leftEdge = [&](size_t k) { return vec2(s[6 + 4 * k]); };  // after the start cap
    EXPECT_NEAR(glm::distance(leftEdge(1), vec2(10, 4)), 0.0f, 1e-4f);
    EXPECT_NEAR(glm::distance(leftEdge(2), vec2(10, 0)), 4.0f, 1e-4f);
    EXPECT_LT(leftEdge(2).y, 0.0f);
}

TEST(TransportBuilders, WhatTheyLeaveAlone) {
    for (const auto builder : {builders::modelRailroad, builders::modelTramPath,
                               builders::modelRoadPath, builders::modelBridge}) {
        S_Model model;
        model.paths = {{1, 1}, {2, 2}};
        model.lines.vertices = {{1, 1, 0}, {2, 2, 0}};
        model.polygons.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        build(builder, {}, model);  // not even the prefix byte
        EXPECT_EQ(model.paths.size(), 2u);
        EXPECT_EQ(model.lines.vertices.size(), 2u);
        EXPECT_EQ(model.lines.mode, 0u);
        EXPECT_EQ(model.polygons.vertices.size(), 3u);
        EXPECT_EQ(model.polygons.mode, 0u);
    }

    // Rails keep another builder's triangle list readable as one.
    S_Model areas;
    areas.polygons.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    areas.polygons.mode = 4;
    build(builders::modelRailroad, transport(0, {{0, 0}, {1, 0}}), areas);
    EXPECT_EQ(areas.polygons.mode, 4u);

    // A bridge path of one point has no bands: the polygons become empty
    // rather than padded with stale or zero vertices.
    S_Model lone;
    lone.polygons.vertices = {{5, 5, 5}, {6, 6, 6}, {7, 7, 7}};
    build(builders::modelBridge, transport(3, {{4, 4}}), lone);
    EXPECT_TRUE(lone.polygons.vertices.empty());
    EXPECT_TRUE(lone.polygons.normals.empty());
}

TEST(TransportBuilders, EveryTruncationDecodesSafely) {
    const Bytes plain = transport(3, {{0, 0}, {10, 0}, {10, 10}, {0, 12}});
    const Bytes delta =
        withU8Prefix(3, meshory_test::deltaStream({{1000, 2000}, {1010, 2000}, {1010, 2010}}));
    for (const Bytes* full : {&plain, &delta}) {
        for (size_t length = 0; length <= full->size(); ++length) {
            for (const int32_t type : {RAILROAD_PATH, TRAM_PATH, ROAD_PATH, BRIDGE}) {
                C_Meshory maker;
                // A fresh allocation of exactly `length` bytes, so any overrun is an ASan error.
                const S_Model& model =
                    make(maker, {{type, Bytes(full->begin(), full->begin() + length)}});
                expectAllFinite(model.lines.vertices);
                expectAllFinite(model.polygons.vertices);
            }
        }
    }
}

}  // namespace
}  // namespace quorvan
