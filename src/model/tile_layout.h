#pragma once

// A tile's tables as one block of bytes that a host reads in place: the
// head, the buckets, the models and the models' label texts, at the offsets
// that src/model/tile_layout.fields declares (the Java readers take theirs
// from the same file). A C_Tile lays its block out when it is built and
// keeps it (C_Tile::layout()), so a JVM host reads it through a direct
// buffer over the tile's own memory: nothing per model crosses to the Java
// heap.

#include <cstddef>
#include <vector>

#include <meshory/export.h>

namespace quorvan {

class C_Tile;

// Replaces `out` with the tile's block (its storage is kept). Label texts
// are UTF-16 code units, each model's up to its first NUL byte and with
// ill-formed UTF-8 as U+FFFD, exactly as the JVM's Model.label() gives it.
// Throws std::length_error past 2^31 - 1 bytes, which no Java buffer holds.
MESHORY_API void writeTileLayout(const C_Tile& tile, std::vector<std::byte>& out);

}  // namespace quorvan
