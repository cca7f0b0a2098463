#include "camera/glcamera.h"

#include <algorithm>
#include <cmath>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_projection.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>
#include <glm/matrix.hpp>

#include "geometry/mathglm.h"

namespace quorvan {

namespace {

// Single-precision factors, kept as written so that angles round the same
// way wherever the camera is built.
constexpr float kDegToRad = 0.017453292f;
constexpr float kQuarterTurn = 1.5707964f;

constexpr float kMinPitch = 35.0f;
constexpr float kMaxPitch = 90.0f;

bool isKnownKind(int32_t kind) {
    return kind == camera_projection::CENTERED_ORTHOGRAPHIC ||
           kind == camera_projection::PERSPECTIVE || kind == camera_projection::SCREEN_ORTHOGRAPHIC;
}

// Diagonal by assignment: glm::scale multiplies the identity, so a
// non-finite factor would also turn the zeros beside it into NaN.
glm::mat4 diagonal(const glm::vec3& d) {
    glm::mat4 m(1.0f);
    m[0][0] = d.x;
    m[1][1] = d.y;
    m[2][2] = d.z;
    return m;
}

}  // namespace

C_GLCamera::C_GLCamera() = default;

C_GLCamera::C_GLCamera(const S_CameraOptions& options) {
    initialize(options);
}

void C_GLCamera::initialize(const S_CameraOptions& options) {
    up_ = glm::vec3(0.0f, 0.0f, 1.0f);
    options_ = options;
    switch (options_.projection) {
        case camera_projection::CENTERED_ORTHOGRAPHIC:
            offsetFactors_ = glm::vec3(1.0f, -1.0f, 1.0f);
            coordsFactors_ = glm::vec3(1.0f, -1.0f, 1.0f);
            break;
        case camera_projection::PERSPECTIVE:
            offsetFactors_ = glm::vec3(1.0f, 1.0f, 1.0f);
            coordsFactors_ = glm::vec3(1.0f, -1.0f, 1.0f);
            break;
        case camera_projection::SCREEN_ORTHOGRAPHIC:
            offsetFactors_ = glm::vec3(1.0f, 1.0f, 1.0f);
            coordsFactors_ = glm::vec3(1.0f, 1.0f, 1.0f);
            break;
        default:
            break;
    }
    calculateEye();
    makeViewMatrix();
    makeProjectionMatrix();
    makeScaleMatrix();
}

void C_GLCamera::setTarget(const glm::vec3& target) {
    options_.target = target;
    calculateEye();
    makeViewMatrix();
}

void C_GLCamera::setDistance(float distance) {
    options_.distance = distance;
    calculateEye();
    makeViewMatrix();
}

void C_GLCamera::setPitch(float pitch) {
    if (isKnownKind(options_.projection)) options_.pitch = std::clamp(pitch, kMinPitch, kMaxPitch);
    calculateEye();
    makeViewMatrix();
}

void C_GLCamera::setYaw(float yaw) {
    options_.yaw = wrapAngle(yaw);
    calculateEye();
    makeViewMatrix();
}

void C_GLCamera::setScale(const glm::vec3& scale) {
    options_.scale = scale;
    makeScaleMatrix();
}

void C_GLCamera::resize(int width, int height) {
    options_.width = width;
    options_.height = height;
    makeProjectionMatrix();
}

void C_GLCamera::setMinMaxPlanes(float minPlane, float maxPlane) {
    options_.minPlane = minPlane;
    options_.maxPlane = maxPlane;
    makeProjectionMatrix();
}

void C_GLCamera::setFov(float fov) {
    options_.fov = fov;
    makeProjectionMatrix();
}

void C_GLCamera::setProjectionOffset(const glm::vec2& offset) {
    projection_[3] +=
        offsetFactors_.x * offset.x * projection_[0] + offsetFactors_.y * offset.y * projection_[1];
}

glm::vec4 C_GLCamera::getViewport() const {
    return {0.0f, 0.0f, static_cast<float>(options_.width), static_cast<float>(options_.height)};
}

void C_GLCamera::calculateEye() {
    const float p = options_.pitch * kDegToRad;
    const float y = options_.yaw * kDegToRad;
    direction_ = glm::vec3(std::sin(y) * std::cos(p), std::cos(y) * std::cos(p), std::sin(p));
    // Horizontal and perpendicular to the direction, so up stays defined
    // when the camera looks straight down.
    const glm::vec3 right(std::sin(y + kQuarterTurn), std::cos(y + kQuarterTurn), 0.0f);
    up_ = glm::cross(right, direction_);
    eye_ = options_.target + direction_ * options_.distance;
}

void C_GLCamera::makeViewMatrix() {
    // Right-handed: the view looks down its negative third axis.
    view_ = glm::lookAt(eye_, options_.target, up_);
    makeNormalMatrix();
    makeCompleteMatrix();
}

void C_GLCamera::makeNormalMatrix() {
    normal_ = glm::transpose(glm::inverse(glm::mat3(view_)));
}

void C_GLCamera::makeProjectionMatrix() {
    const float n = options_.minPlane;
    const float f = options_.maxPlane;
    const float w = static_cast<float>(options_.width);
    const float h = static_cast<float>(options_.height);
    switch (options_.projection) {
        case camera_projection::PERSPECTIVE: {
            const float aspect = w / h;
            // glm asserts that the aspect is a number; a 0 x 0 viewport has
            // none, and only the first element depends on it.
            projection_ = glm::perspective(kDegToRad * options_.fov,
                                           std::isnan(aspect) ? 1.0f : aspect, n, f);
            if (std::isnan(aspect)) projection_[0][0] = aspect;
            break;
        }
        case camera_projection::SCREEN_ORTHOGRAPHIC:
            // Pixel rows grow downwards.
            projection_ = glm::ortho(0.0f, w, h, 0.0f, n, f);
            break;
        case camera_projection::CENTERED_ORTHOGRAPHIC:
            // The view axis meets the middle of the viewport, second axis up.
            projection_ = glm::ortho(-0.5f * w, 0.5f * w, -0.5f * h, 0.5f * h, n, f);
            break;
        default:
            break;
    }
    makeCompleteMatrix();
}

void C_GLCamera::makeScaleMatrix() {
    scale_ = diagonal(options_.scale);
    makeCompleteMatrix();
}

void C_GLCamera::makeCompleteMatrix() {
    camera_ = projection_ * view_ * scale_;
}

void C_GLCamera::moveForward(float d) {
    const float y = options_.yaw * kDegToRad;
    const glm::vec3 step(-std::sin(y) * d, -std::cos(y) * d, 0.0f);
    options_.target += step;
    eye_ += step;
    makeViewMatrix();
}

void C_GLCamera::moveSide(float d) {
    float angle = options_.yaw;
    float length = 0.0f;
    if (d > 0.0f) {
        angle -= 90.0f;
        length = d;
    } else if (d < 0.0f) {
        angle += 90.0f;
        length = -d;
    }
    const float a = angle * kDegToRad;
    const glm::vec3 step(std::sin(a) * length, std::cos(a) * length, 0.0f);
    options_.target += step;
    eye_ += step;
    makeViewMatrix();
}

void C_GLCamera::moveCamera(const glm::vec3& v) {
    const glm::vec3 step = adjustCoords(v);
    options_.target += step;
    eye_ += step;
    makeViewMatrix();
}

glm::vec3 C_GLCamera::adjustCoords(const glm::vec3& v) const {
    return v * coordsFactors_;
}

glm::vec3 C_GLCamera::project(const glm::vec3& world) const {
    return glm::project(world, view_, projection_, getViewport());
}

glm::vec3 C_GLCamera::unProject(const glm::vec3& window) const {
    return glm::unProject(window, view_, projection_, getViewport());
}

std::vector<glm::vec3> C_GLCamera::unprojectLine(const glm::vec3& a, const glm::vec3& b) const {
    const glm::mat4 modelView = view_ * scale_;
    const glm::vec4 viewport = getViewport();
    return {glm::unProject(a, modelView, projection_, viewport),
            glm::unProject(b, modelView, projection_, viewport)};
}

glm::vec3 C_GLCamera::getPointOnPlane(const glm::vec3& planePoint, const glm::vec3& a,
                                      const glm::vec3& b) const {
    return getIntersectLinePlane(planePoint, a, b, glm::vec3(0.0f, 0.0f, 1.0f));
}

std::vector<glm::vec3> C_GLCamera::getLineToPlane(const glm::vec2& screen, float z) const {
    const float y = static_cast<float>(options_.height) - screen.y;
    std::vector<glm::vec3> line =
        unprojectLine(glm::vec3(screen.x, y, 0.0f), glm::vec3(screen.x, y, 1.0f));
    line[1] = getPointOnPlane(glm::vec3(options_.target.x, options_.target.y, z), line[0], line[1]);
    return line;
}

std::vector<glm::vec3> C_GLCamera::getViewportProjection(float z) const {
    const float w = static_cast<float>(options_.width);
    const float h = static_cast<float>(options_.height);
    const glm::vec2 corners[4] = {{0.0f, 0.0f}, {w, 0.0f}, {w, h}, {0.0f, h}};
    const glm::vec3 planePoint(options_.target.x, options_.target.y, z);
    std::vector<glm::vec3> out;
    out.reserve(4);
    for (const glm::vec2& c : corners) {
        const std::vector<glm::vec3> line = unprojectLine(glm::vec3(c, 0.0f), glm::vec3(c, 1.0f));
        out.push_back(getPointOnPlane(planePoint, line[0], line[1]));
    }
    return out;
}

glm::mat4 C_GLCamera::getBillboardViewMatrixPoint(const glm::vec3& world) const {
    glm::mat4 m(1.0f);
    m[3] = view_ * glm::vec4(world, 1.0f);
    m[3].w = 1.0f;
    return m;
}

}  // namespace quorvan
