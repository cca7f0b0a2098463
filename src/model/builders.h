#pragma once

// Builders of the geometry-type table (internal to the model maker). Each
// follows one contract: decode the blob's payload with the origin as offset,
// add to `data->model`, keep no pointer into `data` after returning.
// Appending a list to a model field is done in place (amortised growth), which
// gives the same result as replacing the field with mergeTriangles(field, list).

#include "model/glmodel.h"

namespace quorvan::builders {

void modelPoints(S_ModelBlobData* data);

// Lines (builders_lines.cpp).
void modelLines(S_ModelBlobData* data);
void modelIndexedLines(S_ModelBlobData* data);
void modelFlatLineStrip(S_ModelBlobData* data);

// Flat areas (builders_areas.cpp).
void modelTriangleStrips(S_ModelBlobData* data);
void modelFlatTriangleStrip(S_ModelBlobData* data);
void modelIndexedFlatTriangleStrip(S_ModelBlobData* data);
void modelFlatTriangleFan(S_ModelBlobData* data);
void modelOnPolygonFlatTriangleFan(S_ModelBlobData* data);
void modelCellPolygon(S_ModelBlobData* data);

// Extruded areas (builders_extruded.cpp).
void modelIndexedTriangleStrips(S_ModelBlobData* data);
void modelTriangleFan(S_ModelBlobData* data);
void modelOnPolygonTriangleFan(S_ModelBlobData* data);

// Labels and text (builders_labels.cpp).
void modelText(S_ModelBlobData* data);
void modelLabelSegments(S_ModelBlobData* data);

// Transport paths: u8 prefix (width; unread for railways), then a vertex
// stream. An empty payload changes nothing.
void modelRailroad(S_ModelBlobData* data);
void modelTramPath(S_ModelBlobData* data);
void modelRoadPath(S_ModelBlobData* data);
void modelBridge(S_ModelBlobData* data);

}  // namespace quorvan::builders
