#include "map/view_frame.h"

#include <cmath>
#include <glm/ext/matrix_transform.hpp>
#include <glm/matrix.hpp>

namespace quorvan {

ViewFrame::ViewFrame(const C_GLCamera& camera)
    : width_(camera.options().width),
      height_(camera.options().height),
      // From the current matrices, as the camera's own pick rays: a
      // projection offset counts at once.
      toClip_(glm::dmat4(camera.getProjectionMatrix()) * glm::dmat4(camera.getViewMatrix()) *
              glm::dmat4(camera.getScaleMatrix())),
      fromClip_(glm::inverse(toClip_)) {}

TileFrame ViewFrame::tileFrame(glm::dvec2 origin, glm::dvec2 window) const {
    TileFrame f;
    f.toClip = glm::translate(toClip_, glm::dvec3(origin, 0.0));
    const double x = window.x / width_ * 2.0 - 1.0;
    const double y = window.y / height_ * 2.0 - 1.0;
    const glm::dvec4 n = fromClip_ * glm::dvec4(x, y, -1.0, 1.0);
    const glm::dvec4 far = fromClip_ * glm::dvec4(x, y, 1.0, 1.0);
    const glm::dvec3 shift(origin, 0.0);
    f.rayNear = glm::dvec3(n) / n.w - shift;
    f.rayFar = glm::dvec3(far) / far.w - shift;
    f.rayValid = std::isfinite(f.rayNear.x) && std::isfinite(f.rayNear.y) &&
                 std::isfinite(f.rayNear.z) && std::isfinite(f.rayFar.x) &&
                 std::isfinite(f.rayFar.y) && std::isfinite(f.rayFar.z);
    return f;
}

}  // namespace quorvan
