# SPDX-License-Identifier: GPL-3.0-or-later
# The addresses of the end-to-end tests' player, for every build of it.
# It reads its addresses from constants fixed at configure time; the tests
# run it against a station on ports of their own, away from the demo's
# 18000-18002, so that a demo station or the window tests on this machine
# never meet it. Normal variables shadow the cache in the including folder only.
set(ORVELLE_E2E_STREAM_PORT 18100)
set(ORVELLE_E2E_ITUNES_PORT 18101)
set(ORVELLE_E2E_DEEZER_PORT 18102)
set(ORVELLE_STREAM_URL  "http://127.0.0.1:${ORVELLE_E2E_STREAM_PORT}/;stream/1")
set(ORVELLE_SITE_URL    "http://127.0.0.1:${ORVELLE_E2E_STREAM_PORT}/")
set(ORVELLE_PODCAST_URL "http://127.0.0.1:${ORVELLE_E2E_STREAM_PORT}/podcast/")
set(ORVELLE_TOP30_URL   "http://127.0.0.1:${ORVELLE_E2E_STREAM_PORT}/top30.htm")
set(ORVELLE_FORUM_URL   "http://127.0.0.1:${ORVELLE_E2E_STREAM_PORT}/forum/")
set(ORVELLE_ITUNES_BASE "http://127.0.0.1:${ORVELLE_E2E_ITUNES_PORT}")
set(ORVELLE_DEEZER_BASE "http://127.0.0.1:${ORVELLE_E2E_DEEZER_PORT}")
orvelle_add_built_in_config(orvelle_built_in_config_e2e)
