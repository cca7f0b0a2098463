#include "model/model_pool.h"

#include <iterator>
#include <utility>

namespace quorvan::builders {

namespace {

template <typename T>
size_t capacityBytes(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

}  // namespace

size_t ModelPool::storageBytes(const S_Model& m) {
    return capacityBytes(m.polygons.vertices) + capacityBytes(m.polygons.normals) +
           capacityBytes(m.lines.vertices) + capacityBytes(m.paths) + capacityBytes(m.points) +
           m.label.capacity();
}

void ModelPool::exchange(Storage& s, S_Model& m) noexcept {
    s.polygonVertices.swap(m.polygons.vertices);
    s.polygonNormals.swap(m.polygons.normals);
    s.lineVertices.swap(m.lines.vertices);
    s.paths.swap(m.paths);
    s.points.swap(m.points);
    s.label.swap(m.label);
}

void ModelPool::clearKeepingStorage(S_Model& m) noexcept {
    Storage s;
    exchange(s, m);
    s.clear();
    // The segment maps hold a node per entry, nothing worth keeping.
    m = S_Model();
    exchange(s, m);
}

std::unique_ptr<S_Model> ModelPool::take(size_t wantedBytes) {
    auto model = std::make_unique<S_Model>();
    if (kept.empty()) return model;
    auto it = kept.lower_bound(wantedBytes);
    if (it == kept.end()) it = std::prev(it);
    exchange(it->second, *model);
    keptBytes_ -= it->first;
    kept.erase(it);
    return model;
}

void ModelPool::give(std::unique_ptr<S_Model> model) noexcept {
    if (!model) return;
    const size_t bytes = storageBytes(*model);
    if (bytes > budget_) return;  // freed here
    // Room for it: kept storage goes largest first, the least likely to
    // fit a typical request.
    trimTo(budget_ - bytes);
    try {
        Storage& s = kept.emplace(bytes, Storage())->second;
        exchange(s, *model);
        s.clear();
        keptBytes_ += bytes;
    } catch (...) {
        // No node for it: the storage goes with the model, which is always correct.
    }
}

void ModelPool::setBudget(size_t bytes) noexcept {
    budget_ = bytes;
    trimTo(bytes);
}

void ModelPool::trimTo(size_t bytes) noexcept {
    while (keptBytes_ > bytes && !kept.empty()) {
        auto largest = std::prev(kept.end());
        keptBytes_ -= largest->first;
        kept.erase(largest);
    }
}

}  // namespace quorvan::builders
