#include "model/model_pool.h"

#include <iterator>
#include <utility>

namespace quorvan::builders {

namespace {

template <typename T>
size_t capacityBytes(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

// Makes `m` equal to a new S_Model while its lists and label keep their
// storage. The segment maps hold a node per entry, nothing worth keeping.
void resetKeepingStorage(S_Model& m) {
    S_Model fresh;
    m.polygons.vertices.clear();
    m.polygons.normals.clear();
    m.lines.vertices.clear();
    m.paths.clear();
    m.points.clear();
    m.label.clear();
    fresh.polygons.vertices.swap(m.polygons.vertices);
    fresh.polygons.normals.swap(m.polygons.normals);
    fresh.lines.vertices.swap(m.lines.vertices);
    fresh.paths.swap(m.paths);
    fresh.points.swap(m.points);
    fresh.label.swap(m.label);
    m = std::move(fresh);
}

}  // namespace

size_t ModelPool::storageBytes(const S_Model& m) {
    return capacityBytes(m.polygons.vertices) + capacityBytes(m.polygons.normals) +
           capacityBytes(m.lines.vertices) + capacityBytes(m.paths) + capacityBytes(m.points) +
           m.label.capacity();
}

std::unique_ptr<S_Model> ModelPool::take(size_t wantedBytes) {
    if (kept.empty()) return std::make_unique<S_Model>();
    auto it = kept.lower_bound(wantedBytes);
    if (it == kept.end()) it = std::prev(it);
    std::unique_ptr<S_Model> model = std::move(it->second);
    keptBytes_ -= it->first;
    kept.erase(it);
    return model;
}

void ModelPool::give(std::unique_ptr<S_Model> model) noexcept {
    if (!model) return;
    const size_t bytes = storageBytes(*model);
    if (bytes > budget_) return;  // freed here
    resetKeepingStorage(*model);
    // Room for it: kept storage goes largest first, the least likely to
    // fit a typical request.
    trimTo(budget_ - bytes);
    try {
        kept.emplace(bytes, std::move(model));
        keptBytes_ += bytes;
    } catch (...) {
        // No node for it: the model is freed, which is always correct.
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
