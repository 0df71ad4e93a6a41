#include "document/document.h"

#include <utility>

namespace atelion {

Status Document::StartHistory() {
  history_.Clear();
  if (Status saved = SaveToHistory(HistoryKind::Source); !saved) return saved;
  return SaveToHistory(HistoryKind::Result);
}

Status Document::SaveToHistory(HistoryKind kind, std::string_view styleNameText) {
  if (kind == HistoryKind::Source) {
    // The source has changed whether or not its snapshot can be kept.
    ComputeSourceMeanColour(SourcePicture);
    return history_.Save(kind, SourcePicture, SourceDisplayName);
  }
  return history_.Save(kind, ResultPicture, ResultUnnamed ? std::string() : std::string(styleNameText));
}

Status Document::ApplyRestore(HistoryRestore restore) {
  if (!restore.status) return restore.status;
  switch (restore.kind) {
    case HistoryKind::Source:
      SourcePicture = std::move(restore.picture);
      SourceDisplayName = std::move(restore.name);
      ComputeSourceMeanColour(SourcePicture);
      break;
    case HistoryKind::Result:
      ResultPicture = std::move(restore.picture);
      ResultStyleName = std::move(restore.name);
      break;
    case HistoryKind::None:
      return Status::Ok();
  }
  RecordPictureSizes();
  return Status::Ok();
}

Status Document::undo(RunContext& context) {
  if (history_.KindAt(history_.Position()) == HistoryKind::None) return Status::Ok();
  context.AbortRequested = true;
  return ApplyRestore(history_.Undo());
}

Status Document::redo(RunContext& context) {
  if (!history_.CanRedo()) return Status::Ok();
  context.AbortRequested = true;
  return ApplyRestore(history_.Redo());
}

Status Document::swapimages(RunContext& context) {
  if (context.Processing) return Status::Ok();
  std::swap(SourcePicture, ResultPicture);  // no third copy of a possibly large picture
  RecordPictureSizes();
  ResultUnnamed = true;
  ResultStyleName.clear();
  if (Status saved = SaveToHistory(HistoryKind::Source); !saved) return saved;
  return SaveToHistory(HistoryKind::Result);
}

void Document::RecordPictureSizes() {
  SourceSize = {SourcePicture.Width(), SourcePicture.Height()};
  ResultSize = {ResultPicture.Width(), ResultPicture.Height()};
}

std::string Document::SourceStatusText() const {
  return SourceDisplayName + " - " + std::to_string(SourceSize.width) + "x" + std::to_string(SourceSize.height) +
         " - " + std::to_string(SourceDpi) + " dpi";
}

}  // namespace atelion
