#include "vectortile/triangulate.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

namespace quorvan::vectortile {

namespace {

struct Node {
    uint32_t i = 0;  // index into the caller's points
    double x = 0.0;
    double y = 0.0;
    Node* prev = nullptr;
    Node* next = nullptr;
    int32_t z = -1;  // z-order of the point; -1 before the index is made
    Node* prevZ = nullptr;
    Node* nextZ = nullptr;
    bool steiner = false;  // a lone point left of a hole ring: never filtered
};

// Beyond this depth of splits and retries a ring is left as it is: a
// tangle of many thousand points must not exhaust the stack.
constexpr int kMaxDepth = 500;

// Twice the signed area of p, q, r; negative for a left turn in the
// orientation the ring is linked in.
double area(const Node* p, const Node* q, const Node* r) {
    return (q->y - p->y) * (r->x - q->x) - (q->x - p->x) * (r->y - q->y);
}

bool equals(const Node* a, const Node* b) {
    return a->x == b->x && a->y == b->y;
}

bool pointInTriangle(double ax, double ay, double bx, double by, double cx, double cy, double px,
                     double py) {
    return (cx - px) * (ay - py) >= (ax - px) * (cy - py) &&
           (ax - px) * (by - py) >= (bx - px) * (ay - py) &&
           (bx - px) * (cy - py) >= (cx - px) * (by - py);
}

int sign(double v) {
    return (v > 0) - (v < 0);
}

bool onSegment(const Node* p, const Node* q, const Node* r) {
    return q->x <= std::max(p->x, r->x) && q->x >= std::min(p->x, r->x) &&
           q->y <= std::max(p->y, r->y) && q->y >= std::min(p->y, r->y);
}

bool intersects(const Node* p1, const Node* q1, const Node* p2, const Node* q2) {
    const int o1 = sign(area(p1, q1, p2));
    const int o2 = sign(area(p1, q1, q2));
    const int o3 = sign(area(p2, q2, p1));
    const int o4 = sign(area(p2, q2, q1));
    if (o1 != o2 && o3 != o4) return true;
    if (o1 == 0 && onSegment(p1, p2, q1)) return true;
    if (o2 == 0 && onSegment(p1, q2, q1)) return true;
    if (o3 == 0 && onSegment(p2, p1, q2)) return true;
    if (o4 == 0 && onSegment(p2, q1, q2)) return true;
    return false;
}

bool intersectsPolygon(const Node* a, const Node* b) {
    const Node* p = a;
    do {
        if (p->i != a->i && p->next->i != a->i && p->i != b->i && p->next->i != b->i &&
            intersects(p, p->next, a, b))
            return true;
        p = p->next;
    } while (p != a);
    return false;
}

bool locallyInside(const Node* a, const Node* b) {
    return area(a->prev, a, a->next) < 0 ? area(a, b, a->next) >= 0 && area(a, a->prev, b) >= 0
                                         : area(a, b, a->prev) < 0 || area(a, a->next, b) < 0;
}

bool middleInside(const Node* a, const Node* b) {
    const Node* p = a;
    bool inside = false;
    const double px = (a->x + b->x) / 2;
    const double py = (a->y + b->y) / 2;
    do {
        if (((p->y > py) != (p->next->y > py)) && p->next->y != p->y &&
            (px < (p->next->x - p->x) * (py - p->y) / (p->next->y - p->y) + p->x))
            inside = !inside;
        p = p->next;
    } while (p != a);
    return inside;
}

bool isValidDiagonal(const Node* a, const Node* b) {
    return a->next->i != b->i && a->prev->i != b->i && !intersectsPolygon(a, b) &&
           ((locallyInside(a, b) && locallyInside(b, a) && middleInside(a, b) &&
             (area(a->prev, a, b->prev) != 0 || area(a, b->prev, b) != 0)) ||
            (equals(a, b) && area(a->prev, a, a->next) > 0 && area(b->prev, b, b->next) > 0));
}

class Triangulator {
public:
    Triangulator(std::span<const glm::dvec2> points, std::vector<uint32_t>& out)
        : points_(points), out_(out) {}

    void run(std::span<const uint32_t> holeStarts) {
        const uint32_t outerEnd =
            holeStarts.empty() ? static_cast<uint32_t>(points_.size()) : holeStarts[0];
        Node* outer = linkedList(0, outerEnd, true);
        if (!outer || outer->next == outer->prev) return;
        if (!holeStarts.empty()) outer = eliminateHoles(holeStarts, outer);
        if (points_.size() > 80) {
            double minX = points_[0].x, minY = points_[0].y, maxX = minX, maxY = minY;
            for (const glm::dvec2& p : points_.first(outerEnd)) {
                minX = std::min(minX, p.x);
                minY = std::min(minY, p.y);
                maxX = std::max(maxX, p.x);
                maxY = std::max(maxY, p.y);
            }
            minX_ = minX;
            minY_ = minY;
            const double size = std::max(maxX - minX, maxY - minY);
            invSize_ = size != 0 && std::isfinite(size) ? 32767 / size : 0;
        }
        earcutLinked(outer, 0, 0);
    }

private:
    Node* insertNode(uint32_t i, Node* last) {
        Node& p = nodes_.emplace_back();
        p.i = i;
        p.x = points_[i].x;
        p.y = points_[i].y;
        if (!last) {
            p.prev = &p;
            p.next = &p;
        } else {
            p.next = last->next;
            p.prev = last;
            last->next->prev = &p;
            last->next = &p;
        }
        return &p;
    }

    static void removeNode(Node* p) {
        p->next->prev = p->prev;
        p->prev->next = p->next;
        if (p->prevZ) p->prevZ->nextZ = p->nextZ;
        if (p->nextZ) p->nextZ->prevZ = p->prevZ;
    }

    Node* linkedList(uint32_t start, uint32_t end, bool clockwise) {
        if (end <= start) return nullptr;
        double sum = 0;
        for (uint32_t i = start, j = end - 1; i < end; j = i++) {
            sum += (points_[j].x - points_[i].x) * (points_[i].y + points_[j].y);
        }
        Node* last = nullptr;
        if (clockwise == (sum > 0)) {
            for (uint32_t i = start; i < end; ++i) last = insertNode(i, last);
        } else {
            for (uint32_t i = end; i-- > start;) last = insertNode(i, last);
        }
        if (last && equals(last, last->next)) {
            removeNode(last);
            last = last->next;
        }
        return last;
    }

    static Node* filterPoints(Node* start, Node* end = nullptr) {
        if (!start) return start;
        if (!end) end = start;
        Node* p = start;
        bool again;
        do {
            again = false;
            if (!p->steiner && (equals(p, p->next) || area(p->prev, p, p->next) == 0)) {
                removeNode(p);
                p = end = p->prev;
                if (p == p->next) break;
                again = true;
            } else {
                p = p->next;
            }
        } while (again || p != end);
        return end;
    }

    int32_t zOrder(double x, double y) const {
        // Coordinates scaled to 0..32767 over the outer ring's box; points
        // of holes outside it (bad data) are clamped.
        auto scale = [&](double v, double min) {
            const double s = (v - min) * invSize_;
            return static_cast<uint32_t>(std::clamp(s, 0.0, 32767.0));
        };
        uint32_t ix = scale(x, minX_);
        uint32_t iy = scale(y, minY_);
        for (uint32_t* v : {&ix, &iy}) {
            *v = (*v | (*v << 8)) & 0x00FF00FF;
            *v = (*v | (*v << 4)) & 0x0F0F0F0F;
            *v = (*v | (*v << 2)) & 0x33333333;
            *v = (*v | (*v << 1)) & 0x55555555;
        }
        return static_cast<int32_t>(ix | (iy << 1));
    }

    void indexCurve(Node* start) {
        sorted_.clear();
        Node* p = start;
        do {
            if (p->z < 0) p->z = zOrder(p->x, p->y);
            sorted_.push_back(p);
            p = p->next;
        } while (p != start);
        std::stable_sort(sorted_.begin(), sorted_.end(),
                         [](const Node* a, const Node* b) { return a->z < b->z; });
        for (size_t k = 0; k < sorted_.size(); ++k) {
            sorted_[k]->prevZ = k > 0 ? sorted_[k - 1] : nullptr;
            sorted_[k]->nextZ = k + 1 < sorted_.size() ? sorted_[k + 1] : nullptr;
        }
    }

    static bool isEar(const Node* ear) {
        const Node* a = ear->prev;
        const Node* b = ear;
        const Node* c = ear->next;
        if (area(a, b, c) >= 0) return false;
        for (const Node* p = c->next; p != a; p = p->next) {
            if (pointInTriangle(a->x, a->y, b->x, b->y, c->x, c->y, p->x, p->y) &&
                area(p->prev, p, p->next) >= 0)
                return false;
        }
        return true;
    }

    bool isEarHashed(const Node* ear) const {
        const Node* a = ear->prev;
        const Node* b = ear;
        const Node* c = ear->next;
        if (area(a, b, c) >= 0) return false;
        const double x0 = std::min({a->x, b->x, c->x}), y0 = std::min({a->y, b->y, c->y});
        const double x1 = std::max({a->x, b->x, c->x}), y1 = std::max({a->y, b->y, c->y});
        const int32_t minZ = zOrder(x0, y0);
        const int32_t maxZ = zOrder(x1, y1);
        const auto blocks = [&](const Node* p) {
            return p != a && p != c &&
                   pointInTriangle(a->x, a->y, b->x, b->y, c->x, c->y, p->x, p->y) &&
                   area(p->prev, p, p->next) >= 0;
        };
        for (const Node* p = ear->prevZ; p && p->z >= minZ; p = p->prevZ) {
            if (blocks(p)) return false;
        }
        for (const Node* n = ear->nextZ; n && n->z <= maxZ; n = n->nextZ) {
            if (blocks(n)) return false;
        }
        return true;
    }

    void emit(const Node* a, const Node* b, const Node* c) {
        out_.insert(out_.end(), {a->i, b->i, c->i});
    }

    void earcutLinked(Node* ear, int pass, int depth) {
        if (!ear || depth > kMaxDepth) return;
        if (pass == 0 && invSize_ != 0) indexCurve(ear);
        Node* stop = ear;
        while (ear->prev != ear->next) {
            Node* prev = ear->prev;
            Node* next = ear->next;
            if (invSize_ != 0 ? isEarHashed(ear) : isEar(ear)) {
                emit(prev, ear, next);
                removeNode(ear);
                ear = next->next;
                stop = next->next;
                continue;
            }
            ear = next;
            if (ear == stop) {
                if (pass == 0) {
                    earcutLinked(filterPoints(ear), 1, depth + 1);
                } else if (pass == 1) {
                    earcutLinked(cureLocalIntersections(filterPoints(ear)), 2, depth + 1);
                } else {
                    splitEarcut(ear, depth + 1);
                }
                break;
            }
        }
    }

    Node* cureLocalIntersections(Node* start) {
        Node* p = start;
        do {
            Node* a = p->prev;
            Node* b = p->next->next;
            if (!equals(a, b) && intersects(a, p, p->next, b) && locallyInside(a, b) &&
                locallyInside(b, a)) {
                emit(a, p, b);
                removeNode(p);
                removeNode(p->next);
                p = start = b;
            }
            p = p->next;
        } while (p != start);
        return filterPoints(p);
    }

    Node* splitPolygon(Node* a, Node* b) {
        Node& a2 = nodes_.emplace_back(*a);
        Node& b2 = nodes_.emplace_back(*b);
        a2.prevZ = a2.nextZ = b2.prevZ = b2.nextZ = nullptr;
        a2.z = b2.z = -1;
        Node* an = a->next;
        Node* bp = b->prev;
        a->next = b;
        b->prev = a;
        a2.next = an;
        an->prev = &a2;
        b2.next = &a2;
        a2.prev = &b2;
        bp->next = &b2;
        b2.prev = bp;
        return &b2;
    }

    void splitEarcut(Node* start, int depth) {
        Node* a = start;
        do {
            Node* b = a->next->next;
            while (b != a->prev) {
                if (a->i != b->i && isValidDiagonal(a, b)) {
                    Node* c = splitPolygon(a, b);
                    a = filterPoints(a, a->next);
                    c = filterPoints(c, c->next);
                    earcutLinked(a, 0, depth);
                    earcutLinked(c, 0, depth);
                    return;
                }
                b = b->next;
            }
            a = a->next;
        } while (a != start);
    }

    static Node* getLeftmost(Node* start) {
        Node* p = start;
        Node* leftmost = start;
        do {
            if (p->x < leftmost->x || (p->x == leftmost->x && p->y < leftmost->y)) leftmost = p;
            p = p->next;
        } while (p != start);
        return leftmost;
    }

    static bool sectorContainsSector(const Node* m, const Node* p) {
        return area(m->prev, m, p->prev) < 0 && area(p->next, m, m->next) < 0;
    }

    static Node* findHoleBridge(Node* hole, Node* outer) {
        Node* p = outer;
        const double hx = hole->x;
        const double hy = hole->y;
        double qx = -std::numeric_limits<double>::infinity();
        Node* m = nullptr;
        do {
            if (hy <= p->y && hy >= p->next->y && p->next->y != p->y) {
                const double x = p->x + (hy - p->y) * (p->next->x - p->x) / (p->next->y - p->y);
                if (x <= hx && x > qx) {
                    qx = x;
                    m = p->x < p->next->x ? p : p->next;
                    if (x == hx) return m;
                }
            }
            p = p->next;
        } while (p != outer);
        if (!m) return nullptr;
        Node* stop = m;
        const double mx = m->x;
        const double my = m->y;
        double tanMin = std::numeric_limits<double>::infinity();
        p = m;
        do {
            if (hx >= p->x && p->x >= mx && hx != p->x &&
                pointInTriangle(hy < my ? hx : qx, hy, mx, my, hy < my ? qx : hx, hy, p->x, p->y)) {
                const double tan = std::abs(hy - p->y) / (hx - p->x);
                if (locallyInside(p, hole) &&
                    (tan < tanMin ||
                     (tan == tanMin &&
                      (p->x > m->x || (p->x == m->x && sectorContainsSector(m, p)))))) {
                    m = p;
                    tanMin = tan;
                }
            }
            p = p->next;
        } while (p != stop);
        return m;
    }

    Node* eliminateHoles(std::span<const uint32_t> holeStarts, Node* outer) {
        std::vector<Node*> queue;
        for (size_t h = 0; h < holeStarts.size(); ++h) {
            const uint32_t start = holeStarts[h];
            const uint32_t end = h + 1 < holeStarts.size() ? holeStarts[h + 1]
                                                           : static_cast<uint32_t>(points_.size());
            Node* list = linkedList(start, end, false);
            if (!list) continue;
            if (list == list->next) list->steiner = true;
            queue.push_back(getLeftmost(list));
        }
        std::stable_sort(queue.begin(), queue.end(), [](const Node* a, const Node* b) {
            return a->x < b->x || (a->x == b->x && a->y < b->y);
        });
        for (Node* hole : queue) {
            Node* bridge = findHoleBridge(hole, outer);
            if (!bridge) continue;
            Node* reverse = splitPolygon(bridge, hole);
            filterPoints(reverse, reverse->next);
            outer = filterPoints(bridge, bridge->next);
        }
        return outer;
    }

    std::span<const glm::dvec2> points_;
    std::vector<uint32_t>& out_;
    std::deque<Node> nodes_;  // stable addresses while the rings are relinked
    std::vector<Node*> sorted_;
    double minX_ = 0.0;
    double minY_ = 0.0;
    double invSize_ = 0.0;
};

}  // namespace

std::vector<uint32_t> triangulate(std::span<const glm::dvec2> points,
                                  std::span<const uint32_t> holeStarts) {
    std::vector<uint32_t> out;
    for (uint32_t start : holeStarts) {
        if (start > points.size()) return out;  // a caller's mistake: nothing to index safely
    }
    if (!std::is_sorted(holeStarts.begin(), holeStarts.end())) return out;
    out.reserve(points.size() * 3);
    Triangulator(points, out).run(holeStarts);
    return out;
}

}  // namespace quorvan::vectortile
