// Writes seed corpora for the fuzz targets from the payload writer: one
// valid payload of every geometry type, so that fuzzing starts deep inside
// every builder instead of at the first length check.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/payload_writer.h"

namespace fs = std::filesystem;
using namespace meshory_test;

namespace {

void write(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size()));
}

// The model-maker target's framing: origin, filter, then blobs.
struct MakerInput {
    ByteWriter w;
    MakerInput() { w.f32(10).f32(20).f32(0).u16(0).u8(0).u32(0); }
    MakerInput& blob(uint8_t typeByte, const Bytes& payload) {
        w.u8(typeByte).put<int8_t>(3).u16(1).u8(2).u16(static_cast<uint16_t>(payload.size())).raw(payload);
        return *this;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus root>\n");
        return 2;
    }
    const fs::path root(argv[1]);
    const std::vector<glm::vec2> line = {{10, 20}, {30, 25}, {50, 20}, {60, 40}};
    const std::vector<glm::vec2> ring = {{35, 35}, {20, 20}, {50, 20}, {50, 50}, {20, 50}};
    const Bytes stream = plainStream(line);
    const Bytes delta = deltaStream(ring);
    const std::vector<glm::vec2> quad = {{0, 0}, {10, 0}, {0, 10}, {10, 10}};
    const Bytes block2 = indexedBlock<glm::vec2>(quad, {0, 1, 2, 3}, {0, 1, 3, 2, 0}, 45, kByteIndices);
    const Bytes block2d = indexedBlock<glm::vec2>(quad, {0, 1, 2, 3}, {0, 1, 3, 2}, 12, kDeltaVertices | kByteSecond);
    const Bytes block3 = indexedBlock<glm::vec3>({{0, 0, 1}, {5, 5, 2}, {9, 1, 0}}, {0, 1, 1, 2}, {}, 0, 0);
    const Bytes labels = labelBlock({15, 25}, {{0, "Main"}, {1, "Haupt"}, {2, "\xE4\xB8\xBB"}});
    SegmentSpec road;
    road.styleId = 4, road.kind = 1, road.text = "Road", road.points = line, road.skipped = {1, 2};
    SegmentSpec point;
    point.styleId = 5, point.kind = 2, point.text = "Pin", point.points = {{12, 13}};
    const Bytes segments = labelSegments({{road, point}, {}});

    const std::vector<std::pair<uint8_t, Bytes>> perType = {
        {1, stream},  {2, block2},  {3, delta},          {4, block2d},          {5, withU8Prefix(3, stream)},
        {6, stream},  {7, block3},  {8, delta},          {9, labels},           {10, withU8Prefix(0, stream)},
        {11, withU8Prefix(2, stream)}, {12, withU8Prefix(6, delta)}, {13, withU8Prefix(2, stream)},
        {14, plainStream(ring)}, {15, withU16Prefix(25, plainStream(ring))}, {16, delta},
        {17, withU16Prefix(30, delta)}, {18, {}}, {19, segments},
    };
    for (const auto& [typeByte, payload] : perType) {
        write(root / "model_maker", "type" + std::to_string(typeByte), MakerInput().blob(typeByte, payload).w.bytes);
    }
    MakerInput mixed;
    for (const auto& [typeByte, payload] : perType) mixed.blob(typeByte, payload);
    write(root / "model_maker", "mixed", mixed.w.bytes);

    write(root / "decoders", "stream", withU8Prefix(0, stream));
    write(root / "decoders", "delta", withU8Prefix(0, delta));
    write(root / "decoders", "block2", withU8Prefix(1, block2));
    write(root / "decoders", "block2d", withU8Prefix(1, block2d));
    write(root / "decoders", "block3", withU8Prefix(2, block3));
    write(root / "decoders", "labels", withU8Prefix(3, labels));

    ByteWriter g;
    g.u16(4).u16(3).put<double>(0).put<double>(0).put<double>(400).put<double>(300);
    g.put<double>(150).put<double>(50).put<double>(250).put<double>(250).put<int8_t>(1);
    write(root / "grid", "basic", g.bytes);
    return 0;
}
