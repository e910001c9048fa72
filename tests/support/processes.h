// SPDX-License-Identifier: GPL-3.0-or-later
// Starting and ending the programs a test needs beside it: a private X server
// (Xvfb), a private sound server with a null sink (PulseAudio) and a
// recorder on it, the demo station, the player. Every process started here
// is ended by its pid; every wait polls against a deadline. The shell
// scripts have the same pieces in tools/demo-env.sh.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using EnvironmentVariables = std::vector<std::pair<std::string, std::string>>;

// Starts argv[0] (searched on PATH) with stdin from /dev/null and stdout and
// stderr into `outputPath` (nothing kept when empty), these variables set in
// its environment (an empty value removes one). It inherits no other file
// of the test's but `keepFd` (the lock that keeps window tests apart stays
// with the test), and ends when the test does, even by a crash. Its pid, or 0.
pid_t SpawnProcess(const std::vector<std::string>& argv, const std::string& outputPath = "",
                   const EnvironmentVariables& environment = {}, int keepFd = -1);

// Waits up to `timeout` for the process to end; its exit code (128 + the
// signal when one ended it), or nothing.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout);

// SIGTERM, then SIGKILL if it is still there after `grace`; always reaped.
void EndProcess(pid_t pid, std::chrono::milliseconds grace = std::chrono::seconds(5));

// Polls `condition` every 50 ms until it holds or `timeout` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Xvfb on a display number it picks itself, with a screen of `screen`
// (width x height x depth). The display (":N"), or nothing.
std::optional<std::string> StartXvfb(pid_t& pid, const std::string& screen = "1024x768x24");

// A sound server of its own under `dir` (created), with a null sink whose
// monitor can be recorded. The value for PULSE_SERVER, or nothing.
std::optional<std::string> StartPrivatePulse(const std::string& dir, pid_t& pid);

// A session bus of its own (dbus-daemon, with the standard session services
// it can start) listening on `dir`/bus; the services it starts get
// `environment`. The value for DBUS_SESSION_BUS_ADDRESS, or nothing.
std::optional<std::string> StartPrivateBus(const std::string& dir, const EnvironmentVariables& environment,
                                           pid_t& pid);

// Records the null sink's monitor (or `source`) as raw stereo 32-bit floats
// at 44.1 kHz into `outputPath`. An idle null sink runs at a 2-second latency
// and starves a new stream: the recorder's low latency keeps it brisk. Its
// pid, or 0.
pid_t StartRecorder(const std::string& outputPath, const std::string& source = "null.monitor");

// The demo station with these options, its output in `logPath`; returns once
// it has said on which ports it listens. Its pid, or 0.
pid_t StartStation(const std::string& binary, const std::vector<std::string>& options, const std::string& logPath);
