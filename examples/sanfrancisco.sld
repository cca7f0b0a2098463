<?xml version="1.0" encoding="UTF-8"?>
<!-- The San Francisco sample's layers (examples/README.md) for meshory-viewer. Colours follow
     meshory-inspect's pictures. Camera heights are the ground, in map units, that the
     viewport's height spans; a layer's MinScaleDenominator is the greatest height at which
     it shows. Lines take the stroke (width in pixels), points and labels the fill. Buildings
     draw no outline (opacity 0): their lit walls set them apart, and a software driver
     draws the frame in half the time without their 160,000 edges. -->
<StyledLayerDescriptor background-color="#dde4ea" background-opacity="1">
  <NamedLayer>
    <Name>cell</Name>
    <VendorOption name="geometryLayerId">1</VendorOption>
    <VendorOption name="zOrder">0</VendorOption>
    <UserStyle>
      <Name>cell</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#efebe3</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
            <Stroke>
              <CssParameter name="stroke">#d6cfc2</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-width">1</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>landuse</Name>
    <VendorOption name="geometryLayerId">10</VendorOption>
    <VendorOption name="zOrder">10</VendorOption>
    <UserStyle>
      <Name>landuse</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#e2dccd</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
            <Stroke>
              <CssParameter name="stroke">#cfc6b3</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-width">1</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>park</Name>
    <VendorOption name="geometryLayerId">11</VendorOption>
    <VendorOption name="zOrder">11</VendorOption>
    <UserStyle>
      <Name>park</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#c2e0a8</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
            <Stroke>
              <CssParameter name="stroke">#9cc987</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-width">1</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>water</Name>
    <VendorOption name="geometryLayerId">12</VendorOption>
    <VendorOption name="zOrder">12</VendorOption>
    <UserStyle>
      <Name>water</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#9fcdee</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
            <Stroke>
              <CssParameter name="stroke">#73b0de</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-width">1</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>road</Name>
    <VendorOption name="geometryLayerId">20</VendorOption>
    <VendorOption name="zOrder">20</VendorOption>
    <UserStyle>
      <Name>road</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Stroke>
              <CssParameter name="stroke">#ffffff</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-width">3</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>tram</Name>
    <VendorOption name="geometryLayerId">21</VendorOption>
    <VendorOption name="zOrder">21</VendorOption>
    <UserStyle>
      <Name>tram</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Stroke>
              <CssParameter name="stroke">#8e62b0</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-width">2</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>railway</Name>
    <VendorOption name="geometryLayerId">22</VendorOption>
    <VendorOption name="zOrder">22</VendorOption>
    <UserStyle>
      <Name>railway</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Stroke>
              <CssParameter name="stroke">#6e6e6e</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-width">2</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>bridge</Name>
    <VendorOption name="geometryLayerId">23</VendorOption>
    <VendorOption name="zOrder">23</VendorOption>
    <UserStyle>
      <Name>bridge</Name>
      <FeatureTypeStyle>
        <Rule>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#c9c1b6</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
            <Stroke>
              <CssParameter name="stroke">#978c7f</CssParameter>
              <CssParameter name="stroke-opacity">1</CssParameter>
              <CssParameter name="stroke-width">1</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>building</Name>
    <VendorOption name="geometryLayerId">30</VendorOption>
    <VendorOption name="zOrder">30</VendorOption>
    <VendorOption name="3D">true</VendorOption>
    <UserStyle>
      <Name>building</Name>
      <FeatureTypeStyle>
        <Rule>
          <MinScaleDenominator>6000</MinScaleDenominator>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#d7cbc0</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
            <Stroke>
              <CssParameter name="stroke">#a8988a</CssParameter>
              <CssParameter name="stroke-opacity">0</CssParameter>
              <CssParameter name="stroke-width">1</CssParameter>
            </Stroke>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>poi</Name>
    <VendorOption name="geometryLayerId">40</VendorOption>
    <VendorOption name="zOrder">40</VendorOption>
    <UserStyle>
      <Name>poi</Name>
      <FeatureTypeStyle>
        <Rule>
          <MinScaleDenominator>4000</MinScaleDenominator>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#d0603f</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
            <Graphic>
              <Size>9</Size>
            </Graphic>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>road-name</Name>
    <VendorOption name="geometryLayerId">50</VendorOption>
    <VendorOption name="zOrder">50</VendorOption>
    <UserStyle>
      <Name>road-name</Name>
      <FeatureTypeStyle>
        <Rule>
          <MinScaleDenominator>2500</MinScaleDenominator>
          <TextSymbolizer>
            <CssParameter name="font-size">11</CssParameter>
          </TextSymbolizer>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#4a4a4a</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>place</Name>
    <VendorOption name="geometryLayerId">51</VendorOption>
    <VendorOption name="zOrder">51</VendorOption>
    <UserStyle>
      <Name>place</Name>
      <FeatureTypeStyle>
        <Rule>
          <TextSymbolizer>
            <CssParameter name="font-size">16</CssParameter>
          </TextSymbolizer>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#1e1e1e</CssParameter>
              <CssParameter name="fill-opacity">1</CssParameter>
            </Fill>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
</StyledLayerDescriptor>
