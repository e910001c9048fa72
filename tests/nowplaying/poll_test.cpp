// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the title on air from the statistics and status pages of a stream
// server running on 127.0.0.1.
#include "nowplaying/now_playing.h"

#include <gtest/gtest.h>

#include "nowplaying/json_text.h"
#include "nowplaying/server_base.h"
#include "os/os.h"
#include "support/local_server.h"

namespace {

// A page body, or kBroken for a transfer that fails.
constexpr const char* kBroken = nullptr;

struct ServerPages {
  const char* stats;
  const char* status = "";
  const char* statusSid = "";
};

struct TitleCase {
  const char* name;
  ServerPages pages;
  const char16_t* title;
  std::vector<std::string> asked;
};

const std::vector<std::string> kStatsOnly = {"/stats?json=1"};
const std::vector<std::string> kStatsAndStatus = {"/stats?json=1", "/7.html"};
const std::vector<std::string> kAllThree = {"/stats?json=1", "/7.html", "/7.html?sid=1"};

void RunTitleCases(const std::vector<TitleCase>& cases) {
  LocalServer server;
  HttpGetFn httpGet = BoundedHttpGet(MonotonicMs, {});
  for (const TitleCase& c : cases) {
    SCOPED_TRACE(c.name);
    c.pages.stats ? server.Serve("/stats", c.pages.stats) : server.Break("/stats");
    // "/7.html" and "/7.html?sid=1" share a path: tell them by the query.
    const ServerPages pages = c.pages;
    server.Route("/7.html", [pages](const httplib::Request& request, httplib::Response& response) {
      const char* body = request.has_param("sid") ? pages.statusSid : pages.status;
      if (body == kBroken) {
        response.set_content_provider(100, "text/plain", [](size_t, size_t, httplib::DataSink&) { return false; });
      } else {
        response.set_content(body, "text/html");
      }
    });
    server.ClearRequests();
    EXPECT_EQ(FetchNowPlaying(httpGet, T(server.Base())), c.title);
    EXPECT_EQ(server.Targets(), c.asked);
  }
}

TEST(FetchNowPlaying, StatsPageShapes) {
  RunTitleCases({
      {"root songtitle", {R"({"songtitle":"A - B","song":"C - D"})"}, u"A - B", kStatsOnly},
      {"root song", {R"({"song":"A - B"})"}, u"A - B", kStatsOnly},
      {"empty songtitle falls to song", {R"({"songtitle":"","song":"A - B"})"}, u"A - B", kStatsOnly},
      {"non-string songtitle", {R"({"songtitle":5,"song":"A - B"})"}, u"A - B", kStatsOnly},
      {"first stream songtitle", {R"({"streams":[{"songtitle":"A - B"},{"songtitle":"X"}]})"}, u"A - B", kStatsOnly},
      {"first stream song", {R"({"songtitle":null,"streams":[{"song":"A - B"}]})"}, u"A - B", kStatsOnly},
      {"root wins over streams", {R"({"song":"A - B","streams":[{"songtitle":"X"}]})"}, u"A - B", kStatsOnly},
      {"cleaned", {"{\"songtitle\":\"  A - B\\r\\n\"}"}, u"A - B", kStatsOnly},
      {"unicode escapes", {R"({"songtitle":"Caf\u00e9 - No\u00ebl"})"}, u"Caf\u00e9 - No\u00ebl", kStatsOnly},
  });
}

TEST(FetchNowPlaying, UnusableStatsPageFallsToTheStatusPage) {
  const char* status = "1,2,3,4,5,S - T";
  RunTitleCases({
      {"empty first stream", {R"({"streams":[{"songtitle":""}]})", status}, u"S - T", kStatsAndStatus},
      {"second stream not read", {R"({"streams":[{},{"songtitle":"X"}]})", status}, u"S - T", kStatsAndStatus},
      {"streams empty", {R"({"streams":[]})", status}, u"S - T", kStatsAndStatus},
      {"streams not an array", {R"({"streams":{"songtitle":"X"}})", status}, u"S - T", kStatsAndStatus},
      {"stream not an object", {R"({"streams":["X"]})", status}, u"S - T", kStatsAndStatus},
      {"names are case-sensitive", {R"({"SongTitle":"X","Song":"Y"})", status}, u"S - T", kStatsAndStatus},
      {"root not an object", {R"(["A - B"])", status}, u"S - T", kStatsAndStatus},
      {"not JSON", {"<html>songtitle</html>", status}, u"S - T", kStatsAndStatus},
      {"truncated JSON", {R"({"songtitle":"A - B")", status}, u"S - T", kStatsAndStatus},
      {"spaces only", {R"({"songtitle":"   "})", status}, u"S - T", kStatsAndStatus},
      {"empty page", {"", status}, u"S - T", kStatsAndStatus},
      {"failed transfer", {kBroken, status}, u"S - T", kStatsAndStatus},
  });
}

TEST(FetchNowPlaying, DeeplyNestedStatsPageIsNoAnswer) {
  const std::string nested = std::string(100000, '[') + std::string(100000, ']');
  LocalServer server;
  server.Serve("/stats", nested);
  HttpGetFn httpGet = BoundedHttpGet(MonotonicMs, {});
  EXPECT_EQ(FetchStatsTitle(httpGet, T(server.Base())), u"");
}

TEST(ParseJson, NestingPastTheBoundIsRefusedBeforeAnythingIsBuilt) {
  const auto nested = [](size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  const std::string brackets(100, '[');
  const struct {
    const char* name;
    std::string json;
    bool parses;
  } cases[] = {
      {"at the bound", nested(kMaxJsonDepth), true},
      {"one deeper", nested(kMaxJsonDepth + 1), false},
      {"objects count too", R"({"a":)" + nested(kMaxJsonDepth) + "}", false},
      {"brackets in strings do not", R"({"a":")" + brackets + R"(","b":{"c":1}})", true},
      {"nor after an escaped quote", R"({"a":"\")" + brackets + R"(\\"})", true},
      {"a title beside a deep member", R"({"songtitle":"A - B","x":)" + nested(kMaxJsonDepth + 1) + "}", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(!ParseJson(T(c.json)).is_discarded(), c.parses);
  }
}

TEST(FetchNowPlaying, StatusPageForms) {
  RunTitleCases({
      {"sixth field", {"", "1,2,3,4,5,A - B"}, u"A - B", kStatsAndStatus},
      {"comma ends the field", {"", "1,2,3,4,5,A, B"}, u"A", kStatsAndStatus},
      {"seventh field ignored", {"", "1,2,3,4,5,6,A - B"}, u"6", kStatsAndStatus},
      {"markup kept, then cleaned", {"", "1,2,3,4,5, <b>A - B</b>\r\n"}, u"<b>A - B</b>", kStatsAndStatus},
      // A real server's page: seven fields in an HTML body, the title last.
      {"html page: title after the bitrate",
       {"", "<HTML><meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\"></head>"
            "<body>1,1,12,100,11,128,Blue Sky - Night Song</body></html>"},
       u"Blue Sky - Night Song", kStatsAndStatus},
      {"html page: commas kept in the last field", {"", "<html><body>1,1,12,100,11,128,A, B</body></html>"},
       u"A, B", kStatsAndStatus},
      {"html page: six fields, no markup", {"", "<html><body>1,2,3,4,5,A - B</body></html>"}, u"A - B",
       kStatsAndStatus},
      {"html page: any case, attributes, a doctype after white space",
       {"", " \r\n<!doctype html><HTML><BODY bgcolor=\"#fff\">1,1,1,1,1,64,X - Y</BODY></HTML>"}, u"X - Y",
       kStatsAndStatus},
      // Only a page that opens as a document is one.
      {"plain page, a body in the title", {"", "1,2,3,4,5,The <Body> Song"}, u"The <Body> Song", kStatsAndStatus},
      {"plain page, markup before the fields", {"", "<p><body>1,2,3,4,5,A - B,C"}, u"A - B", kStatsAndStatus},
      {"four commas ask sid=1", {"", "1,2,3,4,A - B", "1,2,3,4,5,C - D"}, u"C - D", kAllThree},
      {"empty sixth field asks sid=1", {"", "1,2,3,4,5,", "1,2,3,4,5,C - D"}, u"C - D", kAllThree},
      {"tag form", {"", "<p>StreamTitle='A - B';</p>", kBroken}, u"A - B", kAllThree},
      {"empty tag", {"", "StreamTitle='';", kBroken}, u"", kAllThree},
      {"unclosed tag", {"", "StreamTitle='A - B'", kBroken}, u"", kAllThree},
      {"tag of the second page", {"", "StreamTitle='A - B';", "StreamTitle='C - D';"}, u"C - D", kAllThree},
      {"an empty second page replaces the first", {"", "StreamTitle='A - B';", ""}, u"", kAllThree},
      {"empty first page: nothing more asked", {"", "", "1,2,3,4,5,C - D"}, u"", kStatsAndStatus},
      {"failed first page: nothing more asked", {"", kBroken, "1,2,3,4,5,C - D"}, u"", kStatsAndStatus},
  });
}

TEST(CleanTitle, JoinsLinesAndTrimsSpaces) {
  using namespace std::string_literals;
  const std::pair<Text, Text> cases[] = {
      {u"  A - B\r\n", u"A - B"},
      {u"A\tB", u"A B"},
      {u"\t A - B \t", u"A - B"},  // tabs become spaces first, then both ends are trimmed
      {u"A\r\nB\r\n\r\nC", u"A B  C"},
      {u"A\rB\nC", u"A\rB\nC"},  // a lone CR or LF stays
      {u"A\r\r\n", u"A\r"},
      {u"A\u00A0", u"A\u00A0"},  // only U+0020 is trimmed
      {u"", u""},
      {u" Ti\0tle - B"s, u"Ti"},  // a NUL ends the title, for the screen and the searches alike
      {u"\0A"s, u""},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(TextToUtf8(in));
    EXPECT_EQ(CleanTitle(in), out);
  }
}

TEST(CleanTitle, LongTitlesAreCutWithoutSplittingACharacter) {
  const Text a1023(kMaxTitleUnits - 1, u'a');
  const struct {
    const char* name;
    Text in;
    Text out;
  } cases[] = {
      {"at the bound", Text(kMaxTitleUnits, u'a'), Text(kMaxTitleUnits, u'a')},
      {"a page of title", u"A - " + Text(400000, u'x'), u"A - " + Text(kMaxTitleUnits - 4, u'x')},
      {"trimmed before the cut", u"\t  " + Text(kMaxTitleUnits, u'a') + u"\r\n", Text(kMaxTitleUnits, u'a')},
      {"a pair across the bound", a1023 + u"\U0001F508", a1023},
      {"a space at the cut", a1023 + u" tail", a1023},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CleanTitle(c.in), c.out);
  }
}

TEST(DeriveServerBase, CutsAtTheFirstSlashAfterTheHost) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"http://127.0.0.1:18000/;stream/1", u"http://127.0.0.1:18000"},
      {u"http://radio.example:8000", u"http://radio.example:8000"},
      {u"radio.example:8000/;stream/1", u"radio.example:8000"},
      {u"/only/a/path", u""},
      {u"", u""},
  };
  for (const auto& [url, base] : cases) EXPECT_EQ(DeriveServerBase(url), base) << TextToUtf8(url);
}

}  // namespace
