#include "finishing/font_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace atelion {
namespace {

Font OpenFont(const std::string& family, double pixelSize = 32, bool bold = false, bool italic = false) {
  Font font;
  const Status status = Font::Open(FontRequest{family, pixelSize, bold, italic}, font);
  EXPECT_TRUE(status) << status.message();
  return font;
}

// The topmost and bottommost rows (box coordinates) that have any ink; {INT_MAX, INT_MIN} when none.
std::pair<int, int> InkRows(const TextMask& mask) {
  int first = INT_MAX;
  int last = INT_MIN;
  for (int j = 0; j < mask.height; ++j) {
    for (int i = 0; i < mask.width; ++i) {
      if (mask.coverage[static_cast<std::size_t>(j) * mask.width + i] > 0) {
        first = std::min(first, j + mask.top);
        last = std::max(last, j + mask.top);
      }
    }
  }
  return {first, last};
}

long InkSum(const TextMask& mask) {
  long sum = 0;
  for (const std::uint8_t c : mask.coverage) sum += c;
  return sum;
}

TEST(FontLookup, InstalledGenericAndMissingFamilies) {
  struct Case {
    std::string family;
    bool fellBack;
  };
  const Case cases[] = {
      {"DejaVu Sans", false},
      {"dejavu serif", false},  // letter case does not matter
      {"sans-serif", false},    // generic names are always there
      {"", false},              // nothing asked: the default, no complaint
      {"Atelion No Such Family", true},
  };
  for (const Case& c : cases) {
    const Font font = OpenFont(c.family);
    ASSERT_TRUE(font.IsOpen()) << c.family;
    EXPECT_EQ(font.FellBack(), c.fellBack) << c.family;
    EXPECT_FALSE(font.FileName().empty()) << c.family;
    if (c.fellBack || c.family.empty()) {
      EXPECT_EQ(font.Family(), kDefaultFontFamily) << c.family;
    }
  }
  EXPECT_EQ(OpenFont("DejaVu Serif").Family(), "DejaVu Serif");
}

TEST(FontLookup, RejectsSizesThatCannotBeDrawn) {
  for (const double size : {0.0, -4.0, 1e9}) {
    Font font;
    EXPECT_FALSE(Font::Open(FontRequest{kDefaultFontFamily, size}, font)) << size;
    EXPECT_FALSE(font.IsOpen());
  }
}

TEST(FontMetrics, WidthAndHeightGrowWithTheSize) {
  const Font small = OpenFont(kDefaultFontFamily, 16);
  const Font big = OpenFont(kDefaultFontFamily, 32);
  const std::string text = "Atelion draws";
  EXPECT_EQ(small.Height(), small.Ascent() + small.Descent());
  EXPECT_GT(small.Ascent(), small.Descent());
  EXPECT_NEAR(big.Height(), 2 * small.Height(), 2);
  // Unhinted advances: twice the size is twice the width, up to rounding.
  EXPECT_NEAR(big.TextWidth(text), 2 * small.TextWidth(text), 1);
  EXPECT_EQ(small.TextWidth(""), 0);
  EXPECT_GT(small.TextWidth(" "), 0);
}

TEST(FontStyles, MissingFacesAreMadeFromTheRegularOutlines) {
  // KacstBook comes in one weight and upright only: bold and italic must be synthesised.
  const Font regular = OpenFont("KacstBook", 32);
  const Font boldItalic = OpenFont("KacstBook", 32, true, true);
  ASSERT_FALSE(boldItalic.FellBack());
  EXPECT_TRUE(boldItalic.SyntheticBold());
  EXPECT_TRUE(boldItalic.SyntheticItalic());
  EXPECT_GT(boldItalic.TextWidth("Atelion"), regular.TextWidth("Atelion"));
  EXPECT_GT(InkSum(boldItalic.Render("Atelion")), InkSum(regular.Render("Atelion")) * 11 / 10);
  // A family with a real bold face uses it.
  const Font realBold = OpenFont(kDefaultFontFamily, 32, true);
  EXPECT_FALSE(realBold.SyntheticBold());
  EXPECT_NE(realBold.FileName(), OpenFont(kDefaultFontFamily, 32).FileName());
}

TEST(FontShaping, AccentedLatinKeepsItsAccents) {
  const Font font = OpenFont(kDefaultFontFamily, 40);
  const std::string text = "Crème brûlée à Noël";
  const ShapedLine line = font.Shape(text);
  ASSERT_EQ(line.glyphs.size(), 19u);  // one glyph per letter: all precomposed
  for (const ShapedGlyph& glyph : line.glyphs) {
    EXPECT_NE(glyph.glyphId, 0u) << "missing glyph at byte " << glyph.cluster;
    EXPECT_FALSE(glyph.rightToLeft);
  }
  // Left to right: clusters grow along the line.
  EXPECT_TRUE(std::is_sorted(line.glyphs.begin(), line.glyphs.end(),
                             [](const ShapedGlyph& a, const ShapedGlyph& b) { return a.cluster < b.cluster; }));
  // The accent rises above the plain letter, and a combining accent lands where the precomposed one is.
  const int plainTop = InkRows(font.Render("e")).first;
  const int accentTop = InkRows(font.Render("é")).first;
  const int combinedTop = InkRows(font.Render("e\xCC\x81")).first;  // e + U+0301
  EXPECT_LT(accentTop, plainTop - 4);
  EXPECT_NEAR(combinedTop, accentTop, 2);
  EXPECT_NEAR(font.TextWidth("e\xCC\x81"), font.TextWidth("é"), 1);
}

TEST(FontShaping, ArabicIsJoinedAndRunsRightToLeft) {
  const std::string salam = "سلام";  // seen, lam, alef, meem: four code points of two bytes
  for (const char* family : {kDefaultFontFamily, "KacstBook"}) {
    const Font font = OpenFont(family, 40);
    const ShapedLine word = font.Shape(salam);
    ASSERT_FALSE(word.glyphs.empty()) << family;
    for (const ShapedGlyph& glyph : word.glyphs) {
      EXPECT_TRUE(glyph.rightToLeft) << family;
      EXPECT_NE(glyph.glyphId, 0u) << family;
    }
    // Visual order from the left: the last letter comes first, the first letter last.
    EXPECT_EQ(word.glyphs.front().cluster, 6u) << family;
    EXPECT_EQ(word.glyphs.back().cluster, 0u) << family;
    // Joined: seen at the start of the word takes its initial form, not the isolated letter.
    const ShapedLine seen = font.Shape("س");
    ASSERT_EQ(seen.glyphs.size(), 1u);
    EXPECT_NE(word.glyphs.back().glyphId, seen.glyphs[0].glyphId) << family;
    EXPECT_GT(InkSum(font.Render(salam)), 0) << family;
  }
  // Lam followed by alef is one ligature glyph in the default font.
  EXPECT_LT(OpenFont(kDefaultFontFamily).Shape(salam).glyphs.size(), 4u);
}

TEST(FontShaping, MixedDirectionsFollowTheReadingOrder) {
  const Font font = OpenFont(kDefaultFontFamily, 32);
  // "ab سل cd": a left-to-right paragraph with an Arabic word inside.
  const ShapedLine line = font.Shape("ab \xD8\xB3\xD9\x84 cd");
  std::vector<std::uint32_t> clusters;
  for (const ShapedGlyph& glyph : line.glyphs) clusters.push_back(glyph.cluster);
  // a b blank, then the Arabic word from its last letter to its first, then blank c d.
  const std::vector<std::uint32_t> expected = {0, 1, 2, 5, 3, 7, 8, 9};
  EXPECT_EQ(clusters, expected);
  // A right-to-left paragraph puts its first word at the right end.
  const ShapedLine rtl = font.Shape("\xD8\xB3\xD9\x84 ab");
  ASSERT_FALSE(rtl.glyphs.empty());
  EXPECT_EQ(rtl.glyphs.back().cluster, 0u);
  EXPECT_EQ(rtl.glyphs.front().cluster, 5u);  // "ab" stands at the left, read left to right
}

TEST(FontShaping, CharactersTheFamilyLacksComeFromAnotherFont) {
  // The serif family has no Arabic letters: they are drawn with an installed font that has them.
  const Font serif = OpenFont("DejaVu Serif", 32);
  const ShapedLine line = serif.Shape("Café سلام");
  bool latinFromSerif = false;
  bool arabicFromOther = false;
  for (const ShapedGlyph& glyph : line.glyphs) {
    EXPECT_NE(glyph.glyphId, 0u) << "missing glyph at byte " << glyph.cluster;
    if (glyph.cluster < 5) latinFromSerif |= glyph.face == 0;
    if (glyph.cluster >= 6) arabicFromOther |= glyph.face != 0;
  }
  EXPECT_TRUE(latinFromSerif);
  EXPECT_TRUE(arabicFromOther);
}

TEST(FontRendering, MaskCoversTheLineAndItsDecorations) {
  const Font font = OpenFont(kDefaultFontFamily, 32);
  const TextMask plain = font.Render("mmm");
  EXPECT_EQ(plain.advance, font.TextWidth("mmm"));
  EXPECT_EQ(plain.ascent, font.Ascent());
  EXPECT_EQ(plain.descent, font.Descent());
  EXPECT_LE(plain.left, 0);
  EXPECT_LE(plain.top, 0);
  EXPECT_GE(plain.left + plain.width, plain.advance);
  // "m" sits on the baseline: no ink below it, fully covered stems above it.
  const auto [first, last] = InkRows(plain);
  EXPECT_LE(last, plain.ascent);
  EXPECT_GT(first, 0);
  EXPECT_EQ(plain.At(-1000, 0), 0);

  // Underline: a full row below the baseline across the whole advance, blanks included.
  const TextMask underlined = font.Render("m  ", true, false);
  bool fullRowBelow = false;
  for (int y = underlined.ascent + 1; y < underlined.top + underlined.height; ++y) {
    bool full = true;
    for (int x = 0; x < underlined.advance; ++x) full &= underlined.At(x, y) == 255;
    fullRowBelow |= full;
  }
  EXPECT_TRUE(fullRowBelow);
  // Strikeout: a full row between the top of the box and the baseline, through the blanks too.
  const TextMask struck = font.Render("   ", false, true);
  int fullRows = 0;
  for (int y = 0; y < struck.ascent; ++y) {
    bool full = true;
    for (int x = 0; x < struck.advance; ++x) full &= struck.At(x, y) == 255;
    fullRows += full;
  }
  EXPECT_GE(fullRows, 1);
  EXPECT_EQ(InkSum(font.Render("   ")), 0);
}

TEST(FontRendering, MalformedTextStillRenders) {
  const Font font = OpenFont(kDefaultFontFamily, 24);
  const std::string broken = std::string("ok") + '\xC3' + '\xFF' + "\xE2\x82";  // cut and invalid sequences
  const ShapedLine line = font.Shape(broken);
  EXPECT_GE(line.glyphs.size(), 3u);
  EXPECT_GT(InkSum(font.Render(broken)), 0);
}

// A window shows exactly what the whole line shows there, and the mask holds the window and no
// more, however long the line: the drawing of text far wider than a picture stays the picture's size.
TEST(FontRendering, WindowShowsWhatTheWholeLineShowsThere) {
  struct Case {
    const char* text;
    bool bold, italic, underline, strikeout;
  };
  const Case cases[] = {
      {"Wavy jiggly Ångström", false, false, true, false},
      {"مرحبا بالعالم Atelion", false, true, false, true},
      {"fi ffl Tŷ ǅ", true, true, true, true},
  };
  // Windows over the start, the middle, the decorations, far beyond the end, before the start,
  // and an empty one.
  const Rect windows[] = {{-30, -20, 40, 30},  {55, 3, 180, 25},         {200, 30, 260, 90},
                          {5000, 0, 5100, 60}, {-500, -500, -400, -400}, {10, 10, 10, 40}};
  for (const Case& c : cases) {
    const Font font = OpenFont(kDefaultFontFamily, 40, c.bold, c.italic);
    const TextMask whole = font.Render(c.text, c.underline, c.strikeout, 7);
    for (const Rect& window : windows) {
      const TextMask part = font.Render(c.text, c.underline, c.strikeout, 7, window);
      SCOPED_TRACE(std::string(c.text) + " in " + std::to_string(window.left) + "," + std::to_string(window.top));
      EXPECT_EQ(part.advance, whole.advance);
      ASSERT_EQ(part.left, window.left);
      ASSERT_EQ(part.top, window.top);
      ASSERT_EQ(part.width, window.right - window.left);
      ASSERT_EQ(part.height, window.bottom - window.top);
      for (int y = window.top; y < window.bottom; ++y) {
        for (int x = window.left; x < window.right; ++x) ASSERT_EQ(part.At(x, y), whole.At(x, y)) << x << "," << y;
      }
    }
  }

  // Twenty thousand characters at the largest size the text offers: a line about ten million
  // pixels long, of which a window of 300 × 200 is drawn.
  const Font large = OpenFont(kDefaultFontFamily, 1334);
  std::string longLine;
  for (int i = 0; i < 2000; ++i) longLine += "Atelion W ";
  const Rect window{4000, 800, 4300, 1000};
  const TextMask part = large.Render(longLine, true, false, 0, window);
  EXPECT_GT(part.advance, 10'000'000);
  EXPECT_EQ(part.coverage.size(), 300u * 200u);
  EXPECT_GT(InkSum(part), 0);
}

}  // namespace
}  // namespace atelion
