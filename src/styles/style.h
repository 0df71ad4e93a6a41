// What a drawing style is to the programs that run it: the settings it reads, the finishing it
// may lay itself (soften and paper texture), what it gives back, and the one entry each style
// exports for the style list.
#pragma once

#include <array>
#include <vector>

#include "core/bitmap24.h"
#include "core/filters.h"
#include "core/paper_texture.h"
#include "core/run_context.h"
#include "styles/catalogue.h"

namespace atelion {

struct StrokeHistory;

/// The program state a style reads, gathered in one object instead of being read from windows.
struct StyleSettings {
  /// The style chosen; the pipeline runs it, the style itself never reads it.
  int effectId = kNoEffectId;
  ParameterSet sliders = FactoryDefaults(kNoEffectId);  ///< slot order
  bool preview = false;              ///< the live-preview crop rather than a full-size run
  bool manualBrushMode = false;      ///< the manual brush paints the style onto parts of the result
  bool eraseBackground = true;       ///< false while "Don't erase background" is checked
  MeanColour sourceMean{};           ///< of the whole source, also when working on a crop
  /// The whole source's size, also when working on a crop; 0 when unknown (the picture drawn
  /// from is then the whole source).
  int sourceWidth = 0;
  int sourceHeight = 0;
  std::array<bool, kSlotCount> maxShown{};  ///< a row's value label shows "MAX"
  bool doubled = false;              ///< the "x 2" box of the style
  Colour paperColour = 0xFFFFFF;     ///< the ground colour of the styles that paint on one
  bool scriptRunning = false;        ///< the script's final finishing pass
  /// Someone looks at `shown` while the style draws (the main window's run); a file-to-file
  /// conversion (the command lines, a batch) does not, and a style drawing into a picture of its
  /// own then lets the shown copy of the source go at once (`ReleaseUnwatchedShown`).
  bool shownWatched = true;
  /// The caller reads the source after the run. When it does not (a file-to-file conversion), a
  /// style that has not changed the source may take it over instead of copying it (`OwnSource`).
  bool sourceKept = true;
  /// The custom brush is in use (the hidden `CheckBox5`): Paintings 7 and 8 paint with
  /// `customBrush` instead of the shipped brush sheet.
  bool customBrushInUse = false;
  /// The user's brush picture (`CustomBrush`), owned by the caller; null means the shipped
  /// default custom brush.
  const Bitmap24* customBrush = nullptr;
  /// The current result the merge of source and result takes, owned by the caller: in a preview
  /// its crop at the source crop's position. Null in full-size runs, which hand it as `shown`.
  const Bitmap24* result = nullptr;
  /// Painting 4: the user's stroke brushes (null means the shipped ones) and the stroke history
  /// its full-size runs fill (null keeps none).
  const std::vector<Bitmap32>* customStrokeBrushes = nullptr;
  StrokeHistory* strokeHistory = nullptr;
  /// Painting 10: the user's transparent brush (`PaintBrush3D`), owned by the caller; null: the
  /// shipped one.
  const Bitmap32* paintBrush3D = nullptr;
  /// Painting 11: the user's sheet of brushes in 256 × 256 cells and how many it holds, owned by
  /// the caller; null: the shipped sheets.
  const Bitmap32* customBrushSheet = nullptr;
  int customBrushCount = 0;
};

/// "Soften edges" and the paper texture: the part of the finishing that lies on the drawing
/// itself, which a few styles lay themselves.
struct SurfaceSettings {
  bool softenEdges = false;
  TextureSettings texture;
  Bitmap24 textureTile;  ///< the current 256 × 256 tile
};

/// Softens the picture when "Soften edges" is on, then lays the texture when it is on.
void ApplySurface(Bitmap24& picture, const SurfaceSettings& surface);

/// What a style's run gives back.
struct StyleOutput {
  /// The drawing, at the size of the picture the style drew from.
  Bitmap24 picture{};
  /// The style laid soften and texture itself; `untextured` then holds the drawing before them,
  /// or nothing when the style kept none (the untextured copy of the result is left as it was).
  bool surfaceApplied = false;
  Bitmap24 untextured{};
  /// The slider values as the style used them: a style may move a slider (a minimum size above
  /// its maximum, say), and the window then shows what was actually used.
  ParameterSet sliders{};
  /// The style ended by itself and wants the drawing-parameters window shown again.
  bool showParametersWindow = false;
};

/// A style at full size. `source` is the document's source: a style that sharpens its input
/// sharpens it in place, and the sharpening stays. `shown` is the picture the result panel
/// shows, a copy of the source (or the previous result, for a style painting over it) on entry;
/// a style may draw into it so the user sees the drawing grow.
using FullSizeDrawing = StyleOutput (*)(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                        const SurfaceSettings& surface, RunContext& context);
/// Lets `shown` go when nobody watches it, for a style that never reads or draws into it: the
/// pipeline puts the style's drawing in its place afterwards.
void ReleaseUnwatchedShown(Bitmap24& shown, const StyleSettings& settings);

/// The source as a picture of the style's own: taken over (leaving `source` empty) when the caller
/// does not keep it, a copy otherwise. Only for a style that has not changed the source.
Bitmap24 OwnSource(Bitmap24& source, const StyleSettings& settings);

/// A style on the live preview's crop.
using PreviewDrawing = StyleOutput (*)(const Bitmap24& crop, const StyleSettings& settings,
                                       const SurfaceSettings& surface, RunContext& context);
/// A style painted by the manual brush onto a part of the result: `source` is the part of the
/// photograph under the stroke's rectangle (a style may change it), `output` a picture of the same
/// size that enters as a copy of it (for the merge: the result's own rectangle) and leaves as the
/// style's drawing of the part, with soften and texture laid once.
using BrushDrawing = void (*)(Bitmap24& source, Bitmap24& output, const StyleSettings& settings,
                              const SurfaceSettings& surface, RunContext& context);

/// One style as the style list holds it. `method` and `rowLabels` restate what the style reads,
/// and the compiler checks them against the catalogue row of `effectId`.
struct StyleEntry {
  int effectId = 0;
  FullSizeMethod method = FullSizeMethod::ProcessNoFilter;
  /// The language line of each row label the style's parameter struct reads, in slot order.
  std::array<int, kSlotCount> rowLabels{kNoLine, kNoLine, kNoLine, kNoLine, kNoLine};
  /// False for the entry of a style that is not built yet, whose drawings are all null. (The
  /// compiler checks the list by this flag: some builds cannot compare a function's address with
  /// null in a constant expression.)
  bool built = true;
  /// Null while the style is not built.
  FullSizeDrawing fullSize = nullptr;
  /// Null for a style without a live preview (the preview shows white).
  PreviewDrawing preview = nullptr;
  BrushDrawing manualBrush = nullptr;
  /// The style paints on a ground colour, which a right-click on the options chooses.
  bool paintsOnGroundColour = false;
  /// The same photograph and sliders give the same picture on every run.
  bool seeded = false;
};

/// A style's algorithm from an input picture into an output picture of the same size.
using StyleAlgorithm = void (*)(const Bitmap24& input, Bitmap24& output, const StyleSettings& settings,
                                RunContext& context);

/// The common frame of most full-size styles: `algorithm` reads the source (unchanged, so no copy
/// of it is made) and draws into a picture of its own, which starts in `outputFill`; the shell
/// watches that picture while it grows (`ProgressSink::WatchOutput`). Gives the picture back as
/// the drawing.
StyleOutput RunCommonFrame(const Bitmap24& source, const StyleSettings& settings, RunContext& context,
                           StyleAlgorithm algorithm, Colour outputFill = 0xFFFFFF);

/// The entry of a style whose algorithm is not built yet.
constexpr StyleEntry NotYetBuilt(int effectId, FullSizeMethod method) {
  return {.effectId = effectId, .method = method, .built = false};
}

}  // namespace atelion
