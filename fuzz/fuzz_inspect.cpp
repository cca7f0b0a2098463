// Pack bytes through the inspector: the reader, the build of every request
// and the writers. A refused pack names the byte offset; an accepted one,
// whatever texts it holds, gives glTF that a JSON parser reads back, an SVG
// that is well-formed XML in UTF-8, and a page in UTF-8.
#include <tiny_gltf.h>

#include <cstddef>
#include <cstdint>
#include <pugixml.hpp>
#include <string>

#include "inspect/gltf_writer.h"
#include "inspect/page_writer.h"
#include "inspect/replay.h"
#include "inspect/svg_writer.h"
#include "model/decode/utf8.h"
#include "pack/blob_pack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    pack::BlobPack blobs;
    pack::PackError error;
    if (!pack::readBlobPack(data, size, blobs, error)) {
        if (error.message.find("(at byte ") == std::string::npos) __builtin_trap();
        return 0;
    }
    const inspect::Inspection inspection = inspect::inspectPack(blobs);

    inspect::GltfSummary summary;
    const std::string json = inspect::encodeGltf(inspection, inspect::GltfEncoding::Json, summary);
    tinygltf::Model model;
    std::string problem, warning;
    tinygltf::TinyGLTF reader;
    if (!reader.LoadASCIIFromString(&model, &problem, &warning, json.data(),
                                    static_cast<unsigned>(json.size()), ""))
        __builtin_trap();

    inspect::SvgSummary labels;
    const std::string svg = inspect::svgDocument(inspection, blobs.grid, {400}, labels);
    pugi::xml_document document;
    if (!isValidUtf8(svg) || !document.load_buffer(svg.data(), svg.size())) __builtin_trap();
    if (labels.labelsDrawn > labels.labelCandidates) __builtin_trap();

    const std::string page = inspect::pageDocument(inspection, "fuzz", "0;", summary);
    if (!isValidUtf8(page)) __builtin_trap();
    return 0;
}
