#include "styles/style_list.h"

#include <gtest/gtest.h>
#if defined(_WIN32)
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <climits>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "style_files.h"

namespace quorvan {
namespace {

using test::sld;
using test::styleData;
using test::TempFile;

std::vector<int> layerIds(const std::vector<const C_GeoStyle*>& styles) {
    std::vector<int> ids;
    for (const C_GeoStyle* s : styles) ids.push_back(s->getGeometryLayerId());
    return ids;
}

std::vector<std::string> names(const std::vector<const C_GeoStyle*>& styles) {
    std::vector<std::string> out;
    for (const C_GeoStyle* s : styles) out.push_back(s->getName());
    return out;
}

std::string layer(const std::string& name, int zOrder, const std::string& rule = std::string()) {
    return "<NamedLayer><Name>" + name + "</Name><VendorOption name=\"zOrder\">" +
           std::to_string(zOrder) + "</VendorOption><UserStyle><FeatureTypeStyle><Rule>" + rule +
           "</Rule></FeatureTypeStyle></UserStyle></NamedLayer>";
}

std::string denominators(int min, int max) {
    std::string rule;
    if (min >= 0) rule += "<MinScaleDenominator>" + std::to_string(min) + "</MinScaleDenominator>";
    if (max >= 0) rule += "<MaxScaleDenominator>" + std::to_string(max) + "</MaxScaleDenominator>";
    return rule;
}

TEST(GeoStylesList, LoadsARealDocumentInDrawingOrder) {
    C_GeoStylesList list;
    ASSERT_EQ(list.loadFromFile(styleData("city.sld")), pugi::status_ok);
    ASSERT_EQ(list.getStyleCount(), 5u);
    EXPECT_EQ(
        names(list.getAllStyles()),
        (std::vector<std::string>{"water", "parks", "roads", "buildings", "building-labels"}));
    // Layer ids are not de-duplicated.
    EXPECT_EQ(layerIds(list.getAllStyles()), (std::vector<int>{10, 11, 20, 30, 30}));
    std::vector<int> innerIds;
    for (size_t i = 0; i < list.getStyleCount(); ++i)
        innerIds.push_back(list.getStyle(i)->getInnerId());
    EXPECT_EQ(innerIds, (std::vector<int>{1, 3, 2, 0, 4}));

    const glm::vec4 background = list.getBackgroundColor();
    EXPECT_FLOAT_EQ(background.r, 0xF2 / 255.0f);
    EXPECT_FLOAT_EQ(background.g, 0xEF / 255.0f);
    EXPECT_FLOAT_EQ(background.b, 0xE9 / 255.0f);
    EXPECT_FLOAT_EQ(background.a, 1.0f);

    EXPECT_EQ(list.getStyle(3)->getMinScaleDenominator(), 8000);  // the second rule is not read
    // The symbolizer's own parameter, not the Font's.
    EXPECT_EQ(list.getStyle(2)->getFontSize(), 14);
    EXPECT_EQ(names(list.getAll3dStyles()), (std::vector<std::string>{"buildings"}));
}

TEST(GeoStylesList, VisibilityByHeight) {
    C_GeoStylesList list;
    ASSERT_EQ(list.loadFromFile(styleData("city.sld")), pugi::status_ok);
    // buildings 50..8000, water always, roads 100..3000 (label bounds), parks
    // from 0 up, building-labels up to 1500.
    EXPECT_EQ(layerIds(list.getStyleByHeight(-1.0f)), (std::vector<int>{10, 30}));
    EXPECT_EQ(layerIds(list.getStyleByHeight(0.0f)), (std::vector<int>{10, 11, 30}));
    EXPECT_EQ(layerIds(list.getStyleByHeight(100.0f)), (std::vector<int>{10, 11, 20, 30, 30}));
    EXPECT_EQ(layerIds(list.getStyleByHeight(3000.5f)), (std::vector<int>{10, 11, 30}));
    EXPECT_EQ(layerIds(list.getStyleByHeight(8000.0f)), (std::vector<int>{10, 11, 30}));
    EXPECT_EQ(layerIds(list.getStyleByHeight(8001.0f)), (std::vector<int>{10, 11}));

    TempFile file("bounds.sld", sld(layer("between", 0, denominators(5000, 1000)) +
                                    layer("never", 1, denominators(1000, 5000)) +
                                    layer("below", 2, denominators(2000, -1))));
    C_GeoStylesList bounds;
    ASSERT_EQ(bounds.loadFromFile(file.path()), pugi::status_ok);
    const auto visible = [&](float h) { return names(bounds.getStyleByHeight(h)); };
    EXPECT_EQ(visible(999.5f), (std::vector<std::string>{"below"}));
    EXPECT_EQ(visible(1000.0f), (std::vector<std::string>{"between", "below"}));
    EXPECT_EQ(visible(2000.0f), (std::vector<std::string>{"between", "below"}));
    EXPECT_EQ(visible(2000.5f), (std::vector<std::string>{"between"}));
    EXPECT_EQ(visible(5000.0f), (std::vector<std::string>{"between"}));
    EXPECT_EQ(visible(5000.5f), (std::vector<std::string>{}));
    EXPECT_EQ(visible(-1e30f), (std::vector<std::string>{"below"}));
}

TEST(GeoStylesList, SortsByZOrderKeepingDocumentOrderForTies) {
    TempFile file("order.sld", sld(layer("a", 5) + layer("b", -1) + layer("c", 3) + layer("d", 3) +
                                   layer("e", -1)));
    C_GeoStylesList list;
    ASSERT_EQ(list.loadFromFile(file.path()), pugi::status_ok);
    EXPECT_EQ(names(list.getAllStyles()), (std::vector<std::string>{"b", "e", "c", "d", "a"}));
    std::vector<int> innerIds;
    for (const C_GeoStyle* s : list.getAllStyles()) innerIds.push_back(s->getInnerId());
    EXPECT_EQ(innerIds, (std::vector<int>{1, 4, 2, 3, 0}));
}

TEST(GeoStylesList, SecondLoadAppendsAndFailedLoadChangesNothing) {
    TempFile first("first.sld",
                   sld(layer("a", 5) + layer("b", 1), " background-color=\"#0000FF\""));
    TempFile second("second.sld",
                    sld(layer("c", 3), " background-color=\"#FF0000\" background-opacity=\"0.5\""));
    C_GeoStylesList list;
    ASSERT_EQ(list.loadFromFile(first.path()), pugi::status_ok);
    EXPECT_EQ(list.getBackgroundColor(), glm::vec4(0, 0, 1, 0));  // opacity missing: 0
    ASSERT_EQ(list.loadFromFile(second.path()), pugi::status_ok);
    EXPECT_EQ(names(list.getAllStyles()), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(list.getStyle(1)->getInnerId(), 0);  // counted afresh per document
    EXPECT_EQ(list.getBackgroundColor(), glm::vec4(1, 0, 0, 0.5f));

    EXPECT_NE(list.loadFromFile(styleData("truncated.sld")), pugi::status_ok);
    EXPECT_EQ(list.getStyleCount(), 3u);
    EXPECT_EQ(list.getBackgroundColor(), glm::vec4(1, 0, 0, 0.5f));

    list.clear();
    EXPECT_EQ(list.getStyleCount(), 0u);
    EXPECT_EQ(list.getBackgroundColor(), glm::vec4(1, 0, 0, 0.5f));
}

TEST(GeoStylesList, MalformedAndUnreadableDocumentsGiveNoStyles) {
    struct Case {
        std::string path;
        int status;
    };
    const Case cases[] = {
        {styleData("truncated.sld"), pugi::status_bad_start_element},
        {styleData("empty.sld"), pugi::status_no_document_element},
        {styleData("missing.sld"), pugi::status_file_not_found},
        {"", pugi::status_file_not_found},
        // pugixml would size its buffer from the directory's end offset (an
        // exabyte on ext4): refused before it opens the path.
        {test::styleDataDir().string(), pugi::status_io_error},
#if defined(_WIN32)
        // Windows names its null device NUL, and no file system has it.
        {"NUL", pugi::status_file_not_found},
#else
        {"/dev/null", pugi::status_io_error},
#endif
        // Well-formed but not a style document.
        {styleData("wrong_root.sld"), pugi::status_ok},
        {styleData("namespaced_root.sld"), pugi::status_ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        C_GeoStylesList list;
        EXPECT_EQ(list.loadFromFile(c.path), c.status);
        EXPECT_EQ(list.getStyleCount(), 0u);
        EXPECT_EQ(list.getBackgroundColor(), glm::vec4(0.0f));
        EXPECT_TRUE(list.getStyleByHeight(100.0f).empty());
        EXPECT_TRUE(list.getAll3dStyles().empty());
    }
}

TEST(GeoStylesList, NumbersBeyondIntSaturate) {
    C_GeoStylesList list;
    ASSERT_EQ(list.loadFromFile(styleData("big_numbers.sld")), pugi::status_ok);
    ASSERT_EQ(list.getStyleCount(), 2u);
    const C_GeoStyle* huge = list.getStyle(0);
    EXPECT_EQ(huge->getName(), "huge");
    EXPECT_EQ(huge->getZOrder(), INT_MIN);
    EXPECT_EQ(huge->getGeometryLayerId(), INT_MAX);
    EXPECT_EQ(huge->getRepeat(), INT_MAX);
    EXPECT_EQ(huge->getMinScaleDenominator(), INT_MAX);
    EXPECT_EQ(huge->getMaxScaleDenominator(), INT_MAX);
    EXPECT_EQ(huge->getFillColor(), glm::vec4(1, 1, 1, 0.25f));
    EXPECT_EQ(list.getStyle(1)->getZOrder(), INT_MAX);
    EXPECT_EQ(glm::vec3(list.getBackgroundColor()), glm::vec3(1.0f));
    EXPECT_FALSE(std::isfinite(list.getBackgroundColor().a));

    // Both bounds saturate to INT_MAX: visible at that one height only.
    EXPECT_EQ(names(list.getStyleByHeight(static_cast<float>(INT_MAX))),
              (std::vector<std::string>{"huge", "small"}));
    EXPECT_EQ(names(list.getStyleByHeight(1e9f)), (std::vector<std::string>{"small"}));
}

TEST(GeoStylesList, EveryChildOfTheRootBecomesAStyle) {
    TempFile file("children.sld", sld("<NamedLayer><Name>n</Name></NamedLayer>loose text"
                                      "<UserLayer><Name>u</Name></UserLayer><![CDATA[cdata]]>  \n  "
                                      "<!-- comments are not kept --><?pi not kept?>"));
    C_GeoStylesList list;
    ASSERT_EQ(list.loadFromFile(file.path()), pugi::status_ok);
    EXPECT_EQ(names(list.getAllStyles()), (std::vector<std::string>{"n", "", "u", ""}));
    EXPECT_EQ(list.getStyle(3)->getInnerId(), 3);
    EXPECT_EQ(list.getStyle(1)->getMaxDisplacement(), 5);
}

TEST(GeoStylesList, ExternalAndInternalEntitiesAreNeverExpanded) {
    TempFile secret("secret.txt", "TOP-SECRET-CONTENT");
    const std::string document =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE StyledLayerDescriptor [\n"
        "  <!ENTITY xxe SYSTEM \"file://" +
        secret.path() +
        "\">\n"
        "  <!ENTITY raw SYSTEM \"" +
        secret.path() +
        "\">\n"
        "  <!ENTITY lol \"lol\">\n"
        "  <!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
        "]>\n" +
        sld("<NamedLayer><Name>&xxe;</Name><UserStyle><Name>&raw;&lol2;</Name></UserStyle>"
            "<VendorOption name=\"decorator\">&lol2;&#65;&amp;</VendorOption></NamedLayer>");
    TempFile file("entities.sld", document);
    C_GeoStylesList list;
    ASSERT_EQ(list.loadFromFile(file.path()), pugi::status_ok);
    ASSERT_EQ(list.getStyleCount(), 1u);
    EXPECT_EQ(list.getStyle(0)->getName(), "&xxe;");
    EXPECT_EQ(list.getStyle(0)->getStyleName(), "&raw;&lol2;");
    // Only the predefined and numeric references are replaced.
    EXPECT_EQ(list.getStyle(0)->getDecorator(), "&lol2;A&");
}

// Peak resident set of this process, in bytes.
long long peakRss() {
#if defined(_WIN32)
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<long long>(counters.PeakWorkingSetSize);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024LL;
#endif
}

TEST(GeoStylesList, LargeDocumentLoadsWithinASmallMultipleOfItsSize) {
    // ~35 MB of realistic layers, each well over the few hundred bytes its
    // style takes.
    const std::string body =
        "<VendorOption name=\"geometryLayerId\">12</VendorOption><VendorOption "
        "name=\"3D\">true</VendorOption>"
        "<UserStyle><Name>generated</Name><FeatureTypeStyle><Rule>"
        "<MinScaleDenominator>8000</MinScaleDenominator><MaxScaleDenominator>50</"
        "MaxScaleDenominator>"
        "<PolygonSymbolizer><Fill><CssParameter name=\"fill\">#D9D0C9</CssParameter>"
        "<CssParameter name=\"fill-opacity\">0.9</CssParameter></Fill><Stroke>"
        "<CssParameter name=\"stroke\">#B9A99B</CssParameter><CssParameter "
        "name=\"stroke-width\">1.5"
        "</CssParameter></Stroke></PolygonSymbolizer>"
        "<TextSymbolizer><CssParameter name=\"font-size\">12</CssParameter></TextSymbolizer>"
        "</Rule></FeatureTypeStyle></UserStyle>"
        "<!-- padding as real documents carry it: titles, abstracts, comments "
        "........................"
        "................................................................................. -->";
    constexpr int count = 40000;
    // Written piece by piece so that the test's own copy does not raise the
    // peak before the load is measured.
    TempFile file("large.sld");
    {
        std::ofstream out(file.path(), std::ios::binary);
        const std::string document = sld("@");
        const size_t hole = document.find('@');
        out << document.substr(0, hole);
        for (int i = 0; i < count; ++i) {
            out << "<NamedLayer><Name>layer-" << i << "</Name><VendorOption name=\"zOrder\">"
                << count - i << "</VendorOption>" << body << "</NamedLayer>\n";
        }
        out << document.substr(hole + 1);
    }
    const long size = static_cast<long>(std::filesystem::file_size(file.path()));
    ASSERT_GT(size, 20L * 1024 * 1024);

    const long long before = peakRss();
    {
        C_GeoStylesList list;
        ASSERT_EQ(list.loadFromFile(file.path()), pugi::status_ok);
        ASSERT_EQ(list.getStyleCount(), static_cast<size_t>(count));
        EXPECT_EQ(list.getStyle(0)->getName(), "layer-" + std::to_string(count - 1));
        EXPECT_EQ(list.getAll3dStyles().size(), static_cast<size_t>(count));
    }
    const long long growth = peakRss() - before;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    (void)growth;  // shadow memory (and redzones) make the peak meaningless
#else
    // The file (read whole) plus pugixml's tree, about 2.5 KB per layer of
    // this size, plus the styles: about 4x here.
    EXPECT_LT(growth, 6 * size) << "file " << size << " bytes, peak grew " << growth << " bytes";
#endif
}

}  // namespace
}  // namespace quorvan
