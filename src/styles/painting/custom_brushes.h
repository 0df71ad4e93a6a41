// The user's own brush pictures, made ready for the styles that can paint with them: an opaque
// stamp centred on a white square for Paintings 7 and 8, transparent stroke brushes stretched to
// 512 × 256 (and optionally turned and trimmed to fill that frame best) for Painting 4, and a sheet
// of 256 × 256 cells for Painting 11. Painting 10 takes a transparent picture as it is.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/status.h"
#include "styles/style.h"

namespace atelion {

/// The size every stroke brush of Painting 4 is stretched to.
inline constexpr int kStrokeBrushWidth = 512;
inline constexpr int kStrokeBrushHeight = 256;

/// The stamp of Paintings 7 and 8: a white square of side max(width, height) · 142 div 100 with
/// the picture drawn centred on it, so that the stamp can be turned by any angle without cutting
/// off the picture's corners (the square's side exceeds the picture's diagonal).
Bitmap24 SquareCustomBrush(const Bitmap24& picture);

/// A stroke brush: the picture stretched by nearest neighbour to 512 × 256, whatever its
/// proportions. An empty picture gives a transparent brush.
Bitmap32 StretchStrokeBrush(const Bitmap32& picture);

/// The part of a transparent picture between its first dense rows and columns: a row or column
/// is dense when its alpha sum exceeds 2499. The top is the first dense row among 0 .. H div 2
/// other than row 0 (row 0 when only it, or none, is dense); the bottom the first dense row
/// scanning up from H − 1 to H div 2 other than H − 1 (H − 1 when none); left and right alike over
/// the columns. The result is (right − left) × (bottom − top) from (left, top). A picture that
/// would trim to nothing is given back whole.
Bitmap32 TrimBrush(const Bitmap32& picture);

/// How many pixels of a picture have an alpha above 200.
int CountDensePixels(const Bitmap32& picture);

/// What the optimisation of one brush reports while it tries the angles.
struct BrushTrial {
  int angle = 0;
  const Bitmap32* stretched = nullptr;  ///< the turned, trimmed brush stretched to 512 × 256
};

/// The stroke brush turned by the angle among 0, 2, .. 178 degrees whose turned and trimmed
/// picture, stretched to 512 × 256, has the most pixels with alpha above 200 (the first such angle
/// on ties), then trimmed and stretched. `trial`, when given, sees every angle tried. A `stop`
/// flag set while angles are tried keeps the best angle found so far. Gives the winning angle.
int OptimizeStrokeBrush(Bitmap32& brush, const std::atomic<bool>* stop = nullptr,
                        const std::function<void(const BrushTrial&)>& trial = {});

/// The sheet of Painting 11's own brushes: cells of 256 × 256, eight to a row.
struct CustomBrushSheetPicture {
  Bitmap32 sheet;
  int count = 0;  ///< brushes put into the sheet (at most 240)
};

/// The most brushes a sheet holds.
inline constexpr int kLargestBrushSheetCount = 240;

/// Builds the sheet from transparent pictures in order: 2048 pixels wide and 256 · k high, k being
/// (n div 8) + 1 for n < 240 pictures and 30 otherwise. Each picture is fitted by its longer side
/// into 256 pixels (nearest neighbour), centred in its cell; cells fill rows of eight from the top
/// left. Pictures after the 240th are left out; an empty picture leaves its cell transparent.
CustomBrushSheetPicture BuildCustomBrushSheet(std::span<const Bitmap32> pictures);

/// Reads a transparent PNG brush; the error names the file and the reason.
Status LoadTransparentBrush(const std::filesystem::path& path, Bitmap32& brush);

/// The brushes the user loaded, each kept until replaced or reset. The pictures never change once
/// made, so a run or a preview on another thread may read them while the user loads new ones.
struct UserBrushes {
  std::shared_ptr<const Bitmap24> stamp;                        ///< Paintings 7 and 8, squared
  std::shared_ptr<const std::vector<Bitmap32>> strokeBrushes;   ///< Painting 4, 512 × 256 each
  std::vector<std::string> strokeBrushPaths;                    ///< the files they came from
  std::shared_ptr<const Bitmap32> paintBrush3D;                 ///< Painting 10, as loaded
  std::shared_ptr<const CustomBrushSheetPicture> sheet;         ///< Painting 11

  /// Points the settings of a run at the brushes loaded (the shipped ones stand for the rest).
  void ApplyTo(StyleSettings& settings) const;
};

}  // namespace atelion
