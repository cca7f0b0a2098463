#include "model/decode/payload.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/payload_writer.h"

namespace quorvan {
namespace {

using glm::vec2;
using glm::vec3;
using meshory_test::Bytes;

// A copy of the first n bytes in a buffer of exactly n bytes, so that
// AddressSanitizer reports any read past the end.
std::unique_ptr<uint8_t[]> exactCopy(const Bytes& b, size_t n) {
    auto buf = std::make_unique<uint8_t[]>(n == 0 ? 1 : n);
    std::copy(b.begin(), b.begin() + static_cast<ptrdiff_t>(n), buf.get());
    return buf;
}

std::vector<vec2> decode(const Bytes& b, vec2 offset = vec2(0)) {
    return extractVertexes(b.data(), b.size(), offset);
}

TEST(ByteReader, RefusesToPassItsEndAndCountsInSixtyFourBits) {
    const Bytes b = {1, 2, 3};
    ByteReader r(b.data(), b.size());
    uint16_t v = 0;
    EXPECT_TRUE(r.read(v));
    EXPECT_EQ(v, 0x0201);
    uint32_t w = 7;
    EXPECT_FALSE(r.read(w));
    EXPECT_EQ(w, 7u);
    EXPECT_EQ(r.position(), 2u);
    EXPECT_FALSE(r.skip(UINT64_MAX));
    EXPECT_FALSE(r.has(UINT64_MAX));
    std::string s;
    EXPECT_FALSE(r.readString(2, s));
    EXPECT_TRUE(r.readString(1, s));
    EXPECT_EQ(s, "\x03");
    EXPECT_TRUE(r.atEnd());

    ByteReader null(nullptr, 100);
    EXPECT_EQ(null.size(), 0u);
}

TEST(VertexStream, PlainStreamIgnoresIncompletePoint) {
    EXPECT_TRUE(decode(Bytes{0}).empty());
    EXPECT_TRUE(decode(Bytes{}).empty());
    Bytes b = meshory_test::plainStream({{1, 2}});
    b.insert(b.end(), 7, 0xAB);  // 16 bytes in all
    ASSERT_EQ(b.size(), 16u);
    const auto pts = decode(b, vec2(1, 1));
    ASSERT_EQ(pts.size(), 1u);
    EXPECT_EQ(pts[0], vec2(0, 1));
}

TEST(VertexStream, DeltaStreamDecodesTenthsRelativeToOffset) {
    const Bytes b = meshory_test::deltaStreamRaw({100, 200}, {10, -5});
    const auto pts = decode(b, vec2(100, 200));
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0], vec2(0, 0));
    EXPECT_FLOAT_EQ(pts[1].x, 1.0f);
    EXPECT_FLOAT_EQ(pts[1].y, -0.5f);

    // Exactly 9 bytes: the first point alone. An odd last delta is ignored.
    EXPECT_EQ(decode(meshory_test::deltaStreamRaw({3, 4}, {})).size(), 1u);
    EXPECT_EQ(decode(meshory_test::deltaStreamRaw({3, 4}, {1, 2, 3})).size(), 2u);
    // Any non-zero encoding byte means delta; fewer than 9 bytes hold no point.
    EXPECT_EQ(decode(meshory_test::deltaStreamRaw({3, 4}, {1, 2}, 0xFF)).size(), 2u);
    EXPECT_TRUE(decode(Bytes{1, 0, 0, 0, 0, 0, 0, 0}).empty());
}

TEST(VertexStream, DeltaDecoderMatchesUnpackDeltaValues) {
    const std::vector<int16_t> deltas = {1, -1, 32767, -32768, 5, 5, 3};
    const auto viaStream = decode(meshory_test::deltaStreamRaw({0.25f, -7.5f}, deltas), vec2(2, 3));
    const auto viaUnpack = unpackDeltaValues(deltas, vec2(0.25f, -7.5f), vec2(2, 3));
    EXPECT_EQ(viaStream, viaUnpack);
    EXPECT_EQ(viaUnpack.size(), 4u);
    EXPECT_EQ(unpackDeltaValues(std::vector<int16_t>{}, vec2(1, 1), vec2(1, 1)),
              std::vector<vec2>{vec2(0)});
}

TEST(VertexStream, EveryTruncationStaysInsideTheBuffer) {
    const std::vector<vec2> pts = {{1, 2}, {3.5f, 4}, {-2, 8}, {0, 0}};
    for (const Bytes& full : {meshory_test::plainStream(pts), meshory_test::deltaStream(pts)}) {
        for (size_t n = 0; n <= full.size(); ++n) {
            auto buf = exactCopy(full, n);
            const auto out = extractVertexes(buf.get(), n, vec2(0));
            EXPECT_LE(out.size(), pts.size());
        }
    }
}

struct Block2 {
    std::vector<vec2> vertices = {{7, 7}};
    std::vector<uint16_t> indices = {9};
    std::vector<uint16_t> second = {8};
    float height = -1.0f;

    void decode(const uint8_t* data, size_t size, vec2 offset = vec2(0)) {
        extractIndexedVertexes(data, size, offset, vertices, indices, second, height);
    }
    void decode(const Bytes& b, vec2 offset = vec2(0)) { decode(b.data(), b.size(), offset); }
};

TEST(IndexedBlock, DecodesTheDocumentedExample) {
    // 3 plain vertices, 1-byte indices 0 1 2, 2-byte second list 0 2, height 2.5.
    const Bytes b = meshory_test::indexedBlock<vec2>({{1, 2}, {3, 4}, {5, 6}}, {0, 1, 2}, {0, 2},
                                                     25, meshory_test::kByteIndices);
    Block2 out;
    out.second.clear();
    out.decode(b, vec2(1, 2));
    EXPECT_EQ(out.vertices, (std::vector<vec2>{{0, 0}, {2, 2}, {4, 4}}));
    EXPECT_EQ(out.indices, (std::vector<uint16_t>{0, 1, 2}));
    EXPECT_EQ(out.second, (std::vector<uint16_t>{0, 2}));
    EXPECT_FLOAT_EQ(out.height, 2.5f);
}

TEST(IndexedBlock, ZeroVerticesLeavesEveryOutputUntouched) {
    const Bytes b = meshory_test::indexedBlock<vec2>({}, {1, 2}, {3}, 25, 0);
    Block2 out;
    out.decode(b);
    EXPECT_EQ(out.vertices, std::vector<vec2>{vec2(7)});
    EXPECT_EQ(out.indices, std::vector<uint16_t>{9});
    EXPECT_EQ(out.second, std::vector<uint16_t>{8});
    EXPECT_EQ(out.height, -1.0f);
}

TEST(IndexedBlock, HeightIsSetEvenWithoutIndicesAndSecondListKeptWhenAbsent) {
    const Bytes b = meshory_test::indexedBlock<vec2>({{1, 1}}, {}, {}, 25, 0);
    Block2 out;
    out.decode(b);
    EXPECT_FLOAT_EQ(out.height, 2.5f);
    EXPECT_TRUE(out.indices.empty());
    EXPECT_EQ(out.second, std::vector<uint16_t>{8});  // nothing after the index list
}

TEST(IndexedBlock, IndexWidthsFollowTheFlags) {
    // A one-byte 200 is 200, not -56; five remaining bytes of 2-byte entries give two.
    Bytes b = meshory_test::indexedBlock<vec2>({{0, 0}}, {200}, {}, 0, meshory_test::kByteIndices);
    b.insert(b.end(), {1, 0, 2, 0, 9});
    Block2 out;
    out.decode(b);
    EXPECT_EQ(out.indices, std::vector<uint16_t>{200});
    EXPECT_EQ(out.second, (std::vector<uint16_t>{1, 2}));

    const Bytes wide =
        meshory_test::indexedBlock<vec2>({{0, 0}}, {65535}, {300, 1}, 0, meshory_test::kByteSecond);
    out.decode(wide);
    EXPECT_EQ(out.indices, std::vector<uint16_t>{65535});
    EXPECT_EQ(out.second, (std::vector<uint16_t>{300 & 0xFF, 1}));
}

TEST(IndexedBlock, DeltaVerticesInTwoAndThreeDimensions) {
    const std::vector<vec2> v2 = {{10, 20}, {11, 19.5f}, {11, 19.5f}};
    Block2 out;
    out.decode(meshory_test::indexedBlock<vec2>(v2, {0, 1, 2}, {}, 0, meshory_test::kDeltaVertices),
               vec2(10, 20));
    ASSERT_EQ(out.vertices.size(), 3u);
    EXPECT_NEAR(out.vertices[2].x, 1.0f, 1e-5);
    EXPECT_NEAR(out.vertices[2].y, -0.5f, 1e-5);

    const std::vector<vec3> v3 = {{1, 2, 3}, {1.5f, 2, 2}};
    std::vector<vec3> vertices;
    std::vector<uint16_t> indices, second;
    float height = 0;
    const Bytes b =
        meshory_test::indexedBlock<vec3>(v3, {0, 1}, {}, 7, meshory_test::kDeltaVertices);
    extractIndexedVertexes(b.data(), b.size(), vec3(1, 1, 1), vertices, indices, second, height);
    ASSERT_EQ(vertices.size(), 2u);
    EXPECT_EQ(vertices[0], vec3(0, 1, 2));
    EXPECT_NEAR(vertices[1].x, 0.5f, 1e-5);
    EXPECT_NEAR(vertices[1].z, 1.0f, 1e-5);
    EXPECT_FLOAT_EQ(height, 0.7f);

    const Bytes plain = meshory_test::indexedBlock<vec3>(v3, {1}, {}, 0, 0);
    extractIndexedVertexes(plain.data(), plain.size(), vec3(0), vertices, indices, second, height);
    EXPECT_EQ(vertices, v3);
}

TEST(IndexedBlock, BlockShorterThanItsCountsYieldsNoGeometry) {
    for (uint8_t flags = 0; flags < 8; ++flags) {
        const Bytes full =
            meshory_test::indexedBlock<vec2>({{1, 1}, {2, 2}, {3, 3}}, {0, 1, 2}, {2, 1}, 5, flags);
        const size_t required = 7 + ((flags & 4) ? 8 + 4 * 2 : 24) + ((flags & 1) ? 3 : 6);
        for (size_t n = 0; n <= full.size(); ++n) {
            auto buf = exactCopy(full, n);
            Block2 out;
            out.decode(buf.get(), n);
            if (n < 7) {
                EXPECT_EQ(out.height, -1.0f) << "header cut at " << n;
                EXPECT_EQ(out.vertices.size(), 1u);
            } else if (n < required) {
                EXPECT_FLOAT_EQ(out.height, 0.5f);
                EXPECT_TRUE(out.vertices.empty()) << "flags " << int(flags) << " cut at " << n;
                EXPECT_TRUE(out.indices.empty());
                EXPECT_EQ(out.second, std::vector<uint16_t>{8});
            } else {
                EXPECT_EQ(out.vertices.size(), 3u);
                EXPECT_EQ(out.indices.size(), 3u);
            }
        }
    }
}

TEST(IndexedBlock, HugeCountsInATinyBlockAllocateNothing) {
    meshory_test::ByteWriter w;
    w.u16(65535).u16(65535).u16(0).u8(0).f32(1).f32(2);
    Block2 out;
    out.decode(w.bytes);
    EXPECT_TRUE(out.vertices.empty());
    EXPECT_EQ(out.vertices.capacity(), 1u);  // the old storage, not 65535 entries
}

TEST(LabelBlock, DecodesTextsWithVariants) {
    const Bytes b = meshory_test::labelBlock({1, 2}, {{0, "abc"}, {5, "xy"}});
    const auto labels = extractLabels(b);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].text, "abc");
    EXPECT_EQ(labels[0].variant, 0);
    EXPECT_EQ(labels[0].position, vec2(1, 2));
    EXPECT_EQ(labels[1].text, "xy");
    EXPECT_EQ(labels[1].variant, 5);

    EXPECT_TRUE(extractLabels(meshory_test::labelBlock({1, 2}, {})).empty());
    const auto empty = extractLabels(meshory_test::labelBlock({1, 2}, {{0, ""}}));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].text, "");
}

TEST(LabelBlock, EntryRunningPastTheEndIsDroppedAndEndsDecoding) {
    const Bytes full =
        meshory_test::labelBlock({1, 2}, {{0, "first"}, {3, "second"}, {4, "third"}});
    for (size_t n = 0; n <= full.size(); ++n) {
        const Bytes cut(full.begin(), full.begin() + static_cast<ptrdiff_t>(n));
        const auto labels = extractLabels(cut);  // the vector holds exactly n bytes
        const size_t complete = n >= full.size() ? 3 : n >= 8 + 6 + 9 ? 2 : n >= 8 + 6 ? 1 : 0;
        EXPECT_EQ(labels.size(), complete) << "cut at " << n;
        for (const auto& l : labels) EXPECT_FALSE(l.text.empty());
    }
}

TEST(Utf8, AcceptsWellFormedAndRejectsEachIllFormedKind) {
    EXPECT_TRUE(checkUtf8Valid("", 1000));
    EXPECT_TRUE(checkUtf8Valid("plain ascii", 1000));
    EXPECT_TRUE(checkUtf8Valid("\xE2\x82\xAC", 1000));            // euro sign
    EXPECT_TRUE(checkUtf8Valid("\xF0\x9F\x98\x80", 1000));        // emoji
    EXPECT_TRUE(checkUtf8Valid("\xF4\x8F\xBF\xBF", 1000));        // U+10FFFF
    EXPECT_FALSE(checkUtf8Valid("\xC0\x80", 1000));               // overlong NUL
    EXPECT_FALSE(checkUtf8Valid("\xE0\x80\xAF", 1000));           // overlong
    EXPECT_FALSE(checkUtf8Valid("\xED\xA0\x80", 1000));           // surrogate
    EXPECT_FALSE(checkUtf8Valid("\xF4\x90\x80\x80", 1000));       // above U+10FFFF
    EXPECT_FALSE(checkUtf8Valid("\x80", 1000));                   // lone continuation
    EXPECT_FALSE(checkUtf8Valid("ok\xE2\x82", 1000));             // cut at the end
    EXPECT_FALSE(checkUtf8Valid("\xF8\x88\x80\x80\x80", 1000));   // five-byte form
    EXPECT_FALSE(checkUtf8Valid("\xC3(", 1000));                  // bad continuation
    EXPECT_FALSE(checkUtf8Valid(std::string(2000, '\xFF'), 10));  // long text, not logged
}

}  // namespace
}  // namespace quorvan
