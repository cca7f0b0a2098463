#pragma once

// Writes the 3D page: one self-contained HTML file that shows the models
// with an orbit camera (rotate, pan, zoom), a list of layers to show or hide
// (coloured as in the SVG) and the layer, id and label of a picked model.
//
// Pages opened from file:// may neither load ES modules nor fetch, so the
// page inlines both the viewer (three.js with its glTF loader and orbit
// controls, bundled into one classic script at build time from the pinned
// npm packages in viewer/) and the models (binary glTF in base64). It needs
// no network and no server.

#include <string>

#include "inspect/gltf_writer.h"
#include "inspect/replay.h"

namespace quorvan::inspect {

// The bundled viewer as the build leaves it beside the inspector.
inline constexpr const char* kViewerScriptName = "meshory-viewer.js";

std::string pageDocument(const Inspection& inspection, const std::string& title,
                         const std::string& viewerScript, GltfSummary& summary);

// False with `error` set when the viewer cannot be read or the page written.
bool writePage(const Inspection& inspection, const std::string& title,
               const std::string& viewerPath, const std::string& path, std::string& error);

}  // namespace quorvan::inspect
