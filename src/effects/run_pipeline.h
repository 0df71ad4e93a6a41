// Running a style at full size: the start gate, the common frame of a style method, the
// soften-and-texture step and the finishing chain. The same code serves the desktop program,
// the command lines and the tests.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/filters.h"
#include "core/run_context.h"
#include "effects/catalogue.h"
#include "finishing/frames.h"
#include "finishing/text.h"
#include "finishing/texture.h"

namespace atelion {

/// The program state a style reads, and the values it may write back (slider positions, for
/// styles that move a slider), gathered in one object instead of being read from windows.
struct StyleSettings {
  int effectId = kNoEffectId;
  ParameterSet sliders = FactoryDefaults(kNoEffectId);  ///< slot order
  bool preview = false;              ///< the live-preview crop rather than a full-size run
  bool manualBrushMode = false;      ///< the manual brush paints the style onto parts of the result
  bool eraseBackground = true;       ///< false while "Don't erase background" is checked
  MeanColour sourceMean{};           ///< of the whole source, also when working on a crop
  std::array<bool, kSlotCount> maxShown{};  ///< a row's value label shows "MAX"
  bool doubled = false;              ///< the "x 2" box of the style
  Colour paperColour = 0xFFFFFF;
  bool scriptRunning = false;        ///< the script's final finishing pass
  /// Set by a style that ended by itself and wants the drawing-parameters window shown again.
  bool showParametersWindow = false;
  /// The custom brush is in use (the hidden `CheckBox5`): Paintings 7 and 8 paint with
  /// `customBrush` instead of the shipped brush sheet.
  bool customBrushInUse = false;
  /// The user's brush picture (`CustomBrush`), owned by the caller; null means the shipped
  /// default custom brush.
  const Bitmap24* customBrush = nullptr;
};

/// The global finishing options of the drawing-parameters window.
struct FinishingSettings {
  bool softenEdges = false;
  bool addFrame = false;
  bool addText = false;
  FrameSettings frame;  ///< the frame window's settings, used when `addFrame` is on
  TextSettings text;    ///< the text window's settings, used when `addText` is on
  TextureSettings texture;
  Bitmap24 textureTile;  ///< the current 256 × 256 tile
};

/// The pictures a run reads and writes. The source may be changed in place by a few styles.
struct RunPictures {
  Bitmap24 source;
  Bitmap24 result;
  Bitmap24 untexturedCopy;  ///< the last style output before soften and texture
  /// What the finishing chain tells the user (a font that replaced a missing one, a frame
  /// picture that could not be read); the run itself went on.
  std::vector<std::string> notices;
};

enum class RunOutcome {
  Finished,
  Aborted,      ///< stopped by the abort flag; the result keeps what was drawn
  Unavailable,  ///< the style's algorithm is not part of this build; nothing was changed
  Waiting,      ///< a computation is still unwinding (abort flag set or a preview running)
};

/// A style's full-size method.
using FullSizeRunner = void (*)(RunPictures& pictures, StyleSettings& settings,
                                const FinishingSettings& finishing, RunContext& context);
/// A style's algorithm from an input picture into an output picture of the same size.
using StyleAlgorithm = void (*)(const Bitmap24& input, Bitmap24& output, StyleSettings& settings,
                                RunContext& context);

/// The full-size method of a style, or nullptr while its algorithm is not available.
FullSizeRunner FindFullSizeRunner(int effectId);
bool StyleAvailable(int effectId);

/// Starts a full-size run of `settings.effectId`: refuses while a computation is unwinding,
/// resets the result to the source unless the style may paint over it, runs the style's method
/// and clears `Processing`.
RunOutcome RunEffect(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                     RunContext& context);

/// The bookkeeping every full-size method shares: `Processing` set, the result starts as a copy of
/// the source, `draw` makes the style's output (it may show intermediate pictures in the result),
/// then `ApplySoftenAndTexture` and `Finalize`. When memory runs out the run stops as a cancel
/// does, without finishing.
void RunStyleMethod(RunPictures& pictures, const FinishingSettings& finishing, RunContext& context,
                    const std::function<Bitmap24()>& draw);

/// The common frame of most style methods: work copies of the source, the algorithm, then
/// `ApplySoftenAndTexture` and `Finalize`. `outputFill` is the colour the output starts with.
void RunCommonFrame(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                    RunContext& context, StyleAlgorithm algorithm, Colour outputFill = 0xFFFFFF);

/// The result and the untextured copy become `output`; then "Soften edges" and the texture.
void ApplySoftenAndTexture(const Bitmap24& output, RunPictures& pictures, const FinishingSettings& finishing);

/// The finishing chain after a style: on an aborted run only the done report; otherwise the
/// frame chain, which brings the result back to the source's size plus the frame margin and lays
/// the chosen frame when "Add a frame" is on.
void Finalize(RunPictures& pictures, const FinishingSettings& finishing, RunContext& context);

/// The tone adjustment "Frame, texture and text only" reads from its five sliders.
ToneSettings ToneSettingsFrom(const ParameterSet& sliders);

/// "Frame, texture and text only": the tone adjustment of the five sliders, then finishing.
void ProcessNoFilter(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                     RunContext& context);

/// Reads the finishing settings' texture tile from the shipped sheet when the texture is on.
Status PrepareTexture(FinishingSettings& finishing);

}  // namespace atelion
