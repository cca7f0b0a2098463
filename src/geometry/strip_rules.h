#pragma once

// The triangle-strip rule, for any random-access sequence `at(i)` of n
// vertices and any consumer of the triangles. Every triangle starts with its
// newest vertex:
//
//   s0 s1 s2 | s3 s2 s1 | s4 s2 s3 | s5 s4 s3 | s6 s4 s5 | ...
//   (j = 2)    (j odd: s_j, s_j-1, s_j-2)  (j even: s_j, s_j-2, s_j-1)
//
// which keeps the winding of the first triangle. `at` returns a reference:
// a vertex returned by value goes through a stack temporary that the
// compiler does not remove, doubling the stores.

#include <cstddef>

namespace quorvan {

template <typename At, typename Emit>
void forEachStripTriangle(size_t n, At at, Emit emit) {
    if (n < 3) return;
    emit(at(0), at(1), at(2));
    size_t i = 3;
    // Odd and even steps in pairs, so the loop carries no parity test.
    for (; i + 1 < n; i += 2) {
        emit(at(i), at(i - 1), at(i - 2));
        emit(at(i + 1), at(i - 1), at(i));
    }
    if (i < n) emit(at(i), at(i - 1), at(i - 2));
}

}  // namespace quorvan
