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
              <CssParamet