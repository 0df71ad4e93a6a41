// Running a style at full size: the start gate, the bookkeeping every run shares, the
// soften-and-texture step and the finishing chain. The same code serves the desktop program,
// the command lines and the tests.
#pragma once

#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "finishing/frames.h"
#include "finishing/text.h"
#include "finishing/texture.h"
#include "styles/style.h"

namespace atelion {

/// The global finishing options of the drawing-parameters window: soften and texture, which lie
/// on the drawing, then frame and text.
struct FinishingSettings : SurfaceSettings {
  bool addFrame = false;
  bool addText = false;
  FrameSettings frame;  ///< the frame window's settings, used when `addFrame` is on
  TextSettings text;    ///< the text window's settings, used when `addText` is on
};

/// The pictures a run reads and writes, and what it reports besides them. The source may be
/// changed in place by a few styles.
struct RunPictures {
  Bitmap24 source;
  Bitmap24 result;
  Bitmap24 untexturedCopy;  ///< the last style output before soften and texture
  /// What the finishing chain tells the user (a font that replaced a missing one, a frame
  /// picture that could not be read); the run itself went on.
  std::vector<std::string> notices;
  /// The style ended by itself and wants the drawing-parameters window shown again.
  bool showParametersWindow = false;
  /// Where a custom frame placed the margin canvas inside the framed result ((0, 0) for every
  /// other frame), and the margin laid around the picture: together they say where the
  /// photograph lies in the finished drawing.
  Point framedPictureOffset;
  int frameMargin = 0;
  /// What the caller reads after the run besides the result. A caller that only writes the result
  /// away (a file-to-file conversion) clears both: the source is then released as soon as the
  /// style has drawn, and the drawing becomes the result without an untextured copy beside it, so
  /// the finishing chain and the encoder hold one full picture instead of three.
  bool keepSource = true;
  bool keepUntexturedCopy = true;
};

enum class RunOutcome {
  Finished,
  Aborted,      ///< stopped by the abort flag; the result keeps what was drawn
  Unavailable,  ///< the style's algorithm is not part of this build; nothing was changed
  Waiting,      ///< a computation is still unwinding (abort flag set or a preview running)
};

/// Runs `settings.effectId` at full size: refuses while a computation is unwinding; otherwise
/// marks the context `Processing` for the whole run, starts the result from the source (unless
/// the style may paint over the previous result and "Don't erase background" is checked), runs
/// the style, lays soften and texture unless the style did, and finishes with `Finalize`. The
/// slider values the style used come back in `settings.sliders`. When memory runs out the run
/// stops as a cancel does, without finishing. Without `keepSource` the source is empty afterwards
/// (its size stays in `settings.sourceWidth` and `settings.sourceHeight`); without
/// `keepUntexturedCopy` the untextured copy is left empty.
RunOutcome RunEffect(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                     RunContext& context);

/// The result and the untextured copy become `output`; then "Soften edges" and the texture.
void ApplySoftenAndTexture(const Bitmap24& output, RunPictures& pictures, const FinishingSettings& finishing);
/// The same, taking the drawing over as the untextured copy instead of copying it.
void ApplySoftenAndTexture(Bitmap24&& output, RunPictures& pictures, const FinishingSettings& finishing);

/// The finishing chain after a style: on an aborted run only the done report; otherwise the
/// frame chain, which brings the result back to the source's size plus the frame margin and lays
/// the chosen frame when "Add a frame" is on, then the text when "Add text" is on.
void Finalize(RunPictures& pictures, const FinishingSettings& finishing, RunContext& context);

/// Reads the finishing settings' texture tile from the shipped sheet when the texture is on.
Status PrepareTexture(FinishingSettings& finishing);

}  // namespace atelion
