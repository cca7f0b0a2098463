#include "vectortile/reader.h"

#include <charconv>
#include <cstring>
#include <new>

#include <protozero/exception.hpp>
#include <protozero/pbf_reader.hpp>

namespace quorvan::vectortile {

namespace {

using protozero::pbf_wire_type;

// Thrown inside the reader only, and caught at its door.
struct Refusal {
    std::string what;
    uint64_t offset;
};

// A message and where it starts in the tile, so that every refusal can say
// where it was found.
class Message {
public:
    // `lastField` receives the offset of every field any message of the
    // tile starts to read: where protozero gave up, when it throws.
    Message(const char* tileStart, protozero::data_view view, uint64_t* lastField)
        : start_(tileStart), view_(view), reader_(view), last_(lastField) {}

    bool next() {
        field_ = here();
        *last_ = field_;
        return reader_.next();
    }
    Message sub() { return Message(start_, reader_.get_view(), last_); }
    uint32_t tag() const { return reader_.tag(); }
    // Offset of the field next() found.
    uint64_t field() const { return field_; }
    uint64_t here() const {
        return static_cast<uint64_t>(view_.data() - start_) + view_.size() - reader_.length();
    }

    // The field's wire type must be `type`: a known field number with
    // another type is a malformed tile, not a field to skip.
    void expect(pbf_wire_type type, const char* what) {
        if (reader_.wire_type() != type) {
            throw Refusal{std::string(what) + " has the wrong wire type", field_};
        }
    }
    protozero::pbf_reader& reader() { return reader_; }

private:
    const char* start_;
    protozero::data_view view_;
    protozero::pbf_reader reader_;
    uint64_t field_ = 0;
    uint64_t* last_;
};

S_Value readValue(Message& m) {
    S_Value v;
    auto& r = m.reader();
    while (m.next()) {
        switch (m.tag()) {
            case 1: {
                m.expect(pbf_wire_type::length_delimited, "string value");
                v.kind = S_Value::Kind::STRING;
                const auto view = r.get_view();
                v.text = std::string_view(view.data(), view.size());
                break;
            }
            case 2:
                m.expect(pbf_wire_type::fixed32, "float value");
                v.kind = S_Value::Kind::FLOAT;
                v.number = r.get_float();
                break;
            case 3:
                m.expect(pbf_wire_type::fixed64, "double value");
                v.kind = S_Value::Kind::DOUBLE;
                v.number = r.get_double();
                break;
            case 4:
            case 6:
                m.expect(pbf_wire_type::varint, "integer value");
                v.kind = S_Value::Kind::INT;
                v.integer = m.tag() == 4 ? r.get_int64() : r.get_sint64();
                v.number = static_cast<double>(v.integer);
                break;
            case 5:
                m.expect(pbf_wire_type::varint, "unsigned value");
                v.kind = S_Value::Kind::UINT;
                v.unsignedInteger = r.get_uint64();
                v.number = static_cast<double>(v.unsignedInteger);
                break;
            case 7:
                m.expect(pbf_wire_type::varint, "bool value");
                v.kind = S_Value::Kind::BOOL;
                v.flag = r.get_uint64() != 0;
                v.number = v.flag ? 1.0 : 0.0;
                break;
            default:
                r.skip();
        }
    }
    return v;
}

// Reads a packed uint32 field into `out`; the list grows with the bytes.
void readPacked(Message& m, std::vector<uint32_t>& out, const char* what) {
    m.expect(pbf_wire_type::length_delimited, what);
    for (uint32_t value : m.reader().get_packed_uint32()) out.push_back(value);
}

int64_t zigzag(uint32_t v) {
    return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
}

// Decodes the command stream of one feature into the layer's parts.
void decodeGeometry(const std::vector<uint32_t>& commands, uint64_t offset, S_Layer& layer,
                    S_Feature& feature) {
    feature.firstPart = static_cast<uint32_t>(layer.partEnds.size());
    S_TilePoint cursor;
    bool open = false;  // a part has been started
    size_t partStart = layer.points.size();
    const auto endPart = [&] {
        if (open) layer.partEnds.push_back(static_cast<uint32_t>(layer.points.size()));
    };
    size_t i = 0;
    while (i < commands.size()) {
        const uint32_t command = commands[i] & 7;
        const uint32_t count = commands[i] >> 3;
        ++i;
        if (command == 1 || command == 2) {
            if (count > (commands.size() - i) / 2) {
                throw Refusal{"geometry command " + std::to_string(command) + " with " +
                                  std::to_string(count) + " points runs past the geometry",
                              offset};
            }
            if (command == 2 && !open) throw Refusal{"LineTo before any MoveTo", offset};
            for (uint32_t k = 0; k < count; ++k, i += 2) {
                cursor.x += zigzag(commands[i]);
                cursor.y += zigzag(commands[i + 1]);
                if (command == 1) {
                    endPart();
                    open = true;
                    partStart = layer.points.size();
                }
                layer.points.push_back(cursor);
            }
        } else if (command == 7) {
            if (count != 1) throw Refusal{"ClosePath with a count other than 1", offset};
            if (!open) throw Refusal{"ClosePath before any MoveTo", offset};
            layer.points.push_back(layer.points[partStart]);
        } else {
            throw Refusal{"unknown geometry command " + std::to_string(command), offset};
        }
    }
    endPart();
    feature.partCount = static_cast<uint32_t>(layer.partEnds.size()) - feature.firstPart;
}

struct PendingTags {
    uint32_t feature;
    uint64_t offset;
};

S_Feature readFeature(Message& m, S_Layer& layer, std::vector<uint32_t>& scratch,
                      std::vector<PendingTags>& tagOffsets) {
    S_Feature f;
    f.firstTag = static_cast<uint32_t>(layer.tags.size());
    auto& r = m.reader();
    bool haveGeometry = false;
    while (m.next()) {
        switch (m.tag()) {
            case 1:
                m.expect(pbf_wire_type::varint, "feature id");
                f.id = r.get_uint64();
                break;
            case 2: {
                const uint64_t at = m.field();
                const size_t before = layer.tags.size();
                readPacked(m, layer.tags, "feature tags");
                if ((layer.tags.size() - before) % 2 != 0) {
                    throw Refusal{"feature tags of odd length", at};
                }
                tagOffsets.push_back({static_cast<uint32_t>(layer.features.size()), at});
                break;
            }
            case 3: {
                m.expect(pbf_wire_type::varint, "feature type");
                const uint32_t type = r.get_enum();
                f.type = type <= 3 ? static_cast<GeomType>(type) : GeomType::UNKNOWN;
                break;
            }
            case 4: {
                if (haveGeometry) throw Refusal{"feature with two geometries", m.field()};
                haveGeometry = true;
                const uint64_t at = m.field();
                scratch.clear();
                readPacked(m, scratch, "feature geometry");
                decodeGeometry(scratch, at, layer, f);
                break;
            }
            default:
                r.skip();
        }
    }
    f.tagCount = static_cast<uint32_t>(layer.tags.size() - f.firstTag) / 2;
    if (!haveGeometry) f.firstPart = static_cast<uint32_t>(layer.partEnds.size());
    return f;
}

S_Layer readLayer(Message& m, uint64_t layerOffset) {
    S_Layer layer;
    auto& r = m.reader();
    bool named = false;
    std::vector<uint32_t> scratch;
    std::vector<PendingTags> tagOffsets;
    while (m.next()) {
        switch (m.tag()) {
            case 15:
                m.expect(pbf_wire_type::varint, "layer version");
                layer.version = r.get_uint32();
                if (layer.version < 1 || layer.version > 2) {
                    throw Refusal{"layer version " + std::to_string(layer.version), m.field()};
                }
                break;
            case 1: {
                m.expect(pbf_wire_type::length_delimited, "layer name");
                const auto view = r.get_view();
                layer.name = std::string_view(view.data(), view.size());
                named = true;
                break;
            }
            case 2: {
                m.expect(pbf_wire_type::length_delimited, "feature");
                Message feature = m.sub();
                layer.features.push_back(readFeature(feature, layer, scratch, tagOffsets));
                break;
            }
            case 3: {
                m.expect(pbf_wire_type::length_delimited, "key");
                const auto view = r.get_view();
                layer.keys.emplace_back(view.data(), view.size());
                break;
            }
            case 4: {
                m.expect(pbf_wire_type::length_delimited, "value");
                Message value = m.sub();
                layer.values.push_back(readValue(value));
                break;
            }
            case 5:
                m.expect(pbf_wire_type::varint, "layer extent");
                layer.extent = r.get_uint32();
                if (layer.extent == 0) throw Refusal{"layer extent 0", m.field()};
                break;
            default:
                r.skip();
        }
    }
    if (!named) throw Refusal{"layer without name", layerOffset};
    // Keys and values may follow the features that name them.
    for (const PendingTags& pending : tagOffsets) {
        const S_Feature& f = layer.features[pending.feature];
        for (uint32_t t = 0; t < f.tagCount; ++t) {
            if (layer.tags[f.firstTag + 2 * t] >= layer.keys.size() ||
                layer.tags[f.firstTag + 2 * t + 1] >= layer.values.size()) {
                throw Refusal{"tag names a key or value past the layer's tables", pending.offset};
            }
        }
    }
    return layer;
}

}  // namespace

std::string S_Value::toText() const {
    char buffer[32];
    std::to_chars_result r{buffer, {}};
    switch (kind) {
        case Kind::STRING:
            return std::string(text);
        case Kind::BOOL:
            return flag ? "true" : "false";
        case Kind::INT:
            r = std::to_chars(buffer, buffer + sizeof buffer, integer);
            break;
        case Kind::UINT:
            r = std::to_chars(buffer, buffer + sizeof buffer, unsignedInteger);
            break;
        case Kind::FLOAT:
        case Kind::DOUBLE:
            r = std::to_chars(buffer, buffer + sizeof buffer, number);
            break;
        case Kind::NONE:
            return {};
    }
    return std::string(buffer, r.ptr);
}

std::span<const S_TilePoint> S_Layer::part(uint32_t p) const {
    const uint32_t begin = p == 0 ? 0 : partEnds[p - 1];
    return std::span<const S_TilePoint>(points).subspan(begin, partEnds[p] - begin);
}

const S_Value* S_Layer::find(const S_Feature& feature, std::string_view key) const {
    for (uint32_t t = 0; t < feature.tagCount; ++t) {
        if (keys[tags[feature.firstTag + 2 * t]] == key) {
            return &values[tags[feature.firstTag + 2 * t + 1]];
        }
    }
    return nullptr;
}

const S_Layer* S_VectorTile::layer(std::string_view name) const {
    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
        if (it->name == name) return &*it;
    }
    return nullptr;
}

S_VectorTile readVectorTile(std::span<const uint8_t> bytes) {
    S_VectorTile tile;
    const char* start = reinterpret_cast<const char*>(bytes.data());
    uint64_t lastField = 0;
    Message message(start, protozero::data_view(start, bytes.size()), &lastField);
    try {
        while (message.next()) {
            if (message.tag() != 3) {
                message.reader().skip();
                continue;
            }
            message.expect(pbf_wire_type::length_delimited, "layer");
            const uint64_t at = message.field();
            Message layer = message.sub();
            tile.layers.push_back(readLayer(layer, at));
        }
        tile.ok = true;
        return tile;
    } catch (const Refusal& refusal) {
        tile.error = refusal.what;
        tile.errorOffset = refusal.offset;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const protozero::exception& e) {
        // protozero stops at the field whose bytes it could not read; the
        // innermost message that was reading knows where that field began.
        tile.error = std::string("malformed protobuf: ") + e.what();
        tile.errorOffset = lastField;
    }
    tile.layers.clear();
    return tile;
}

}  // namespace quorvan::vectortile
