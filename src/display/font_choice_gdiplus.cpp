// SPDX-License-Identifier: GPL-3.0-or-later
// Which font family GDI+ draws a face in. GDI+ takes no family it does not
// find by name and has no fallback of its own (a Windows without "Segoe UI",
// or Wine, would draw no text at all), so the family is chosen through a
// list that ends with one that surely exists, once per face for the process.
#include <algorithm>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "display/gdiplus_surface.h"
#include "os/log.h"
#include "text/text.h"

using namespace Gdiplus;

namespace {

// Tried after the faces asked for: those the player was drawn with before it
// looked any further, and that most Windows have.
constexpr const wchar_t* kFallbackFaces[] = {L"Tahoma", L"Arial", L"Microsoft Sans Serif"};
// Where a text's family has no glyph for a symbol.
constexpr const wchar_t* kSymbolFaces[] = {L"Segoe UI Symbol", L"Segoe UI Emoji", L"Symbola"};
// A family that draws these draws the player's French texts.
constexpr std::u16string_view kLatinSample = u"Aa\u00e9";
// The size families are tried at; any would do.
constexpr REAL kTrialPixels = 16;

std::mutex familiesMutex;  // guards everything below: surfaces may be made on any thread

const InstalledFontCollection& Installed() {
  static const auto* installed = new InstalledFontCollection;  // lives as long as GDI+, never shut down
  return *installed;
}

// Every installed family, in the system's order.
const std::vector<std::unique_ptr<FontFamily>>& InstalledFamilies() {
  static const auto* families = [] {
    auto* all = new std::vector<std::unique_ptr<FontFamily>>;
    const INT count = Installed().GetFamilyCount();
    if (count <= 0) return all;
    std::vector<FontFamily> found(static_cast<size_t>(count));
    INT got = 0;
    Installed().GetFamilies(count, found.data(), &got);
    for (INT i = 0; i < got; ++i) all->emplace_back(found[size_t(i)].Clone());
    return all;
  }();
  return *families;
}

std::wstring NameOf(const FontFamily& family) {
  WCHAR name[LF_FACESIZE] = L"";
  family.GetFamilyName(name);
  return name;
}

std::string Utf8Of(const std::wstring& wide) {
  return TextToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return towlower(x) == towlower(y); });
}

// The family of that name: as GDI+ finds it, else among the installed ones,
// where Wine lists families that it does not find by name.
std::unique_ptr<FontFamily> FamilyNamed(const std::wstring& name) {
  if (name.empty()) return nullptr;
  auto family = std::make_unique<FontFamily>(name.c_str());
  if (family->GetLastStatus() == Ok) return family;
  for (const auto& installed : InstalledFamilies()) {
    if (installed->GetLastStatus() == Ok && SameName(NameOf(*installed), name))
      return std::unique_ptr<FontFamily>(installed->Clone());
  }
  return nullptr;
}

bool DrawsLatin(const FontFamily& family) {
  if (!family.IsStyleAvailable(FontStyleRegular)) return false;
  const Font font(&family, kTrialPixels, FontStyleRegular, UnitPixel);
  return font.GetLastStatus() == Ok && DrawsGlyphs(font, kLatinSample);
}

// The system's message font, as named and as the face GDI gives for it
// (Wine names "MS Shell Dlg", which is no family, and gives a real one).
std::vector<std::wstring> MessageFontNames() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return {};
  std::vector<std::wstring> names{metrics.lfMessageFont.lfFaceName};
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  if (dc != nullptr && font != nullptr) {
    const HGDIOBJ old = SelectObject(dc, font);
    WCHAR face[LF_FACESIZE] = L"";
    if (GetTextFaceW(dc, LF_FACESIZE, face) > 0) names.emplace_back(face);
    SelectObject(dc, old);
  }
  if (font != nullptr) DeleteObject(font);
  if (dc != nullptr) DeleteDC(dc);
  return names;
}

std::vector<std::wstring> SplitFaces(const std::string& faces) {
  std::vector<std::wstring> names;
  const std::u16string all = Utf8ToText(faces);
  size_t start = 0;
  while (start <= all.size()) {
    const size_t comma = std::min(all.find(u',', start), all.size());
    std::u16string name = all.substr(start, comma - start);
    name.erase(0, name.find_first_not_of(u' '));
    name.erase(name.find_last_not_of(u' ') + 1);
    if (!name.empty()) names.emplace_back(name.begin(), name.end());
    start = comma + 1;
  }
  return names;
}

std::unique_ptr<FontFamily> FirstThatDrawsLatin(const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    std::unique_ptr<FontFamily> family = FamilyNamed(name);
    if (family != nullptr && DrawsLatin(*family)) return family;
  }
  return nullptr;
}

std::unique_ptr<FontFamily> Choose(const std::string& faces) {
  if (auto family = FirstThatDrawsLatin(SplitFaces(faces))) return family;
  std::vector<std::wstring> others(std::begin(kFallbackFaces), std::end(kFallbackFaces));
  for (std::wstring& name : MessageFontNames()) others.push_back(std::move(name));
  std::unique_ptr<FontFamily> family = FirstThatDrawsLatin(others);
  for (size_t i = 0; family == nullptr && i < InstalledFamilies().size(); ++i) {
    const FontFamily& installed = *InstalledFamilies()[i];
    if (installed.GetLastStatus() == Ok && DrawsLatin(installed)) family.reset(installed.Clone());
  }
  if (family != nullptr) {
    LogDiagnostic("no font family %s; drawing in %s", faces.c_str(), Utf8Of(NameOf(*family)).c_str());
  } else {
    LogDiagnostic("no font family draws text, %s or any other", faces.c_str());
  }
  return family;
}

}  // namespace

const FontFamily* ChooseFontFamily(const std::string& faces) {
  static auto* chosen = new std::map<std::string, std::unique_ptr<FontFamily>>;
  const std::lock_guard<std::mutex> lock(familiesMutex);
  const auto found = chosen->find(faces);
  if (found != chosen->end()) return found->second.get();
  return chosen->emplace(faces, Choose(faces)).first->second.get();
}

const std::vector<std::unique_ptr<FontFamily>>& SymbolFamilies() {
  static const auto* families = [] {
    const std::lock_guard<std::mutex> lock(familiesMutex);
    auto* found = new std::vector<std::unique_ptr<FontFamily>>;
    for (const wchar_t* name : kSymbolFaces) {
      if (auto family = FamilyNamed(name)) found->push_back(std::move(family));
    }
    return found;
  }();
  return *families;
}

namespace {

// A small picture to draw one character at a time on, for the font it was made for.
class Scratch {
 public:
  explicit Scratch(const Font& font) : font_(font) {
    const int em = std::clamp(int(font.GetSize()) + 1, 1, 512);
    height_ = 2 * em, width_ = 3 * em;
    pixels_.resize(size_t(width_) * size_t(height_));
    bitmap_ = std::make_unique<Bitmap>(width_, height_, width_ * 4, PixelFormat32bppPARGB,
                                       reinterpret_cast<BYTE*>(pixels_.data()));
    if (bitmap_->GetLastStatus() == Ok) graphics_.reset(Graphics::FromImage(bitmap_.get()));
    if (graphics_ != nullptr) graphics_->SetTextRenderingHint(TextRenderingHintAntiAlias);
  }

  // The picture of `text`, or nothing when it cannot be drawn at all.
  std::vector<uint32_t> Draw(std::u16string_view text) {
    if (graphics_ == nullptr || graphics_->GetLastStatus() != Ok) return {};
    graphics_->Clear(Color(0, 0, 0, 0));
    const SolidBrush white(Color(255, 255, 255, 255));
    // Room on the left for a glyph that reaches before its origin.
    const PointF at(REAL(height_) / 4, 0);
    graphics_->DrawString(reinterpret_cast<const WCHAR*>(text.data()), INT(text.size()), &font_, at,
                          StringFormat::GenericTypographic(), &white);
    graphics_->Flush(FlushIntentionSync);
    return pixels_;
  }

 private:
  const Font& font_;
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
  std::unique_ptr<Bitmap> bitmap_;
  std::unique_ptr<Graphics> graphics_;
};

bool HasInk(const std::vector<uint32_t>& pixels) {
  return std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; });
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\u00A0'; }

}  // namespace

bool DrawsGlyphs(const Font& font, std::u16string_view text) {
  Scratch scratch(font);
  // What no font has: a noncharacter of the first plane, and one beyond it
  // (written as a pair, which Wine's GDI+ draws as two boxes like any pair).
  const std::vector<uint32_t> missing = scratch.Draw(u"\uFFFF"), missingPair = scratch.Draw(u"\U0010FFFF");
  for (size_t i = 0; i < text.size(); ++i) {
    const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00 && text[i + 1] >= 0xDC00 &&
                      text[i + 1] < 0xE000;
    if (!pair && IsSpace(text[i])) continue;
    const std::vector<uint32_t> drawn = scratch.Draw(text.substr(i, pair ? 2 : 1));
    if (!HasInk(drawn) || drawn == (pair ? missingPair : missing)) return false;
    i += pair ? 1 : 0;
  }
  return true;
}
