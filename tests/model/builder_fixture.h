#pragma once

// Builds models through the maker's geometry-type table, for builder tests.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

#include "model/meshory.h"
#include "support/payload_writer.h"

namespace meshory_test {

using V3 = std::vector<glm::vec3>;
using Blobs = std::vector<std::pair<int32_t, Bytes>>;

// A registered type always builds a model, whatever its bytes.
inline const quorvan::S_Model& build(quorvan::C_Meshory& maker, const Blobs& blobs,
                                     glm::vec3 origin = {},
                                     const quorvan::LoadFilter& filter = {}) {
    std::vector<quorvan::S_BlobData> list;
    for (const auto& [type, payload] : blobs) list.emplace_back(7, type, 3, 0, payload);
    const quorvan::S_Model* model = maker.makeModel(list, origin, filter);
    if (!model) throw std::runtime_error("no model built");
    return *model;
}

inline bool allFinite(const V3& v) {
    for (const auto& p : v) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    }
    return true;
}

}  // namespace meshory_test
