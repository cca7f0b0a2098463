#include "vectortile/vectortile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>

#include "model/glmodel.h"
#include "model/meshory.h"
#include "vectortile/mapping_rules.h"
#include "vectortile/payload_writer.h"
#include "vectortile/reader.h"
#include "vectortile/shapes.h"

namespace quorvan::vectortile {

namespace {

constexpr double kEarthCircumference = 40075016.686;

// A value as a number, the way the sample's attributes were read: a string
// is parsed whole (surrounding blanks allowed, empty is 0), anything that
// is no number is 0.
double numberOf(const S_Value* value) {
    if (!value) return 0;
    if (value->kind != S_Value::Kind::STRING) return value->number;
    std::string text(value->text);
    const size_t first = text.find_first_not_of(" \t\n\r");
    if (first == std::string::npos) return 0;
    text = text.substr(first, text.find_last_not_of(" \t\n\r") - first + 1);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() ? v : 0;
}

// max(0, v), NaN as 0.
double nonNegative(double v) {
    return v > 0 ? v : 0;
}

int32_t toInt32(double v) {
    if (!(std::abs(v) < 2147483648.0)) return 0;
    return static_cast<int32_t>(v);
}

uint8_t toByte(double v) {
    return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
}

// The edges of a ring that outline it, as runs of ring indices: the whole
// ring closed when nothing is cut (or cut edges are outlined too), else the
// runs between cut edges.
std::vector<std::vector<uint32_t>> outlineRuns(const Ring& ring, const Box& cut, bool all) {
    const uint32_t n = static_cast<uint32_t>(ring.size());
    std::vector<bool> clipped(n);
    bool any = false;
    for (uint32_t i = 0; i < n; ++i) {
        clipped[i] = !all && onClipEdge(ring[i], ring[(i + 1) % n], cut);
        any = any || clipped[i];
    }
    std::vector<std::vector<uint32_t>> runs;
    if (!any) {
        runs.emplace_back();
        for (uint32_t i = 0; i < n; ++i) runs.back().push_back(i);
        runs.back().push_back(0);
        return runs;
    }
    uint32_t start = 0;
    while (!(clipped[(start + n - 1) % n] && !clipped[start])) {
        if (++start == n) return runs;  // every edge is cut
    }
    bool open = false;
    for (uint32_t k = 0; k < n; ++k) {
        const uint32_t e = (start + k) % n;
        if (clipped[e]) {
            open = false;
            continue;
        }
        if (!open) runs.push_back({e});
        open = true;
        runs.back().push_back((e + 1) % n);
    }
    return runs;
}

class Converter {
public:
    Converter(const S_VectorTile& tile, const S_TilePlacement& placement, const MappingRules& rules,
              S_VectorTileRecords& out)
        : tile_(tile), placement_(placement), rules_(rules), out_(out), nextId_(placement.firstId) {
        const double ox = placement.originX;
        const double oy = placement.originY;
        box_ = {ox, oy, ox + placement.size, oy + placement.size};
        cut_ = quantiseBox(box_);
    }

    void run() {
        if (rules_.cell) {
            begin();
            blob(blob_geometry::CELL_POLYGON, rules_.cellLayer, {});
            end();
        }
        for (const Source& source : rules_.sources) {
            const S_Layer* layer = tile_.layer(source.layer);
            if (!layer) continue;
            pointRuns_.clear();
            for (const S_Feature& feature : layer->features) {
                if (feature.type != source.geometry) continue;
                const Rule* rule = match(source, *layer, feature);
                if (!rule || rule->outputs.empty()) continue;
                feature_ = &feature;
                layer_ = layer;
                geometry_.clear();
                loaded_ = false;
                build(*rule);
            }
            for (const auto& [output, points] : pointRuns_) {
                begin();
                Bytes payload;
                appendVertexStream(payload, points);
                blob(output->type, output->layer, payload);
                end();
            }
        }
        out_.nextId = nextId_;
    }

private:
    bool holds(const std::vector<Condition>& conditions) const {
        for (const Condition& c : conditions) {
            const S_Value* v = layer_->find(*feature_, c.key);
            if (!v) return false;
            const std::string text = v->toText();
            if (std::find(c.values.begin(), c.values.end(), text) == c.values.end()) return false;
        }
        return true;
    }

    const Rule* match(const Source& source, const S_Layer& layer, const S_Feature& feature) {
        layer_ = &layer;
        feature_ = &feature;
        for (const Rule& rule : source.rules) {
            if (holds(rule.when)) return &rule;
        }
        return nullptr;
    }

    // The feature's parts in world space.
    const std::vector<Ring>& geometry() {
        if (loaded_) return geometry_;
        loaded_ = true;
        const double scale = placement_.size / layer_->extent;
        const double extent = layer_->extent;
        for (uint32_t p = 0; p < feature_->partCount; ++p) {
            Ring& ring = geometry_.emplace_back();
            for (const S_TilePoint& t : layer_->part(feature_->firstPart + p)) {
                ring.emplace_back(placement_.originX + static_cast<double>(t.x) * scale,
                                  placement_.originY + (extent - static_cast<double>(t.y)) * scale);
            }
        }
        return geometry_;
    }

    std::vector<Polygon> polygons() {
        std::vector<Ring> rings;
        for (const Ring& ring : geometry()) {
            Ring r = cleanRing(clipRing(ring, box_));
            // Vector tiles run outer rings clockwise as seen on a north-up
            // map; reversed, they run counter-clockwise, as the builders want.
            std::reverse(r.begin(), r.end());
            rings.push_back(std::move(r));
        }
        return classifyRings(std::move(rings));
    }

    std::vector<Ring> lines() {
        std::vector<Ring> out;
        for (const Ring& line : geometry()) {
            for (const Ring& piece : clipLine(line, box_)) {
                Ring clean = cleanLine(piece);
                if (clean.size() >= 2) out.push_back(std::move(clean));
            }
        }
        return out;
    }

    bool inside(const Point& p) const {
        return p.x >= box_[0] && p.x < box_[2] && p.y >= box_[1] && p.y < box_[3];
    }

    std::vector<S_Text> names() const {
        std::vector<S_Text> texts;
        if (rules_.names.empty()) return texts;
        const S_Value* local = layer_->find(*feature_, rules_.names[0].key);
        if (!local || local->kind != S_Value::Kind::STRING || local->text.empty()) return texts;
        texts.push_back({0, local->text});
        for (size_t k = 1; k < rules_.names.size(); ++k) {
            const S_Value* v = layer_->find(*feature_, rules_.names[k].key);
            if (v && v->kind == S_Value::Kind::STRING && !v->text.empty() &&
                v->text != local->text) {
                texts.push_back({rules_.names[k].variant, v->text});
            }
        }
        return texts;
    }

    std::pair<int32_t, int32_t> tableRow(int32_t index) const {
        const Table& table = rules_.tables[static_cast<size_t>(index)];
        const S_Value* v = layer_->find(*feature_, table.key);
        if (v) {
            const auto it = table.rows.find(v->toText());
            if (it != table.rows.end()) return it->second;
        }
        return {table.code, table.width};
    }

    void build(const Rule& rule) {
        bool pathsDone = false;
        for (const Output& o : rule.outputs) {
            if (o.kind == OutputKind::PATH) {
                // The paths of one rule go piece by piece: a road and its
                // bridge stand side by side in the request list.
                if (!pathsDone) paths(rule);
                pathsDone = true;
                continue;
            }
            if (!holds(o.when)) continue;
            switch (o.kind) {
                case OutputKind::AREA:
                    area(o);
                    break;
                case OutputKind::POINTS: {
                    auto& run = pointRun(o);
                    for (const Ring& part : geometry()) {
                        for (const Point& p : part) {
                            if (inside(p)) run.push_back(p);
                        }
                    }
                    break;
                }
                case OutputKind::TEXT: {
                    const std::vector<S_Text> texts = names();
                    if (texts.empty()) break;
                    for (const Ring& part : geometry()) {
                        for (const Point& p : part) {
                            if (!inside(p)) continue;
                            begin();
                            blob(o.type, o.layer, labelBlock(p, texts));
                            end();
                        }
                    }
                    break;
                }
                case OutputKind::SEGMENTS:
                    segments(o);
                    break;
                case OutputKind::PATH:
                    break;
            }
        }
    }

    std::vector<Point>& pointRun(const Output& o) {
        for (auto& [output, points] : pointRuns_) {
            if (output == &o) return points;
        }
        return pointRuns_.emplace_back(&o, std::vector<Point>()).second;
    }

    void paths(const Rule& rule) {
        std::vector<const Output*> active;
        for (const Output& o : rule.outputs) {
            if (o.kind == OutputKind::PATH && holds(o.when)) active.push_back(&o);
        }
        if (active.empty()) return;
        for (const Ring& piece : lines()) {
            for (const Output* o : active) {
                double width = o->width;
                if (o->table >= 0) width = roundHalfUp(tableRow(o->table).second * o->widthScale);
                begin();
                blob(o->type, o->layer, widthPathPayload(toByte(width), piece));
                end();
            }
        }
    }

    void segments(const Output& o) {
        const std::vector<S_Text> texts = names();
        if (texts.empty()) return;
        const std::vector<Ring> pieces = lines();
        const int32_t code = o.table >= 0 ? tableRow(o.table).first : 0;
        const int32_t rank =
            o.codeKey.empty() ? 0 : toInt32(numberOf(layer_->find(*feature_, o.codeKey)));
        std::vector<S_SegmentElement> elements;
        for (const S_Text& text : texts) {
            for (const Ring& piece : pieces) {
                if (piece.size() > kMaxU16) continue;
                elements.push_back({text.variant, static_cast<uint8_t>(code), code, rank,
                                    o.segmentKind, text.text, piece});
            }
        }
        if (elements.empty()) return;
        begin();
        blob(o.type, o.layer, labelSegments(elements));
        end();
    }

    void area(const Output& o) {
        double height =
            o.heightKey.empty() ? 0 : nonNegative(numberOf(layer_->find(*feature_, o.heightKey)));
        if (!o.minHeightKey.empty()) {
            // The blob formats stand every area on the ground: a part that
            // starts at or above its own height has no volume to draw.
            const double minHeight = nonNegative(numberOf(layer_->find(*feature_, o.minHeightKey)));
            if (minHeight > 0 && minHeight >= height) return;
        }
        begin();
        for (const Polygon& polygon : polygons()) areaBlobs(o, polygon, height);
        end();
    }

    void areaBlobs(const Output& o, const Polygon& polygon, double height) {
        const bool extruded = o.type == blob_geometry::INDEXED_TRIANGLE_STRIPS;
        const std::vector<std::vector<uint32_t>> runs =
            outlineRuns(polygon.outer, cut_, o.clipOutlines);
        const bool whole = runs.size() == 1 && runs[0].size() == polygon.outer.size() + 1;
        if (o.fans && polygon.holes.empty() && whole) {
            const Ring& outer = polygon.outer;
            if (isConvex(outer)) {
                Ring fan = outer;
                fan.push_back(outer[0]);
                fanBlob(extruded ? blob_geometry::ON_POLYGON_TRIANGLE_FAN
                                 : blob_geometry::ON_POLYGON_FLAT_TRIANGLE_FAN,
                        o.layer, extruded, height, fan);
                return;
            }
            if (const auto centre = fanCentre(outer)) {
                Ring fan{*centre};
                fan.insert(fan.end(), outer.begin(), outer.end());
                fanBlob(extruded ? blob_geometry::TRIANGLE_FAN : blob_geometry::FLAT_TRIANGLE_FAN,
                        o.layer, extruded, height, fan);
                return;
            }
        }
        std::vector<Point> vertices;
        const auto triangles = triangulatePolygon(polygon, vertices);
        const std::vector<uint32_t> strip = stripFromTriangles(triangles);
        if (vertices.size() <= kMaxU16 && strip.size() <= kMaxU16) {
            const std::span<const uint32_t> outline =
                runs.empty() ? std::span<const uint32_t>() : std::span<const uint32_t>(runs[0]);
            blob(o.type, o.layer, indexedBlock(vertices, strip, outline, height));
            for (size_t r = 1; r < runs.size(); ++r) runBlobs(o, polygon.outer, runs[r], height);
        } else {
            chunkBlobs(o, vertices, triangles, height);
            for (const auto& run : runs) runBlobs(o, polygon.outer, run, height);
        }
        for (const Ring& hole : polygon.holes) {
            for (const auto& run : outlineRuns(hole, cut_, o.clipOutlines)) {
                runBlobs(o, hole, run, height);
            }
        }
    }

    void fanBlob(int32_t type, int32_t layer, bool extruded, double height, const Ring& fan) {
        if (extruded) {
            blob(type, layer, fanPayload(height, fan));
        } else {
            Bytes payload;
            appendVertexStream(payload, fan);
            blob(type, layer, payload);
        }
    }

    // Outline-only blocks of a run of ring points, in pieces that share
    // their end points.
    void runBlobs(const Output& o, const Ring& ring, const std::vector<uint32_t>& run,
                  double height) {
        std::vector<Point> points;
        std::vector<uint32_t> outline;
        for (size_t start = 0; start + 1 < run.size(); start += kMaxU16 - 1) {
            const size_t end = std::min(run.size(), start + kMaxU16);
            points.clear();
            outline.clear();
            for (size_t k = start; k < end; ++k) {
                outline.push_back(static_cast<uint32_t>(points.size()));
                points.push_back(ring[run[k]]);
            }
            blob(o.type, o.layer, indexedBlock(points, {}, outline, height));
        }
    }

    // Triangles in runs whose vertices and strip fit the 16-bit counts of a block.
    void chunkBlobs(const Output& o, const std::vector<Point>& vertices,
                    const std::vector<std::array<uint32_t, 3>>& triangles, double height) {
        std::unordered_map<uint32_t, uint32_t> local;
        std::vector<Point> order;
        std::vector<std::array<uint32_t, 3>> run;
        const auto flush = [&] {
            if (run.empty()) return;
            blob(o.type, o.layer, indexedBlock(order, stripFromTriangles(run), {}, height));
            local.clear();
            order.clear();
            run.clear();
        };
        for (const auto& triangle : triangles) {
            // A triangle adds at most 3 vertices and 6 strip indices.
            if (local.size() + 3 > kMaxU16 || (run.size() + 1) * 6 > kMaxU16) flush();
            std::array<uint32_t, 3> mapped{};
            for (int k = 0; k < 3; ++k) {
                const auto [it, added] =
                    local.try_emplace(triangle[k], static_cast<uint32_t>(order.size()));
                if (added) order.push_back(vertices[triangle[k]]);
                mapped[k] = it->second;
            }
            run.push_back(mapped);
        }
        flush();
    }

    void begin() { first_ = static_cast<uint32_t>(out_.recordCount); }

    void end() {
        const uint32_t count = static_cast<uint32_t>(out_.recordCount) - first_;
        if (count > 0) {
            out_.requests.push_back({first_, count, placement_.originX, placement_.originY});
        }
    }

    void blob(int32_t type, int32_t layer, std::span<const uint8_t> payload) {
        auto& r = out_.records;
        const auto put = [&r](auto value) {
            uint8_t bytes[sizeof(value)];
            std::memcpy(bytes, &value, sizeof(value));
            if constexpr (std::endian::native == std::endian::big) {
                std::reverse(bytes, bytes + sizeof(value));
            }
            r.insert(r.end(), bytes, bytes + sizeof(value));
        };
        put(nextId_++);
        put(type);
        put(layer);
        put(placement_.cellIndex);
        put(static_cast<uint32_t>(payload.size()));
        r.insert(r.end(), payload.begin(), payload.end());
        ++out_.recordCount;
    }

    const S_VectorTile& tile_;
    const S_TilePlacement& placement_;
    const MappingRules& rules_;
    S_VectorTileRecords& out_;
    uint64_t nextId_;
    Box box_{};
    Box cut_{};
    uint32_t first_ = 0;
    const S_Layer* layer_ = nullptr;
    const S_Feature* feature_ = nullptr;
    std::vector<Ring> geometry_;
    bool loaded_ = false;
    std::vector<std::pair<const Output*, std::vector<Point>>> pointRuns_;
};

// Payloads keep tenths of a unit in 64-bit integers on the way to floats:
// a world beyond a billion units has no use for them and would overflow.
constexpr double kMaxWorld = 1e9;

bool placementValid(const S_TilePlacement& p) {
    return std::abs(p.originX) <= kMaxWorld && std::abs(p.originY) <= kMaxWorld && p.size > 0 &&
           p.size <= kMaxWorld;
}

}  // namespace

S_TilePlacement placeInBlock(int32_t x, int32_t y, int32_t minX, int32_t maxY, double size) {
    const int64_t column = static_cast<int64_t>(x) - minX;
    const int64_t row = static_cast<int64_t>(maxY) - y;
    S_TilePlacement p;
    p.originX = static_cast<double>(column) * size;
    p.originY = static_cast<double>(row) * size;
    p.size = size;
    p.cellIndex = static_cast<int32_t>(static_cast<uint32_t>(column * 65536 + row));
    return p;
}

double groundTileSize(int32_t z, double row) {
    const double tiles = std::pow(2.0, z);
    const double n = M_PI - (2 * M_PI * (row + 0.5)) / tiles;
    const double latitude = std::atan(std::sinh(n));
    return (kEarthCircumference * std::cos(latitude)) / tiles;
}

void vectorTileRecords(std::span<const uint8_t> bytes, const S_TilePlacement& placement,
                       const C_VectorTileMapping& mapping, S_VectorTileRecords& out) {
    out.ok = false;
    out.error.clear();
    out.errorOffset = 0;
    out.records.clear();
    out.recordCount = 0;
    out.requests.clear();
    out.nextId = placement.firstId;
    if (!placementValid(placement)) {
        out.error = "the tile's origin and size must lie within 1e9 units and its size above 0";
        return;
    }
    const S_VectorTile tile = readVectorTile(bytes);
    if (!tile.ok) {
        out.error = tile.error;
        out.errorOffset = tile.errorOffset;
        return;
    }
    Converter(tile, placement, mapping.rules(), out).run();
    out.ok = true;
}

S_TileBuild buildVectorTile(C_Meshory& maker, std::span<const uint8_t> tile,
                            const S_TilePlacement& placement, const C_VectorTileMapping& mapping,
                            uint32_t flags, C_Tile& target, S_VectorTileRecords* scratch) {
    S_VectorTileRecords local;
    S_VectorTileRecords& records = scratch ? *scratch : local;
    vectorTileRecords(tile, placement, mapping, records);
    if (!records.ok) {
        S_TileBuild refused;
        refused.error = "vector tile refused at byte " + std::to_string(records.errorOffset) +
                        ": " + records.error;
        return refused;
    }
    return maker.buildTile(records.records, records.recordCount, records.requests, flags, target);
}

const C_Tile* makeVectorTile(C_Meshory& maker, std::span<const uint8_t> tile,
                             const S_TilePlacement& placement, const C_VectorTileMapping& mapping,
                             uint32_t flags, S_TileBuild* result, S_VectorTileRecords* scratch,
                             size_t maxFloats) {
    S_VectorTileRecords local;
    S_VectorTileRecords& records = scratch ? *scratch : local;
    vectorTileRecords(tile, placement, mapping, records);
    if (!records.ok) {
        if (result) {
            result->ok = false;
            result->error = "vector tile refused at byte " + std::to_string(records.errorOffset) +
                            ": " + records.error;
        }
        return nullptr;
    }
    return maker.makeTile(records.records, records.recordCount, records.requests, flags, result,
                          maxFloats);
}

}  // namespace quorvan::vectortile
