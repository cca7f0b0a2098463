#pragma once

// Writes the 3D page: one self-contained HTML file that shows the models
// with an orbit camera (rotate, pan, zoom), a list of layers to show or hide
// (coloured as in the SVG) and the layer, id and label of a picked model.
//
// Pages opened from file:// may neither load ES modules nor fetch, so the
// page inlines both its script (three.js with its glTF loader and orbit
// controls, bundled into one classic script at build time from the pinned
// npm packages in page/) and the models (binary glTF in base64). It needs
// no network and no server.

#include <string>

#include "inspect/gltf_writer.h"
#include "inspect/replay.h"

namespace quorvan::inspect {

// The bundled page script as the build leaves it beside the inspector.
inline constexpr const char* kPageScriptName = "meshory-page.js";

std::string pageDocument(const Inspection& inspection, const std::string& title,
                         const std::string& pageScript, GltfSummary& summary);

// False with `error` set when the page script cannot be read or the page written.
bool writePage(const Inspection& inspection, const std::string& title,
               const std::string& scriptPath, const std::string& path, std::string& error);

}  // namespace quorvan::inspect
