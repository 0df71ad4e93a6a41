#include "effects/run_pipeline.h"

#include <algorithm>
#include <new>

#include "core/canvas.h"

namespace atelion {

RunOutcome RunEffect(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                     RunContext& context) {
  if (context.AbortRequested || context.PreviewEffect != 0) return RunOutcome::Waiting;
  const FullSizeRunner runner = FindFullSizeRunner(settings.effectId);
  if (runner == nullptr) return RunOutcome::Unavailable;
  if (settings.eraseBackground && settings.effectId != kMergeEffectId) pictures.result = pictures.source;
  runner(pictures, settings, finishing, context);
  context.Processing = false;
  return context.AbortRequested ? RunOutcome::Aborted : RunOutcome::Finished;
}

void RunStyleMethod(RunPictures& pictures, const FinishingSettings& finishing, RunContext& context,
                    const std::function<Bitmap24()>& draw) {
  context.Processing = true;
  try {
    pictures.result = pictures.source;
    const Bitmap24 output = draw();
    ApplySoftenAndTexture(output, pictures, finishing);
    Finalize(pictures, finishing, context);
  } catch (const std::bad_alloc&) {
    context.StopForLackOfMemory();
  }
  context.Processing = false;
}

void RunCommonFrame(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                    RunContext& context, StyleAlgorithm algorithm, Colour outputFill) {
  RunStyleMethod(pictures, finishing, context, [&] {
    Bitmap24 output(pictures.source.Width(), pictures.source.Height(), outputFill);
    const Bitmap24 input = pictures.source;
    if (context.Progress != nullptr) context.Progress->WatchOutput(&output);
    algorithm(input, output, settings, context);
    if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
    return output;
  });
}

void ApplySoftenAndTexture(const Bitmap24& output, RunPictures& pictures, const FinishingSettings& finishing) {
  pictures.result = output;
  pictures.untexturedCopy = output;
  if (finishing.softenEdges) Soften(pictures.result);
  if (finishing.texture.enabled) ApplyTexture(pictures.result, finishing.textureTile, finishing.texture.strength);
}

void Finalize(RunPictures& pictures, const FinishingSettings& finishing, RunContext& context) {
  if (context.AbortRequested) {
    context.ReportProgress(100, 100, 1, 1);
    context.Processing = false;
    return;
  }
  // A custom frame picture that cannot be read leaves the margin without it, and a missing font
  // is replaced by the default one: the run goes on and the user is told.
  const FrameOutcome frame = ApplyFrameChain(pictures.result, pictures.source, finishing.addFrame, finishing.frame, context);
  if (!frame.status) pictures.notices.push_back(frame.status.message());
  context.Processing = false;
  if (finishing.addText) {
    const TextOutcome text = ApplyText(pictures.result, finishing.text, pictures.source.Width(),
                                       pictures.source.Height(), finishing.addFrame);
    if (!text.status) pictures.notices.push_back(text.status.message());
    if (!text.notice.empty()) pictures.notices.push_back(text.notice);
  }
}

ToneSettings ToneSettingsFrom(const ParameterSet& p) {
  return {.luminosity = p[kSlotTrackBar1],
          .contrast = p[kSlotTrackBar2],
          .saturation = p[kSlotTrackBar5],
          .blurSharpen = p[kSlotTrackBar3],
          .vivify = p[kSlotTrackBar4]};
}

void ProcessNoFilter(RunPictures& pictures, StyleSettings& settings, const FinishingSettings& finishing,
                     RunContext& context) {
  context.Processing = true;
  context.ReportProgress(0, 100, 1, 1);
  if (settings.scriptRunning) {
    ApplySoftenAndTexture(pictures.source, pictures, finishing);
  } else {
    ToneAdjust(pictures.source, pictures.result, ToneSettingsFrom(settings.sliders), settings.sourceMean, context);
    ApplySoftenAndTexture(pictures.result, pictures, finishing);
  }
  Finalize(pictures, finishing, context);
  context.ReportProgress(101, 100, 1, 1);
  context.Processing = false;
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
