// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostic log: one line on stderr per failure that the player
// otherwise passes over in silence (a cover not found, a page that would not
// load, a helper program that would not start). Silent unless the user
// starts the player with ORVELLE_LOG=1 in its environment.
#pragma once

// printf-style; the line gets the prefix "orvelle: " and a newline, and
// every control character in it is written escaped ("\r", "\x1B"). Any thread.
void LogDiagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Whether lines are written: ORVELLE_LOG is "1", read once.
bool DiagnosticLogEnabled();
