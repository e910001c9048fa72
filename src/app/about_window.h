#pragma once

#include <string>

#include "app/player_state.h"

constexpr int kAboutWidth = 800;
constexpr int kAboutHeight = 400;

// Draws the whole About picture on its surface (once, when it opens).
void DrawAboutWindow(Player& player, Surface& surface);

// The host of a URL: between "://" and the next ":", "/", "?" or "#".
std::string HostOfUrl(const std::string& url);
