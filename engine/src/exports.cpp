// SPDX-License-Identifier: GPL-3.0-or-later
// libbass.so is the engine archive linked whole; its symbol list is made from
// include/orvelle/bass_calls.h (see CMakeLists.txt).
