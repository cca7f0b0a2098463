// Seeds of the vector-tile target: small tiles cut from real ones. Each seed
// holds one layer of a real tile with its name, keys, values and extent and
// a few of its features, so every mutation stays a few kilobytes (a whole
// tile of 100 kB runs a hundred times slower) and every source layer of the
// mapping is among the seeds. Usage: make_tile_seeds OUT_DIR TILE.mvt...
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <protozero/pbf_reader.hpp>
#include <protozero/pbf_writer.hpp>

namespace {

constexpr int kFeaturesPerSeed = 3;
constexpr int kSeedsPerLayer = 6;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_tile_seeds OUT_DIR TILE.mvt...\n");
        return 2;
    }
    const std::filesystem::path out(argv[1]);
    std::filesystem::create_directories(out);
    int written = 0;
    for (int a = 2; a < argc; ++a) {
        std::ifstream in(argv[a], std::ios::binary);
        const std::string tile((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        protozero::pbf_reader layers(tile);
        int layerIndex = 0;
        while (layers.next(3)) {
            const protozero::data_view layerView = layers.get_view();
            std::vector<protozero::data_view> features;
            std::string header;  // every field but the features, as it stands
            {
                protozero::pbf_reader layer(layerView);
                protozero::pbf_writer h(header);
                while (layer.next()) {
                    const auto tag = layer.tag();
                    if (tag == 2) {
                        features.push_back(layer.get_view());
                    } else if (layer.wire_type() == protozero::pbf_wire_type::length_delimited) {
                        h.add_bytes(tag, layer.get_view());
                    } else {
                        h.add_uint64(tag, layer.get_uint64());
                    }
                }
            }
            for (int s = 0; s < kSeedsPerLayer; ++s) {
                const size_t first = features.size() * s / kSeedsPerLayer;
                if (s > 0 && first == features.size() * (s - 1) / kSeedsPerLayer) continue;
                std::string layerBytes = header;
                protozero::pbf_writer l(layerBytes);
                for (size_t f = first; f < features.size() && f < first + kFeaturesPerSeed; ++f) {
                    l.add_bytes(2, features[f]);
                }
                std::string seed;
                protozero::pbf_writer(seed).add_bytes(3, layerBytes);
                const auto name = std::filesystem::path(argv[a]).stem().string() + "-" +
                                  std::to_string(layerIndex) + "-" + std::to_string(s) + ".mvt";
                std::ofstream(out / name, std::ios::binary) << seed;
                ++written;
            }
            ++layerIndex;
        }
    }
    std::printf("make_tile_seeds: %d seeds in %s\n", written, out.c_str());
    return 0;
}
