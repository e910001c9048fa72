# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening Debian asks of its packages (what hardening-check looks
# for): fortified libc calls, stack protector, full RELRO and
# position-independent executables. Linux builds only, and not under the
# sanitizers, which instrument the same calls their own way. Not control-flow
# protection: Debian 12's own C start files (crti.o, crtn.o) carry no CET
# marks, so no program linked there can claim it, however it is compiled.
if(WIN32 OR ORVELLE_SANITIZE OR ORVELLE_TSAN OR ORVELLE_FUZZ)
  return()
endif()
# Fortification works on optimised code only; -O0 would warn at every file.
# Undefined first: a compiler that fortifies by default would warn of a redefinition.
add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
add_compile_options(-fstack-protector-strong -fstack-clash-protection)
add_link_options(-Wl,-z,relro -Wl,-z,now)
# Executables linked as PIE, not only compiled as position-independent code.
include(CheckPIESupported)
check_pie_supported()
