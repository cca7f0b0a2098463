#include "geometry/zero_area.h"

namespace quorvan {

bool isZeroAreaTriangle(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
    const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
    return uy * vz - uz * vy == 0.0 && uz * vx - ux * vz == 0.0 && ux * vy - uy * vx == 0.0;
}

}  // namespace quorvan
