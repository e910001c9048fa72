// SPDX-License-Identifier: GPL-3.0-or-later
// The two search services, played by servers on 127.0.0.1.
#include "cover/cover_lookup.h"

#include <gtest/gtest.h>

#include "os/os.h"
#include "support/local_server.h"

namespace {

class CoverLookup : public testing::Test {
 protected:
  void SetUp() override {
    services = {itunes.Base(), deezer.Base()};
  }

  LocalServer itunes, deezer;
  HttpGetFn httpGet = BoundedHttpGet(MonotonicMs, {});
  CoverServices services;
};

TEST_F(CoverLookup, SendsTheExactQueries) {
  itunes.Serve("/search", "{}");
  deezer.Serve("/search", "{}");
  const struct {
    const char16_t* artist;
    const char16_t* title;
    const char* itunesTarget;
    const char* deezerTarget;
  } cases[] = {
      {u"Blue Sky", u"Night Song", "/search?term=Blue+Sky+Night+Song&media=music&entity=song&limit=1",
       "/search?q=artist%3A%22Blue+Sky%22+track%3A%22Night+Song%22&limit=1"},
      {u"", u"Night Song", "/search?term=+Night+Song&media=music&entity=song&limit=1",
       "/search?q=artist%3A%22%22+track%3A%22Night+Song%22&limit=1"},
      {u"Blue Sky feat. Red Moon", u"Night Song (Radio Edit)",
       "/search?term=Blue+Sky+Night+Song&media=music&entity=song&limit=1",
       "/search?q=artist%3A%22Blue+Sky%22+track%3A%22Night+Song%22&limit=1"},
      {u"  AC/DC  ", u"Caf\u00e9 & co [Live]", "/search?term=AC%2FDC+Caf%E9+%26+co&media=music&entity=song&limit=1",
       "/search?q=artist%3A%22AC%2FDC%22+track%3A%22Caf%E9+%26+co%22&limit=1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.artist) + " / " + TextToUtf8(c.title));
    itunes.ClearRequests();
    deezer.ClearRequests();
    EXPECT_EQ(LookupCoverUrl(httpGet, services, c.artist, c.title), u"");
    EXPECT_EQ(itunes.Targets(), std::vector<std::string>{c.itunesTarget});
    EXPECT_EQ(deezer.Targets(), std::vector<std::string>{c.deezerTarget});
  }
}

struct AnswerCase {
  const char* name;
  const char* itunesAnswer;  // nullptr: the transfer fails
  const char* deezerAnswer;
  const char16_t* url;
  bool deezerAsked;
};

void RunAnswerCases(LocalServer& itunes, LocalServer& deezer, const HttpGetFn& httpGet, const CoverServices& services,
                    const std::vector<AnswerCase>& cases) {
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.name);
    c.itunesAnswer ? itunes.Serve("/search", c.itunesAnswer) : itunes.Break("/search");
    c.deezerAnswer ? deezer.Serve("/search", c.deezerAnswer) : deezer.Break("/search");
    deezer.ClearRequests();
    EXPECT_EQ(LookupCoverUrl(httpGet, services, u"Blue Sky", u"Night Song"), c.url);
    EXPECT_EQ(deezer.Requests().size(), c.deezerAsked ? 1u : 0u);
  }
}

constexpr const char* kDeezerXl = R"({"data":[{"album":{"cover_xl":"http://d/xl.jpg","cover_big":"http://d/big.jpg"}}]})";

TEST_F(CoverLookup, FirstServiceAnswers) {
  RunAnswerCases(itunes, deezer, httpGet, services, {
      {"artwork at 600", R"({"results":[{"artworkUrl100":"http://i/a/100x100bb.jpg"}]})", kDeezerXl,
       u"http://i/a/600x600bb.jpg", false},
      {"every occurrence", R"({"results":[{"artworkUrl100":"http://i/100x100/100x100100x100.jpg"}]})", kDeezerXl,
       u"http://i/600x600/600x600600x600.jpg", false},
      {"case-sensitive replacement", R"({"results":[{"artworkUrl100":"http://i/100X100.jpg"}]})", kDeezerXl,
       u"http://i/100X100.jpg", false},
      {"second result ignored", R"({"results":[{"artworkUrl100":"http://i/1.jpg"},{"artworkUrl100":"x"}]})",
       kDeezerXl, u"http://i/1.jpg", false},
  });
}

TEST_F(CoverLookup, UnusableFirstServiceAsksTheSecond) {
  RunAnswerCases(itunes, deezer, httpGet, services, {
      {"no results", R"({"resultCount":0,"results":[]})", kDeezerXl, u"http://d/xl.jpg", true},
      {"results absent", R"({"resultCount":0})", kDeezerXl, u"http://d/xl.jpg", true},
      {"results not an array", R"({"results":{"artworkUrl100":"http://i/a.jpg"}})", kDeezerXl, u"http://d/xl.jpg", true},
      {"artwork missing", R"({"results":[{"artworkUrl60":"http://i/a.jpg"}]})", kDeezerXl, u"http://d/xl.jpg", true},
      {"artwork null", R"({"results":[{"artworkUrl100":null}]})", kDeezerXl, u"http://d/xl.jpg", true},
      {"artwork empty", R"({"results":[{"artworkUrl100":""}]})", kDeezerXl, u"http://d/xl.jpg", true},
      {"name differs in case", R"({"results":[{"ArtworkUrl100":"http://i/a.jpg"}]})", kDeezerXl, u"http://d/xl.jpg",
       true},
      {"result not an object", R"({"results":["http://i/a.jpg"]})", kDeezerXl, u"http://d/xl.jpg", true},
      {"not JSON", "<html>Service Unavailable</html>", kDeezerXl, u"http://d/xl.jpg", true},
      {"empty answer", "", kDeezerXl, u"http://d/xl.jpg", true},
      {"failed transfer", nullptr, kDeezerXl, u"http://d/xl.jpg", true},
  });
}

TEST_F(CoverLookup, SecondServiceAnswers) {
  RunAnswerCases(itunes, deezer, httpGet, services, {
      {"xl kept unchanged", "{}", R"({"data":[{"album":{"cover_xl":"http://d/100x100.jpg"}}]})",
       u"http://d/100x100.jpg", true},
      {"big when xl null", "{}", R"({"data":[{"album":{"cover_xl":null,"cover_big":"http://d/big.jpg"}}]})",
       u"http://d/big.jpg", true},
      {"big when xl empty", "{}", R"({"data":[{"album":{"cover_xl":"","cover_big":"http://d/big.jpg"}}]})",
       u"http://d/big.jpg", true},
      {"big when xl absent", "{}", R"({"data":[{"album":{"cover_big":"http://d/big.jpg"}}]})", u"http://d/big.jpg",
       true},
      {"neither", "{}", R"({"data":[{"album":{"cover_xl":null,"cover_big":7}}]})", u"", true},
      {"data empty", "{}", R"({"data":[],"total":0})", u"", true},
      {"data not an array", "{}", R"({"data":{"album":{"cover_xl":"http://d/xl.jpg"}}})", u"", true},
      {"no album", "{}", R"({"data":[{"cover_xl":"http://d/xl.jpg"}]})", u"", true},
      {"album not an object", "{}", R"({"data":[{"album":"http://d/xl.jpg"}]})", u"", true},
      {"element not an object", "{}", R"({"data":[["album"]]})", u"", true},
      {"name differs in case", "{}", R"({"data":[{"Album":{"cover_xl":"http://d/xl.jpg"}}]})", u"", true},
      {"not JSON", "{}", "Quota exceeded", u"", true},
      {"failed transfer", "{}", nullptr, u"", true},
  });
}

}  // namespace
