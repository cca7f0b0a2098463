#pragma once

// The targets split their input with LLVM's FuzzedDataProvider: byte runs
// and raw values from the front, integers from the back (make_seeds.cpp
// writes that framing). consumeRaw adds what the provider has no reader for.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

// The next sizeof(T) bytes from the front as they are, so that every bit
// pattern is reachable: NaN and the infinities included, which
// ConsumeFloatingPoint never gives. Bytes past the end read as zero. Read
// little-endian, as make_seeds.cpp writes them, so that an input means the
// same on every host.
template <typename T>
T consumeRaw(FuzzedDataProvider& in) {
    static_assert(std::is_trivially_copyable_v<T>);
    unsigned char bytes[sizeof(T)] = {};
    in.ConsumeData(bytes, sizeof bytes);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(bytes, bytes + sizeof bytes);
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}
