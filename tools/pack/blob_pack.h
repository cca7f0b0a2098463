#pragma once

// Blob packs: a grid set-up and a sequence of model requests in one file, the
// input of meshory-inspect (layout in docs/blob-pack.md). Tool code, not part
// of the library's interface.
//
// readBlobPack takes untrusted bytes. A request's blobs are laid out as the
// library's blob records, so the library reads them (scanBlobRecords); the
// pack's own fields go through the library's bounds-checked cursor. Every
// count is capped by the bytes that remain before anything is allocated. On
// a truncated or corrupt pack it returns false with an error that names the
// byte offset; `out` is then unspecified. writeBlobPack writes what
// readBlobPack reads back unchanged.

#include <meshory/grid/grid.h>
#include <meshory/model/glmodel.h>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvan::pack {

inline constexpr char kMagic[8] = {'M', 'S', 'H', 'Y', 'P', 'A', 'C', 'K'};
inline constexpr uint16_t kVersion = 1;
// Smallest encoded sizes, which bound each count by the bytes that remain
// (scanBlobRecords bounds the blob count by the blob header, 24 bytes).
inline constexpr uint64_t kMinLayerNameSize = 6;
inline constexpr uint64_t kMinRequestSize = 20;
// Rows and columns are 16-bit fields of the cell index.
inline constexpr int32_t kMaxGridCells = 65536;

struct PackGrid {
    int32_t cellsInRow = 0;  // 0 in both counts: the pack sets up no grid
    int32_t cellsInCol = 0;
    Bounds bounds;
};

struct PackRequest {
    double x = 0.0;  // origin; the library gets (x, y, 0) as floats
    double y = 0.0;
    std::vector<S_BlobData> blobs;
    uint64_t offset = 0;  // where the request starts in the pack, set by the reader
};

struct BlobPack {
    PackGrid grid;
    std::map<int32_t, std::string> layerNames;
    std::vector<PackRequest> requests;
};

struct PackError {
    enum class Kind { None, Io, NotAPack, Unsupported, Truncated, Corrupt };
    Kind kind = Kind::None;
    uint64_t offset = 0;  // where reading stopped
    std::string message;  // one line, names the offset
};

bool readBlobPack(const uint8_t* data, uint64_t size, BlobPack& out, PackError& error);
bool readBlobPack(const std::vector<uint8_t>& bytes, BlobPack& out, PackError& error);
// Reads the whole file, then readBlobPack; a missing or unreadable file is Kind::Io.
bool readBlobPackFile(const std::string& path, BlobPack& out, PackError& error);

// Throws std::length_error when a count or payload does not fit its u32
// field, and std::invalid_argument for a layer name longer than 65535 bytes.
std::vector<uint8_t> writeBlobPack(const BlobPack& pack);
// Throws std::runtime_error when the file cannot be written.
void writeBlobPackFile(const std::string& path, const BlobPack& pack);

}  // namespace quorvan::pack
