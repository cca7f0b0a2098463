#include "model/decode/utf16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvan {
namespace {

using Bytes = std::vector<uint8_t>;

// Converts from a heap buffer of exactly the input's length, so that ASan
// sees any read past the end.
std::u16string convert(const Bytes& bytes) {
    const auto buffer = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer.get());
    return utf8ToUtf16(std::string_view(buffer.get(), bytes.size()));
}

// Reference encoder for the round-trip property.
Bytes encodeUtf8(uint32_t cp) {
    if (cp < 0x80) return {static_cast<uint8_t>(cp)};
    if (cp < 0x800)
        return {static_cast<uint8_t>(0xC0 | cp >> 6), static_cast<uint8_t>(0x80 | (cp & 0x3F))};
    if (cp < 0x10000) {
        return {static_cast<uint8_t>(0xE0 | cp >> 12),
                static_cast<uint8_t>(0x80 | (cp >> 6 & 0x3F)),
                static_cast<uint8_t>(0x80 | (cp & 0x3F))};
    }
    return {static_cast<uint8_t>(0xF0 | cp >> 18), static_cast<uint8_t>(0x80 | (cp >> 12 & 0x3F)),
            static_cast<uint8_t>(0x80 | (cp >> 6 & 0x3F)),
            static_cast<uint8_t>(0x80 | (cp & 0x3F))};
}

std::u16string encodeUtf16(uint32_t cp) {
    if (cp < 0x10000) return std::u16string(1, static_cast<char16_t>(cp));
    cp -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (cp >> 10)),
            static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
}

// No unpaired surrogate, so the JVM gets a well-formed string.
bool wellFormedUtf16(const std::u16string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] >= 0xD800 && s[i] <= 0xDBFF) {
            if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

constexpr char16_t R = 0xFFFD;

TEST(Utf8ToUtf16, EveryScalarValueRoundTrips) {
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp == 0xD800) cp = 0xE000;
        ASSERT_EQ(convert(encodeUtf8(cp)), encodeUtf16(cp)) << std::hex << cp;
    }
}

TEST(Utf8ToUtf16, TextOutsideTheBasicPlaneBecomesSurrogatePairs) {
    // "a😀ü€" : 1-, 4-, 2- and 3-byte sequences.
    EXPECT_EQ(convert({'a', 0xF0, 0x9F, 0x98, 0x80, 0xC3, 0xBC, 0xE2, 0x82, 0xAC}),
              u"a\U0001F600\u00FC\u20AC");
    EXPECT_EQ(convert({0xF4, 0x8F, 0xBF, 0xBF}), u"\U0010FFFF");
    EXPECT_EQ(convert({}), u"");
}

TEST(Utf8ToUtf16, IllFormedSequencesBecomeOneReplacementPerMaximalSubpart) {
    struct Case {
        const char* what;
        Bytes in;
        std::u16string out;
    };
    const std::vector<Case> cases = {
        {"C0 can start nothing (overlong NUL)", {0xC0, 0x80}, {R, R}},
        {"overlong 3-byte form", {0xE0, 0x80, 0x80}, {R, R, R}},
        {"encoded surrogate", {0xED, 0xA0, 0x80}, {R, R, R}},
        {"above U+10FFFF", {0xF4, 0x90, 0x80, 0x80}, {R, R, R, R}},
        {"F5 and FF start nothing", {0xF5, 0xFF, 'x'}, {R, R, u'x'}},
        {"stray continuation byte", {'a', 0x80, 'b'}, {u'a', R, u'b'}},
        {"cut inside a 3-byte sequence at the end", {'a', 0xE2, 0x82}, {u'a', R}},
        {"cut inside a 4-byte sequence before ASCII", {0xF0, 0x9F, 0x98, 'A'}, {R, u'A'}},
        {"lead byte followed by another lead", {0xC3, 0xC3, 0xBC}, {R, u'\u00FC'}},
        {"NUL is a character", {'a', 0x00, 'b'}, {u'a', u'\0', u'b'}},
    };
    for (const auto& c : cases) EXPECT_EQ(convert(c.in), c.out) << c.what;
}

TEST(Utf8ToUtf16, EveryTruncationIsSafeAndWellFormed) {
    const Bytes text = {'a',  0xF0, 0x9F, 0x98, 0x80, 0xE2, 0x82,
                        0xAC, 0xC3, 0xBC, 0xED, 0xA0, 0x80, 'z'};
    for (size_t n = 0; n <= text.size(); ++n) {
        const std::u16string out = convert(Bytes(text.begin(), text.begin() + n));
        EXPECT_LE(out.size(), n);
        EXPECT_TRUE(wellFormedUtf16(out)) << n;
    }
}

TEST(Utf8ToUtf16, AnyTwoOrThreeBytesGiveWellFormedTextNoLongerThanTheInput) {
    for (uint32_t v = 0; v < 0x10000; ++v) {
        for (const Bytes& in :
             {Bytes{static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)},
              Bytes{0xE1, static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)},
              Bytes{0xF0, static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}}) {
            const std::u16string out = convert(in);
            ASSERT_LE(out.size(), in.size());
            ASSERT_TRUE(wellFormedUtf16(out)) << std::hex << v;
        }
    }
}

}  // namespace
}  // namespace quorvan
