// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/text.h"

// Scheme, host and port of a URL: everything before the first "/" that
// follows "://" (or the first "/" at all when there is no "://").
Text DeriveServerBase(const Text& url);
