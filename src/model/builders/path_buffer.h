#pragma once

// The merged transport path of one model request, in a form that grows at
// both ends in amortised constant time per point: railways, roads and
// bridges that arrive against the direction of travel join the path at its
// front, and a plain vector would shift the whole path at every such blob.
// Internal to the model maker.
//
//   store: [ front room ........ | p0 p1 ... pn-1 ]
//                                ^ head            ^ store.size()

#include <algorithm>
#include <span>
#include <vector>

#include <glm/vec2.hpp>

namespace quorvan {

class PathBuffer {
public:
    PathBuffer() = default;
    // Takes over `points` as the path, without copying.
    explicit PathBuffer(std::vector<glm::vec2>&& points) : store(std::move(points)) {}

    bool empty() const { return head == store.size(); }
    size_t size() const { return store.size() - head; }
    const glm::vec2& front() const { return store[head]; }
    const glm::vec2& back() const { return store.back(); }
    std::span<const glm::vec2> points() const { return {store.data() + head, size()}; }

    void assign(const std::vector<glm::vec2>& line) {
        store.assign(line.begin(), line.end());
        head = 0;
    }
    // Both pops need a path that is not empty.
    void popFront() { ++head; }
    void popBack() { store.pop_back(); }
    void append(const std::vector<glm::vec2>& line) {
        store.insert(store.end(), line.begin(), line.end());
    }

    void prepend(const std::vector<glm::vec2>& line) {
        if (line.size() > head) {
            // New front room at least as large as the path, so that the
            // copy is paid for by as many later front points.
            const size_t room = line.size() + std::max<size_t>(size(), 16);
            std::vector<glm::vec2> grown;
            grown.reserve(room + size());
            grown.resize(room);
            grown.insert(grown.end(), store.begin() + static_cast<std::ptrdiff_t>(head),
                         store.end());
            store.swap(grown);
            head = room;
        }
        head -= line.size();
        std::copy(line.begin(), line.end(), store.begin() + static_cast<std::ptrdiff_t>(head));
    }

    // Hands the path back as a plain vector and leaves the buffer empty.
    // Shifts the points over the front room in place: no allocation, so it
    // cannot fail.
    std::vector<glm::vec2> release() noexcept {
        store.erase(store.begin(), store.begin() + static_cast<std::ptrdiff_t>(head));
        head = 0;
        return std::move(store);
    }

private:
    std::vector<glm::vec2> store;
    size_t head = 0;
};

}  // namespace quorvan
