#include "camera/glcamera.h"

#include <algorithm>
#include <cmath>
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

// glm's orthographic convention with left 0, right w, bottom h, top 0: pixel
// rows grow downwards, depth maps near..far to -1..1.
glm::mat4 screenOrthographic(float w, float h, float n, float f) {
    glm::mat4 m(0.0f);
    m[0][0] = 2.0f / w;
    m[1][1] = -2.0f / h;
    m[2][2] = -2.0f / (f - n);
    m[3][0] = -1.0f;
    m[3][1] = 1.0f;
    m[3][2] = -(f + n) / (f - n);
    m[3][3] = 1.0f;
    return m;
}

glm::mat4 translation(const glm::vec3& t) {
    glm::mat4 m(1.0f);
    m[3] = glm::vec4(t, 1.0f);
    return m;
}

glm::mat4 diagonal(const glm::vec3& d) {
    glm::mat4 m(1.0f);
    m[0][0] = d.x;
    m[1][1] = d.y;
    m[2][2] = d.z;
    return m;
}

// Window coordinates (viewport origin 0) to normalised device coordinates.
glm::vec4 windowToNdc(const glm::vec3& w, float width, float height) {
    return {w.x / width * 2.0f - 1.0f, w.y / height * 2.0f - 1.0f, w.z * 2.0f - 1.0f, 1.0f};
}

glm::vec3 unprojectThrough(const glm::mat4& inverse, const glm::vec3& window, float width,
                           float height) {
    const glm::vec4 r = inverse * windowToNdc(window, width, height);
    return glm::vec3(r) / r.w;
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
    // Right-handed look-at: the view looks down its negative third axis.
    const glm::vec3 f = glm::normalize(options_.target - eye_);
    const glm::vec3 s = glm::normalize(glm::cross(f, up_));
    const glm::vec3 u = glm::cross(s, f);
    for (int c = 0; c < 3; ++c) {
        view_[c] = glm::vec4(s[c], u[c], -f[c], 0.0f);
    }
    view_[3] = glm::vec4(-glm::dot(s, eye_), -glm::dot(u, eye_), glm::dot(f, eye_), 1.0f);
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
            const float t = std::tan(kDegToRad * options_.fov * 0.5f);
            const float aspect = w / h;
            projection_ = glm::mat4(0.0f);
            projection_[0][0] = 1.0f / (aspect * t);
            projection_[1][1] = 1.0f / t;
            projection_[2][2] = -(f + n) / (f - n);
            projection_[2][3] = -1.0f;
            projection_[3][2] = -(2.0f * f * n) / (f - n);
            break;
        }
        case camera_projection::SCREEN_ORTHOGRAPHIC:
            projection_ = screenOrthographic(w, h, n, f);
            break;
        case camera_projection::CENTERED_ORTHOGRAPHIC: {
            // The pixel matrix, flipped and moved so that the view axis meets
            // the middle of the viewport with the second axis up.
            const glm::vec3& k = offsetFactors_;
            projection_ = screenOrthographic(w, h, n, f) * diagonal(k) *
                          translation(glm::vec3(0.5f * w * k.x, 0.5f * h * k.y, 0.0f));
            break;
        }
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
    const glm::vec4 c = projection_ * (view_ * glm::vec4(world, 1.0f));
    const glm::vec3 n = glm::vec3(c) / c.w;
    return {(n.x * 0.5f + 0.5f) * static_cast<float>(options_.width),
            (n.y * 0.5f + 0.5f) * static_cast<float>(options_.height), n.z * 0.5f + 0.5f};
}

glm::vec3 C_GLCamera::unProject(const glm::vec3& window) const {
    const glm::vec4 viewport = getViewport();
    return unprojectThrough(glm::inverse(projection_ * view_), window, viewport.z, viewport.w);
}

std::vector<glm::vec3> C_GLCamera::unprojectLine(const glm::vec3& a, const glm::vec3& b) const {
    const glm::vec4 viewport = getViewport();
    const glm::mat4 inverse = glm::inverse(projection_ * (view_ * scale_));
    return {unprojectThrough(inverse, a, viewport.z, viewport.w),
            unprojectThrough(inverse, b, viewport.z, viewport.w)};
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
