#pragma once

// The orbiting map camera: it looks at a target from `distance`, turned by
// `yaw` around the vertical (third) axis and tilted up by `pitch`, and keeps
// the finished projection, view, scale, camera (P x V x S) and normal
// matrices. Every setter but setProjectionOffset rebuilds what depends on it
// at once, so the getters never return stale matrices.
//
// Angles are degrees. Nothing is validated: a zero viewport, equal planes, a
// zero field of view or a zero scale give non-finite matrix elements and
// non-finite projected or picked points, returned as they come. A camera is
// not synchronised; its const queries may run concurrently while no thread
// changes it.

#include <cstdint>
#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <vector>

#include <meshory/export.h>

namespace quorvan {

// Values of S_CameraOptions::projection. Any other value leaves the
// projection matrix as it is.
namespace camera_projection {
// Orthographic, one unit per pixel, origin in the middle of the viewport, second axis up.
constexpr int32_t CENTERED_ORTHOGRAPHIC = 1;
// Perspective with S_CameraOptions::fov as the vertical field of view.
constexpr int32_t PERSPECTIVE = 2;
// Orthographic in pixels, origin at the top left corner, second axis down.
constexpr int32_t SCREEN_ORTHOGRAPHIC = 3;
}  // namespace camera_projection

struct MESHORY_API S_CameraOptions {
    float minPlane = 1.0f;
    float maxPlane = 10000.0f;
    glm::vec3 target{0.0f};
    glm::vec3 scale{0.0f};  // zero by default: set it before picking
    float yaw = 0.0f;
    float pitch = 45.0f;
    float distance = 500.0f;
    int32_t width = 0;
    int32_t height = 0;
    float fov = 75.0f;
    int32_t projection = 0;
};

class MESHORY_API C_GLCamera {
public:
    // Identity matrices, up (0, 0, 1), default options; the projection stays
    // identity until initialize() or a projection rebuild with a known kind.
    C_GLCamera();
    explicit C_GLCamera(const S_CameraOptions& options);

    // Takes every option as given (the pitch unclamped), sets the factor
    // vectors of the projection kind and rebuilds all matrices.
    void initialize(const S_CameraOptions& options);

    void setTarget(const glm::vec3& target);
    void setDistance(float distance);
    // Clamped to [35, 90] for the three known kinds; other kinds keep their pitch.
    void setPitch(float pitch);
    // Stored reduced to [0, 360).
    void setYaw(float yaw);
    void setScale(const glm::vec3& scale);
    void resize(int width, int height);
    void setMinMaxPlanes(float minPlane, float maxPlane);
    void setFov(float fov);
    // Shifts the projection by `offset` (times the kind's offset factors).
    // Offsets add up until the next projection rebuild discards them; the
    // stored camera matrix is left as it was until its next rebuild, while
    // unprojectLine and the pick rays see the offset at once.
    void setProjectionOffset(const glm::vec2& offset);

    const glm::mat4& getProjectionMatrix() const { return projection_; }
    const glm::mat4& getViewMatrix() const { return view_; }
    const glm::mat4& getScaleMatrix() const { return scale_; }
    const glm::mat4& getCameraMatrix() const { return camera_; }
    const glm::mat3& getNormalMatrix() const { return normal_; }
    const S_CameraOptions& options() const { return options_; }
    glm::vec3 getEye() const { return eye_; }
    // (0, 0, width, height).
    glm::vec4 getViewport() const;

    // Rebuilders, called by the setters. calculateEye derives eye, up and
    // direction from the angles and rebuilds no matrix; the view, projection
    // and scale rebuilds end with the camera matrix.
    void calculateEye();
    void makeViewMatrix();
    void makeNormalMatrix();
    void makeProjectionMatrix();
    void makeScaleMatrix();
    void makeCompleteMatrix();

    // Movement shifts eye and target together and rebuilds only the view;
    // the next angle, target or distance change derives the eye anew.
    // Horizontal, towards the side the camera looks at for d > 0.
    void moveForward(float d);
    // Horizontal, by d along (-cos yaw, sin yaw, 0), screen right for d > 0.
    void moveSide(float d);
    // By adjustCoords(v).
    void moveCamera(const glm::vec3& v);
    // v times the kind's coordinate factors (the second axis flipped for
    // the centred orthographic and the perspective kinds).
    glm::vec3 adjustCoords(const glm::vec3& v) const;

    // ---- Projection and picking --------------------------------------------
    //
    // Window coordinates: x from 0 (left) to width, y from 0 (bottom) to
    // height, depth 0 at the near plane and 1 at the far plane. project and
    // unProject map world space through P x V; unprojectLine and the pick
    // rays map model space through P x V x S, formed from the current
    // matrices at each call.

    // World point to window point; a point in the eye's plane gives non-finite values.
    glm::vec3 project(const glm::vec3& world) const;
    // Window point with depth to world point: the inverse of project.
    glm::vec3 unProject(const glm::vec3& window) const;
    // Both window points to model space, in argument order.
    std::vector<glm::vec3> unprojectLine(const glm::vec3& a, const glm::vec3& b) const;
    // The crossing of segment a-b with the horizontal plane through
    // planePoint; b when the segment does not cross it strictly (same side,
    // or an end on the plane).
    glm::vec3 getPointOnPlane(const glm::vec3& planePoint, const glm::vec3& a,
                              const glm::vec3& b) const;
    // The pick ray through a screen point (y from the top): its point on the
    // near plane, then its point on the plane at model height z (the ray's
    // far point when the plane is not between its near and far points).
    std::vector<glm::vec3> getLineToPlane(const glm::vec2& screen, float z) const;
    // The rays through the window corners (0, 0), (w, 0), (w, h), (0, h) on
    // the plane at model height z, in that order: the area the view covers.
    std::vector<glm::vec3> getViewportProjection(float z) const;
    // Identity rotation, translation V x (world, 1): a model-view matrix for
    // a marker at `world` that faces the viewer.
    glm::mat4 getBillboardViewMatrixPoint(const glm::vec3& world) const;

private:
    glm::mat4 projection_{1.0f};
    glm::mat4 view_{1.0f};
    glm::mat4 scale_{1.0f};
    glm::mat4 camera_{1.0f};
    glm::mat3 normal_{1.0f};
    glm::vec3 eye_{0.0f};
    glm::vec3 up_{0.0f, 0.0f, 1.0f};
    glm::vec3 offsetFactors_{0.0f};
    glm::vec3 coordsFactors_{0.0f};
    glm::vec3 direction_{0.0f};
    S_CameraOptions options_;
};

}  // namespace quorvan
