// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's calls, written once. Every file that needs the list (the
// engine's declarations, the player's function table and loader, the fake
// library of the tests, the export map and the export check) defines
//   ORVELLE_BASS_CALL(need, result, name, parameters)
// and includes this file; `need` is `required` (a library without it is
// refused) or `optional` (the player copes with its absence).
// No include guard: included once per use, with a different definition.
// The build scripts read the names from this file: keep one call per line.

ORVELLE_BASS_CALL(required, BOOL, BASS_Init, (int device, DWORD freq, DWORD flags, void* win, const void* dsguid))
ORVELLE_BASS_CALL(required, BOOL, BASS_Free, (void))
ORVELLE_BASS_CALL(required, int, BASS_ErrorGetCode, (void))
ORVELLE_BASS_CALL(required, HSTREAM, BASS_StreamCreateURL, (const char* url, DWORD offset, DWORD flags, void* proc, void* user))
ORVELLE_BASS_CALL(required, BOOL, BASS_ChannelPlay, (DWORD handle, BOOL restart))
ORVELLE_BASS_CALL(required, BOOL, BASS_ChannelStop, (DWORD handle))
ORVELLE_BASS_CALL(required, BOOL, BASS_ChannelPause, (DWORD handle))
ORVELLE_BASS_CALL(required, BOOL, BASS_StreamFree, (HSTREAM handle))
ORVELLE_BASS_CALL(required, BOOL, BASS_ChannelSetAttribute, (DWORD handle, DWORD attrib, float value))
ORVELLE_BASS_CALL(required, DWORD, BASS_ChannelIsActive, (DWORD handle))
ORVELLE_BASS_CALL(required, DWORD, BASS_ChannelGetData, (DWORD handle, void* buffer, DWORD length))
