<?xml version="1.0" encoding="UTF-8"?>
<sld:StyledLayerDescriptor version="1.0.0"
    xmlns:sld="http://www.opengis.net/sld"
    xmlns:ogc="http://www.opengis.net/ogc"
    background-color="#0000FF" background-opacity="1">
  <sld:NamedLayer>
    <sld:Name>water</sld:Name>
    <sld:VendorOption name="geometryLayerId">10</sld:VendorOption>
  </sld:NamedLayer>
</sld:StyledLayerDescriptor>
