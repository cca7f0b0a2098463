// Writes seed corpora for the fuzz targets from the payload writer: one
// valid payload of every geometry type, so that fuzzing starts deep inside
// every builder instead of at the first length check.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// The model-maker target's framing: origin, filter, then blobs.
struct MakerInput {
    ByteWriter w;
    MakerInput() { w.f32(10).f32(20).f32(0).u16(0).u8(0).u32(0); }
    MakerInput& blob(uint8_t typeByte, const Bytes& payload) {
        w.u8(typeByte)
            .put<int8_t>(3)
            .u16(1)
            .u8(2)
            .u16(static_cast<uint16_t>(payload.size()))
            .raw(payload);
        return *this;
    }
};

// Every property the style loader reads, in one layer, and a second layer
// with defaults.
const char* const kStyleDocument = R"(<?xml version="1.0" encoding="UTF-8"?>
<StyledLayerDescriptor version="1.0.0" background-color="#F2EFE9" background-opacity="0.5">
  <NamedLayer>
    <Name>roads</Name>
    <VendorOption name="geometryLayerId">20</VendorOption>
    <VendorOption name="zOrder">10</VendorOption>
    <VendorOption name="3D">true</VendorOption>
    <VendorOption name="selectable">1</VendorOption>
    <VendorOption name="antialiasing">true</VendorOption>
    <VendorOption name="decorator">arrows</VendorOption>
    <VendorOption name="direction">true</VendorOption>
    <VendorOption name="mergeable">by-name</VendorOption>
    <VendorOption name="repeat">300</VendorOption>
    <VendorOption name="spaceAround">4</VendorOption>
    <VendorOption name="maxAngleDelta">25</VendorOption>
    <VendorOption name="autoWrap">120</VendorOption>
    <VendorOption name="maxDisplacement">12</VendorOption>
    <UserStyle>
      <Name>roads-day</Name>
      <FeatureTypeStyle>
        <Rule>
          <MinScaleDenominator>8000</MinScaleDenominator>
          <MaxScaleDenominator>50</MaxScaleDenominator>
          <VendorOption name="minLabelScaleDenominator">900</VendorOption>
          <VendorOption name="maxLabelScaleDenominator">5</VendorOption>
          <PolygonSymbolizer>
            <Fill><CssParameter name="fill">#D9D0C9</CssParameter>
              <CssParameter name="fill-opacity">0.9</CssParameter>
              <CssParameter name="fill-width">2</CssParameter></Fill>
            <Stroke><CssParameter name="stroke">#B9A99B</CssParameter>
              <CssParameter name="stroke-width">1.5</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-dasharray">5 3</CssParameter></Stroke>
            <Graphic><ExternalGraphic><Resource default="pin.png" selected="pin-hi.png"/></ExternalGraphic>
              <Size>16</Size></Graphic>
          </PolygonSymbolizer>
          <TextSymbolizer><CssParameter name="font-size">12</CssParameter></TextSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer><Name>water</Name><VendorOption name="zOrder">-5</VendorOption></NamedLayer>
</StyledLayerDescriptor>
)";

// Small packs cut from a sample pack (layout in docs/blob-pack.md): its
// header, grid and layer names, then a few of its requests. One pack per
// layer with that layer's first three requests, and one with the first of
// every layer. The sample is trusted; a pack it cannot be cut from gives no
// seeds.
void packSeeds(const fs::path& dir, const fs::path& sample) {
    std::ifstream in(sample, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        if (at + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + at, 4);
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
            if (b == 0) std::memcpy(&layer, bytes.data() + at + 12, 4);
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus root> [sample pack]\n");
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
              MakerInput().blob(typeByte, payload).w.bytes);
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

    ByteWriter origin;
    origin.f32(1).f32(2);
    write(root / "label_segments", "two_groups", ByteWriter(origin).raw(segments).bytes);
    write(root / "label_segments", "empty_group",
          ByteWriter(origin).raw(labelSegments({{}})).bytes);

    // Toolkit: caps, texture length, radius, then a polyline with a sharp
    // turn (a rejected miter) and a repeat, split into two polygons.
    ByteWriter t;
    t.u8(2).f32(4).f32(8);
    for (const glm::vec2 p :
         {glm::vec2(0, 0), {10, 0}, {10, 10}, {10, 10}, {0, 1}, {5, 5}, {20, 0}, {20, 20}}) {
        t.f32(p.x).f32(p.y);
    }
    write(root / "toolkit", "polyline", t.bytes);
    ByteWriter square;
    square.u8(0).f32(1).f32(3);
    for (const glm::vec2 p : {glm::vec2(0, 0), {4, 0}, {4, 4}, {0, 4}, {2, -1}, {6, 2}, {2, 5}}) {
        square.f32(p.x).f32(p.y);
    }
    write(root / "toolkit", "polygons", square.bytes);

    // Every sequence length, and the ill-formed cases the two decoders must
    // agree on: an overlong form, an encoded surrogate, a cut-off sequence.
    write(root / "utf8", "valid",
          ByteWriter()
              .text("Stra\xC3\x9F"
                    "e \xE4\xB8\xBB \xF0\x9F\x97\xBA")
              .bytes);
    write(root / "utf8", "ill_formed", ByteWriter().text("\xC0\x80 \xED\xA0\x80 \xE2\x82").bytes);

    write(root / "styles", "city.sld", ByteWriter().text(kStyleDocument).bytes);
    write(root / "styles", "minimal.sld",
          ByteWriter().text("<StyledLayerDescriptor><NamedLayer/></StyledLayerDescriptor>").bytes);

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
    if (argc > 2) packSeeds(root / "inspect", argv[2]);
    return 0;
}
