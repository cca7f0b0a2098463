#include "camera/glcamera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_projection.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>
#include <glm/matrix.hpp>
#include <numbers>
#include <random>
#include <vector>

namespace quorvan {
namespace {

using namespace camera_projection;
using glm::mat4;
using glm::vec2;
using glm::vec3;

S_CameraOptions opts(int32_t kind, float yaw = 0, float pitch = 45, vec3 target = vec3(0),
                     int w = 800, int h = 600, float distance = 500) {
    S_CameraOptions o;
    o.projection = kind, o.width = w, o.height = h, o.yaw = yaw, o.pitch = pitch;
    o.distance = distance, o.target = target, o.scale = vec3(1);
    // A moderate far/near ratio keeps perspective depth invertible in float.
    o.minPlane = 10, o.maxPlane = 2000, o.fov = 60;
    return o;
}

// Per column, relative to the column's largest element: translations of
// thousands of units carry larger rounding errors than rotations.
::testing::AssertionResult matNear(const mat4& a, const mat4& b, float tol = 1e-5f) {
    for (int c = 0; c < 4; ++c) {
        const glm::vec4 m = glm::abs(b[c]);
        const float bound = tol * (1 + std::max({m.x, m.y, m.z, m.w}));
        for (int r = 0; r < 4; ++r)
            if (!(std::fabs(a[c][r] - b[c][r]) <= bound))
                return ::testing::AssertionFailure()
                       << "(" << c << "," << r << "): " << a[c][r] << " vs " << b[c][r];
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult near(const vec3& a, const vec3& b, float bound = 1e-4f) {
    if (glm::all(glm::lessThanEqual(glm::abs(a - b), vec3(bound))))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs ("
                                         << b.x << ", " << b.y << ", " << b.z << ")";
}

template <typename V>
bool finite(const V& v) {
    return !glm::any(glm::isnan(v)) && !glm::any(glm::isinf(v));
}
bool finite(const mat4& m) {
    return finite(m[0]) && finite(m[1]) && finite(m[2]) && finite(m[3]);
}

// Both the stored camera matrix and the normal matrix follow the view.
::testing::AssertionResult consistent(const C_GLCamera& cam) {
    const mat4 pvs = cam.getProjectionMatrix() * cam.getViewMatrix() * cam.getScaleMatrix();
    if (auto r = matNear(cam.getCameraMatrix(), pvs, 1e-6f); !r) return r << " camera matrix";
    const glm::mat3 nv = glm::transpose(cam.getNormalMatrix()) * glm::mat3(cam.getViewMatrix());
    return matNear(mat4(nv), mat4(1), 1e-5f) << " normal matrix";
}

// The references below come from glm, not from the camera's own formulas.
mat4 glmProjection(const S_CameraOptions& o) {
    const float w = o.width, h = o.height;
    if (o.projection == PERSPECTIVE)
        return glm::perspective(glm::radians(o.fov), w / h, o.minPlane, o.maxPlane);
    if (o.projection == CENTERED_ORTHOGRAPHIC)
        return glm::ortho(-w / 2, w / 2, -h / 2, h / 2, o.minPlane, o.maxPlane);
    return glm::ortho(0.0f, w, h, 0.0f, o.minPlane, o.maxPlane);
}

vec3 sphericalEye(const S_CameraOptions& o) {
    const double y = o.yaw * std::numbers::pi / 180, p = o.pitch * std::numbers::pi / 180;
    return o.target +
           o.distance * vec3(std::sin(y) * std::cos(p), std::cos(y) * std::cos(p), std::sin(p));
}

// Every kind, turned, tilted (straight down included) and off the origin.
std::vector<S_CameraOptions> sweep() {
    std::vector<S_CameraOptions> out;
    for (int32_t kind : {CENTERED_ORTHOGRAPHIC, PERSPECTIVE, SCREEN_ORTHOGRAPHIC})
        for (float yaw : {0, 75, 200})
            for (float pitch : {35, 62, 90})
                for (vec3 t : {vec3(0), vec3(700, -300, 20)})
                    out.push_back(opts(kind, yaw, pitch, t));
    return out;
}

TEST(CameraModel, MatricesMatchGlmForEveryKindAndAngle) {
    for (const S_CameraOptions& o : sweep()) {
        SCOPED_TRACE(::testing::Message() << o.projection << " " << o.yaw << " " << o.pitch);
        const C_GLCamera cam(o);
        const vec3 eye = sphericalEye(o);
        EXPECT_TRUE(near(cam.getEye(), eye, 1e-3f));
        // Straight down, screen up points away from the eye's yaw side.
        const float r = glm::radians(o.yaw);
        const vec3 up = o.pitch == 90 ? vec3(-std::sin(r), -std::cos(r), 0) : vec3(0, 0, 1);
        EXPECT_TRUE(matNear(cam.getViewMatrix(), glm::lookAt(eye, o.target, up), 1e-4f));
        EXPECT_TRUE(matNear(cam.getProjectionMatrix(), glmProjection(o)));
        EXPECT_TRUE(consistent(cam));
    }
}

TEST(CameraModel, SettersClampWrapAndRebuild) {
    const S_CameraOptions d;
    EXPECT_TRUE(d.minPlane == 1 && d.maxPlane == 10000 && d.pitch == 45 && d.distance == 500 &&
                d.fov == 75 && d.projection == 0 && d.scale == vec3(0));
    // No kind: identity projection, and the zero scale leaves only column 3.
    const C_GLCamera plain(d);
    EXPECT_EQ(plain.getProjectionMatrix(), mat4(1));
    EXPECT_EQ(mat4(glm::mat3(plain.getCameraMatrix())), mat4(glm::mat3(0)));

    C_GLCamera cam(opts(PERSPECTIVE));
    const std::pair<float, float> pitches[] = {{20, 35}, {120, 90}, {50, 50}};
    for (auto [given, stored] : pitches) {
        cam.setPitch(given);
        EXPECT_EQ(cam.options().pitch, stored);
    }
    const std::pair<float, float> yaws[] = {{-90, 270}, {720, 0}, {33, 33}};
    for (auto [given, stored] : yaws) {
        cam.setYaw(given);
        EXPECT_EQ(cam.options().yaw, stored);
    }
    cam.setDistance(321);
    cam.setTarget(vec3(5, 6, 7));
    cam.setScale(vec3(2, 3, 4));
    cam.resize(640, 480);
    cam.setMinMaxPlanes(5, 900);
    cam.setFov(40);
    EXPECT_TRUE(near(cam.getEye(), sphericalEye(cam.options()), 1e-3f));
    EXPECT_TRUE(matNear(cam.getProjectionMatrix(), glmProjection(cam.options())));
    EXPECT_EQ(cam.getScaleMatrix(), glm::scale(mat4(1), vec3(2, 3, 4)));
    EXPECT_EQ(cam.getViewport(), glm::vec4(0, 0, 640, 480));
    EXPECT_TRUE(consistent(cam));

    C_GLCamera unknown(opts(9, 0, 10));  // an unknown kind keeps its pitch and projection
    unknown.setPitch(60);
    unknown.resize(100, 100);
    EXPECT_EQ(unknown.options().pitch, 10);
    EXPECT_EQ(unknown.getProjectionMatrix(), mat4(1));
}

TEST(CameraModel, ProjectionOffsetAddsUpAndReachesTheCameraMatrixOnlyAtItsRebuild) {
    for (int32_t kind : {CENTERED_ORTHOGRAPHIC, PERSPECTIVE, SCREEN_ORTHOGRAPHIC}) {
        C_GLCamera cam(opts(kind));
        const mat4 p = cam.getProjectionMatrix(), before = cam.getCameraMatrix();
        const float ky = kind == CENTERED_ORTHOGRAPHIC ? -1 : 1;
        cam.setProjectionOffset(vec2(10, 4));
        cam.setProjectionOffset(vec2(-3, 2));
        EXPECT_TRUE(matNear(cam.getProjectionMatrix(), glm::translate(p, vec3(7, 6 * ky, 0))));
        EXPECT_EQ(cam.getCameraMatrix(), before);
        cam.setScale(vec3(1));
        EXPECT_TRUE(consistent(cam));
        cam.resize(800, 600);
        EXPECT_EQ(cam.getProjectionMatrix(), p);
    }
}

TEST(CameraModel, MovementShiftsEyeAndTargetTogether) {
    C_GLCamera cam(opts(CENTERED_ORTHOGRAPHIC, 30));
    const float s = std::sin(glm::radians(30.0f)), c = std::cos(glm::radians(30.0f));
    vec3 target = cam.options().target, eye = cam.getEye();
    auto expectMovedBy = [&](const vec3& step) {
        target += step, eye += step;
        EXPECT_TRUE(near(cam.options().target, target) && near(cam.getEye(), eye));
        EXPECT_TRUE(matNear(cam.getViewMatrix(), glm::lookAt(eye, target, vec3(0, 0, 1)), 1e-4f));
        EXPECT_TRUE(consistent(cam));
    };
    cam.moveForward(10);  // away from the eye's horizontal offset
    expectMovedBy(vec3(-s, -c, 0) * 10.0f);
    cam.moveSide(5);
    expectMovedBy(vec3(-c, s, 0) * 5.0f);
    cam.moveSide(-5);
    expectMovedBy(vec3(c, -s, 0) * 5.0f);
    cam.moveSide(0);
    expectMovedBy(vec3(0));
    cam.moveCamera(vec3(1, 2, 3));  // the centred kind flips the second axis
    expectMovedBy(vec3(1, -2, 3));
    EXPECT_EQ(C_GLCamera(opts(PERSPECTIVE)).adjustCoords(vec3(1, 2, 3)), vec3(1, -2, 3));
    EXPECT_EQ(C_GLCamera(opts(SCREEN_ORTHOGRAPHIC)).adjustCoords(vec3(1, 2, 3)), vec3(1, 2, 3));
}

// A hundredth of a pixel for the orthographic kinds; perspective depth keeps
// only about n / z of a float's precision at distance z.
float tolerance(int32_t kind) {
    return kind == PERSPECTIVE ? 1e-2f : 2e-3f;
}

TEST(Projection, RoundTripsPickGroundPointsAndMatchGlmProject) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> offset(-150, 150);
    for (const S_CameraOptions& o : sweep()) {
        SCOPED_TRACE(::testing::Message() << o.projection << " " << o.yaw << " " << o.pitch);
        const C_GLCamera cam(o);
        const float tol = tolerance(o.projection);
        vec3 centre = o.target;
        if (o.projection == SCREEN_ORTHOGRAPHIC) {  // its view axis meets the top left corner
            centre = cam.unProject(vec3(400, 300, 0.5f));
        } else {
            EXPECT_TRUE(near(cam.project(centre), vec3(400, 300, cam.project(centre).z), 1e-3f));
        }
        for (int i = 0; i < 30; ++i) {
            const vec3 v = centre + vec3(offset(rng), offset(rng), offset(rng));
            const vec3 w = cam.project(v);
            const mat4 &p = cam.getProjectionMatrix(), &view = cam.getViewMatrix();
            EXPECT_TRUE(near(w, glm::project(v, view, p, cam.getViewport()), tol));
            EXPECT_TRUE(glm::all(glm::greaterThanEqual(w, vec3(0))) &&
                        glm::all(glm::lessThanEqual(w, vec3(800, 600, 1))))
                << w.x << " " << w.y << " " << w.z;
            EXPECT_TRUE(near(cam.unProject(w), v, tol));
            // Picked on the horizontal plane through v, from the screen (y down).
            const auto ray = cam.getLineToPlane(vec2(w.x, 600 - w.y), v.z);
            ASSERT_EQ(ray.size(), 2u);
            EXPECT_TRUE(near(ray[1], v, tol));
            EXPECT_NEAR(cam.project(ray[0]).z, 0, 1e-4f);
        }
    }
}

TEST(Picking, RaysWorkInModelSpaceAndSeeTheProjectionOffsetAtOnce) {
    S_CameraOptions o = opts(CENTERED_ORTHOGRAPHIC, 30, 55);
    const C_GLCamera unit(o);
    o.scale = vec3(2);
    C_GLCamera doubled(o);
    const vec2 s(250, 120);
    // A model point m lies at S x m in the world: the picked point halves.
    const vec3 picked = doubled.getLineToPlane(s, 0)[1];
    EXPECT_TRUE(near(picked, unit.getLineToPlane(s, 0)[1] * 0.5f, 1e-3f));
    // An offset moves the picture by itself in screen pixels.
    doubled.setProjectionOffset(vec2(30, -12));
    EXPECT_TRUE(near(doubled.getLineToPlane(s + vec2(30, -12), 0)[1], picked, 1e-3f));
}

TEST(Picking, RaysThatMissThePlaneEndAtTheirFarPoint) {
    const C_GLCamera cam(opts(PERSPECTIVE, 0, 35));
    auto farPoint = [&](float x, float y) {
        return cam.unprojectLine(vec3(x, y, 0), vec3(x, y, 1))[1];
    };
    // The top edge looks 35 - 30 = 5 degrees down: it meets the ground past the far plane.
    EXPECT_EQ(cam.getLineToPlane(vec2(400, 0), 0)[1], farPoint(400, 600));
    EXPECT_EQ(cam.getLineToPlane(vec2(400, 300), 1000)[1], farPoint(400, 300));  // above the eye
    const auto corners = cam.getViewportProjection(0);
    ASSERT_EQ(corners.size(), 4u);
    EXPECT_TRUE(std::fabs(corners[0].z) < 1e-3f && std::fabs(corners[1].z) < 1e-3f);
    EXPECT_EQ(corners[2], farPoint(800, 600));
    EXPECT_EQ(corners[3], farPoint(0, 600));
    // A segment starting on the plane gives its end.
    EXPECT_EQ(cam.getPointOnPlane(vec3(0), vec3(1, 2, 0), vec3(4, 5, -3)), vec3(4, 5, -3));
}

TEST(Picking, TopDownFootprintIsTheViewRectangle) {
    const vec3 t(100, 200, 0);
    // Looking down with yaw 0, screen up is world -y and screen right world -x.
    auto expectRectangle = [&](const C_GLCamera& cam, float hw, float hh) {
        const auto c = cam.getViewportProjection(0);
        ASSERT_EQ(c.size(), 4u);
        EXPECT_TRUE(near(c[0], t + vec3(hw, hh, 0), 1e-2f) &&
                    near(c[1], t + vec3(-hw, hh, 0), 1e-2f));
        EXPECT_TRUE(near(c[2], t + vec3(-hw, -hh, 0), 1e-2f) &&
                    near(c[3], t + vec3(hw, -hh, 0), 1e-2f));
    };
    expectRectangle(C_GLCamera(opts(CENTERED_ORTHOGRAPHIC, 0, 90, t)), 400, 300);
    const float hh = 500 * std::tan(glm::radians(30.0f));
    expectRectangle(C_GLCamera(opts(PERSPECTIVE, 0, 90, t)), hh * 4 / 3, hh);
    for (float yaw : {33.0f, 145.0f}) {  // turned: same centre and area
        const auto c = C_GLCamera(opts(CENTERED_ORTHOGRAPHIC, yaw, 90, t)).getViewportProjection(0);
        EXPECT_TRUE(near((c[0] + c[1] + c[2] + c[3]) * 0.25f, t, 1e-3f));
        const vec3 d1 = c[2] - c[0], d2 = c[3] - c[1];
        EXPECT_NEAR(std::fabs(d1.x * d2.y - d1.y * d2.x) * 0.5f, 800 * 600, 1);
    }
}

TEST(Picking, BillboardSitsAtTheViewPositionUnrotated) {
    const C_GLCamera cam(opts(PERSPECTIVE, 20, 50));
    EXPECT_TRUE(near(vec3(cam.getBillboardViewMatrixPoint(cam.getEye())[3]), vec3(0)));
    const mat4 b = cam.getBillboardViewMatrixPoint(vec3(10, -20, 5));
    EXPECT_TRUE(
        matNear(b, glm::translate(mat4(1), vec3(cam.getViewMatrix() * glm::vec4(10, -20, 5, 1)))));
}

TEST(Camera, InvalidSettingsAreKeptAndGiveNonFiniteResults) {
    for (int32_t kind : {CENTERED_ORTHOGRAPHIC, PERSPECTIVE, SCREEN_ORTHOGRAPHIC}) {
        C_GLCamera cam(opts(kind, 0, 45, vec3(0), 0, 0));
        EXPECT_FALSE(finite(cam.getProjectionMatrix()) || finite(cam.project(vec3(1, 2, 3))));
        cam.resize(800, 600);
        cam.setMinMaxPlanes(50, 50);
        EXPECT_FALSE(finite(cam.getCameraMatrix()) || finite(cam.unProject(vec3(1, 2, 0.5f))));
        EXPECT_EQ(cam.options().maxPlane, 50);
    }
    C_GLCamera persp(opts(PERSPECTIVE));
    EXPECT_FALSE(finite(persp.project(persp.getEye())));  // in the eye's plane
    persp.setScale(vec3(1, 0, 1));
    EXPECT_FALSE(finite(persp.getLineToPlane(vec2(10, 10), 0)[0]));
    persp.setFov(0);
    EXPECT_FALSE(finite(persp.getProjectionMatrix()));
    EXPECT_FALSE(
        finite(C_GLCamera(opts(PERSPECTIVE, 0, 45, vec3(0), 800, 600, 0)).getViewMatrix()));
}

}  // namespace
}  // namespace quorvan
