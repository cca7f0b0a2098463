#include "inspect/gltf_writer.h"

#include <meshory/geometry/mathglm.h>
#include <meshory/model/model_conversions.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <glm/geometric.hpp>
#include <limits>
#include <map>
#include <sstream>

#include "inspect/labels.h"
#include "inspect/layer_style.h"
#include "inspect/offset_bands.h"
#include "inspect/text.h"
#include "inspect/top_view.h"

namespace quorvan::inspect {

namespace {

constexpr int kModePoints = 0;
constexpr int kModeLines = 1;
constexpr int kModeTriangles = 4;
constexpr int kArrayBuffer = 34962;

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// z-up model space to y-up glTF space.
glm::vec3 toGltf(const glm::vec3& v) {
    return {v.x, v.z, -v.y};
}

// All vertex data goes into one buffer view of vec3 floats (stride 12, which
// glTF asks for once several accessors share a view), each accessor a run of
// whole vertices in it.
class GltfBuilder {
public:
    explicit GltfBuilder(tinygltf::Model& model) : model_(model) {
        model_.buffers.emplace_back();
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteStride = sizeof(glm::vec3);
        view.target = kArrayBuffer;
        model_.bufferViews.push_back(view);
    }

    int accessor(const std::vector<glm::vec3>& values, bool withBounds) {
        std::vector<unsigned char>& data = model_.buffers[0].data;
        tinygltf::Accessor a;
        a.bufferView = 0;
        a.byteOffset = data.size();
        a.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        a.type = TINYGLTF_TYPE_VEC3;
        a.count = values.size();
        if (withBounds) {
            glm::vec3 lo(std::numeric_limits<float>::max());
            glm::vec3 hi(std::numeric_limits<float>::lowest());
            for (const auto& v : values) {
                lo = glm::min(lo, v);
                hi = glm::max(hi, v);
            }
            a.minValues = {lo.x, lo.y, lo.z};
            a.maxValues = {hi.x, hi.y, hi.z};
        }
        const size_t bytes = values.size() * sizeof(glm::vec3);
        data.resize(data.size() + bytes);
        std::memcpy(data.data() + a.byteOffset, values.data(), bytes);
        if constexpr (std::endian::native == std::endian::big) {  // glTF buffers are little-endian
            for (size_t at = a.byteOffset; at < data.size(); at += sizeof(float))
                std::reverse(data.begin() + at, data.begin() + at + sizeof(float));
        }
        model_.bufferViews[0].byteLength = data.size();
        model_.accessors.push_back(std::move(a));
        return static_cast<int>(model_.accessors.size() - 1);
    }

    int material(int32_t layerId, const std::string& name, bool forLines) {
        const auto key = std::make_pair(layerId, forLines);
        if (const auto it = materials_.find(key); it != materials_.end()) return it->second;
        const LayerStyle style = layerStyle(layerId, name);
        const Rgb& colour = forLines ? style.stroke : style.fill;
        tinygltf::Material m;
        m.name = forLines ? name + " lines" : name;
        // The styles' colours are sRGB, glTF's factors linear: so the models
        // look as in the SVG.
        m.pbrMetallicRoughness.baseColorFactor = {colour.linearChannel(0), colour.linearChannel(1),
                                                  colour.linearChannel(2), 1.0};
        m.pbrMetallicRoughness.metallicFactor = 0.0;
        m.pbrMetallicRoughness.roughnessFactor = 1.0;
        m.doubleSided = true;
        model_.materials.push_back(std::move(m));
        const int index = static_cast<int>(model_.materials.size() - 1);
        materials_.emplace(key, index);
        return index;
    }

private:
    tinygltf::Model& model_;
    std::map<std::pair<int32_t, bool>, int> materials_;
};

// Triangles the host would draw, without the zero-area ones, with flat normals.
void triangleData(const S_Model& model, std::vector<glm::vec3>& positions,
                  std::vector<glm::vec3>& normals, GltfSummary& summary) {
    const std::vector<glm::vec3> triangles = drawableTriangles(model);
    for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
        const glm::vec3 a = toGltf(triangles[i]);
        const glm::vec3 b = toGltf(triangles[i + 1]);
        const glm::vec3 c = toGltf(triangles[i + 2]);
        const glm::vec3 n = glm::cross(b - a, c - a);
        const float length = glm::length(n);
        if (!finite(a) || !finite(b) || !finite(c) || !(length > 0.0f) || !std::isfinite(length)) {
            ++summary.droppedTriangles;
            continue;
        }
        positions.insert(positions.end(), {a, b, c});
        normals.insert(normals.end(), 3, n / length);
    }
}

void lineData(const S_Model& model, std::vector<glm::vec3>& positions, GltfSummary& summary) {
    const std::vector<glm::vec3> lines = geometryLinesToLines(model.lines);
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (!finite(lines[i]) || !finite(lines[i + 1])) {
            ++summary.droppedSegments;
            continue;
        }
        positions.push_back(toGltf(lines[i]));
        positions.push_back(toGltf(lines[i + 1]));
    }
}

tinygltf::Value number(double v) {
    return tinygltf::Value(v);
}

// The labels a top view of kLabelViewPx keeps, laid on the ground.
tinygltf::Value groundLabels(const Inspection& inspection, GltfSummary& summary) {
    const TopView view = chooseTopView(inspection, inspection.grid, kLabelViewPx);
    const TopViewLabels labels = topViewLabels(inspection, view);
    tinygltf::Value::Array list;
    for (const size_t k : labels.kept) {
        const LabelCandidate& c = labels.candidates[k];
        const bool road = labels.roads[k];
        const glm::dvec2 world = view.toWorld({c.centre.x, -c.centre.y});
        const glm::vec3 at = toGltf(glm::vec3(world.x, world.y, 0.0));
        if (!finite(at)) continue;
        tinygltf::Value::Object label;
        label["text"] = tinygltf::Value(c.text);
        label["kind"] = tinygltf::Value(std::string(road ? "road" : "place"));
        label["layerId"] =
            tinygltf::Value(static_cast<int>(inspection.models[c.model].model->layerId));
        label["position"] =
            tinygltf::Value(tinygltf::Value::Array{number(at.x), number(at.y), number(at.z)});
        label["angle"] = number(c.angle);
        label["size"] = tinygltf::Value(
            tinygltf::Value::Array{number(c.size.x / view.scale), number(c.size.y / view.scale)});
        label["fontSize"] = number((road ? kRoadFontPx : kPlaceFontPx) / view.scale);
        label["halo"] = number(kLabelHaloPx / view.scale);
        list.emplace_back(std::move(label));
    }
    summary.labels = list.size();
    return tinygltf::Value(std::move(list));
}

void buildGltf(const Inspection& inspection, tinygltf::Model& gltf, GltfSummary& summary) {
    summary = GltfSummary{};
    gltf.asset.version = "2.0";
    gltf.asset.generator = "meshory-inspect";
    GltfBuilder builder(gltf);

    tinygltf::Scene scene;
    // A scene with neither nodes nor name would be written as null, which
    // is not a glTF scene (a pack may give no model at all).
    scene.name = "models";
    std::map<int32_t, int> layerNodes;
    for (const auto& [id, layer] : inspection.layers) {
        if (layer.models == 0) continue;
        tinygltf::Node node;
        node.name = layer.name;
        // The layer's colours as the SVG draws them, for a viewer's legend
        // (casing: the colour that outlines its wide lines, if any).
        const LayerStyle style = layerStyle(id, layer.name);
        tinygltf::Value::Object extras;
        extras["layerId"] = tinygltf::Value(static_cast<int>(id));
        extras["fill"] = tinygltf::Value(style.fill.hex());
        extras["stroke"] = tinygltf::Value(style.stroke.hex());
        if (style.cased) extras["casing"] = tinygltf::Value(style.casing.hex());
        node.extras = tinygltf::Value(std::move(extras));
        gltf.nodes.push_back(std::move(node));
        layerNodes.emplace(id, static_cast<int>(gltf.nodes.size() - 1));
        scene.nodes.push_back(layerNodes[id]);
    }

    for (const BuiltModel& built : inspection.models) {
        const S_Model& model = *built.model;
        const std::string& layerName = inspection.layers.at(model.layerId).name;
        tinygltf::Mesh mesh;

        std::vector<glm::vec3> positions;
        std::vector<glm::vec3> normals;
        triangleData(model, positions, normals, summary);
        if (!positions.empty()) {
            tinygltf::Primitive p;
            p.mode = kModeTriangles;
            p.attributes["POSITION"] = builder.accessor(positions, true);
            p.attributes["NORMAL"] = builder.accessor(normals, false);
            p.material = builder.material(model.layerId, layerName, false);
            mesh.primitives.push_back(std::move(p));
            summary.triangles += positions.size() / 3;
        }

        positions.clear();
        lineData(model, positions, summary);
        if (!positions.empty()) {
            tinygltf::Primitive p;
            p.mode = kModeLines;
            p.attributes["POSITION"] = builder.accessor(positions, true);
            p.material = builder.material(model.layerId, layerName, true);
            mesh.primitives.push_back(std::move(p));
            summary.segments += positions.size() / 2;
        }

        positions.clear();
        for (const glm::vec2& point : model.points) {
            const glm::vec3 v(point, 0.0f);
            if (finite(v)) positions.push_back(toGltf(v));
        }
        if (!positions.empty()) {
            tinygltf::Primitive p;
            p.mode = kModePoints;
            p.attributes["POSITION"] = builder.accessor(positions, true);
            p.material = builder.material(model.layerId, layerName, true);
            mesh.primitives.push_back(std::move(p));
            summary.points += positions.size();
        }

        // glTF meshes need at least one primitive; a label alone becomes a
        // named node at its anchor.
        const bool labelOnly = mesh.primitives.empty();
        LabelPlacement label;
        if (labelOnly && !placeLabel(model, label)) continue;

        tinygltf::Node node;
        const std::string text = displayText(model.label);
        node.name = text.empty() ? layerName + " " + std::to_string(built.request) : text;
        // What a viewer shows when the model is picked. The id is text: a
        // 64-bit id does not survive a JSON number read as a double.
        tinygltf::Value::Object extras;
        extras["layerId"] = tinygltf::Value(static_cast<int>(model.layerId));
        extras["layer"] = tinygltf::Value(layerName);
        extras["id"] = tinygltf::Value(std::to_string(model.id));
        extras["label"] = tinygltf::Value(text);
        node.extras = tinygltf::Value(std::move(extras));
        const glm::vec3 at =
            toGltf(glm::vec3(built.origin + (labelOnly ? label.at : glm::vec2(0.0f)), 0.0f));
        node.translation = {at.x, at.y, at.z};
        if (!labelOnly) {
            mesh.name = node.name;
            gltf.meshes.push_back(std::move(mesh));
            node.mesh = static_cast<int>(gltf.meshes.size() - 1);
            ++summary.meshes;
        }
        gltf.nodes.push_back(std::move(node));
        gltf.nodes[layerNodes.at(model.layerId)].children.push_back(
            static_cast<int>(gltf.nodes.size() - 1));
    }
    // Written only where there are labels: an empty list would become null.
    if (tinygltf::Value labels = groundLabels(inspection, summary); labels.ArrayLen() > 0) {
        tinygltf::Value::Object sceneExtras;
        sceneExtras["labels"] = std::move(labels);
        scene.extras = tinygltf::Value(std::move(sceneExtras));
    }
    gltf.scenes.push_back(std::move(scene));
    gltf.defaultScene = 0;
    if (gltf.buffers[0].data.empty()) {
        // An empty buffer is invalid glTF; a scene without geometry needs none.
        gltf.buffers.clear();
        gltf.bufferViews.clear();
    }
}

}  // namespace

std::string encodeGltf(const Inspection& inspection, GltfEncoding encoding, GltfSummary& summary) {
    tinygltf::Model gltf;
    buildGltf(inspection, gltf, summary);
    std::ostringstream out;
    tinygltf::TinyGLTF writer;
    writer.WriteGltfSceneToStream(&gltf, out, false, encoding == GltfEncoding::Glb);
    return out.str();
}

bool writeGltf(const Inspection& inspection, const std::string& path, GltfSummary& summary,
               std::string& error) {
    tinygltf::Model gltf;
    buildGltf(inspection, gltf, summary);
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToFile(&gltf, path, false, false, false, false)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace quorvan::inspect
