// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 <-> UTF-16 for the Windows edges: the player keeps UTF-8 strings,
// Windows' wide ("W") calls take UTF-16. Malformed input is replaced, not refused.
#pragma once

#include <string>

std::wstring WidenUtf8(const std::string& utf8);
std::string NarrowToUtf8(const std::wstring& wide);
