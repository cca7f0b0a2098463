#include "pack/blob_pack.h"

#include <meshory/model/blob_records.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <span>
#include <utility>

#include "model/decode/byte_reader.h"

namespace quorvan::pack {

namespace {

// Reading state: the one cursor every field goes through, and the first
// failure, which stops the read.
class PackReader {
public:
    PackReader(const uint8_t* data, uint64_t size, PackError& error)
        : base_(data), in_(data, size), error_(error) {}

    template <typename T>
    bool field(T& out, const char* what) {
        if (in_.read(out)) return true;
        return fail(PackError::Kind::Truncated, in_.position(),
                    std::string("truncated pack: ") + what + " needs " + std::to_string(sizeof(T)) +
                        " bytes, " + std::to_string(in_.remaining()) + " remain");
    }

    bool finite(double value, uint64_t at, const char* what) {
        if (std::isfinite(value)) return true;
        return fail(PackError::Kind::Corrupt, at,
                    std::string("corrupt pack: ") + what + " is not a finite number");
    }

    // A count read from the data is believed only when the bytes that remain
    // can hold that many entries of their smallest size; this check comes
    // before any allocation sized from the count.
    bool count(uint32_t& out, uint64_t minEntrySize, const char* what) {
        const uint64_t at = in_.position();
        if (!field(out, what)) return false;
        if (out <= in_.remaining() / minEntrySize) return true;
        return fail(PackError::Kind::Truncated, at,
                    std::string("truncated or corrupt pack: ") + std::to_string(out) + " " + what +
                        " need at least " + std::to_string(out * minEntrySize) + " bytes, " +
                        std::to_string(in_.remaining()) + " remain");
    }

    bool text(uint64_t n, std::string& out, const char* what) {
        const uint64_t at = in_.position();
        if (in_.readString(n, out)) return true;
        return fail(PackError::Kind::Truncated, at,
                    std::string("truncated pack: ") + what + " of " + std::to_string(n) +
                        " bytes, " + std::to_string(in_.remaining()) + " remain");
    }

    bool fail(PackError::Kind kind, uint64_t at, const std::string& message) {
        error_.kind = kind;
        error_.offset = at;
        error_.message = message + " (at byte " + std::to_string(at) + ")";
        return false;
    }

    ByteReader& cursor() { return in_; }
    // The bytes from the cursor to the end.
    std::span<const uint8_t> rest() const {
        return {base_ + in_.position(), static_cast<size_t>(in_.remaining())};
    }

private:
    const uint8_t* base_;
    ByteReader in_;
    PackError& error_;
};

bool readHeader(PackReader& r, PackGrid& grid) {
    ByteReader& in = r.cursor();
    char magic[sizeof(kMagic)];
    for (char& c : magic) {
        uint8_t b = 0;
        if (!in.read(b)) {
            return r.fail(PackError::Kind::NotAPack, in.position(),
                          "not a blob pack: shorter than its magic");
        }
        c = static_cast<char>(b);
    }
    if (std::memcmp(magic, kMagic, sizeof(kMagic)) != 0) {
        return r.fail(PackError::Kind::NotAPack, 0, "not a blob pack: wrong magic");
    }
    uint16_t version = 0;
    uint16_t flags = 0;
    if (!r.field(version, "version") || !r.field(flags, "flags")) return false;
    if (version != kVersion) {
        return r.fail(PackError::Kind::Unsupported, 8,
                      "unsupported blob pack version " + std::to_string(version) +
                          " (this reader knows " + std::to_string(kVersion) + ")");
    }
    if (flags != 0) {
        return r.fail(PackError::Kind::Unsupported, 10,
                      "unsupported blob pack flags " + std::to_string(flags));
    }

    const uint64_t gridAt = in.position();
    if (!r.field(grid.cellsInRow, "grid cells in a row") ||
        !r.field(grid.cellsInCol, "grid cells in a column")) {
        return false;
    }
    for (int32_t n : {grid.cellsInRow, grid.cellsInCol}) {
        if (n < 0 || n > kMaxGridCells) {
            return r.fail(PackError::Kind::Corrupt, gridAt,
                          "corrupt pack: grid count " + std::to_string(n) + " outside 0.." +
                              std::to_string(kMaxGridCells));
        }
    }
    const uint64_t boundsAt = in.position();
    for (double* v : {&grid.bounds.x1, &grid.bounds.y1, &grid.bounds.x2, &grid.bounds.y2}) {
        const uint64_t at = in.position();
        if (!r.field(*v, "grid bounds") || !r.finite(*v, at, "a grid bound")) return false;
    }
    // Finite corners may still lie further apart than a double reaches
    // (-1e308 to 1e308): every output scaled by the extent would be NaN.
    if (!std::isfinite(grid.bounds.width()) || !std::isfinite(grid.bounds.height())) {
        return r.fail(PackError::Kind::Corrupt, boundsAt,
                      "corrupt pack: the grid's width or height is not a finite number");
    }
    return true;
}

bool readLayerNames(PackReader& r, std::map<int32_t, std::string>& names) {
    uint32_t n = 0;
    if (!r.count(n, kMinLayerNameSize, "layer names")) return false;
    for (uint32_t i = 0; i < n; ++i) {
        const uint64_t at = r.cursor().position();
        int32_t id = 0;
        uint16_t length = 0;
        std::string name;
        if (!r.field(id, "layer id") || !r.field(length, "layer name length") ||
            !r.text(length, name, "layer name")) {
            return false;
        }
        if (!names.emplace(id, std::move(name)).second) {
            return r.fail(PackError::Kind::Corrupt, at,
                          "corrupt pack: layer " + std::to_string(id) + " named twice");
        }
    }
    return true;
}

// A request's blobs are blob records as a host hands them to the library, so
// the library reads them; its messages count bytes from the first record.
bool readBlobs(PackReader& r, uint32_t count, size_t request, std::vector<S_BlobData>& blobs) {
    const uint64_t at = r.cursor().position();
    const std::span<const uint8_t> rest = r.rest();
    const S_BlobRecordScan scan = scanBlobRecords(rest, count);
    if (!scan.ok) {
        return r.fail(PackError::Kind::Truncated, at,
                      "truncated or corrupt pack: blobs of request " + std::to_string(request) +
                          ", counted from byte " + std::to_string(at) + ": " + scan.error);
    }
    blobs.reserve(scan.records.size());
    for (auto& blob : makeBlobs(rest, scan.records)) blobs.push_back(std::move(*blob));
    return r.cursor().skip(scan.bytesRead);
}

bool readRequest(PackReader& r, size_t index, PackRequest& request) {
    const uint64_t at = r.cursor().position();
    request.offset = at;
    uint32_t blobs = 0;
    if (!r.field(request.x, "request origin") || !r.field(request.y, "request origin") ||
        !r.finite(request.x, at, "a request origin") ||
        !r.finite(request.y, at + 8, "a request origin") || !r.field(blobs, "blob count")) {
        return false;
    }
    return readBlobs(r, blobs, index, request.blobs);
}

// Little-endian writer; the pack layout has no alignment.
class PackWriter {
public:
    template <typename T>
    void put(T value) {
        uint8_t raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        if constexpr (std::endian::native == std::endian::big) {
            for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(raw[i], raw[sizeof(T) - 1 - i]);
        }
        bytes.insert(bytes.end(), raw, raw + sizeof(T));
    }
    void raw(const void* data, size_t n) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
    }
    void count(size_t n, const char* what) {
        if (n > std::numeric_limits<uint32_t>::max()) {
            throw std::length_error(std::string("blob pack: too many ") + what);
        }
        put(static_cast<uint32_t>(n));
    }

    std::vector<uint8_t> bytes;
};

}  // namespace

bool readBlobPack(const uint8_t* data, uint64_t size, BlobPack& out, PackError& error) {
    error = PackError{};
    out = BlobPack{};
    PackReader r(data, size, error);
    if (!readHeader(r, out.grid) || !readLayerNames(r, out.layerNames)) return false;

    uint32_t n = 0;
    if (!r.count(n, kMinRequestSize, "requests")) return false;
    out.requests.resize(n);
    for (size_t i = 0; i < out.requests.size(); ++i) {
        if (!readRequest(r, i, out.requests[i])) return false;
    }
    if (!r.cursor().atEnd()) {
        return r.fail(PackError::Kind::Corrupt, r.cursor().position(),
                      "corrupt pack: " + std::to_string(r.cursor().remaining()) +
                          " bytes after the last request");
    }
    return true;
}

bool readBlobPack(const std::vector<uint8_t>& bytes, BlobPack& out, PackError& error) {
    return readBlobPack(bytes.data(), bytes.size(), out, error);
}

bool readBlobPackFile(const std::string& path, BlobPack& out, PackError& error) {
    error = PackError{};
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error.kind = PackError::Kind::Io;
        error.message = "cannot open: " + std::string(std::strerror(errno));
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    if (file.bad()) {
        error.kind = PackError::Kind::Io;
        error.message = "cannot read: " + std::string(std::strerror(errno));
        return false;
    }
    return readBlobPack(bytes, out, error);
}

std::vector<uint8_t> writeBlobPack(const BlobPack& pack) {
    PackWriter w;
    w.raw(kMagic, sizeof(kMagic));
    w.put(kVersion);
    w.put(uint16_t{0});
    w.put(pack.grid.cellsInRow);
    w.put(pack.grid.cellsInCol);
    w.put(pack.grid.bounds.x1);
    w.put(pack.grid.bounds.y1);
    w.put(pack.grid.bounds.x2);
    w.put(pack.grid.bounds.y2);

    w.count(pack.layerNames.size(), "layer names");
    for (const auto& [id, name] : pack.layerNames) {
        if (name.size() > std::numeric_limits<uint16_t>::max()) {
            throw std::invalid_argument("blob pack: layer name longer than 65535 bytes");
        }
        w.put(id);
        w.put(static_cast<uint16_t>(name.size()));
        w.raw(name.data(), name.size());
    }

    w.count(pack.requests.size(), "requests");
    for (const auto& request : pack.requests) {
        w.put(request.x);
        w.put(request.y);
        w.count(request.blobs.size(), "blobs in a request");
        for (const auto& blob : request.blobs) {
            w.put(blob.id);
            w.put(blob.type);
            w.put(blob.layerId);
            w.put(blob.cellIndex);
            w.count(blob.data.size(), "payload bytes");
            w.raw(blob.data.data(), blob.data.size());
        }
    }
    return std::move(w.bytes);
}

void writeBlobPackFile(const std::string& path, const BlobPack& pack) {
    const std::vector<uint8_t> bytes = writeBlobPack(pack);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace quorvan::pack
