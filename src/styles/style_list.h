#pragma once

// The styles of one SLD document, in drawing order (ascending zOrder), and
// the questions the host asks of them.
//
// loadFromFile(path) parses the file with pugixml's default options (no
// DOCTYPE processing, so no external entity is ever read), makes one style
// per child node of the root "StyledLayerDescriptor" (whatever its name:
// element, text or CDATA) and returns the pugixml parse status, 0 for
// success. A path that is not a regular file, an unreadable file or a
// malformed document returns a non-zero status and leaves the list as it
// was. A document with another root (a namespace prefix counts as another
// name) loads with status 0 and no styles. Loading appends to the styles
// already held; the background colour is replaced.
//
// Memory: the whole file and its parsed tree are held while styles are made;
// each style costs a few hundred bytes, whatever its element's size.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <glm/vec4.hpp>

#include <meshory/export.h>
#include <meshory/styles/style_record.h>

namespace quorvan {

class MESHORY_API C_GeoStylesList {
public:
    C_GeoStylesList() = default;
    // Defined in the library, which programs built against 0.1.0 call.
    ~C_GeoStylesList();

    // Not copied: the pointers the queries hand out belong to one list.
    C_GeoStylesList(const C_GeoStylesList&) = delete;
    C_GeoStylesList& operator=(const C_GeoStylesList&) = delete;

    int loadFromFile(const std::string& path);

    size_t getStyleCount() const { return styles.size(); }
    // index < getStyleCount().
    const C_GeoStyle* getStyle(size_t index) const { return styles[index]; }
    const std::vector<const C_GeoStyle*>& getAllStyles() const { return styles; }

    // The styles visible at camera height h, in drawing order. h is compared
    // directly with the denominators: h > minScaleDenominator or
    // h > minLabelScaleDenominator hides, h < maxScaleDenominator or
    // h < maxLabelScaleDenominator hides (bounds inclusive); negative
    // denominators take no part.
    std::vector<const C_GeoStyle*> getStyleByHeight(float height) const;
    std::vector<const C_GeoStyle*> getAll3dStyles() const;

    // (0, 0, 0, 0) until a document has loaded.
    const glm::vec4& getBackgroundColor() const { return backgroundColor; }

    // Deletes every style; the background colour stays. Pointers handed out
    // by the queries are invalid afterwards.
    void clear();

private:
    // `owned` holds the styles in load order; `styles` is the drawing order,
    // pointing into it. A style never moves once made, so reordering and
    // appending leave every pointer valid.
    std::vector<std::unique_ptr<const C_GeoStyle>> owned;
    std::vector<const C_GeoStyle*> styles;
    glm::vec4 backgroundColor{0.0f};
};

}  // namespace quorvan
