// SPDX-License-Identifier: GPL-3.0-or-later
// Reading JSON answers the forgiving way: a text that does not parse is a
// discarded document, and a member that is missing or of another type reads
// as the empty text. Member names match exactly and case-sensitively.
#pragma once

#include <nlohmann/json.hpp>

#include "text/text.h"

// Objects and arrays nested deeper than this are refused before anything is
// built: real answers nest three or four levels, and a page of "[" would
// otherwise cost the parser many times its size.
constexpr size_t kMaxJsonDepth = 64;

// The parsed document; is_discarded() when the text is not JSON or nests
// deeper than kMaxJsonDepth. Never throws.
nlohmann::json ParseJson(const Text& text);

// Whether the objects and arrays of a JSON text (strings skipped, escapes
// included) nest at most `maxDepth` deep. Malformed text is left to the parser.
bool JsonDepthWithin(std::u16string_view text, size_t maxDepth);

// The member `name` of `value`, or nullptr when `value` is not an object or
// has no such member.
const nlohmann::json* JsonMember(const nlohmann::json& value, const char* name);

// The member `name` of `value` when it is a string, else the empty text.
Text JsonStringMember(const nlohmann::json& value, const char* name);

// Element 0 of the member `name` of `value`, or nullptr unless that member is
// an array with at least one element.
const nlohmann::json* JsonFirstElement(const nlohmann::json& value, const char* name);
