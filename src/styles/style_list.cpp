#include "styles/style_list.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include <pugixml.hpp>

namespace quorvan {

C_GeoStylesList::~C_GeoStylesList() = default;

namespace {

bool styleSortIncrease(const C_GeoStyle* a, const C_GeoStyle* b) {
    return a->getZOrder() < b->getZOrder();
}

// Negative denominators take no part. NaN heights compare false everywhere
// and so hide nothing.
bool isStyleVisibleForHeight(const C_GeoStyle& style, float height) {
    const auto limit = [](int denominator) { return static_cast<float>(denominator); };
    if (style.getMinScaleDenominator() >= 0 && height > limit(style.getMinScaleDenominator()))
        return false;
    if (style.getMaxScaleDenominator() >= 0 && height < limit(style.getMaxScaleDenominator()))
        return false;
    if (style.getMinLabelScaleDenominator() >= 0 &&
        height > limit(style.getMinLabelScaleDenominator()))
        return false;
    if (style.getMaxLabelScaleDenominator() >= 0 &&
        height < limit(style.getMaxLabelScaleDenominator()))
        return false;
    return true;
}

// pugixml sizes its read buffer from seeking to the end of the file. On a
// directory that offset can be the file system's huge end-of-directory
// marker (an exabyte-sized allocation attempt), and opening a FIFO blocks
// until a writer comes. Only regular files (symbolic links followed) are
// handed to it.
pugi::xml_parse_status checkRegularFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return pugi::status_file_not_found;
    if (!std::filesystem::is_regular_file(status)) return pugi::status_io_error;
    return pugi::status_ok;
}

}  // namespace

void C_GeoStylesList::clear() {
    styles.clear();
    owned.clear();
}

int C_GeoStylesList::loadFromFile(const std::string& path) {
    if (const pugi::xml_parse_status status = checkRegularFile(path); status != pugi::status_ok)
        return status;

    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(path.c_str());
    if (!result) return result.status;

    // A missing root gives an empty node: defaults, no styles.
    const pugi::xml_node root = document.child("StyledLayerDescriptor");
    const glm::vec4 background =
        setColorToVec4(root.attribute("background-color").value(),
                       root.attribute("background-opacity").as_float(0.0f));

    // Built aside so that an allocation failure part way leaves the list as
    // it was, with nothing leaked.
    std::vector<std::unique_ptr<C_GeoStyle>> loaded;
    int index = 0;
    for (pugi::xml_node layer = root.first_child(); layer; layer = layer.next_sibling()) {
        auto style = std::make_unique<C_GeoStyle>();
        style->setProperties(layer);
        style->setInnerId(index++);
        loaded.push_back(std::move(style));
    }

    owned.reserve(owned.size() + loaded.size());
    styles.reserve(styles.size() + loaded.size());
    for (std::unique_ptr<C_GeoStyle>& style : loaded) {
        styles.push_back(style.get());
        owned.push_back(std::move(style));
    }
    // Stable, so equal zOrders keep document order (and earlier loads first).
    std::stable_sort(styles.begin(), styles.end(), styleSortIncrease);
    backgroundColor = background;
    return result.status;
}

std::vector<const C_GeoStyle*> C_GeoStylesList::getStyleByHeight(float height) const {
    std::vector<const C_GeoStyle*> visible;
    for (const C_GeoStyle* style : styles) {
        if (isStyleVisibleForHeight(*style, height)) visible.push_back(style);
    }
    return visible;
}

std::vector<const C_GeoStyle*> C_GeoStylesList::getAll3dStyles() const {
    std::vector<const C_GeoStyle*> result;
    for (const C_GeoStyle* style : styles) {
        if (style->isView3d()) result.push_back(style);
    }
    return result;
}

}  // namespace quorvan
