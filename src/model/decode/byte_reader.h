#pragma once

// The one place where payload bytes are read. A ByteReader is a non-owning
// view with a cursor; every advance goes through `has()`, so nothing can read
// past the end of the bytes the host gave. Values are little-endian and
// unaligned. All offsets are 64-bit; `has(n)` compares n with what remains
// (never `pos + n` with the end), so huge counts from the data cannot overflow.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace quorvan {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, uint64_t size) : data_(data), size_(data ? size : 0) {}

    uint64_t size() const { return size_; }
    uint64_t position() const { return pos_; }
    uint64_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ == size_; }

    // True when n more bytes can be read.
    bool has(uint64_t n) const { return n <= size_ - pos_; }

    bool skip(uint64_t n) {
        if (!has(n)) return false;
        pos_ += n;
        return true;
    }

    // Reads one little-endian value; on a short payload returns false and
    // leaves the cursor and `out` unchanged.
    template <typename T>
    bool read(T& out) {
        if (!has(sizeof(T))) return false;
        out = load<T>(data_ + pos_);
        pos_ += sizeof(T);
        return true;
    }

    // Splits off the next n bytes as a reader of their own.
    bool take(uint64_t n, ByteReader& out) {
        if (!has(n)) return false;
        out = ByteReader(data_ + pos_, n);
        pos_ += n;
        return true;
    }

    // Copies the next n bytes into a string.
    bool readString(uint64_t n, std::string& out) {
        if (!has(n)) return false;
        out.assign(reinterpret_cast<const char*>(data_ + pos_), static_cast<size_t>(n));
        pos_ += n;
        return true;
    }

    // Value at a byte offset from the cursor, for hot loops that have checked
    // the whole record with `has()` once. The caller guarantees
    // offset + sizeof(T) <= remaining().
    template <typename T>
    T peekChecked(uint64_t offset) const {
        return load<T>(data_ + pos_ + offset);
    }

private:
    template <typename T>
    static T load(const uint8_t* p) {
        T value;
        std::memcpy(&value, p, sizeof(T));
        if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
            value = byteswap(value);
        }
        return value;
    }

    template <typename T>
    static T byteswap(T value) {
        uint8_t bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    uint64_t pos_ = 0;
};

}  // namespace quorvan
