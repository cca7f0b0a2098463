#pragma once

// Text as it leaves the inspector. Texts are raw bytes in packs and models;
// everything the inspector shows or writes (table, glTF, SVG, page) goes
// through displayText, which puts U+FFFD in place of each ill-formed part, so
// no writer meets bytes that are not UTF-8.

#include <string>
#include <string_view>

namespace quorvan::inspect {

// Well-formed UTF-8 for people and writers: `text` unchanged when it is,
// otherwise U+FFFD in place of each ill-formed part.
std::string displayText(std::string_view text);
// displayText escaped for XML and HTML text and attribute values, without
// the characters XML 1.0 forbids (controls but tab and newline, U+FFFE, U+FFFF).
std::string escapeMarkup(const std::string& raw);

}  // namespace quorvan::inspect
