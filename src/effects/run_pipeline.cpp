#include "effects/run_pipeline.h"

#include <new>
#include <utility>

#include "styles/style_list.h"

namespace atelion {
namespace {

// Whether the run starts from the source: always, but for a style that may paint over the previous
// result while "Don't erase background" is checked, and for the merge of source and result.
bool StartsFromSource(const StyleSettings& settings) {
  if (settings.effectId == kMergeEffectId) return false;
  return settings.eraseBackground || !DescribeEffect(settings.effectId).extras.dontEraseBackground;
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
  try {
    if (StartsFromSource(settings)) pictures.result = pictures.source;
    StyleOutput output = style->fullSize(pictures.source, pictures.result, settings, finishing, context);
    settings.sliders = output.sliders;
    pictures.showParametersWindow = output.showParametersWindow;
    if (output.surfaceApplied) {
      pictures.result = std::move(output.picture);
      if (!output.untextured.Empty()) pictures.untexturedCopy = std::move(output.untextured);
    } else {
      ApplySoftenAndTexture(std::move(output.picture), pictures, finishing);
    }
    Finalize(pictures, finishing, context);
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
  if (context.AbortRequested) {
    context.ReportProgress(100, 100, 1, 1);
    return;
  }
  // A custom frame picture that cannot be read leaves the margin without it, and a missing font
  // is replaced by the default one: the run goes on and the user is told.
  const FrameOutcome frame = ApplyFrameChain(pictures.result, pictures.source, finishing.addFrame, finishing.frame, context);
  if (!frame.status) pictures.notices.push_back(frame.status.message());
  pictures.framedPictureOffset = frame.framedPictureOffset;
  pictures.frameMargin = FrameMargin(finishing.addFrame, ClampFrameSettings(finishing.frame));
  if (finishing.addText) {
    const TextOutcome text = ApplyText(pictures.result, finishing.text, pictures.source.Width(),
                                       pictures.source.Height(), finishing.addFrame);
    if (!text.status) pictures.notices.push_back(text.status.message());
    if (!text.notice.empty()) pictures.notices.push_back(text.notice);
  }
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
