<?xml version="1.0" encoding="UTF-8"?>
<!-- Day style of the city map: water and parks flat, buildings in 3D, road
     labels only when the camera is low. -->
<StyledLayerDescriptor version="1.0.0"
    xmlns="http://www.opengis.net/sld"
    xmlns:ogc="http://www.opengis.net/ogc"
    xmlns:xlink="http://www.w3.org/1999/xlink"
    xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
    xsi:schemaLocation="http://www.opengis.net/sld http://schemas.opengis.net/sld/1.0.0/StyledLayerDescriptor.xsd"
    background-color="#F2EFE9" background-opacity="1.0">
  <NamedLayer>
    <Name>buildings</Name>
    <VendorOption name="geometryLayerId">30</VendorOption>
    <VendorOption name="zOrder">40</VendorOption>
    <VendorOption name="3D">true</VendorOption>
    <VendorOption name="selectable">yes</VendorOption>
    <VendorOption name="antialiasing">1</VendorOption>
    <VendorOption name="decorator">roof-edges</VendorOption>
    <UserStyle>
      <Name>buildings-day</Name>
      <Title>Buildings</Title>
      <FeatureTypeStyle>
        <Rule>
          <Name>near</Name>
          <MinScaleDenominator>8000</MinScaleDenominator>
          <MaxScaleDenominator>50</MaxScaleDenominator>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#D9D0C9</CssParameter>
              <CssParameter name="fill-opacity">0.9</CssParameter>
            </Fill>
            <Stroke>
              <CssParameter name="stroke">#B9A99B</CssParameter>
              <CssParameter name="stroke-width">1.5</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
        <Rule>
          <Name>far</Name>
          <MinScaleDenominator>20000</MinScaleDenominator>
          <MaxScaleDenominator>8000</MaxScaleDenominator>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#E4DDD6</CssParameter>
            </Fill>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>water</Name>
    <VendorOption name="geometryLayerId">10</VendorOption>
    <VendorOption name="zOrder">-5</VendorOption>
    <UserStyle>
      <Name>water-day</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#AAD3DF</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>roads</Name>
    <VendorOption name="geometryLayerId">20</VendorOption>
    <VendorOption name="zOrder">10</VendorOption>
    <VendorOption name="direction">true</VendorOption>
    <VendorOption name="mergeable">by-name</VendorOption>
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
          <VendorOption name="minLabelScaleDenominator">3000</VendorOption>
          <VendorOption name="maxLabelScaleDenominator">100</VendorOption>
          <PolygonSymbolizer>
            <Stroke>
              <CssParameter name="stroke">#FFFFFF</CssParameter>
              <CssParameter name="stroke-width">6</CssParameter>
              <CssParameter name="stroke-opacity">0.8</CssParameter>
              <CssParameter name="stroke-dasharray">5 3</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
        <Rule>
          <TextSymbolizer>
            <Label><ogc:PropertyName>name</ogc:PropertyName></Label>
            <Font>
              <CssParameter name="font-family">Sans</CssParameter>
              <CssParameter name="font-size">13</CssParameter>
            </Font>
            <CssParameter name="font-size">14</CssParameter>
          </TextSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>parks</Name>
    <VendorOption name="geometryLayerId">11</VendorOption>
    <VendorOption name="zOrder">0</VendorOption>
    <UserStyle>
      <Name>parks-day</Name>
      <FeatureTypeStyle>
        <Rule>
          <MaxScaleDenominator>0</MaxScaleDenominator>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#C8FACC</CssParameter>
              <CssParameter name="fill-opacity">0.6</CssParameter>
            </Fill>
            <Graphic>
              <Size>24</Size>
              <ExternalGraphic>
                <Resource default="tree.png" selected="tree-selected.png"/>
              </ExternalGraphic>
            </Graphic>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>building-labels</Name>
    <VendorOption name="geometryLayerId">30</VendorOption>
    <VendorOption name="zOrder">50</VendorOption>
    <VendorOption name="3D">false</VendorOption>
    <UserStyle>
      <Name>building-labels-day</Name>
      <FeatureTypeStyle>
        <Rule>
          <MinScaleDenominator>1500</MinScaleDenominator>
          <TextSymbolizer>
            <CssParameter name="font-size">11</CssParameter>
          </TextSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
</StyledLayerDescriptor>
