// Font lookup through fontconfig, shaping through HarfBuzz with the reading order of mixed
// directions from FriBidi, and anti-aliased rendering of the outlines through FreeType.
#include "finishing/font_engine.h"

#include <fontconfig/fontconfig.h>
#include <fribidi.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <optional>
#include <unordered_set>
#include <utility>

namespace atelion {
namespace {

// Slant of a made-up italic: tan 12°, the usual oblique angle, in 16.16 fixed point.
constexpr FT_Fixed kSyntheticSlant = 0x3671;

struct DecodedText {
  std::vector<std::uint32_t> codepoints;
  std::vector<std::uint32_t> byteOffsets;  // where each code point starts in the UTF-8 text
};

// Decodes UTF-8; a malformed sequence becomes U+FFFD and decoding resumes at the next byte.
DecodedText DecodeUtf8(std::string_view text) {
  DecodedText decoded;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    std::uint32_t cp = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr std::array<std::uint32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
    decoded.byteOffsets.push_back(static_cast<std::uint32_t>(i));
    decoded.codepoints.push_back(valid ? cp : 0xFFFD);
    i += valid ? length : 1;
  }
  return decoded;
}

// Family names compare without regard to letter case and blanks ("Dejavu sans" is "DejaVuSans").
bool SameFamilyName(std::string_view a, std::string_view b) {
  auto squeeze = [](std::string_view name) {
    std::string out;
    for (const char c : name) {
      if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
  };
  return squeeze(a) == squeeze(b);
}

bool IsGenericFamily(const std::string& family) {
  for (const char* generic : {"sans-serif", "sans", "serif", "monospace", "mono", "system-ui", "cursive", "fantasy"}) {
    if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(family.c_str()),
                           reinterpret_cast<const FcChar8*>(generic)) == 0) {
      return true;
    }
  }
  return false;
}

struct MatchedFont {
  std::string file;
  int index = 0;
  std::string family;  // the first family name of the match
  bool familyFound = false;
};

// Asks fontconfig for the best scalable font of `family` in the style, optionally one that has
// all of `needed`. Fontconfig always proposes something; familyFound tells whether it is the family.
std::optional<MatchedFont> MatchFont(const std::string& family, bool bold, bool italic,
                                     const std::vector<std::uint32_t>& needed = {}) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return std::nullopt;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (!needed.empty()) {
    FcCharSet* charset = FcCharSetCreate();
    for (const std::uint32_t cp : needed) FcCharSetAddChar(charset, cp);
    FcPatternAddCharSet(pattern, FC_CHARSET, charset);
    FcCharSetDestroy(charset);
  }
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;

  MatchedFont found;
  FcChar8* text = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &text) == FcResultMatch) found.file = reinterpret_cast<char*>(text);
  FcPatternGetInteger(match, FC_INDEX, 0, &found.index);
  for (int n = 0; FcPatternGetString(match, FC_FAMILY, n, &text) == FcResultMatch; ++n) {
    if (n == 0) found.family = reinterpret_cast<char*>(text);
    if (SameFamilyName(reinterpret_cast<char*>(text), family)) found.familyFound = true;
  }
  if (IsGenericFamily(family)) found.familyFound = true;
  FcPatternDestroy(match);
  if (found.file.empty()) return std::nullopt;
  return found;
}

struct Face {
  FT_Face ft = nullptr;
  hb_font_t* hb = nullptr;
  std::string family;
  std::string file;
  int index = 0;
  bool syntheticBold = false;
  bool syntheticItalic = false;
  FT_Pos emboldenStrength = 0;  // 1/64 pixel added to the strokes' width and each advance
};

bool IsMarkOrSpace(std::uint32_t cp) {
  switch (hb_unicode_general_category(hb_unicode_funcs_get_default(), cp)) {
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_FORMAT:
    case HB_UNICODE_GENERAL_CATEGORY_CONTROL:
    case HB_UNICODE_GENERAL_CATEGORY_SPACE_SEPARATOR:
      return true;
    default:
      return false;
  }
}

struct Run {
  int start = 0;
  int length = 0;
  int level = 0;
  int face = 0;
};

// Rule L2 of the bidirectional algorithm on whole runs: from the highest level down to the
// lowest odd one, every stretch of runs at that level or above is reversed.
void ReorderRuns(std::vector<Run>& runs) {
  int highest = 0;
  int lowestOdd = INT_MAX;
  for (const Run& run : runs) {
    highest = std::max(highest, run.level);
    if (run.level % 2 == 1) lowestOdd = std::min(lowestOdd, run.level);
  }
  for (int level = highest; level >= lowestOdd && level > 0; --level) {
    for (std::size_t i = 0; i < runs.size();) {
      if (runs[i].level < level) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < runs.size() && runs[end].level >= level) ++end;
      std::reverse(runs.begin() + static_cast<std::ptrdiff_t>(i), runs.begin() + static_cast<std::ptrdiff_t>(end));
      i = end;
    }
  }
}

FT_Pos FloorPixel(FT_Pos value) { return value & ~FT_Pos{63}; }

// Lays a glyph's 8-bit bitmap onto the mask with its top-left pixel at box coordinates (x, y),
// clipped to the mask. Overlapping glyphs (joined letters, marks) take the larger coverage, so
// joins show no seam.
void CoverWithBitmap(TextMask& mask, std::int64_t x, std::int64_t y, const FT_Bitmap& bitmap) {
  const std::int64_t firstColumn = std::max<std::int64_t>(0, mask.left - x);
  const std::int64_t endColumn = std::min<std::int64_t>(bitmap.width, std::int64_t{mask.left} + mask.width - x);
  const std::int64_t firstRow = std::max<std::int64_t>(0, mask.top - y);
  const std::int64_t endRow = std::min<std::int64_t>(bitmap.rows, std::int64_t{mask.top} + mask.height - y);
  if (firstColumn >= endColumn) return;
  for (std::int64_t row = firstRow; row < endRow; ++row) {
    const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
    std::uint8_t* target =
        mask.coverage.data() + static_cast<std::size_t>(y + row - mask.top) * mask.width + (x - mask.left);
    for (std::int64_t i = firstColumn; i < endColumn; ++i) target[i] = std::max(target[i], source[i]);
  }
}

// Covers `bar` (box coordinates) fully, as far as it lies on the mask.
void CoverWithBar(TextMask& mask, const Rect& bar) {
  const int left = std::max(bar.left, mask.left);
  const int right = std::min<std::int64_t>(bar.right, std::int64_t{mask.left} + mask.width);
  const int top = std::max(bar.top, mask.top);
  const int bottom = std::min<std::int64_t>(bar.bottom, std::int64_t{mask.top} + mask.height);
  if (left >= right) return;
  for (int y = top; y < bottom; ++y) {
    std::uint8_t* row = mask.coverage.data() + static_cast<std::size_t>(y - mask.top) * mask.width;
    std::fill(row + (left - mask.left), row + (right - mask.left), std::uint8_t{255});
  }
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps a few hundred bytes of its configuration unreachable until FcFini, which a
// library must not call while a shell may still be using fontconfig. Leak checks in sanitizer
// builds therefore leave fontconfig's own allocations out.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

struct Font::Impl {
  FT_Library library = nullptr;
  FontRequest request;
  std::vector<Face> faces;  // [0] is the requested font; later ones cover missing characters
  std::unordered_set<std::uint32_t> unavailable;  // characters no installed font has
  bool fellBack = false;
  int ascent = 0;
  int descent = 0;
  // Decoration lines of the requested font, pixels: positions measured down from the baseline.
  int underlineCentre = 0;
  int underlineThickness = 1;
  int strikeoutTop = 0;
  int strikeoutThickness = 1;

  ~Impl() {
    for (Face& face : faces) {
      if (face.hb) hb_font_destroy(face.hb);
      if (face.ft) FT_Done_Face(face.ft);
    }
    if (library) FT_Done_FreeType(library);
  }

  std::optional<Face> OpenFace(const MatchedFont& match) {
    Face face;
    if (FT_New_Face(library, match.file.c_str(), match.index, &face.ft) != 0) return std::nullopt;
    if (!FT_IS_SCALABLE(face.ft) ||
        FT_Set_Char_Size(face.ft, 0, static_cast<FT_F26Dot6>(std::lround(request.pixelSize * 64)), 72, 72) != 0) {
      FT_Done_Face(face.ft);
      return std::nullopt;
    }
    face.family = match.family;
    face.file = match.file;
    face.index = match.index;
    // The face file itself says whether it is bold or italic; the match's own style values may
    // already announce a style that fontconfig only intends to synthesise.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.ft, FT_SFNT_OS2));
    const bool boldFace = (face.ft->style_flags & FT_STYLE_FLAG_BOLD) != 0 || (os2 && os2->usWeightClass >= 600);
    const bool italicFace = (face.ft->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    face.syntheticBold = request.bold && !boldFace;
    face.syntheticItalic = request.italic && !italicFace;
    // The same thickening as FreeType's own emboldening: a 24th of the em.
    if (face.syntheticBold) face.emboldenStrength = std::max<FT_Pos>(FT_MulFix(face.ft->units_per_EM, face.ft->size->metrics.y_scale) / 24, 1);
    face.hb = hb_ft_font_create_referenced(face.ft);
    // Unhinted advances keep the width proportional to the size, so a line drawn at twice the
    // size covers twice the width.
    hb_ft_font_set_load_flags(face.hb, FT_LOAD_NO_HINTING);
    // The HarfBuzz font holds its own reference; ours is released in ~Impl through FT_Done_Face.
    return face;
  }

  // The face that draws `cp`: the requested one when it has the character, otherwise an open or
  // newly found face that has it; the requested one (with its missing-glyph box) as a last resort.
  int FaceFor(std::uint32_t cp) {
    if (FT_Get_Char_Index(faces[0].ft, cp) != 0) return 0;
    for (std::size_t i = 1; i < faces.size(); ++i) {
      if (FT_Get_Char_Index(faces[i].ft, cp) != 0) return static_cast<int>(i);
    }
    // Asking fontconfig and opening a font file take far longer than shaping a character, so a
    // character no font has is looked for once, not at every occurrence in a long line.
    if (unavailable.contains(cp)) return 0;
    const int face = OpenFaceFor(cp);
    if (face == 0) unavailable.insert(cp);
    return face;
  }

  int OpenFaceFor(std::uint32_t cp) {
    const std::optional<MatchedFont> match = MatchFont(request.family, request.bold, request.italic, {cp});
    if (!match) return 0;
    for (std::size_t i = 0; i < faces.size(); ++i) {
      if (faces[i].file == match->file && faces[i].index == match->index) return 0;  // already open, lacks it
    }
    std::optional<Face> face = OpenFace(*match);
    if (!face) return 0;
    if (FT_Get_Char_Index(face->ft, cp) == 0) {
      hb_font_destroy(face->hb);
      FT_Done_Face(face->ft);
      return 0;
    }
    faces.push_back(*face);
    return static_cast<int>(faces.size() - 1);
  }

  void MeasureLines() {
    const FT_Face ft = faces[0].ft;
    const double scale = request.pixelSize / ft->units_per_EM;
    ascent = static_cast<int>(std::ceil(ft->ascender * scale));
    descent = static_cast<int>(std::ceil(-ft->descender * scale));
    if (ascent + descent <= 0) {
      ascent = static_cast<int>(std::ceil(request.pixelSize * 0.8));
      descent = static_cast<int>(std::ceil(request.pixelSize * 0.2));
    }
    underlineCentre = static_cast<int>(std::lround(-ft->underline_position * scale));
    underlineThickness = std::max(1, static_cast<int>(std::lround(ft->underline_thickness * scale)));
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
    if (os2 && os2->yStrikeoutSize > 0) {
      strikeoutTop = -static_cast<int>(std::lround(os2->yStrikeoutPosition * scale));
      strikeoutThickness = std::max(1, static_cast<int>(std::lround(os2->yStrikeoutSize * scale)));
    } else {
      strikeoutThickness = underlineThickness;
      strikeoutTop = -(ascent * 3 / 10) - strikeoutThickness / 2;
    }
    if (underlineCentre <= 0) underlineCentre = std::max(1, descent / 2);
  }

  // Renders the glyphs of `line` one after the other and hands each bitmap to
  // visit(x, y, bitmap) with its top-left pixel in box coordinates; the bitmap lives until the
  // next glyph is loaded. With a window, glyphs whose outlines lie wholly outside it are skipped
  // before they are rendered.
  template <class Visit>
  void DrawGlyphs(const ShapedLine& line, const std::optional<Rect>& window, Visit&& visit) const {
    FT_Pos pen = 0;
    for (const ShapedGlyph& glyph : line.glyphs) {
      const Face& face = faces[glyph.face];
      const FT_Pos originX = pen + glyph.xOffset;
      const FT_Pos originY = glyph.yOffset;
      pen += glyph.xAdvance;
      if (FT_Load_Glyph(face.ft, glyph.glyphId, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) continue;
      FT_GlyphSlot slot = face.ft->glyph;
      // The whole pixel the glyph is placed on; the outline keeps the fraction.
      const std::int64_t pixelX = FloorPixel(originX) / 64;
      const std::int64_t pixelY = FloorPixel(originY) / 64;
      if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline* outline = &slot->outline;
        if (face.syntheticBold) FT_Outline_EmboldenXY(outline, face.emboldenStrength, face.emboldenStrength);
        if (face.syntheticItalic) {
          const FT_Matrix shear{0x10000, kSyntheticSlant, 0, 0x10000};
          FT_Outline_Transform(outline, &shear);
        }
        // Render at the exact sub-pixel position; the bitmap is then placed on whole pixels.
        FT_Outline_Translate(outline, originX - FloorPixel(originX), originY - FloorPixel(originY));
        if (window) {
          // The bitmap lies within the outline's control box rounded outwards; one pixel more on
          // every side keeps the test safe.
          FT_BBox box;
          FT_Outline_Get_CBox(outline, &box);
          const std::int64_t left = pixelX + (box.xMin >> 6) - 1;
          const std::int64_t right = pixelX + ((box.xMax + 63) >> 6) + 1;
          const std::int64_t top = ascent - (pixelY + ((box.yMax + 63) >> 6)) - 1;
          const std::int64_t bottom = ascent - (pixelY + (box.yMin >> 6)) + 1;
          if (right <= window->left || left >= window->right || bottom <= window->top || top >= window->bottom) {
            continue;
          }
        }
      }
      if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) continue;
      const FT_Bitmap& bitmap = slot->bitmap;
      if (bitmap.width == 0 || bitmap.rows == 0 || bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) continue;
      visit(pixelX + slot->bitmap_left, ascent - (pixelY + slot->bitmap_top), bitmap);
    }
  }
};

Font::Font() = default;
Font::~Font() = default;
Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;

Status Font::Open(const FontRequest& request, Font& font) {
  if (!(request.pixelSize > 0) || request.pixelSize > 10000) {
    return Status::Error("The font size must be a positive number of pixels.");
  }
  auto impl = std::make_unique<Impl>();
  impl->request = request;
  if (FT_Init_FreeType(&impl->library) != 0) return Status::Error("The font engine could not start.");
  if (!FcInit()) return Status::Error("The list of installed fonts could not be read.");

  const std::string wanted = request.family.empty() ? kDefaultFontFamily : request.family;
  std::optional<MatchedFont> match = MatchFont(wanted, request.bold, request.italic);
  if (!match || !match->familyFound) {
    impl->fellBack = !request.family.empty();
    match = MatchFont(kDefaultFontFamily, request.bold, request.italic);
    if (!match || !match->familyFound) match = MatchFont("sans-serif", request.bold, request.italic);
  }
  std::optional<Face> face = match ? impl->OpenFace(*match) : std::nullopt;
  if (!face) return Status::Error("No usable font is installed for the family \"" + wanted + "\".");
  impl->faces.push_back(*face);
  impl->MeasureLines();
  font.impl_ = std::move(impl);
  return Status::Ok();
}

const FontRequest& Font::Request() const { return impl_->request; }
const std::string& Font::Family() const { return impl_->faces[0].family; }
const std::string& Font::FileName() const { return impl_->faces[0].file; }
bool Font::FellBack() const { return impl_->fellBack; }
bool Font::SyntheticBold() const { return impl_->faces[0].syntheticBold; }
bool Font::SyntheticItalic() const { return impl_->faces[0].syntheticItalic; }
int Font::Ascent() const { return impl_->ascent; }
int Font::Descent() const { return impl_->descent; }
int Font::Height() const { return impl_->ascent + impl_->descent; }

ShapedLine Font::Shape(std::string_view utf8) const {
  ShapedLine line;
  const DecodedText text = DecodeUtf8(utf8);
  const int count = static_cast<int>(text.codepoints.size());
  if (count == 0) return line;

  // Embedding levels: even left to right, odd right to left; the paragraph takes the
  // direction of its first strong character.
  std::vector<FriBidiCharType> types(count);
  std::vector<FriBidiBracketType> brackets(count);
  std::vector<FriBidiLevel> levels(count, 0);
  fribidi_get_bidi_types(text.codepoints.data(), count, types.data());
  fribidi_get_bracket_types(text.codepoints.data(), count, types.data(), brackets.data());
  FriBidiParType direction = FRIBIDI_PAR_ON;
  if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &direction, levels.data()) == 0) {
    std::fill(levels.begin(), levels.end(), 0);
  }

  // Runs of one level and one face; marks and blanks stay with the face before them.
  std::vector<Run> runs;
  for (int i = 0; i < count; ++i) {
    const std::uint32_t cp = text.codepoints[i];
    const int face = (!runs.empty() && IsMarkOrSpace(cp)) ? runs.back().face : impl_->FaceFor(cp);
    if (runs.empty() || runs.back().level != levels[i] || runs.back().face != face) {
      runs.push_back({i, 0, levels[i], face});
    }
    ++runs.back().length;
  }
  ReorderRuns(runs);

  hb_buffer_t* buffer = hb_buffer_create();
  for (const Run& run : runs) {
    const Face& face = impl_->faces[run.face];
    hb_buffer_clear_contents(buffer);
    // The whole line is the context, so letters join across run boundaries.
    hb_buffer_add_codepoints(buffer, text.codepoints.data(), count, static_cast<unsigned>(run.start),
                             run.length);
    const bool rightToLeft = run.level % 2 == 1;
    hb_buffer_set_direction(buffer, rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(face.hb, buffer, nullptr, 0);
    unsigned glyphCount = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &glyphCount);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &glyphCount);
    for (unsigned g = 0; g < glyphCount; ++g) {
      ShapedGlyph glyph;
      glyph.face = run.face;
      glyph.glyphId = infos[g].codepoint;
      glyph.cluster = text.byteOffsets[std::min<std::size_t>(infos[g].cluster, count - 1)];
      glyph.xAdvance = positions[g].x_advance;
      if (glyph.xAdvance != 0) glyph.xAdvance += static_cast<int>(face.emboldenStrength);
      glyph.xOffset = positions[g].x_offset;
      glyph.yOffset = positions[g].y_offset;
      glyph.rightToLeft = rightToLeft;
      line.advance += glyph.xAdvance;
      line.glyphs.push_back(glyph);
    }
  }
  hb_buffer_destroy(buffer);
  return line;
}

TextMask Font::Render(std::string_view utf8, bool underline, bool strikeout, int roomAfter,
                      const std::optional<Rect>& window) const {
  const ShapedLine line = Shape(utf8);
  TextMask mask;
  mask.advance = line.Width() + std::max(roomAfter, 0);
  mask.ascent = impl_->ascent;
  mask.descent = impl_->descent;

  // Decorations span the whole advance, as a word processor underlines trailing blanks too.
  const int baseline = impl_->ascent;
  std::vector<Rect> bars;
  if (underline && mask.advance > 0) {
    const int top = baseline + impl_->underlineCentre - impl_->underlineThickness / 2;
    bars.push_back(Rect{0, top, mask.advance, top + impl_->underlineThickness});
  }
  if (strikeout && mask.advance > 0) {
    const int top = baseline + impl_->strikeoutTop;
    bars.push_back(Rect{0, top, mask.advance, top + impl_->strikeoutThickness});
  }

  if (window) {
    // The mask is the window; each glyph is laid straight onto it, so nothing grows with the line.
    mask.left = window->left;
    mask.top = window->top;
    mask.width = std::max(0, window->right - window->left);
    mask.height = std::max(0, window->bottom - window->top);
    mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
    impl_->DrawGlyphs(line, window, [&mask](std::int64_t x, std::int64_t y, const FT_Bitmap& bitmap) {
      CoverWithBitmap(mask, x, y, bitmap);
    });
    for (const Rect& bar : bars) CoverWithBar(mask, bar);
    return mask;
  }

  // The whole line: the glyph images are kept until the mask's extent is known.
  struct GlyphImage {
    std::int64_t x = 0;  // box coordinates of the image's top-left pixel
    std::int64_t y = 0;
    FT_Bitmap bitmap{};
    std::vector<std::uint8_t> pixels;
  };
  std::vector<GlyphImage> images;
  impl_->DrawGlyphs(line, std::nullopt, [&images](std::int64_t x, std::int64_t y, const FT_Bitmap& bitmap) {
    GlyphImage image{x, y, bitmap, {}};
    const unsigned width = bitmap.width;
    image.pixels.resize(static_cast<std::size_t>(width) * bitmap.rows);
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
      std::copy(source, source + width, image.pixels.begin() + static_cast<std::ptrdiff_t>(row) * width);
    }
    image.bitmap.buffer = image.pixels.data();
    image.bitmap.pitch = static_cast<int>(width);
    images.push_back(std::move(image));
  });

  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = mask.advance;
  std::int64_t bottom = mask.ascent + mask.descent;
  for (const GlyphImage& image : images) {
    left = std::min(left, image.x);
    top = std::min(top, image.y);
    right = std::max(right, image.x + image.bitmap.width);
    bottom = std::max(bottom, image.y + image.bitmap.rows);
  }
  for (const Rect& bar : bars) {
    top = std::min<std::int64_t>(top, bar.top);
    bottom = std::max<std::int64_t>(bottom, bar.bottom);
  }
  mask.left = static_cast<int>(left);
  mask.top = static_cast<int>(top);
  mask.width = static_cast<int>(right - left);
  mask.height = static_cast<int>(bottom - top);
  mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
  for (const GlyphImage& image : images) CoverWithBitmap(mask, image.x, image.y, image.bitmap);
  for (const Rect& bar : bars) CoverWithBar(mask, bar);
  return mask;
}

}  // namespace atelion
