// SPDX-License-Identifier: GPL-3.0-or-later
// The cover as the desktop's media widget reads it: a PNG file under
// $XDG_RUNTIME_DIR/orvelle-player/, a new name for each cover published, so
// that a widget that keeps pictures by name never shows an old one.
#pragma once

#include <cstdint>
#include <string>

#include "model/picture.h"

// Writes `picture` as <folder>/<pid>-<number>.png and removes the file
// written before; the new file's URI, or "" when it could not be written
// (no runtime folder, a full disk). A reader never sees a half-written file.
std::string PublishCoverArt(const Picture& picture, uint32_t number);

// Removes the last file written, and the folder once no player uses it.
void RemoveCoverArt();
