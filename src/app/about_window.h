#pragma once

#include <string>

#include "app/player_state.h"

constexpr int kAboutWidth = 800;
constexpr int kAboutHeight = 400;

// Draws the whole About picture on its surface (once, when it opens).
void DrawAboutWindow(Player& player, Surface& surface);

// The host of a URL: between "://" (and any "user@") and the port's ":" or
// the next "/", "?" or "#"; an IPv6 literal with its brackets.
std::string HostOfUrl(const std::string& url);
