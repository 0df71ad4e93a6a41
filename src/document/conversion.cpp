#include "document/conversion.h"

#include <new>

#include "styles/painting/painting_4.h"
#include "styles/style_list.h"

namespace atelion {

ConversionResult ConvertFile(ConversionJob job, RunContext& context) {
  if (job.effectId >= 0 && !StyleAvailable(job.effectId)) {
    return {kExitStyleUnavailable,
            "The style \"" + EffectName(job.effectId) + "\" is not available in this version yet."};
  }
  LoadedImage loaded = LoadImageFile(job.input);
  if (!loaded.status) return {kExitUnreadableInput, loaded.status.message()};
  if (const Status texture = PrepareTexture(job.finishing); !texture) return {kExitUnreadableInput, texture.message()};

  context.Rng.RandomSeed = job.seed.value_or(ClockSeed());
  RunPictures pictures;
  pictures.source = std::move(loaded.picture);
  // The result starts as the source, as after opening a picture, unless a result file is given.
  if (!job.result) pictures.result = pictures.source;
  // Only the result is written: the run lets the source go once the style has drawn and keeps no
  // untextured copy, so the finishing and the encoder hold one full picture.
  pictures.keepSource = false;
  pictures.keepUntexturedCopy = false;
  job.style.shownWatched = false;
  const int sourceWidth = pictures.source.Width();
  const int sourceHeight = pictures.source.Height();
  if (job.result) {
    LoadedImage result = LoadImageFile(*job.result);
    if (!result.status) return {kExitUnreadableInput, result.status.message()};
    if (!MergeAvailable(pictures.source, result.picture)) {
      const auto size = [](const Bitmap24& p) { return std::to_string(p.Width()) + " x " + std::to_string(p.Height()); };
      return {kExitBadArguments, "The result picture " + job.result->string() + " (" + size(result.picture) +
                                     ") must have the size of the source " + job.input.string() + " (" +
                                     size(pictures.source) + ") to be merged with it."};
    }
    pictures.result = std::move(result.picture);
  }
  // Painting 4 leaves its strokes for the SVG file and the HD repainting.
  StrokeHistory strokes;
  if (job.strokeSvg || job.hdFactor) job.style.strokeHistory = &strokes;
  if (job.effectId >= 0) {
    job.style.effectId = job.effectId;
    job.style.sourceMean = ComputeMeanColour(pictures.source);
    const RunOutcome outcome = RunEffect(pictures, job.style, job.finishing, context);
    if (context.LackedMemory) {
      return {kExitFailed, "There was not enough memory to convert " + job.input.string() + "; nothing was written.",
              std::move(pictures.notices)};
    }
    // A stop requested before the run could start counts as a cancel too.
    if (outcome == RunOutcome::Aborted || context.AbortRequested) return {kExitCancelled, "Cancelled: nothing was written."};
    if (outcome != RunOutcome::Finished) {
      return {kExitStyleUnavailable, "The style \"" + EffectName(job.effectId) + "\" could not run."};
    }
  }
  const int blending = job.style.sliders[kSlotTrackBar3];
  if (job.strokeSvg) {
    const Status written = WriteStrokeSvg(*job.strokeSvg, strokes.strokes, sourceWidth, sourceHeight, blending);
    if (!written) return {kExitWriteFailed, written.message(), std::move(pictures.notices)};
  }
  if (job.hdFactor) {
    pictures.result = Bitmap24();  // the repainting replaces it; let it go before the larger picture is made
    pictures.result = ReplayStrokes(strokes.strokes, sourceWidth, sourceHeight, *job.hdFactor,
                                    job.style.paperColour, blending, {}, context);
    if (context.AbortRequested) return {kExitCancelled, "Cancelled: nothing was written."};
  }
  if (const Status saved = SaveImageFile(pictures.result, job.output, job.outputFormat, loaded.dpi); !saved) {
    return {kExitWriteFailed, saved.message(), std::move(pictures.notices)};
  }
  return {kExitOk, {}, std::move(pictures.notices)};
}

ConversionResult FailureFromException(std::exception_ptr exception) {
  try {
    std::rethrow_exception(exception);
  } catch (const std::bad_alloc&) {
    return {kExitFailed, "There was not enough memory; nothing was written.", {}};
  } catch (const std::exception& error) {
    return {kExitFailed, error.what(), {}};
  } catch (...) {
    return {kExitFailed, "An unexpected error stopped the program; nothing was written.", {}};
  }
}

}  // namespace atelion
