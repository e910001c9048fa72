// SPDX-License-Identifier: GPL-3.0-or-later
// Termination requests: SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl+C)
// end the run like "Quitter", with the usual shutdown and exit code 0,
// whatever the player is doing when they come.
#pragma once

// Installs the handlers. Call once, first thing, on the main thread, which
// must leave these signals unblocked.
void InstallTerminationHandlers();

// True once a termination signal has arrived. Safe on any thread.
bool TerminationRequested();

// Readable once a termination signal has arrived: the event loop watches it.
int TerminationWakeFd();
