<?xml version="1.0" encoding="UTF-8"?>
<!-- A feature type style on its own: well-formed, but not a style document. -->
<FeatureTypeStyle xmlns="http://www.opengis.net/sld" background-color="#FF0000" background-opacity="1">
  <Rule>
    <Name>lonely</Name>
    <PolygonSymbolizer>
      <Fill><CssParameter name="fill">#FF0000</CssParameter></Fill>
    </PolygonSymbolizer>
  </Rule>
</FeatureTypeStyle>
