#pragma once

// The storage of models a maker has released, kept for its next requests.
// Internal to the model maker.
//
// A host builds a model, reads it and releases it before the next request,
// for as long as it runs. Without reuse, every large request takes fresh
// pages from the kernel (the allocator returns large freed blocks to it),
// and on a virtual machine a page fault costs microseconds: a request of
// 10,000 buildings then costs twenty times the linear price. Kept here, a
// released model's lists are cleared, not freed, and the next request
// appends into storage that is already mapped.
//
// Bounded: the kept storage never exceeds the budget (a model larger than
// the budget is freed at once), and everything kept is freed with the pool.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/glmodel.h"

namespace quorvan::builders {

class ModelPool {
public:
    // 64 MiB: a request of 10,000 buildings with walls (about 26 MB of
    // triangles and normals) is served from kept storage, and a host with a
    // maker per thread keeps at most this much per thread.
    static constexpr size_t kDefaultBudget = size_t(64) << 20;

    ModelPool() = default;
    ModelPool(const ModelPool&) = delete;
    ModelPool& operator=(const ModelPool&) = delete;

    // A new model (equal to a default S_Model) whose lists sit in the kept
    // storage that best fits `wantedBytes` (the smallest that holds them,
    // else the largest kept). The model object itself is always new: the
    // pool keeps storage, never models, so it never hands out the address
    // of a model it was given back, and a stale handle cannot name the
    // next request's model through it.
    std::unique_ptr<S_Model> take(size_t wantedBytes);

    // Keeps the model's storage within the budget and frees the model.
    // Takes ownership; never throws.
    void give(std::unique_ptr<S_Model> model) noexcept;

    // Frees kept storage until it fits the new budget. 0 keeps nothing.
    void setBudget(size_t bytes) noexcept;
    size_t budget() const { return budget_; }
    size_t keptBytes() const { return keptBytes_; }

    // Bytes of storage a model holds in its lists and label, whatever their
    // content.
    static size_t storageBytes(const S_Model& model);

    // Makes `model` equal to a default S_Model while its lists and label
    // keep their storage: for a builder of many requests in one model.
    static void clearKeepingStorage(S_Model& model) noexcept;

private:
    // The lists of a released model, emptied.
    struct Storage {
        std::vector<glm::vec3> polygonVertices;
        std::vector<glm::vec3> polygonNormals;
        std::vector<glm::vec3> lineVertices;
        std::vector<glm::vec2> paths;
        std::vector<glm::vec2> points;
        std::string label;

        void clear() noexcept {
            polygonVertices.clear();
            polygonNormals.clear();
            lineVertices.clear();
            paths.clear();
            points.clear();
            label.clear();
        }
    };

    // Swaps every list of `m` with its slot in `s`.
    static void exchange(Storage& s, S_Model& m) noexcept;
    void trimTo(size_t bytes) noexcept;

    std::multimap<size_t, Storage> kept;  // by storageBytes
    size_t budget_ = kDefaultBudget;
    size_t keptBytes_ = 0;
};

}  // namespace quorvan::builders
