// Reading JSON answers the forgiving way: a text that does not parse is a
// discarded document, and a member that is missing or of another type reads
// as the empty text. Member names match exactly and case-sensitively.
#pragma once

#include <nlohmann/json.hpp>

#include "text/text.h"

// The parsed document; is_discarded() when the text is not JSON. Never throws.
nlohmann::json ParseJson(const Text& text);

// The member `name` of `value`, or nullptr when `value` is not an object or
// has no such member.
const nlohmann::json* JsonMember(const nlohmann::json& value, const char* name);

// The member `name` of `value` when it is a string, else the empty text.
Text JsonStringMember(const nlohmann::json& value, const char* name);

// Element 0 of the member `name` of `value`, or nullptr unless that member is
// an array with at least one element.
const nlohmann::json* JsonFirstElement(const nlohmann::json& value, const char* name);
