#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

#include "pack/blob_pack.h"
#include "support/payload_writer.h"

namespace quorvan::pack {
namespace {

using meshory_test::plainStream;

// Offsets of a pack without layer names (docs/blob-pack.md).
constexpr size_t kRequestCount = 56;
constexpr size_t kFirstOrigin = 60;
constexpr size_t kFirstBlobCount = 76;
constexpr size_t kFirstPayloadLength = 100;

BlobPack samplePack() {
    BlobPack pack;
    pack.grid = {3, 2, Bounds(-10.5, 20.0, 290.5, 220.0)};
    pack.layerNames = {{-4, "minus"}, {7, "Straße"}, {30, ""}};
    PackRequest a;
    a.x = 1000.25;
    a.y = -2000.5;
    a.blobs.emplace_back(std::numeric_limits<uint64_t>::max(), 8, 7, 65537,
                         plainStream({{1, 2}, {3, 4}}));
    a.blobs.emplace_back(0, -1, -4, -65536, std::vector<uint8_t>{});
    PackRequest empty;
    PackRequest b;
    b.blobs.emplace_back(42, 101, 30, 0, std::vector<uint8_t>(300, 0xab));
    pack.requests = {a, empty, b};
    return pack;
}

BlobPack noNamesPack() {
    BlobPack pack = samplePack();
    pack.layerNames.clear();
    return pack;
}

// Pack fields are little-endian whatever the host.
void patch(std::vector<uint8_t>& bytes, size_t at, auto value) {
    const auto le = meshory_test::ByteWriter().put(value).bytes;
    std::copy(le.begin(), le.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

double doubleAt(const std::vector<uint8_t>& bytes, size_t at) {
    uint64_t bits = 0;
    for (size_t i = 0; i < 8; ++i) bits |= uint64_t{bytes[at + i]} << (8 * i);
    return std::bit_cast<double>(bits);
}

PackError readError(const std::vector<uint8_t>& bytes) {
    BlobPack out;
    PackError error;
    EXPECT_FALSE(readBlobPack(bytes, out, error));
    EXPECT_FALSE(error.message.empty());
    return error;
}

TEST(BlobPack, RoundTripKeepsEveryField) {
    const BlobPack pack = samplePack();
    const std::vector<uint8_t> bytes = writeBlobPack(pack);
    BlobPack back;
    PackError error;
    ASSERT_TRUE(readBlobPack(bytes, back, error)) << error.message;

    EXPECT_EQ(back.grid.cellsInRow, 3);
    EXPECT_EQ(back.grid.cellsInCol, 2);
    EXPECT_EQ(back.grid.bounds.x1, -10.5);
    EXPECT_EQ(back.grid.bounds.y2, 220.0);
    EXPECT_EQ(back.layerNames, pack.layerNames);
    ASSERT_EQ(back.requests.size(), 3u);
    for (size_t r = 0; r < 3; ++r) {
        const auto& want = pack.requests[r];
        const auto& got = back.requests[r];
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        ASSERT_EQ(got.blobs.size(), want.blobs.size());
        for (size_t i = 0; i < want.blobs.size(); ++i) {
            EXPECT_EQ(got.blobs[i].id, want.blobs[i].id);
            EXPECT_EQ(got.blobs[i].type, want.blobs[i].type);
            EXPECT_EQ(got.blobs[i].layerId, want.blobs[i].layerId);
            EXPECT_EQ(got.blobs[i].cellIndex, want.blobs[i].cellIndex);
            EXPECT_EQ(got.blobs[i].data, want.blobs[i].data);
        }
    }
    EXPECT_EQ(writeBlobPack(back), bytes);
}

TEST(BlobPack, HeaderLayoutIsPinned) {
    const std::vector<uint8_t> bytes = writeBlobPack(noNamesPack());
    EXPECT_EQ(std::memcmp(bytes.data(), "MSHYPACK", 8), 0);
    EXPECT_EQ(bytes[8], 1);  // version, little-endian
    EXPECT_EQ(bytes[9], 0);
    EXPECT_EQ(bytes[kRequestCount], 3);
    EXPECT_EQ(doubleAt(bytes, kFirstOrigin), 1000.25);
    EXPECT_EQ(bytes[kFirstBlobCount], 2);
    EXPECT_EQ(bytes[kFirstPayloadLength], 17);  // plain stream of two points
}

// Every prefix of a valid pack is refused, each in a buffer of exactly its
// length so that AddressSanitizer sees any read past it.
TEST(BlobPack, EveryTruncationIsRefused) {
    const std::vector<uint8_t> bytes = writeBlobPack(samplePack());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        auto copy = std::make_unique<uint8_t[]>(cut);
        std::memcpy(copy.get(), bytes.data(), cut);
        BlobPack out;
        PackError error;
        ASSERT_FALSE(readBlobPack(copy.get(), cut, out, error)) << "cut at " << cut;
        EXPECT_TRUE(error.kind == PackError::Kind::Truncated ||
                    error.kind == PackError::Kind::NotAPack)
            << "cut at " << cut << ": " << error.message;
        EXPECT_LE(error.offset, cut);
    }
}

TEST(BlobPack, RefusesForeignFilesAndUnknownVersions) {
    std::vector<uint8_t> bytes = writeBlobPack(noNamesPack());
    auto wrongMagic = bytes;
    wrongMagic[0] = 'X';
    EXPECT_EQ(readError(wrongMagic).kind, PackError::Kind::NotAPack);
    EXPECT_EQ(readError(std::vector<uint8_t>{'M', 'S'}).kind, PackError::Kind::NotAPack);

    auto version = bytes;
    patch(version, 8, uint16_t{2});
    EXPECT_EQ(readError(version).kind, PackError::Kind::Unsupported);
    auto flags = bytes;
    patch(flags, 10, uint16_t{1});
    EXPECT_EQ(readError(flags).kind, PackError::Kind::Unsupported);
}

// Counts are capped by the bytes that remain before anything is allocated:
// a 4-billion count must be refused, not reserved (ASan aborts on the latter).
TEST(BlobPack, HugeCountsAreRefusedBeforeAllocation) {
    const std::vector<uint8_t> bytes = writeBlobPack(noNamesPack());
    for (size_t at : {size_t{52}, kRequestCount, kFirstBlobCount, kFirstPayloadLength}) {
        auto huge = bytes;
        patch(huge, at, std::numeric_limits<uint32_t>::max());
        const PackError error = readError(huge);
        EXPECT_EQ(error.kind, PackError::Kind::Truncated) << "count at " << at;
        EXPECT_NE(error.message.find("4294967295"), std::string::npos) << error.message;
    }
    // One more request than the bytes hold.
    auto oneMore = bytes;
    patch(oneMore, kRequestCount, uint32_t{4});
    EXPECT_EQ(readError(oneMore).kind, PackError::Kind::Truncated);
}

TEST(BlobPack, RefusesImpossibleValues) {
    const std::vector<uint8_t> bytes = writeBlobPack(noNamesPack());
    auto corrupt = [&](size_t at, auto value) {
        auto copy = bytes;
        patch(copy, at, value);
        return readError(copy).kind;
    };
    EXPECT_EQ(corrupt(12, int32_t{-1}), PackError::Kind::Corrupt);
    EXPECT_EQ(corrupt(16, int32_t{65537}), PackError::Kind::Corrupt);
    EXPECT_EQ(corrupt(20, std::nan("")), PackError::Kind::Corrupt);
    EXPECT_EQ(corrupt(44, std::numeric_limits<double>::infinity()), PackError::Kind::Corrupt);
    EXPECT_EQ(corrupt(kFirstOrigin + 8, -std::numeric_limits<double>::infinity()),
              PackError::Kind::Corrupt);
    // Finite bounds whose extent overflows, refused where the bounds start.
    auto wide = bytes;
    patch(wide, 20, -1e308);
    patch(wide, 36, 1e308);
    EXPECT_EQ(readError(wide).offset, 20u);

    auto trailing = bytes;
    trailing.push_back(0);
    EXPECT_EQ(readError(trailing).kind, PackError::Kind::Corrupt);

    BlobPack twice = noNamesPack();
    twice.layerNames = {{5, "a"}, {6, "b"}};
    auto named = writeBlobPack(twice);
    patch(named, 56 + 7, int32_t{5});  // the second name's id: 56 + (4 + 2 + 1)
    EXPECT_EQ(readError(named).kind, PackError::Kind::Corrupt);
}

TEST(BlobPack, ZeroGridMeansNoGrid) {
    BlobPack pack = noNamesPack();
    pack.grid = {};
    BlobPack back;
    PackError error;
    ASSERT_TRUE(readBlobPack(writeBlobPack(pack), back, error)) << error.message;
    EXPECT_EQ(back.grid.cellsInRow, 0);
    EXPECT_EQ(back.grid.cellsInCol, 0);
}

TEST(BlobPack, FilesRoundTripAndMissingFilesAreIoErrors) {
    const std::string path = ::testing::TempDir() + "/pack_test.mpk";
    writeBlobPackFile(path, samplePack());
    BlobPack back;
    PackError error;
    ASSERT_TRUE(readBlobPackFile(path, back, error)) << error.message;
    EXPECT_EQ(back.requests.size(), 3u);
    std::filesystem::remove(path);

    EXPECT_FALSE(readBlobPackFile(path, back, error));
    EXPECT_EQ(error.kind, PackError::Kind::Io);
    EXPECT_NE(error.message.find("cannot open"), std::string::npos);
}

TEST(BlobPack, WriterRefusesWhatTheLayoutCannotHold) {
    BlobPack pack;
    pack.layerNames = {{1, std::string(70000, 'x')}};
    EXPECT_THROW(writeBlobPack(pack), std::invalid_argument);
}

}  // namespace
}  // namespace quorvan::pack
