#pragma once

// Blob records as a host stores a tile's geometry in one block of bytes:
// per record, little-endian and unpadded,
//
//   u64 id | i32 type | i32 layer id | i32 cell index | u32 P | P payload bytes
//
// (24 + P bytes; the blob layout of blob packs). The host bridge creates the
// blobs of many records in one call from such a block.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <meshory/export.h>
#include <meshory/model/glmodel.h>

namespace quorvan {

// Where one record's fields and payload lie in the block.
struct S_BlobRecord {
    uint64_t id = 0;
    int32_t type = 0;
    int32_t layerId = 0;
    int32_t cellIndex = 0;
    uint64_t payloadOffset = 0;  // from the start of the block
    uint32_t payloadSize = 0;
};

// The outcome of reading a block: every record, or what is wrong and where.
struct S_BlobRecordScan {
    std::vector<S_BlobRecord> records;
    uint64_t bytesRead = 0;  // the records end here; bytes after them are not looked at
    bool ok = false;
    std::string error;  // ASCII, names the record and its byte offset when !ok
};

// Reads exactly `count` records from the front of `bytes`. Fails, with no
// records, when count is negative or when a record runs past the end. Every
// record is checked before anything is allocated; then the list takes room
// for the records and nothing more.
MESHORY_API S_BlobRecordScan scanBlobRecords(std::span<const uint8_t> bytes, int64_t count);

// The blobs of scanned records, payloads copied from `bytes` (the block the
// scan read). All or nothing: an allocation failure frees what was made and
// rethrows.
MESHORY_API std::vector<std::unique_ptr<S_BlobData>> makeBlobs(
    std::span<const uint8_t> bytes, const std::vector<S_BlobRecord>& records);

}  // namespace quorvan
