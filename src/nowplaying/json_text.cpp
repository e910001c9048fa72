#include "nowplaying/json_text.h"

nlohmann::json ParseJson(const Text& text) {
  // No callback, no exceptions: a parse error yields a discarded value.
  return nlohmann::json::parse(TextToUtf8(text), nullptr, false);
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
