<?xml version="1.0" encoding="UTF-8"?>
<!-- Values past the 32-bit range: integers saturate, colours saturate to all
     bits set. -->
<StyledLayerDescriptor version="1.0.0" xmlns="http://www.opengis.net/sld"
    background-color="#123456789ABCDEF" background-opacity="1e60">
  <NamedLayer>
    <Name>huge</Name>
    <VendorOption name="geometryLayerId">99999999999999999999</VendorOption>
    <VendorOption name="zOrder">-99999999999</VendorOption>
    <VendorOption name="repeat">0x1FFFFFFFF</VendorOption>
    <UserStyle>
      <FeatureTypeStyle>
        <Rule>
          <MinScaleDenominator>3000000000</MinScaleDenominator>
          <MaxScaleDenominator>2147483648</MaxScaleDenominator>
          <PolygonSymbolizer>
            <Fill>
              <CssParameter name="fill">#FFFFFFFFFFFFFFFFFFFFFFFFFF00</CssParameter>
              <CssParameter name="fill-opacity">0.25</CssParameter>
            </Fill>
          </PolygonSymbolizer>
        </Rule>
      </FeatureTypeStyle>
    </UserStyle>
  </NamedLayer>
  <NamedLayer>
    <Name>small</Name>
    <VendorOption name="geometryLayerId">7</VendorOption>
    <VendorOption name="zOrder">2147483647</VendorOption>
  </NamedLayer>
</StyledLayerDescriptor>
