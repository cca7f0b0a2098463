#include "model/blob_records.h"

#include "model/decode/byte_reader.h"

namespace quorvan {

namespace {

constexpr uint64_t kRecordHeader = 24;

S_BlobRecordScan failure(std::string what) {
    S_BlobRecordScan scan;
    scan.error = std::move(what);
    return scan;
}

// Reads the record at the cursor and moves past it; false, with what is
// wrong and where, when it runs past the end.
bool readRecord(ByteReader& in, int64_t i, S_BlobRecord& r, std::string& error) {
    const uint64_t at = in.position();
    if (!in.read(r.id) || !in.read(r.type) || !in.read(r.layerId) || !in.read(r.cellIndex) ||
        !in.read(r.payloadSize)) {
        error = "record " + std::to_string(i) + " at byte " + std::to_string(at) +
                ": header cut off by the end of the bytes";
        return false;
    }
    r.payloadOffset = in.position();
    if (!in.skip(r.payloadSize)) {
        error = "record " + std::to_string(i) + " at byte " + std::to_string(at) + ": payload of " +
                std::to_string(r.payloadSize) + " bytes runs past the end (" +
                std::to_string(in.remaining()) + " bytes left)";
        return false;
    }
    return true;
}

}  // namespace

S_BlobRecordScan scanBlobRecords(std::span<const uint8_t> bytes, int64_t count) {
    if (count < 0) return failure("negative record count " + std::to_string(count));
    ByteReader in(bytes.data(), bytes.size());
    // Every record takes at least its header: a count beyond that cannot be
    // right, and must not size an allocation.
    if (static_cast<uint64_t>(count) > in.remaining() / kRecordHeader) {
        return failure(std::to_string(count) + " records claimed, but " +
                       std::to_string(in.remaining()) + " bytes hold at most " +
                       std::to_string(in.remaining() / kRecordHeader));
    }
    // Two passes: the first walks the records and allocates nothing, so
    // that a block that fails anywhere costs no list of what came before;
    // the second keeps what the first found sound. The bytes are the
    // caller's and may change in between (a Java thread writing into a
    // direct buffer), so the second pass checks every bound again.
    S_BlobRecord r;
    std::string error;
    for (int64_t i = 0; i < count; ++i) {
        if (!readRecord(in, i, r, error)) return failure(std::move(error));
    }
    S_BlobRecordScan scan;
    scan.records.reserve(static_cast<size_t>(count));
    ByteReader again(bytes.data(), bytes.size());
    for (int64_t i = 0; i < count; ++i) {
        if (!readRecord(again, i, r, error)) return failure(std::move(error));
        scan.records.push_back(r);
    }
    scan.bytesRead = again.position();
    scan.ok = true;
    return scan;
}

std::vector<std::unique_ptr<S_BlobData>> makeBlobs(std::span<const uint8_t> bytes,
                                                   const std::vector<S_BlobRecord>& records) {
    std::vector<std::unique_ptr<S_BlobData>> blobs;
    blobs.reserve(records.size());
    for (const S_BlobRecord& r : records) {
        auto blob = std::make_unique<S_BlobData>(r.id, r.type, r.layerId, r.cellIndex,
                                                 std::vector<uint8_t>());
        const auto payload = bytes.subspan(static_cast<size_t>(r.payloadOffset), r.payloadSize);
        blob->data.assign(payload.begin(), payload.end());
        blobs.push_back(std::move(blob));
    }
    return blobs;
}

}  // namespace quorvan
