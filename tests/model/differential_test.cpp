// The model maker against the literal reference of reference_model.h, on
// thousands of random blob sequences that mix every geometry type: every
// field of the resulting model must match bit for bit (any NaN matches any
// NaN). The maker defers the transport rebuilds and keeps the merged path in
// a two-ended buffer during a request; calling the builders one by one (no
// request) must give the same models too.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <sstream>

#include "model/builders/builders.h"
#include "model/meshory.h"
#include "model/reference_model.h"
#include "support/payload_writer.h"

namespace quorvan {
namespace {

using glm::vec2;
using glm::vec3;
using meshory_test::Bytes;
namespace bg = blob_geometry;

// ---- Bitwise comparison ------------------------------------------------------

bool sameFloat(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) ||
           std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

template <typename V>
bool sameVec(const V& a, const V& b) {
    for (int c = 0; c < V::length(); ++c) {
        if (!sameFloat(a[c], b[c])) return false;
    }
    return true;
}

template <typename V>
::testing::AssertionResult sameList(const char* what, const std::vector<V>& a,
                                    const std::vector<V>& b) {
    if (a.size() != b.size()) {
        return ::testing::AssertionFailure()
               << what << ": " << a.size() << " vs " << b.size() << " entries";
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (!sameVec(a[i], b[i]))
            return ::testing::AssertionFailure() << what << " differ at " << i;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameSegments(const char* what,
                                        const std::map<int32_t, std::vector<SegmentLine>>& a,
                                        const std::map<int32_t, std::vector<SegmentLine>>& b) {
    if (a.size() != b.size()) return ::testing::AssertionFailure() << what << ": different styles";
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
        if (i->first != j->first || i->second.size() != j->second.size()) {
            return ::testing::AssertionFailure() << what << ": style " << i->first;
        }
        for (size_t k = 0; k < i->second.size(); ++k) {
            if (i->second[k].code != j->second[k].code)
                return ::testing::AssertionFailure() << what << ": code";
            auto r = sameList(what, i->second[k].points, j->second[k].points);
            if (!r) return r;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameModel(const S_Model& a, const S_Model& b) {
    for (auto r : {sameList("polygon vertices", a.polygons.vertices, b.polygons.vertices),
                   sameList("polygon normals", a.polygons.normals, b.polygons.normals),
                   sameList("line vertices", a.lines.vertices, b.lines.vertices)}) {
        if (!r) return r;
    }
    for (auto r : {sameList("paths", a.paths, b.paths), sameList("points", a.points, b.points)}) {
        if (!r) return r;
    }
    for (auto r : {sameSegments("road segments", a.roadSegments, b.roadSegments),
                   sameSegments("point segments", a.pointSegments, b.pointSegments)}) {
        if (!r) return r;
    }
    if (a.id != b.id || a.cellIndex != b.cellIndex || a.layerId != b.layerId) {
        return ::testing::AssertionFailure() << "id, cell or layer";
    }
    if (a.polygons.mode != b.polygons.mode || a.lines.mode != b.lines.mode) {
        return ::testing::AssertionFailure() << "modes " << a.polygons.mode << "/" << a.lines.mode
                                             << " vs " << b.polygons.mode << "/" << b.lines.mode;
    }
    if (!sameFloat(a.height, b.height) || !sameFloat(a.lines.width, b.lines.width)) {
        return ::testing::AssertionFailure() << "height or width";
    }
    if (a.label != b.label || !sameVec(a.labelPosition, b.labelPosition)) {
        return ::testing::AssertionFailure() << "label";
    }
    return ::testing::AssertionSuccess();
}

// ---- Random blobs ------------------------------------------------------------

class BlobGenerator {
public:
    explicit BlobGenerator(uint32_t seed) : rng(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(int percent) { return pick(100) < percent; }

    // Coordinates on a coarse lattice, so that points repeat, rings close and
    // path ends meet; now and then a far or non-finite value.
    float coordinate() {
        if (chance(1)) return std::numeric_limits<float>::quiet_NaN();
        if (chance(2)) return 1e30f;
        return static_cast<float>(pick(9)) * 2.5f;
    }
    vec2 point() { return {coordinate(), coordinate()}; }

    std::vector<vec2> polyline(int maxPoints) {
        std::vector<vec2> out(static_cast<size_t>(pick(maxPoints + 1)));
        for (auto& p : out) p = point();
        if (out.size() > 2 && chance(30)) out.back() = out.front();  // a closed ring
        return out;
    }

    Bytes stream(const std::vector<vec2>& points) {
        if (chance(50)) return meshory_test::plainStream(points);
        // Delta streams keep lattice steps exact in tenths.
        std::vector<vec2> finite = points;
        for (auto& p : finite)
            p = {std::isfinite(p.x) ? p.x : 1.0f, std::isfinite(p.y) ? p.y : 1.0f};
        return meshory_test::deltaStream(finite);
    }

    // A transport polyline that continues the merged path at its end or at
    // its front (mostly within the merge tolerance), or starts elsewhere.
    std::vector<vec2> transportLine() {
        std::vector<vec2> line = polyline(5);
        if (!line.empty() && !path.empty()) {
            const float jitter = chance(80) ? 0.5f : 1.5f;
            if (chance(45)) {
                line.front() = path.back() + vec2(jitter, 0);
            } else if (chance(80)) {
                line.back() = path.front() - vec2(0, jitter);
            }
        }
        meshory_reference::mergeLines(line, path, 1.0f);
        return line;
    }

    template <typename V>
    Bytes indexed(uint16_t heightTenths) {
        const int n = pick(7);
        std::vector<V> vertices(static_cast<size_t>(n));
        for (auto& v : vertices) {
            for (int c = 0; c < V::length(); ++c) v[c] = static_cast<float>(pick(5));
        }
        std::vector<uint16_t> first(static_cast<size_t>(pick(9))),
            second(static_cast<size_t>(pick(7)));
        for (auto& i : first) i = static_cast<uint16_t>(pick(n + (chance(5) ? 3 : 1)));
        for (auto& i : second) i = static_cast<uint16_t>(pick(n + (chance(5) ? 3 : 1)));
        if (second.size() > 2 && chance(40)) second.back() = second.front();
        return meshory_test::indexedBlock<V>(vertices, first, second, heightTenths,
                                             static_cast<uint8_t>(pick(8)));
    }

    S_BlobData blob(int32_t type) {
        Bytes payload;
        const auto heightTenths = static_cast<uint16_t>(chance(30) ? 0 : pick(80));
        switch (type) {
            case bg::INDEXED_TRIANGLE_STRIPS:
            case bg::INDEXED_FLAT_TRIANGLE_STRIPS:
                payload = indexed<vec2>(heightTenths);
                break;
            case bg::INDEXED_LINES:
                payload = indexed<vec3>(heightTenths);
                break;
            case bg::FLAT_LINE_STRIP:
                payload = meshory_test::withU8Prefix(uint8_t(pick(9)), stream(polyline(6)));
                break;
            case bg::TRIANGLE_FAN:
            case bg::ON_POLYGON_TRIANGLE_FAN:
                payload = meshory_test::withU16Prefix(heightTenths, stream(polyline(7)));
                break;
            case bg::TEXT_DATA:
                payload = labels();
                break;
            case bg::LABEL_STYLE_SEGMENTS:
                payload = segments();
                break;
            case bg::RAILROAD_PATH:
            case bg::TRAM_PATH:
            case bg::ROAD_PATH:
            case bg::BRIDGE:
                payload = meshory_test::withU8Prefix(uint8_t(pick(6)), stream(transportLine()));
                break;
            case bg::CELL_POLYGON:
                break;
            default:
                payload = stream(polyline(8));
                break;
        }
        if (!payload.empty() && chance(6))
            payload.resize(static_cast<size_t>(pick(static_cast<int>(payload.size()))));
        return S_BlobData(static_cast<uint64_t>(pick(1000)), type, pick(3), pick(5) << 16 | pick(5),
                          payload);
    }

    std::vector<S_BlobData> sequence(int maxBlobs, bool transportHeavy) {
        static const int32_t types[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,   10,
                                        11, 12, 13, 14, 15, 16, 17, 18, 101, 19};
        path.clear();
        std::vector<S_BlobData> out;
        const int n = 1 + pick(maxBlobs);
        for (int i = 0; i < n; ++i) {
            int32_t type = types[pick(std::size(types))];
            if (transportHeavy && chance(75))
                type = std::array{10, 12, 13, 13, 11}[static_cast<size_t>(pick(5))];
            out.push_back(blob(type));
        }
        return out;
    }

    LoadFilter filter() {
        LoadFilter f;
        if (chance(70)) f.variants.insert(static_cast<uint16_t>(pick(3)));
        if (chance(20)) f.categories.insert(static_cast<uint8_t>(pick(3)));
        if (chance(20)) f.styleIds.insert(static_cast<uint32_t>(pick(3)));
        return f;
    }

    vec3 origin() { return chance(50) ? vec3(0) : vec3(pick(5), pick(5), pick(3)); }

private:
    Bytes labels() {
        std::vector<meshory_test::LabelText> texts;
        for (int i = pick(4); i > 0; --i)
            texts.push_back({static_cast<uint16_t>(pick(3)), chance(10) ? "\xC3" : "name"});
        return meshory_test::labelBlock(point(), texts);
    }

    Bytes segments() {
        std::vector<std::vector<meshory_test::SegmentSpec>> groups(static_cast<size_t>(pick(3)));
        for (auto& group : groups) {
            group.resize(static_cast<size_t>(pick(3)));
            for (auto& s : group) {
                s.kind = static_cast<uint8_t>(pick(4));
                s.styleId = pick(3);
                s.variant = static_cast<uint16_t>(pick(3));
                s.category = static_cast<uint8_t>(pick(3));
                s.code = pick(100000);
                s.text = "segment";
                s.points = polyline(3);
            }
        }
        return meshory_test::labelSegments(groups);
    }

    std::mt19937 rng;
    std::vector<vec2> path;  // the merged path so far, as the generator sees it
};

std::string describe(const std::vector<S_BlobData>& blobs) {
    std::ostringstream out;
    for (const auto& b : blobs) out << b.type << "(" << b.data.size() << ") ";
    return out.str();
}

// Each blob handed to its builder on its own, as a caller outside a request would.
S_Model buildBlobByBlob(const std::vector<S_BlobData>& blobs, const vec3& origin,
                        const LoadFilter& filter) {
    S_Model model;
    const ViewportPolygon viewport;
    for (const auto& blob : blobs) {
        const GeometryBuilder builder = C_Meshory::builderFor(blob.type);
        if (!builder) continue;
        S_ModelBlobData data;
        data.blob = &blob;
        data.viewport = &viewport;
        data.origin = origin;
        data.filter = filter;
        data.model = &model;
        builder(&data);
    }
    model.id = blobs.front().id;
    model.cellIndex = blobs.front().cellIndex;
    model.layerId = blobs.front().layerId;
    return model;
}

void compareOnRandomSequences(uint32_t seed, int sequences, int maxBlobs, bool transportHeavy) {
    grid().cellsAmount(4, 4);
    grid().gridCoordinates(Bounds(100, 200, 500, 600));
    BlobGenerator gen(seed);
    C_Meshory maker;
    for (int s = 0; s < sequences; ++s) {
        const auto blobs = gen.sequence(maxBlobs, transportHeavy);
        const vec3 origin = gen.origin();
        const LoadFilter filter = gen.filter();
        bool built = false;
        const S_Model expected = meshory_reference::makeModel(blobs, origin, filter, built);
        const S_Model* actual = maker.makeModel(blobs, origin, filter);
        ASSERT_EQ(actual != nullptr, built) << describe(blobs);
        if (!actual) continue;
        ASSERT_TRUE(sameModel(*actual, expected)) << "sequence " << s << ": " << describe(blobs);
        ASSERT_TRUE(sameModel(buildBlobByBlob(blobs, origin, filter), expected))
            << "blob by blob, sequence " << s << ": " << describe(blobs);
        maker.releaseModel(actual);
    }
}

TEST(DifferentialModels, MixedSequencesMatchTheReference) {
    compareOnRandomSequences(1, 3000, 12, false);
}

TEST(DifferentialModels, LongTransportSequencesMatchTheReference) {
    compareOnRandomSequences(2, 150, 60, true);
}

}  // namespace
}  // namespace quorvan
