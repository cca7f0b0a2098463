#include "styles/style_record.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace quorvan {
namespace {

// Parses one layer element and reads it into a style.
C_GeoStyle styleFrom(const std::string& layerXml) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(layerXml.c_str())) << layerXml;
    C_GeoStyle style;
    style.setProperties(document.first_child());
    return style;
}

void expectColor(const glm::vec4& c, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

void expectDefaults(const C_GeoStyle& s) {
    EXPECT_EQ(s.getName(), "");
    EXPECT_EQ(s.getStyleName(), "");
    EXPECT_EQ(s.getDecorator(), "");
    EXPECT_EQ(s.getGraphicsDefault(), "");
    EXPECT_EQ(s.getGraphicsSelected(), "");
    EXPECT_EQ(s.getMergeable(), "");
    EXPECT_FALSE(s.isAntialiasing());
    EXPECT_FALSE(s.isSelectable());
    EXPECT_FALSE(s.isDirection());
    EXPECT_FALSE(s.isView3d());
    EXPECT_EQ(s.getGeometryLayerId(), 0);
    EXPECT_EQ(s.getZOrder(), 0);
    EXPECT_EQ(s.getMinScaleDenominator(), -1);
    EXPECT_EQ(s.getMaxScaleDenominator(), -1);
    EXPECT_EQ(s.getMinLabelScaleDenominator(), -1);
    EXPECT_EQ(s.getMaxLabelScaleDenominator(), -1);
    EXPECT_EQ(s.getRepeat(), 0);
    EXPECT_EQ(s.getSpaceAround(), 0);
    EXPECT_EQ(s.getMaxAngleDelta(), 30);
    EXPECT_EQ(s.getAutoWrap(), 0);
    EXPECT_EQ(s.getMaxDisplacement(), 5);
    EXPECT_EQ(s.getFontSize(), 0);
    expectColor(s.getFillColor(), 0, 0, 0, 0);
    expectColor(s.getStrokeColor(), 0, 0, 0, 0);
    EXPECT_EQ(s.getStrokeWidth(), 0.0f);
    EXPECT_EQ(s.getStrokeDasharray(), 0.0f);
    EXPECT_EQ(s.getFillWidth(), 0.0f);
    EXPECT_EQ(s.getGraphicSize(), 0.0f);
}

const char* const fullLayer = R"(<NamedLayer>
  <Name>roads</Name>
  <VendorOption name="decorator">casing</VendorOption>
  <VendorOption name="antialiasing">true</VendorOption>
  <VendorOption name="selectable">Yes</VendorOption>
  <VendorOption name="direction">1</VendorOption>
  <VendorOption name="3D">T</VendorOption>
  <VendorOption name="mergeable">by-name</VendorOption>
  <VendorOption name="zOrder">-7</VendorOption>
  <VendorOption name="geometryLayerId">0x20</VendorOption>
  <VendorOption name="repeat">300</VendorOption>
  <VendorOption name="spaceAround">4</VendorOption>
  <VendorOption name="maxAngleDelta">25</VendorOption>
  <VendorOption name="autoWrap">120</VendorOption>
  <VendorOption name="maxDisplacement">12</VendorOption>
  <UserStyle>
    <Name>roads-day</Name>
    <FeatureTypeStyle>
      <Rule>
        <MinScaleDenominator>50000</MinScaleDenominator>
        <MaxScaleDenominator>10</MaxScaleDenominator>
        <VendorOption name="minLabelScaleDenominator">3000</VendorOption>
        <VendorOption name="maxLabelScaleDenominator">100</VendorOption>
        <TextSymbolizer><CssParameter name="font-size">14px</CssParameter></TextSymbolizer>
        <PolygonSymbolizer>
          <Fill>
            <CssParameter name="fill">#FF8000</CssParameter>
            <CssParameter name="fill-opacity">0.5</CssParameter>
            <CssParameter name="fill-width">2.5</CssParameter>
          </Fill>
          <Stroke>
            <CssParameter name="stroke">#0080ff</CssParameter>
            <CssParameter name="stroke-opacity">1.5</CssParameter>
            <CssParameter name="stroke-width">6</CssParameter>
            <CssParameter name="stroke-dasharray">5 3</CssParameter>
          </Stroke>
          <Graphic>
            <Size>24</Size>
            <ExternalGraphic><Resource default="a.png" selected="b.png"/></ExternalGraphic>
          </Graphic>
        </PolygonSymbolizer>
      </Rule>
    </FeatureTypeStyle>
  </UserStyle>
</NamedLayer>)";

TEST(GeoStyle, ConstructionAndEmptyLayerGiveDefaults) {
    expectDefaults(C_GeoStyle());
    expectDefaults(styleFrom("<NamedLayer/>"));
    C_GeoStyle style;
    style.setProperties(pugi::xml_node());
    expectDefaults(style);
}

TEST(GeoStyle, ReadsEveryPropertyOfAFullLayer) {
    const C_GeoStyle s = styleFrom(fullLayer);
    EXPECT_EQ(s.getName(), "roads");
    EXPECT_EQ(s.getStyleName(), "roads-day");
    EXPECT_EQ(s.getDecorator(), "casing");
    EXPECT_TRUE(s.isAntialiasing());
    EXPECT_TRUE(s.isSelectable());
    EXPECT_TRUE(s.isDirection());
    EXPECT_TRUE(s.isView3d());
    EXPECT_EQ(s.getMergeable(), "by-name");
    EXPECT_EQ(s.getZOrder(), -7);
    EXPECT_EQ(s.getGeometryLayerId(), 32);
    EXPECT_EQ(s.getRepeat(), 300);
    EXPECT_EQ(s.getSpaceAround(), 4);
    EXPECT_EQ(s.getMaxAngleDelta(), 25);
    EXPECT_EQ(s.getAutoWrap(), 120);
    EXPECT_EQ(s.getMaxDisplacement(), 12);
    EXPECT_EQ(s.getMinScaleDenominator(), 50000);
    EXPECT_EQ(s.getMaxScaleDenominator(), 10);
    EXPECT_EQ(s.getMinLabelScaleDenominator(), 3000);
    EXPECT_EQ(s.getMaxLabelScaleDenominator(), 100);
    EXPECT_EQ(s.getFontSize(), 14);  // read up to the unit
    expectColor(s.getFillColor(), 1.0f, 128 / 255.0f, 0.0f, 0.5f);
    EXPECT_FLOAT_EQ(s.getFillWidth(), 2.5f);
    expectColor(s.getStrokeColor(), 0.0f, 128 / 255.0f, 1.0f, 1.5f);  // opacity not clamped
    EXPECT_FLOAT_EQ(s.getStrokeWidth(), 6.0f);
    EXPECT_FLOAT_EQ(s.getStrokeDasharray(), 5.0f);
    EXPECT_FLOAT_EQ(s.getGraphicSize(), 24.0f);
    EXPECT_EQ(s.getGraphicsDefault(), "a.png");
    EXPECT_EQ(s.getGraphicsSelected(), "b.png");
}

TEST(GeoStyle, SetPropertiesLeavesNothingOfAnEarlierLayer) {
    pugi::xml_document full;
    ASSERT_TRUE(full.load_string(fullLayer));
    pugi::xml_document empty;
    ASSERT_TRUE(empty.load_string("<NamedLayer/>"));
    C_GeoStyle style;
    style.setInnerId(3);
    style.setProperties(full.first_child());
    style.setProperties(empty.first_child());
    expectDefaults(style);
    EXPECT_EQ(style.getInnerId(), 3);  // the list's to set, never the document's
}

TEST(GeoStyle, ResetKeepsSelectedGraphicMergeableAndLabelLayout) {
    C_GeoStyle style = styleFrom(fullLayer);
    style.reset();
    EXPECT_EQ(style.getGraphicsSelected(), "b.png");
    EXPECT_EQ(style.getMergeable(), "by-name");
    EXPECT_EQ(style.getAutoWrap(), 120);
    EXPECT_EQ(style.getMaxDisplacement(), 12);
    EXPECT_EQ(style.getName(), "");
    EXPECT_EQ(style.getGraphicsDefault(), "");
    EXPECT_EQ(style.getMaxAngleDelta(), 30);
    expectColor(style.getFillColor(), 0, 0, 0, 0);
}

TEST(GeoStyle, FirstRuleGivesDenominatorsLaterRulesMaySupplySymbolizers) {
    const C_GeoStyle s = styleFrom(R"(<NamedLayer><UserStyle><FeatureTypeStyle>
      <Rule>
        <MinScaleDenominator>5000</MinScaleDenominator>
        <VendorOption name="maxLabelScaleDenominator">40</VendorOption>
      </Rule>
      <Rule>
        <MinScaleDenominator>9</MinScaleDenominator>
        <MaxScaleDenominator>8</MaxScaleDenominator>
        <VendorOption name="minLabelScaleDenominator">7</VendorOption>
        <PolygonSymbolizer><Fill><CssParameter name="fill">#00FF00</CssParameter></Fill></PolygonSymbolizer>
      </Rule>
    </FeatureTypeStyle><FeatureTypeStyle>
      <Rule>
        <PolygonSymbolizer><Fill><CssParameter name="fill">#FF0000</CssParameter></Fill></PolygonSymbolizer>
        <TextSymbolizer><CssParameter name="font-size">18</CssParameter></TextSymbolizer>
      </Rule>
    </FeatureTypeStyle></UserStyle></NamedLayer>)");
    EXPECT_EQ(s.getMinScaleDenominator(), 5000);
    EXPECT_EQ(s.getMaxScaleDenominator(), -1);
    EXPECT_EQ(s.getMinLabelScaleDenominator(), -1);
    EXPECT_EQ(s.getMaxLabelScaleDenominator(), 40);
    expectColor(s.getFillColor(), 0, 1, 0, 0);  // first polygon symbolizer in document order
    EXPECT_EQ(s.getFontSize(), 18);             // from the second feature type style
}

TEST(GeoStyle, LookupsMatchNamesExactlyAndTakeTheFirstMatch) {
    const C_GeoStyle s = styleFrom(R"(<NamedLayer>
      <name>lower-case is another element</name>
      <VendorOption name="3d">true</VendorOption>
      <VendorOption>no name attribute</VendorOption>
      <VendorOption name="zOrder">4</VendorOption>
      <VendorOption name="zOrder">9</VendorOption>
      <Rule><MinScaleDenominator>5</MinScaleDenominator></Rule>
      <UserStyle><Rule><MinScaleDenominator>6</MinScaleDenominator></Rule></UserStyle>
      <UserStyle><FeatureTypeStyle><Rule><PolygonSymbolizer><Stroke>
        <CssParameter name="Stroke-Width">3</CssParameter>
        <CssParameter name="stroke-width">4</CssParameter>
        <CssParameter name="stroke-width">5</CssParameter>
      </Stroke></PolygonSymbolizer></Rule></FeatureTypeStyle></UserStyle>
    </NamedLayer>)");
    EXPECT_EQ(s.getName(), "");
    EXPECT_FALSE(s.isView3d());
    EXPECT_EQ(s.getZOrder(), 4);
    // A Rule only counts at UserStyle/FeatureTypeStyle/Rule.
    EXPECT_EQ(s.getMinScaleDenominator(), -1);
    EXPECT_FLOAT_EQ(s.getStrokeWidth(), 4.0f);
}

TEST(GeoStyle, FlagsAndNumbersFollowTheTextConversions) {
    const auto option = [](const char* name, const char* text) {
        return styleFrom(std::string("<L><VendorOption name=\"") + name + "\">" + text +
                         "</VendorOption></L>");
    };
    EXPECT_TRUE(option("3D", "yes").isView3d());
    EXPECT_FALSE(option("3D", "false").isView3d());
    EXPECT_FALSE(option("3D", "0").isView3d());
    EXPECT_EQ(option("zOrder", "<![CDATA[ 33 ]]>").getZOrder(), 33);
    EXPECT_EQ(option("zOrder", "99999999999").getZOrder(), INT_MAX);
    EXPECT_EQ(option("zOrder", "abc").getZOrder(), 0);
    // An empty element has no text: the default, not 0.
    EXPECT_EQ(option("maxAngleDelta", "").getMaxAngleDelta(), 30);
}

TEST(GeoStyle, OpacityAndColourDefaultIndependently) {
    const C_GeoStyle noOpacity =
        styleFrom(R"(<L><UserStyle><FeatureTypeStyle><Rule><PolygonSymbolizer><Fill>
          <CssParameter name="fill">#FF8000</CssParameter>
        </Fill></PolygonSymbolizer></Rule></FeatureTypeStyle></UserStyle></L>)");
    expectColor(noOpacity.getFillColor(), 1.0f, 128 / 255.0f, 0.0f, 0.0f);

    const C_GeoStyle noColour =
        styleFrom(R"(<L><UserStyle><FeatureTypeStyle><Rule><PolygonSymbolizer><Fill>
          <CssParameter name="fill-opacity">0.5</CssParameter>
        </Fill></PolygonSymbolizer></Rule></FeatureTypeStyle></UserStyle></L>)");
    expectColor(noColour.getFillColor(), 0.0f, 0.0f, 0.0f, 0.5f);
}

TEST(GeoStyle, ColourText) {
    struct Case {
        const char* text;
        float r, g, b;
    };
    const Case cases[] = {
        {"#FF8000", 1.0f, 128 / 255.0f, 0.0f},
        {"#12345G", 1 / 255.0f, 35 / 255.0f, 69 / 255.0f},  // stops at G: 0x12345
        {"#FFF", 0.0f, 15 / 255.0f, 1.0f},                  // short form not expanded
        {"#80FF8000", 1.0f, 128 / 255.0f, 0.0f},            // leading byte ignored
        {"#1FFFFFFFFF", 1.0f, 1.0f, 1.0f},                  // saturates to all bits
        {"# \t0000FF", 0.0f, 0.0f, 1.0f},                   // white space after '#' skipped
        {" #FF0000", 0.0f, 0.0f, 0.0f},                     // white space before it is not
        {"#-FF", 0.0f, 0.0f, 0.0f},
        {"#0x00FF00", 0.0f, 0.0f, 0.0f},  // digits stop at 'x'
        {"red", 0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        expectColor(setColorToVec4(c.text, 0.25f), c.r, c.g, c.b, 0.25f);
    }
    EXPECT_EQ(setColorToVec4(std::string("#00\0FF", 6), 1.0f), glm::vec4(0, 0, 0, 1));
}

}  // namespace
}  // namespace quorvan
