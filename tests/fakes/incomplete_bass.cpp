// SPDX-License-Identifier: GPL-3.0-or-later
// A library that has some of the audio entry points but not all of them.
#include "orvelle/bass.h"

BOOL BASS_Init(int, DWORD, DWORD, void*, const void*) { return 1; }
BOOL BASS_Free(void) { return 1; }
