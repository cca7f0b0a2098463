#include "model/host_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <glm/geometric.hpp>
#include <limits>
#include <vector>

// The benchmarks' counting operator new, for this test program alone: it
// counts only while a CountedAllocations is alive.
#include "../bench/alloc_counter.h"
#include "geometry/mathglm.h"
#include "model/blob_records.h"
#include "model/meshory.h"
#include "model/model_conversions.h"
#include "support/payload_writer.h"

namespace quorvan {
namespace {

using glm::vec2;
using glm::vec3;
namespace bg = blob_geometry;

std::vector<float> flat(const std::vector<vec3>& v) {
    std::vector<float> out;
    for (const vec3& p : v) out.insert(out.end(), {p.x, p.y, p.z});
    return out;
}

// Models whose triangles are a strip, a list with walls, and nothing.
std::vector<S_Model> sampleModels() {
    std::vector<S_Model> out(3);
    out[0].polygons.mode = 5;
    out[0].polygons.vertices = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {2, 2, 0},
                                {2, 2, 0}, {4, 2, 0}, {4, 4, 0}};
    out[1].polygons.mode = 4;
    out[1].polygons.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {0, 0, 0},
                                {0, 0, 5}, {0, 0, 0}, {1, 1, 0}, {2, 2, 0}};
    out[1].lines.vertices = {{0, 0, 0}, {1, 0, 0}};
    out[1].points = {{1, 2}, {3, 4}};
    return out;
}

TEST(HostOutput, WritesWhatTheArrayGettersHandOverAndLeavesOutZeroAreaOnlyWhenAsked) {
    for (const S_Model& m : sampleModels()) {
        const std::vector<float> triangles = flat(geometryPolygonsToTriangles(m.polygons));
        std::vector<float> out(triangles.size() + 4, -1.0f);
        ASSERT_EQ(triangleFloatCount(m, 0), triangles.size());
        EXPECT_EQ(writeTriangleFloats(m, 0, out), triangles.size());
        EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + triangles.size()), triangles);
        EXPECT_EQ(out.back(), -1.0f) << "nothing past the list";

        // With the option: exactly the triangles with area, in order.
        std::vector<float> kept;
        for (size_t t = 0; t + 9 <= triangles.size(); t += 9) {
            const vec3 a(triangles[t], triangles[t + 1], triangles[t + 2]);
            const vec3 b(triangles[t + 3], triangles[t + 4], triangles[t + 5]);
            const vec3 c(triangles[t + 6], triangles[t + 7], triangles[t + 8]);
            if (glm::length(glm::cross(b - a, c - a)) > 0.0f)
                kept.insert(kept.end(), &triangles[t], &triangles[t + 9]);
        }
        ASSERT_EQ(triangleFloatCount(m, output_flags::SKIP_ZERO_AREA), kept.size());
        // Room for the kept triangles alone is enough.
        std::vector<float> exact(kept.size());
        EXPECT_EQ(writeTriangleFloats(m, output_flags::SKIP_ZERO_AREA, exact), kept.size());
        EXPECT_EQ(exact, kept);

        EXPECT_EQ(lineFloatCount(m), 3 * m.lines.vertices.size());
        std::vector<float> lines(lineFloatCount(m)), points(pointFloatCount(m));
        EXPECT_EQ(writeLineFloats(m, lines), lines.size());
        EXPECT_EQ(lines, flat(m.lines.vertices));
        EXPECT_EQ(writePointFloats(m, points), points.size());
        for (size_t i = 0; i < m.points.size(); ++i) {
            EXPECT_EQ(points[3 * i], m.points[i].x);
            EXPECT_EQ(points[3 * i + 2], 0.0f);
        }
    }
    const S_Model strip = sampleModels()[0];
    EXPECT_EQ(triangleFloatCount(strip, output_flags::SKIP_ZERO_AREA), 9u * 3)
        << "two joins left out";
}

TEST(HostOutput, TooLittleRoomWritesNothing) {
    const S_Model m = sampleModels()[1];
    std::vector<float> small(triangleFloatCount(m, output_flags::SKIP_ZERO_AREA) - 1, 7.0f);
    EXPECT_EQ(writeTriangleFloats(m, output_flags::SKIP_ZERO_AREA, small), 0u);
    EXPECT_EQ(writeTriangleFloats(m, 0, small), 0u);
    std::vector<float> lines(lineFloatCount(m) - 1, 7.0f), points(pointFloatCount(m) - 1, 7.0f);
    EXPECT_EQ(writeLineFloats(m, lines), 0u);
    EXPECT_EQ(writePointFloats(m, points), 0u);
    for (const auto* v : {&small, &lines, &points}) {
        for (const float f : *v) EXPECT_EQ(f, 7.0f);
    }
    // Collinear, repeated and non-finite vertices.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(isZeroAreaTriangle({0, 0, 0}, {1, 1, 1}, {3, 3, 3}));
    EXPECT_TRUE(isZeroAreaTriangle({5, 5, 0}, {5, 5, 0}, {1, 2, 0}));
    EXPECT_FALSE(isZeroAreaTriangle({0, 0, 0}, {1e-6f, 0, 0}, {0, 1e-6f, 0}));
    EXPECT_FALSE(isZeroAreaTriangle({nan, 0, 0}, {0, 0, 0}, {0, 0, 0}));
}

TEST(BlobRecords, ReadsEveryRecordOrRefusesTheBlockNamingWhere) {
    meshory_test::ByteWriter w;
    const meshory_test::Bytes payload = meshory_test::plainStream({{1, 2}, {3, 4}});
    for (int i = 0; i < 2; ++i) {
        w.put(uint64_t(10 + i))
            .i32(bg::POINTS)
            .i32(7)
            .i32(65538)
            .u32(uint32_t(payload.size()))
            .raw(payload);
    }
    w.u8(0xEE);  // after the records: not looked at
    const std::vector<uint8_t>& bytes = w.bytes;

    const S_BlobRecordScan scan = scanBlobRecords(bytes, 2);
    ASSERT_TRUE(scan.ok) << scan.error;
    EXPECT_EQ(scan.bytesRead, bytes.size() - 1);
    const auto blobs = makeBlobs(bytes, scan.records);
    ASSERT_EQ(blobs.size(), 2u);
    EXPECT_EQ(blobs[1]->id, 11u);
    EXPECT_EQ(blobs[1]->type, bg::POINTS);
    EXPECT_EQ(blobs[1]->layerId, 7);
    EXPECT_EQ(blobs[1]->cellIndex, 65538);
    EXPECT_EQ(blobs[1]->data, payload);

    // Every cut of the block refuses two records; counts beyond the bytes
    // are refused before anything is allocated.
    for (size_t n = 0; n + 1 < bytes.size(); ++n) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        const S_BlobRecordScan s = scanBlobRecords(cut, 2);
        EXPECT_FALSE(s.ok) << n;
        EXPECT_TRUE(s.records.empty());
    }
    EXPECT_FALSE(scanBlobRecords(bytes, -1).ok);
    EXPECT_NE(scanBlobRecords(bytes, 1'000'000'000).error.find("at most 3"), std::string::npos);
    EXPECT_NE(scanBlobRecords({bytes.data(), 30}, 1).error.find("record 0 at byte 0"),
              std::string::npos);
    EXPECT_TRUE(scanBlobRecords({}, 0).ok);
}

TEST(BlobRecords, ChecksEveryRecordBeforeTakingRoomForThem) {
    // As many empty records as the bytes can hold, the last one claiming a
    // payload beyond the end: refused before any room for the others.
    constexpr int kRecords = 4096;
    meshory_test::ByteWriter w;
    for (int i = 0; i < kRecords; ++i) w.put(uint64_t(i)).i32(bg::POINTS).i32(1).i32(0).u32(0);
    std::vector<uint8_t> bytes = w.bytes;
    bytes[bytes.size() - 4] = 1;
    {
        const meshory_bench::CountedAllocations counted;
        EXPECT_FALSE(scanBlobRecords(bytes, kRecords).ok);
        EXPECT_LT(counted.bytes(), 1024u);
    }
    bytes[bytes.size() - 4] = 0;
    const meshory_bench::CountedAllocations counted;
    const S_BlobRecordScan scan = scanBlobRecords(bytes, kRecords);
    EXPECT_TRUE(scan.ok);
    EXPECT_EQ(counted.bytes(), kRecords * sizeof(S_BlobRecord));
}

}  // namespace
}  // namespace quorvan
