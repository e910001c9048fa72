// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a web page in the user's default browser.
#pragma once

#include <string>

// Hands the URL, unchanged and as one argument, to the desktop's URL handler
// and returns without waiting for it; a handler that cannot be started is
// only logged.
void OpenWebPage(const std::string& url);
