// Writes seed corpora for the fuzz targets from the payload writer: one
// valid payload of every geometry type, so that fuzzing starts deep inside
// every builder instead of at the first length check. The style seeds are
// the style tests' documents.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <string>

#include "support/payload_writer.h"

namespace fs = std::filesystem;
using namespace meshory_test;

namespace {

void write(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The framing FuzzedDataProvider reads (fuzz/provider.h): raw values and
// byte runs from the front, integers from the back. The back is kept in the
// order the target consumes it and written reversed; each integer is stored
// as the provider decodes it: its offset from `min`, most significant byte
// consumed first, in as many bytes as the range needs.
struct ProviderInput {
    ByteWriter front;
    Bytes back;
    template <typename T>
    ProviderInput& integral(T value, T min = std::numeric_limits<T>::min(),
                            T max = std::numeric_limits<T>::max()) {
        const uint64_t range = static_cast<uint64_t>(max) - static_cast<uint64_t>(min);
        const uint64_t offset = static_cast<uint64_t>(value) - static_cast<uint64_t>(min);
        size_t width = 0;
        while (width < sizeof(T) && (range >> (8 * width)) > 0) ++width;
        for (size_t i = width; i-- > 0;) back.push_back(static_cast<uint8_t>(offset >> (8 * i)));
        return *this;
    }
    Bytes bytes() const {
        Bytes out = front.bytes;
        out.insert(out.end(), back.rbegin(), back.rend());
        return out;
    }
};

// The model-maker target's framing: origin and filter, then blobs.
struct MakerInput {
    ProviderInput in;
    MakerInput() {
        in.front.f32(10).f32(20).f32(0);
        in.integral<uint16_t>(0).integral<uint8_t>(0).integral<uint32_t>(0);
    }
    MakerInput& blob(uint8_t typeByte, const Bytes& payload) {
        in.integral<uint8_t>(typeByte).integral<int8_t>(3).integral(1, 0, 63).integral(2, 0, 63);
        in.integral(static_cast<uint16_t>(payload.size()));
        in.front.raw(payload);
        return *this;
    }
};

// Small packs cut from a sample pack (layout in docs/blob-pack.md): its
// header, grid and layer names, then a few of its requests. One pack per
// layer with that layer's first three requests, and one with the first of
// every layer. The sample is trusted; a pack it cannot be cut from gives no
// seeds.
void packSeeds(const fs::path& dir, const fs::path& sample) {
    std::ifstream in(sample, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto u32 = [&](size_t at) {  // little-endian, as packs are
        uint32_t v = 0;
        if (at + 4 <= bytes.size())
            for (size_t i = 0; i < 4; ++i) v |= uint32_t{bytes[at + i]} << (8 * i);
        return v;
    };
    size_t at = 52;
    const uint32_t names = u32(at);
    at += 4;
    for (uint32_t i = 0; i < names && at + 6 <= bytes.size(); ++i)
        at += 6 + (bytes[at + 4] | bytes[at + 5] << 8);
    const size_t prefix = at;
    const uint32_t requests = u32(at);
    at += 4;
    std::map<int32_t, std::vector<std::pair<size_t, size_t>>> byLayer;  // request spans
    for (uint32_t i = 0; i < requests && at + 20 <= bytes.size(); ++i) {
        const size_t start = at;
        const uint32_t blobs = u32(at + 16);
        at += 20;
        int32_t layer = 0;
        for (uint32_t b = 0; b < blobs && at + 24 <= bytes.size(); ++b) {
            if (b == 0) layer = static_cast<int32_t>(u32(at + 12));
            at += 24 + u32(at + 20);
        }
        if (at > bytes.size()) return;
        if (byLayer[layer].size() < 3) byLayer[layer].emplace_back(start, at);
    }
    auto pack = [&](const std::vector<std::pair<size_t, size_t>>& spans) {
        ByteWriter w;
        w.raw(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(prefix)));
        w.u32(static_cast<uint32_t>(spans.size()));
        for (const auto& [from, to] : spans)
            w.raw(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                        bytes.begin() + static_cast<std::ptrdiff_t>(to)));
        return w.bytes;
    };
    std::vector<std::pair<size_t, size_t>> firsts;
    for (const auto& [layer, spans] : byLayer) {
        write(dir, "layer" + std::to_string(layer), pack(spans));
        firsts.push_back(spans.front());
    }
    write(dir, "every_layer", pack(firsts));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: make_seeds <corpus root> <folder of style documents> [sample pack]\n");
        return 2;
    }
    const fs::path root(argv[1]);
    const std::vector<glm::vec2> line = {{10, 20}, {30, 25}, {50, 20}, {60, 40}};
    const std::vector<glm::vec2> ring = {{35, 35}, {20, 20}, {50, 20}, {50, 50}, {20, 50}};
    const Bytes stream = plainStream(line);
    const Bytes delta = deltaStream(ring);
    const std::vector<glm::vec2> quad = {{0, 0}, {10, 0}, {0, 10}, {10, 10}};
    const Bytes block2 =
        indexedBlock<glm::vec2>(quad, {0, 1, 2, 3}, {0, 1, 3, 2, 0}, 45, kByteIndices);
    const Bytes block2d =
        indexedBlock<glm::vec2>(quad, {0, 1, 2, 3}, {0, 1, 3, 2}, 12, kDeltaVertices | kByteSecond);
    const Bytes block3 =
        indexedBlock<glm::vec3>({{0, 0, 1}, {5, 5, 2}, {9, 1, 0}}, {0, 1, 1, 2}, {}, 0, 0);
    const Bytes labels = labelBlock({15, 25}, {{0, "Main"}, {1, "Haupt"}, {2, "\xE4\xB8\xBB"}});
    SegmentSpec road;
    road.styleId = 4, road.kind = 1, road.text = "Road", road.points = line, road.skipped = {1, 2};
    SegmentSpec point;
    point.styleId = 5, point.kind = 2, point.text = "Pin", point.points = {{12, 13}};
    const Bytes segments = labelSegments({{road, point}, {}});

    const std::vector<std::pair<uint8_t, Bytes>> perType = {
        {1, stream},
        {2, block2},
        {3, delta},
        {4, block2d},
        {5, withU8Prefix(3, stream)},
        {6, stream},
        {7, block3},
        {8, delta},
        {9, labels},
        {10, withU8Prefix(0, stream)},
        {11, withU8Prefix(2, stream)},
        {12, withU8Prefix(6, delta)},
        {13, withU8Prefix(2, stream)},
        {14, plainStream(ring)},
        {15, withU16Prefix(25, plainStream(ring))},
        {16, delta},
        {17, withU16Prefix(30, delta)},
        {18, {}},
        {19, segments},
    };
    for (const auto& [typeByte, payload] : perType) {
        write(root / "model_maker", "type" + std::to_string(typeByte),
              MakerInput().blob(typeByte, payload).in.bytes());
    }
    MakerInput mixed;
    for (const auto& [typeByte, payload] : perType) mixed.blob(typeByte, payload);
    write(root / "model_maker", "mixed", mixed.in.bytes());

    // A tile of every type: fifteen requests of one record each, at one
    // origin, and one of eight records.
    ProviderInput tile;
    tile.integral<uint32_t>(1, 0, 4).integral<int64_t>(static_cast<int64_t>(perType.size()), -1,
                                                       64);
    tile.integral<size_t>(16, 0, 16);
    for (size_t i = 0; i < 16; ++i) {
        const bool all = i == 15;
        tile.integral<uint32_t>(all ? 0 : static_cast<uint32_t>(i), 0, 70);
        tile.integral<uint32_t>(all ? 8 : 1, 0, 8);
        tile.front.put(10.0).put(20.0);
    }
    for (const auto& [typeByte, payload] : perType) {
        const int32_t type = typeByte == 19 ? 101 : typeByte;
        tile.front.put(uint64_t{typeByte}).i32(type).i32(3).i32(1 << 16 | 2);
        tile.front.u32(static_cast<uint32_t>(payload.size())).raw(payload);
    }
    write(root / "tile", "every_type", tile.bytes());

    // The payload, then the decoder selector.
    const std::pair<const char*, std::pair<int, Bytes>> decoderSeeds[] = {
        {"stream", {0, stream}},   {"delta", {0, delta}},   {"block2", {1, block2}},
        {"block2d", {1, block2d}}, {"block3", {2, block3}}, {"labels", {3, labels}},
    };
    for (const auto& [name, seed] : decoderSeeds) {
        ProviderInput d;
        d.front.raw(seed.second);
        write(root / "decoders", name, d.integral(seed.first, 0, 3).bytes());
    }

    ProviderInput g;
    g.integral(4, -299, 299).integral(3, -299, 299);
    g.front.put<double>(0).put<double>(0).put<double>(400).put<double>(300);
    g.front.put<double>(150).put<double>(50).put<double>(250).put<double>(250);
    g.integral<int8_t>(1);
    write(root / "grid", "basic", g.bytes());

    ByteWriter origin;
    origin.f32(1).f32(2);
    write(root / "label_segments", "two_groups", ByteWriter(origin).raw(segments).bytes);
    write(root / "label_segments", "empty_group",
          ByteWriter(origin).raw(labelSegments({{}})).bytes);

    // Toolkit: texture length, radius, then a polyline with a sharp turn (a
    // rejected miter) and a repeat, split into two polygons; caps at the back.
    ProviderInput t;
    t.integral(2ul, 0ul, 7ul).front.f32(4).f32(8);
    for (const glm::vec2 p :
         {glm::vec2(0, 0), {10, 0}, {10, 10}, {10, 10}, {0, 1}, {5, 5}, {20, 0}, {20, 20}}) {
        t.front.f32(p.x).f32(p.y);
    }
    write(root / "toolkit", "polyline", t.bytes());
    ProviderInput square;
    square.integral(0ul, 0ul, 7ul).front.f32(1).f32(3);
    for (const glm::vec2 p : {glm::vec2(0, 0), {4, 0}, {4, 4}, {0, 4}, {2, -1}, {6, 2}, {2, 5}}) {
        square.front.f32(p.x).f32(p.y);
    }
    write(root / "toolkit", "polygons", square.bytes());

    // Every sequence length, and the ill-formed cases the two decoders must
    // agree on: an overlong form, an encoded surrogate, a cut-off sequence.
    write(root / "utf8", "valid",
          ByteWriter()
              .text("Stra\xC3\x9F"
                    "e \xE4\xB8\xBB \xF0\x9F\x97\xBA")
              .bytes);
    write(root / "utf8", "ill_formed", ByteWriter().text("\xC0\x80 \xED\xA0\x80 \xE2\x82").bytes);

    for (const auto& entry : fs::directory_iterator(argv[2])) {
        if (entry.path().extension() != ".sld") continue;
        fs::create_directories(root / "styles");
        // Removed first rather than overwritten: MinGW's copy_file takes any
        // two existing files for one (Windows has no inode numbers) and
        // refuses to overwrite.
        const fs::path target = root / "styles" / entry.path().filename();
        fs::remove(target);
        fs::copy_file(entry.path(), target);
    }

    // A pack whose layer name and label text are not UTF-8: the writers must
    // turn both into U+FFFD.
    SegmentSpec bad = road;
    bad.text = "Mar\xC0\x80ket \xFF";
    const Bytes badSegments = labelSegments({{bad}});
    ByteWriter hostile;
    hostile.text("MSHYPACK").u16(1).u16(0).u32(0).u32(0);
    for (int i = 0; i < 4; ++i) hostile.put<double>(0);
    hostile.u32(1).u32(19).u16(5).text("road\xFF");
    hostile.u32(1).put<double>(1).put<double>(2).u32(1);
    hostile.put<uint64_t>(7).u32(19).u32(19).u32(0).u32(static_cast<uint32_t>(badSegments.size()));
    hostile.raw(badSegments);
    write(root / "inspect", "ill_formed_text", hostile.bytes);
    if (argc > 3) packSeeds(root / "inspect", argv[3]);
    return 0;
}
