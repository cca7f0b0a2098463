#pragma once

// The hidden state that links the railway, road and bridge blobs of one
// model request. Internal to the model maker.
//
// Each of these blobs extends the model's one merged path and the model's
// output is regenerated from the whole path (the line list for railways and
// roads, the polygon bands for a bridge). Regenerating at every blob would
// make a request of N such blobs cost O(N^2), so the regeneration is kept
// pending and runs once, before anything else can see the list it writes:
// when a blob of the other transport kind comes, when `flush()` is called
// (the maker calls it before every builder that reads or writes the lines or
// polygons), and in `finish()`. Since the regeneration depends only on the
// path and, for a bridge, on the last bridge's width, running it once gives
// exactly what running it at every blob left behind.
//
// During the request the path lives in a PathBuffer, which grows at both
// ends cheaply; `finish()` writes it back to S_Model::paths. Nothing but
// these builders reads `paths` in between.

#include <cstdint>
#include <span>

#include "model/builders/blob_view.h"
#include "model/builders/path_buffer.h"
#include "model/glmodel.h"

namespace quorvan::builders {

// What a geometry type is to the transport state of a request (one column
// of the maker's geometry-type table).
enum class TransportRole : uint8_t {
    // Reads or writes the lines or polygons: a pending regeneration runs first.
    Flushes,
    // Touches neither lines, polygons nor the path: a pending regeneration
    // may stay pending across it.
    Independent,
    // Extends the merged path, built by TransportRequest.
    Railway,
    Road,
    Bridge,
};

inline bool extendsPath(TransportRole role) {
    return role >= TransportRole::Railway;
}

class TransportRequest {
public:
    // Takes over the model's path until finish() (or destruction).
    explicit TransportRequest(S_Model& model);
    ~TransportRequest();
    TransportRequest(const TransportRequest&) = delete;
    TransportRequest& operator=(const TransportRequest&) = delete;

    // One blob of a type whose role extends the path.
    void build(TransportRole role, const BlobView& blob, const RequestContext& request);
    // Runs the pending regeneration, if any.
    void flush();
    // flush(), then the path goes back to the model.
    void finish();

private:
    enum class Pending { None, PathLines, BridgeBands };

    S_Model& model;
    PathBuffer path;
    Pending pending = Pending::None;
    float bridgeOffset = 0.0f;
    bool finished = false;
};

}  // namespace quorvan::builders
