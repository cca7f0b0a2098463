#pragma once

// The maker's geometry-type table: everything the maker knows of a type
// code, in one row. Internal to the model maker.
//
// Adding a type means one row here and one builder file that defines its
// builder and its size planner (builders/builders.h).

#include <cstdint>

#include "model/builders/builders.h"
#include "model/builders/size_plan.h"
#include "model/builders/transport_request.h"
#include "model/glmodel.h"

namespace quorvan::builders {

// `build` is the type's builder; `fn`, the form void(S_ModelBlobData*) that
// builderFor hands out, is made from it and runs it over the blob's own bytes.
struct GeometryType : S_GeometryTypeFunction {
    Builder build = nullptr;
    // Bounds what the builder adds; null when it adds nothing a plan sizes.
    SizePlanner plan = nullptr;
    TransportRole transport = TransportRole::Flushes;

    GeometryType(int32_t code, GeometryBuilder fn, Builder build, SizePlanner plan,
                 TransportRole transport)
        : S_GeometryTypeFunction(code, fn), build(build), plan(plan), transport(transport) {}
};

// The row of a type code, or null for a code without builder.
const GeometryType* geometryType(int32_t code);

}  // namespace quorvan::builders
