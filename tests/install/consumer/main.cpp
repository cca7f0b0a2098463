// A downstream program: builds one model through the installed headers.
#include <meshory/geometry/mathglm.h>
#include <meshory/grid/grid.h>
#include <meshory/model/meshory.h>

#include <cstdio>
#include <cstring>

int main() {
    std::vector<uint8_t> payload(1 + 8, 0);  // plain stream, one point (0, 0)
    float x = 3.0f;
    std::memcpy(payload.data() + 1, &x, 4);
    quorvan::C_Meshory maker;
    const std::vector<quorvan::S_BlobData> blobs = {
        quorvan::S_BlobData(1, quorvan::blob_geometry::POINTS, 2, 0, payload)};
    const quorvan::S_Model* model = maker.makeModel(blobs, glm::vec3(1, 0, 0), quorvan::LoadFilter(0));
    if (!model || model->points.size() != 1 || model->points[0].x != 2.0f) return 1;
    quorvan::grid().cellsAmount(2, 2);
    std::printf("consumer ok: %zu point(s)\n", model->points.size());
    return 0;
}
