#include <algorithm>

#include "model/builder_fixture.h"
#include "model/builders/labels.h"
#include "model/decode/payload.h"
#include "support/short_names.h"

namespace quorvan {
namespace {

SegmentSpec segment(uint8_t kind, int32_t styleId, std::string text, std::vector<vec2> points = {},
                    uint16_t variant = 0, uint8_t category = 0) {
    SegmentSpec s;
    s.kind = kind, s.styleId = styleId, s.text = std::move(text), s.points = std::move(points);
    s.variant = variant, s.category = category;
    return s;
}

TEST(LabelSegments, DecoderStopsAtEveryTruncationKeepingWholeElements) {
    SegmentSpec first = segment(1, 4, "road", {{1, 2}, {3, 4}});
    first.skipped = {9, 9, 9};
    first.code = 0x12345;
    ByteWriter w;
    std::vector<size_t> ends;
    w.u16(2);
    appendSegment(w, first);
    ends.push_back(w.bytes.size());
    appendSegment(w, segment(2, -1, "", {{5, 6}}, 7, 3));
    ends.push_back(w.bytes.size());
    w.u16(0).u16(1);
    appendSegment(w, segment(1, 4, "x"));
    ends.push_back(w.bytes.size());

    for (size_t length = 0; length <= w.bytes.size(); ++length) {
        const Bytes cut(w.bytes.begin(),
                        w.bytes.begin() + static_cast<long>(length));  // fresh buffer
        const auto elements = extractLabelSegments(cut.data(), cut.size(), {1, 1});
        const auto whole =
            static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), length) - ends.begin());
        ASSERT_EQ(elements.size(), whole) << "length " << length;
        if (whole == 3) {
            EXPECT_EQ(elements[0].points, (std::vector<vec2>{{0, 1}, {2, 3}}));
            EXPECT_EQ(elements[0].code, 0x12345);
            EXPECT_EQ(elements[1].styleId, -1);
            EXPECT_EQ(elements[1].variant, 7);
            EXPECT_EQ(elements[2].text, "x");
        }
    }
    // Huge counts on short payloads: nothing is skipped, read or reserved past the end.
    ByteWriter skipAll, bigText;
    skipAll.u16(1).u32(0xFFFFFFFFu).u32(0);
    bigText.u16(0xFFFF).u32(0).u32(0).u16(0).u8(0).i32(1).i32(0).u8(1).u16(0xFFFF).u16(0xFFFF).text(
        "abc");
    EXPECT_TRUE(extractLabelSegments(skipAll.bytes.data(), skipAll.bytes.size(), {}).empty());
    EXPECT_TRUE(extractLabelSegments(bigText.bytes.data(), bigText.bytes.size(), {}).empty());
}

TEST(LabelSegments, KeptElementsAreFiledByKindAndStyle) {
    C_Meshory maker;
    const auto payload =
        labelSegments({{segment(1, 5, "a", {{1, 1}}), segment(2, 6, "p"), segment(3, 5, "three"),
                        segment(1, 5, "b", {{2, 2}}), segment(2, 6, "q", {{3, 4}, {9, 9}})},
                       {}});
    const auto& m = build(maker, {{LABEL_STYLE_SEGMENTS, payload}});
    ASSERT_EQ(m.roadSegments.size(), 1u);
    ASSERT_EQ(m.roadSegments.at(5).size(), 2u);
    EXPECT_EQ(m.roadSegments.at(5)[1].points, (std::vector<vec2>{{2, 2}}));
    ASSERT_EQ(m.pointSegments.at(6).size(), 2u);
    EXPECT_TRUE(m.pointSegments.at(6)[0].points.empty());
    EXPECT_EQ(m.label, "q");  // the last road or point element; kind 3 never touches it
    EXPECT_EQ(m.labelPosition, vec3(3, 4, 0));

    LoadFilter filter;
    filter.styleIds = {5}, filter.variants = {1}, filter.categories = {2};
    const auto filtered =
        labelSegments({{segment(1, 5, "all", {}, 1, 2), segment(1, 6, "style", {}, 1, 2),
                        segment(1, 5, "variant", {}, 0, 2), segment(1, 5, "category", {}, 1, 0)}});
    const auto& f = build(maker, {{LABEL_STYLE_SEGMENTS, filtered}}, {}, filter);
    EXPECT_EQ(f.roadSegments.at(5).size(), 1u);
    EXPECT_EQ(f.label, "all");
}

TEST(TextLabels, VariantIsChosenByFilterElseLastDefault) {
    const struct {
        std::vector<uint16_t> variants;
        std::set<uint16_t> wanted;
        std::string chosen;
    } cases[] = {
        {{0, 2, 2}, {2}, "t1"}, {{0, 2, 2}, {0}, "t0"}, {{0, 1, 0}, {}, "t2"}, {{0, 1}, {5}, "t0"}};
    for (const auto& c : cases) {
        std::vector<LabelText> texts;
        for (size_t i = 0; i < c.variants.size(); ++i)
            texts.push_back({c.variants[i], "t" + std::to_string(i)});
        LoadFilter filter;
        filter.variants = c.wanted;
        C_Meshory maker;
        const auto& m =
            build(maker, {{TEXT_DATA, labelBlock({110, 230}, texts)}}, {100, 200, 3}, filter);
        EXPECT_EQ(m.label, c.chosen);
        EXPECT_EQ(m.labelPosition, vec3(10, 30, -3));
    }
    // A chosen text that is not UTF-8 leaves the label as it was; no other text is tried.
    C_Meshory maker;
    const auto& m = build(maker,
                          {{TEXT_DATA, labelBlock({1, 1}, {{0, "kept"}})},
                           {TEXT_DATA, labelBlock({5, 5}, {{0, "bad\xC0\x80"}, {3, "fine"}})}},
                          {}, LoadFilter(0));
    EXPECT_EQ(m.label, "kept");
    EXPECT_EQ(m.labelPosition, vec3(1, 1, 0));
}

TEST(TextLabels, Utf8CheckAcceptsWellFormedOnly) {
    for (const char* good :
         {"", "plain", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC3\xA9t\xC3\xA9"}) {
        EXPECT_TRUE(checkUtf8Valid(good, 1000)) << good;
    }
    for (const char* bad : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "a\xE2\x82",
                            "\xF8\x88\x80\x80\x80", "\xE2\x28\xA1"}) {
        EXPECT_FALSE(checkUtf8Valid(bad, 1000)) << bad;
    }
}

}  // namespace
}  // namespace quorvan
