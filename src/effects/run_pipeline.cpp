#include "effects/run_pipeline.h"

#include <new>
#include <utility>

#include "core/filters.h"
#include "styles/style_list.h"

namespace atelion {
namespace {

// Whether the run starts from the source: always, but for a style that may paint over the previous
// result while "Don't erase background" is checked, and for the merge of source and result.
bool StartsFromSource(const StyleSettings& settings) {
  if (settings.effectId == kMergeEffectId) return false;
  return settings.eraseBackground || !DescribeEffect(settings.effectId).extras.dontEraseBackground;
}

// The finishing chain after a style, reading of the source only what `facts` hold; on an aborted
// run only the done report. A custom frame picture that cannot be read leaves the margin without
// it, and a missing font is replaced by the default one: the run goes on and the user is told.
void FinishFrom(RunPictures& pictures, const FrameSourceFacts& facts, const FinishingSettings& finishing,
                RunContext& context) {
  if (context.AbortRequested) {
    context.ReportProgress(100, 100, 1, 1);
    return;
  }
  const FrameOutcome frame = ApplyFrameChain(pictures.result, facts, finishing.addFrame, finishing.frame, context);
  if (!frame.status) pictures.notices.push_back(frame.status.message());
  pictures.framedPictureOffset = frame.framedPictureOffset;
  pictures.frameMargin = FrameMargin(finishing.addFrame, ClampFrameSettings(finishing.frame));
  if (finishing.addText) {
    const TextOutcome text =
        ApplyText(pictures.result, finishing.text, facts.width, facts.height, finishing.addFrame);
    if (!text.status) pictures.notices.push_back(text.status.message());
    if (!text.notice.empty()) pictures.notices.push_back(text.notice);
  }
}

// What the finishing chain will read of the source, taken after the style (which may have
// sharpened it) so the source can be released.
FrameSourceFacts FactsOf(const Bitmap24& source, const FinishingSettings& finishing) {
  FrameSourceFacts facts{.width = source.Width(), .height = source.Height()};
  if (FrameReadsSourceMean(finishing.addFrame, finishing.frame)) facts.mean = ComputeMeanColour(source);
  return facts;
}

// The drawing becomes the result; soften and texture are laid on it in place, and the caller's
// untextured copy is taken first only when it is kept.
void TakeDrawing(StyleOutput& output, RunPictures& pictures, const FinishingSettings& finishing) {
  if (output.surfaceApplied) {
    pictures.result = std::move(output.picture);
    if (pictures.keepUntexturedCopy && !output.untextured.Empty()) pictures.untexturedCopy = std::move(output.untextured);
    output.untextured = Bitmap24();
  } else if (pictures.keepUntexturedCopy) {
    ApplySoftenAndTexture(std::move(output.picture), pictures, finishing);
  } else {
    pictures.result = std::move(output.picture);
    ApplySurface(pictures.result, finishing);
  }
}

}  // namespace

RunOutcome RunEffect(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                     RunContext& context) {
  if (context.AbortRequested || context.PreviewEffect != 0) return RunOutcome::Waiting;
  const StyleEntry* style = FindStyle(settings.effectId);
  if (style == nullptr || style->fullSize == nullptr) return RunOutcome::Unavailable;
  const ProcessingScope processing(context);
  settings.preview = false;  // the style's own steps read which of the two it runs
  settings.sourceWidth = pictures.source.Width();
  settings.sourceHeight = pictures.source.Height();
  settings.sourceKept = pictures.keepSource;
  try {
    if (StartsFromSource(settings)) pictures.result = pictures.source;
    // A style may take over a source the caller does not keep: what the finishing chain reads of
    // it is then taken before the style (the style has not changed it).
    const FrameSourceFacts before = pictures.keepSource ? FrameSourceFacts{} : FactsOf(pictures.source, finishing);
    StyleOutput output = style->fullSize(pictures.source, pictures.result, settings, finishing, context);
    settings.sliders = output.sliders;
    pictures.showParametersWindow = output.showParametersWindow;
    // The style no longer reads the source: only its facts go on to the finishing chain, and a
    // caller that does not keep it lets it go before the finishing takes any memory.
    const FrameSourceFacts facts = pictures.source.Empty() && !pictures.keepSource ? before
                                                                                     : FactsOf(pictures.source, finishing);
    if (!pictures.keepSource) pictures.source = Bitmap24();
    TakeDrawing(output, pictures, finishing);
    FinishFrom(pictures, facts, finishing, context);
  } catch (const std::bad_alloc&) {
    context.StopForLackOfMemory();
  }
  return context.AbortRequested ? RunOutcome::Aborted : RunOutcome::Finished;
}

void ApplySoftenAndTexture(const Bitmap24& output, RunPictures& pictures, const FinishingSettings& finishing) {
  pictures.result = output;
  pictures.untexturedCopy = output;
  ApplySurface(pictures.result, finishing);
}

void ApplySoftenAndTexture(Bitmap24&& output, RunPictures& pictures, const FinishingSettings& finishing) {
  // The drawing itself becomes the untextured copy and the result is copied into the picture it
  // already holds: no third full picture at the end of a run.
  pictures.untexturedCopy = std::move(output);
  pictures.result = pictures.untexturedCopy;
  ApplySurface(pictures.result, finishing);
}

void Finalize(RunPictures& pictures, const FinishingSettings& finishing, RunContext& context) {
  FinishFrom(pictures, context.AbortRequested ? FrameSourceFacts{} : FactsOf(pictures.source, finishing), finishing,
             context);
}

Status PrepareTexture(FinishingSettings& finishing) {
  if (!finishing.texture.enabled) return Status::Ok();
  Bitmap24 sheet;
  const Status status = LoadTextureSheet(sheet);
  if (!status) return status;
  finishing.textureTile = SelectTextureTile(sheet, finishing.texture.tileIndex);
  return Status::Ok();
}

}  // namespace atelion
