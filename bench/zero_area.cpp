// Zero-area triangles in real tiles: replays each blob pack given (as the
// inspector does) and counts, over all its models, the triangles the array
// getter hands over, how many of them have zero area, and how many zero-area
// triangles the host output still writes with SKIP_ZERO_AREA. Zero area is
// judged here independently of the library's own test: a repeated vertex,
// or a cross product of exactly zero in long double.
//   meshory_zero_area PACK...   prints "<key> <value>" lines per pack
#include <cstdio>
#include <vector>

#include "grid/grid.h"
#include "model/host_output.h"
#include "model/meshory.h"
#include "pack/blob_pack.h"

namespace {

bool zeroArea(const float* t) {
    const long double ux = (long double)t[3] - t[0], uy = (long double)t[4] - t[1],
                      uz = (long double)t[5] - t[2];
    const long double vx = (long double)t[6] - t[0], vy = (long double)t[7] - t[1],
                      vz = (long double)t[8] - t[2];
    return uy * vz - uz * vy == 0 && uz * vx - ux * vz == 0 && ux * vy - uy * vx == 0;
}

size_t countZeroArea(const std::vector<float>& floats) {
    size_t n = 0;
    for (size_t i = 0; i + 9 <= floats.size(); i += 9) n += zeroArea(&floats[i]);
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PACK...\n", argv[0]);
        return 2;
    }
    for (int a = 1; a < argc; ++a) {
        quorvan::pack::BlobPack pack;
        quorvan::pack::PackError error;
        if (!quorvan::pack::readBlobPackFile(argv[a], pack, error)) {
            std::fprintf(stderr, "%s: %s\n", argv[a], error.message.c_str());
            return 1;
        }
        if (pack.grid.cellsInRow > 0 && pack.grid.cellsInCol > 0) {  // 0: the pack sets up no grid
            quorvan::grid().cellsAmount(pack.grid.cellsInRow, pack.grid.cellsInCol);
            quorvan::grid().gridCoordinates(pack.grid.bounds);
        }
        quorvan::C_Meshory maker;
        size_t triangles = 0, zero = 0, kept = 0, keptZero = 0;
        std::vector<float> all, skipped;
        for (const quorvan::pack::PackRequest& r : pack.requests) {
            const glm::vec3 origin(static_cast<float>(r.x), static_cast<float>(r.y), 0.0f);
            const quorvan::S_Model* model =
                maker.makeModel(r.blobs, origin, quorvan::LoadFilter(0));
            if (!model) continue;
            all.resize(quorvan::triangleFloatCount(*model, 0));
            all.resize(quorvan::writeTriangleFloats(*model, 0, all));
            skipped.resize(
                quorvan::triangleFloatCount(*model, quorvan::output_flags::SKIP_ZERO_AREA));
            skipped.resize(quorvan::writeTriangleFloats(
                *model, quorvan::output_flags::SKIP_ZERO_AREA, skipped));
            triangles += all.size() / 9, zero += countZeroArea(all);
            kept += skipped.size() / 9, keptZero += countZeroArea(skipped);
            maker.releaseModel(model);
        }
        std::printf(
            "pack %s\ntriangles %zu\nzero_area %zu\nhanded_over_with_option "
            "%zu\nzero_area_with_option %zu\n",
            argv[a], triangles, zero, kept, keptZero);
    }
    return 0;
}
