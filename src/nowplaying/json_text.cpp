// SPDX-License-Identifier: GPL-3.0-or-later
#include "nowplaying/json_text.h"

nlohmann::json ParseJson(const Text& text) {
  if (!JsonDepthWithin(text, kMaxJsonDepth)) return nlohmann::json(nlohmann::json::value_t::discarded);
  // No callback, no exceptions: a parse error yields a discarded value.
  return nlohmann::json::parse(TextToUtf8(text), nullptr, false);
}

bool JsonDepthWithin(std::u16string_view text, size_t maxDepth) {
  size_t depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (inString) {
      if (c == u'\\') ++i;  // the escaped character cannot end the string
      else if (c == u'"') inString = false;
    } else if (c == u'"') {
      inString = true;
    } else if (c == u'[' || c == u'{') {
      if (++depth > maxDepth) return false;
    } else if ((c == u']' || c == u'}') && depth > 0) {
      --depth;
    }
  }
  return true;
}

const nlohmann::json* JsonMember(const nlohmann::json& value, const char* name) {
  if (!value.is_object()) return nullptr;
  const auto it = value.find(name);
  return it == value.end() ? nullptr : &*it;
}

Text JsonStringMember(const nlohmann::json& value, const char* name) {
  const nlohmann::json* member = JsonMember(value, name);
  if (member == nullptr || !member->is_string()) return {};
  return Utf8ToText(member->get_ref<const std::string&>());
}

const nlohmann::json* JsonFirstElement(const nlohmann::json& value, const char* name) {
  const nlohmann::json* member = JsonMember(value, name);
  if (member == nullptr || !member->is_array() || member->empty()) return nullptr;
  return &(*member)[0];
}
