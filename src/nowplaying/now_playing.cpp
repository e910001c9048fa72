// SPDX-License-Identifier: GPL-3.0-or-later
#include "nowplaying/now_playing.h"

#include <algorithm>

#include "nowplaying/fetch_text.h"
#include "nowplaying/json_text.h"
#include "os/log.h"

namespace {

constexpr size_t kTitleField = 6;  // 1-based field of the status page's comma form

// The sixth comma-separated field, or the empty text when there are fewer
// than five commas. A comma inside a title ends the field.
Text CommaFormTitle(const Text& page) {
  if (std::count(page.begin(), page.end(), u',') < std::ptrdiff_t(kTitleField - 1)) return {};
  size_t start = 0;
  for (size_t field = 1; field < kTitleField; ++field) start = page.find(u',', start) + 1;
  const size_t end = page.find(u',', start);
  return page.substr(start, end == Text::npos ? Text::npos : end - start);
}

// Real servers send their status page as an HTML document whose body holds
// seven fields, the title last: "listeners,status,peak,max,unique,bitrate,title".
// Read as plain text, its sixth field would be the bitrate, and a title with
// markup would keep the closing tags. So when the page is a document (it
// opens with "<!DOCTYPE" or "<html", in any case, after white space), the
// fields are read from its body alone, and with seven of them the title is
// all that follows the sixth comma (commas in a title are kept there). Any
// other page is plain text, whatever markup its title carries.
std::optional<Text> HtmlBody(const Text& page) {
  const Text upper = UpperCaseAscii(page);
  const size_t first = upper.find_first_not_of(u" \t\r\n\f\v");
  if (first == Text::npos) return std::nullopt;
  const std::u16string_view head = std::u16string_view(upper).substr(first);
  if (!head.starts_with(u"<!DOCTYPE") && !head.starts_with(u"<HTML")) return std::nullopt;
  const size_t open = upper.find(u"<BODY", first);
  if (open == Text::npos) return std::nullopt;
  const size_t start = upper.find(u'>', open);
  if (start == Text::npos) return std::nullopt;
  const size_t close = upper.find(u"</BODY", start);
  return page.substr(start + 1, close == Text::npos ? Text::npos : close - start - 1);
}

Text StatusPageCommaTitle(const Text& page) {
  const std::optional<Text> body = HtmlBody(page);
  if (!body) return CommaFormTitle(page);
  if (std::count(body->begin(), body->end(), u',') >= std::ptrdiff_t(kTitleField)) {
    size_t start = 0;
    for (size_t field = 0; field < kTitleField; ++field) start = body->find(u',', start) + 1;
    return body->substr(start);
  }
  return CommaFormTitle(*body);
}

Text TagFormTitle(const Text& page) {
  static constexpr std::u16string_view kOpen = u"StreamTitle='";
  const size_t open = page.find(kOpen);
  if (open == Text::npos) return {};
  const size_t start = open + kOpen.size();
  const size_t close = page.find(u"';", start);
  if (close == Text::npos || close <= start) return {};
  return page.substr(start, close - start);
}

}  // namespace

Text CleanTitle(const Text& raw) {
  // A title ends at a NUL, as a page's text does at a zero byte: the screen,
  // the searches and the media controls all get what comes before it.
  const std::u16string_view text = std::u16string_view(raw).substr(0, raw.find(u'\0'));
  Text joined;
  joined.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      joined += u' ';
      ++i;
    } else {
      joined += text[i] == u'\t' ? u' ' : text[i];
    }
  }
  const Text trimmed = TrimSpaces(joined);
  return trimmed.size() <= kMaxTitleUnits ? trimmed : TrimSpaces(CutToUnits(trimmed, kMaxTitleUnits));
}

Text FetchStatsTitle(const HttpGetFn& httpGet, const Text& serverBase, std::optional<uint32_t> deadlineMs) {
  const std::optional<Text> page = FetchText(httpGet, serverBase + u"/stats?json=1", deadlineMs);
  if (!page || page->empty()) return {};
  const nlohmann::json doc = ParseJson(*page);
  if (doc.is_discarded()) {
    LogDiagnostic("the statistics page of %s is not JSON", TextToUtf8(serverBase).c_str());
    return {};
  }
  Text title = JsonStringMember(doc, "songtitle");
  if (title.empty()) title = JsonStringMember(doc, "song");
  if (title.empty()) {
    if (const nlohmann::json* stream = JsonFirstElement(doc, "streams")) {
      title = JsonStringMember(*stream, "songtitle");
      if (title.empty()) title = JsonStringMember(*stream, "song");
    }
  }
  return CleanTitle(title);
}

Text FetchStatusPageTitle(const HttpGetFn& httpGet, const Text& serverBase, std::optional<uint32_t> deadlineMs) {
  std::optional<Text> page = FetchText(httpGet, serverBase + u"/7.html", deadlineMs);
  if (!page || page->empty()) return {};
  Text title = StatusPageCommaTitle(*page);
  if (title.empty()) {
    // The second page replaces the first only when it arrives, even empty.
    if (std::optional<Text> second = FetchText(httpGet, serverBase + u"/7.html?sid=1", deadlineMs)) {
      page = std::move(second);
      title = StatusPageCommaTitle(*page);
    }
  }
  if (title.empty()) title = TagFormTitle(*page);
  return CleanTitle(title);
}

Text FetchNowPlaying(const HttpGetFn& httpGet, const Text& serverBase, std::optional<uint32_t> deadlineMs) {
  Text title = FetchStatsTitle(httpGet, serverBase, deadlineMs);
  if (title.empty()) title = FetchStatusPageTitle(httpGet, serverBase, deadlineMs);
  if (title.empty()) LogDiagnostic("no title on air from %s", TextToUtf8(serverBase).c_str());
  return title;
}
