#pragma once

// Vector tiles written from values for the tests (protozero's writer), and
// the sample's files.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <protozero/pbf_writer.hpp>

namespace quorvan::vectortile::testing {

inline uint32_t command(uint32_t id, uint32_t count) {
    return (id & 7) | (count << 3);
}
inline uint32_t zigzag(int32_t v) {
    return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31);
}

using Coords = std::vector<std::pair<int32_t, int32_t>>;

// Command stream of parts, each a MoveTo and LineTos; rings get a ClosePath.
inline std::vector<uint32_t> geometry(const std::vector<Coords>& parts, bool rings) {
    std::vector<uint32_t> out;
    int32_t x = 0, y = 0;
    for (const Coords& part : parts) {
        for (size_t i = 0; i < part.size(); ++i) {
            if (i == 0) out.push_back(command(1, 1));
            if (i == 1) out.push_back(command(2, static_cast<uint32_t>(part.size() - 1)));
            out.push_back(zigzag(part[i].first - x));
            out.push_back(zigzag(part[i].second - y));
            x = part[i].first;
            y = part[i].second;
        }
        if (rings) out.push_back(command(7, 1));
    }
    return out;
}

struct TestFeature {
    uint32_t type = 3;
    std::vector<uint32_t> tags;
    std::vector<uint32_t> geometry;
};

struct TestLayer {
    std::string name;
    uint32_t extent = 4096;
    std::vector<std::string> keys;
    std::vector<std::string> values;  // string values
    std::vector<TestFeature> features;
};

inline std::string writeTile(const std::vector<TestLayer>& layers) {
    std::string data;
    protozero::pbf_writer tile(data);
    for (const TestLayer& l : layers) {
        protozero::pbf_writer layer(tile, 3);
        layer.add_uint32(15, 2);
        layer.add_string(1, l.name);
        for (const TestFeature& f : l.features) {
            protozero::pbf_writer feature(layer, 2);
            feature.add_packed_uint32(2, f.tags.begin(), f.tags.end());
            feature.add_enum(3, static_cast<int32_t>(f.type));
            feature.add_packed_uint32(4, f.geometry.begin(), f.geometry.end());
        }
        for (const std::string& k : l.keys) layer.add_string(3, k);
        for (const std::string& v : l.values) {
            protozero::pbf_writer value(layer, 4);
            value.add_string(1, v);
        }
        layer.add_uint32(5, l.extent);
    }
    return data;
}

inline std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::span<const uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

}  // namespace quorvan::vectortile::testing
