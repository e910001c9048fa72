// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/web_page.h"

namespace {

// Puts a stand-in for the desktop's URL handler first on PATH; it writes
// each argument it gets on a line of its own.
class WebPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvelle-web-XXXXXX";
    dir = mkdtemp(pattern);
    const std::string handler = dir + "/xdg-open";
    // It takes its time, so a caller that waited for it would be seen waiting.
    std::ofstream(handler) << "#!/bin/sh\nsleep 1\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << dir
                           << "/args.tmp\nmv " << dir << "/args.tmp " << dir << "/args\n";
    chmod(handler.c_str(), 0755);
    oldPath = getenv("PATH");
    setenv("PATH", (dir + ":" + oldPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    std::system(("rm -rf " + dir).c_str());
  }
  std::string WaitForArgs() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      std::ifstream in(dir + "/args");
      if (in) {
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "(the handler never ran)";
  }
  std::string dir;
  std::string oldPath;
};

TEST_F(WebPageTest, HandsTheUrlUnchangedAsOneArgumentWithoutWaiting) {
  const std::string url = "http://127.0.0.1:18000/top 30.htm?a=\"b\"&c=$(reboot);d";
  OpenWebPage(url);
  EXPECT_FALSE(std::ifstream(dir + "/args")) << "returned only after the handler had finished";
  EXPECT_EQ(WaitForArgs(), url + "\n");
}

}  // namespace
