#include "inspect/page_writer.h"

#include <fstream>
#include <sstream>

#include "inspect/text.h"

namespace quorvan::inspect {

namespace {

std::string base64(const std::string& bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4 + bytes.size() / 57);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 |
                           static_cast<uint8_t>(bytes[i + 1]) << 8 |
                           static_cast<uint8_t>(bytes[i + 2]);
        out += {kDigits[v >> 18], kDigits[v >> 12 & 63], kDigits[v >> 6 & 63], kDigits[v & 63]};
        if (i % 57 == 54) out += '\n';  // 76-character lines
    }
    if (i + 1 == bytes.size()) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
        out += {kDigits[v >> 18], kDigits[v >> 12 & 63], '=', '='};
    } else if (i + 2 == bytes.size()) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1])
                                                                      << 8;
        out += {kDigits[v >> 18], kDigits[v >> 12 & 63], kDigits[v >> 6 & 63], '='};
    }
    return out;
}

// An inline script ends at the first "</script"; "<\/" means the same in
// every place JavaScript allows the pair (strings, regular expressions).
std::string inlineScript(const std::string& script) {
    std::string out;
    out.reserve(script.size());
    for (size_t i = 0; i < script.size(); ++i) {
        out += script[i];
        if (script[i] == '<' && i + 1 < script.size() && script[i + 1] == '/') out += '\\';
    }
    return out;
}

constexpr const char* kStyle = R"(
html, body { margin: 0; height: 100%; overflow: hidden; font: 13px "DejaVu Sans", sans-serif; }
#view { position: absolute; inset: 0; }
#panel { position: absolute; top: 8px; left: 8px; max-height: calc(100% - 60px); overflow: auto;
  background: rgba(255, 255, 255, 0.9); border: 1px solid #999; padding: 6px 10px; }
#panel h1 { font-size: 14px; margin: 0 0 4px; }
#layers label { display: block; white-space: nowrap; }
.swatch { display: inline-block; width: 12px; height: 10px; border: 1px solid #555; margin-left: 2px; }
#info { position: absolute; bottom: 8px; left: 8px; background: rgba(255, 255, 255, 0.9);
  border: 1px solid #999; padding: 4px 8px; }
)";

}  // namespace

std::string pageDocument(const Inspection& inspection, const std::string& title,
                         const std::string& pageScript, GltfSummary& summary) {
    const std::string glb = encodeGltf(inspection, GltfEncoding::Glb, summary);
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<title>" + escapeMarkup(title) + " in 3D</title>\n<style>" + kStyle + "</style>\n";
    page += "</head>\n<body>\n<div id=\"view\"></div>\n<div id=\"panel\"><h1>" +
            escapeMarkup(title) +
            "</h1><div id=\"status\">loading</div><div id=\"layers\"></div></div>\n";
    page +=
        "<div id=\"info\">drag to turn, right-drag to pan, wheel to zoom, click a model to "
        "pick it</div>\n";
    page += "<script type=\"application/octet-stream\" id=\"meshory-model\">\n" + base64(glb) +
            "\n</script>\n";
    page += "<script>\n" + inlineScript(pageScript) + "\n</script>\n</body>\n</html>\n";
    return page;
}

bool writePage(const Inspection& inspection, const std::string& title,
               const std::string& scriptPath, const std::string& path, std::string& error) {
    std::ifstream in(scriptPath, std::ios::binary);
    std::stringstream script;
    script << in.rdbuf();
    if (!in || script.str().empty()) {
        error = "cannot read the page script " + scriptPath +
                " (the build makes it with npm; see tools/inspect/page)";
        return false;
    }
    GltfSummary summary;
    const std::string page = pageDocument(inspection, title, script.str(), summary);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << page;
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace quorvan::inspect
