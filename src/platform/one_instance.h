// SPDX-License-Identifier: GPL-3.0-or-later
// One player per user and display. The first start holds a claim; a later
// start asks the player that holds it to bring its window to the front and
// ends with 0, opening nothing. The claim dies with its process however that
// ends, so a player that crashed never stands in the way of the next start.
#pragma once

#include <functional>

// Called first thing, before anything is set up. True: this start is the
// player, holding the claim until it ends (or no claim could be made, and
// it runs as any start did before). False: a player already runs and was
// asked to come to the front.
bool ClaimTheOnlyPlayer();

#ifndef _WIN32
// Readable when a later start asks the player to come forward; -1 without a
// claim. The event loop watches it.
int LaterStartsFd();
// Takes every request waiting, calls `present` once if there was any, then
// tells each later start that it may end.
void AnswerLaterStarts(const std::function<void()>& present);
#endif
