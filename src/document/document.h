// The main window's document: the source picture (the photograph) and the result picture (the
// drawing), what the status bar says about them, the mean colour of the source that styles read,
// and the undo history that keeps snapshots of both. GUI-free: the window draws what this holds.
#pragma once

#include <string>
#include <string_view>

#include "core/bitmap24.h"
#include "core/filters.h"
#include "core/run_context.h"
#include "core/status.h"
#include "document/history.h"
#include "imageio/image_files.h"
#include "document/image_view.h"

namespace atelion {

class Document {
 public:
  /// The photograph, shown in the left panel.
  Bitmap24 SourcePicture;
  /// The drawing, shown in the right panel.
  Bitmap24 ResultPicture;
  /// The pictures' sizes at 100 % zoom as the layout code last recorded them.
  PictureSize SourceSize;
  PictureSize ResultSize;

  std::string SourceDisplayName;
  int SourceDpi = kDefaultDpi;
  /// The name of the style that made the result; empty when it did not come from a style run.
  std::string ResultStyleName;
  /// Set while the result is not the output of a style run (after opening, pasting or swapping):
  /// result snapshots then store an empty name.
  bool ResultUnnamed = false;
  /// Mean red, green and blue of the whole source, read by styles that must give the same
  /// picture on a preview crop as at full size.
  MeanColour SourceMeanColour = kInitialSourceMeanColour;

  /// Start-up: forgets all history and stores the current source and result as steps 1 and 2
  /// (undo stays off until a third step exists).
  Status StartHistory();

  /// Stores the source (kind Source) or the result (kind Result) as the next history step, after
  /// the caller changed it. A source step also measures SourceMeanColour. A result step is labelled
  /// `styleNameText` (the style name the drawing-parameters window shows; empty when that window
  /// does not exist yet), or with an empty label while ResultUnnamed is set.
  Status SaveToHistory(HistoryKind kind, std::string_view styleNameText = {});

  /// Steps back one history step: requests a stop of any running computation, then restores the
  /// previous picture of the step's kind with its name (source: SourceDisplayName and the mean
  /// colour; result: ResultStyleName) and records both picture sizes. A restored picture is the
  /// decoded JPEG snapshot, so it differs slightly from the picture it was taken of.
  Status undo(RunContext& context);
  /// Steps forward again after undo, in the same way; nothing when no step follows.
  Status redo(RunContext& context);
  /// Drops the oldest history step.
  void CleanHistory() { history_.CleanHistory(); }

  /// Exchanges source and result; nothing while `context.Processing` is set. Afterwards the result
  /// is unnamed, both sizes are recorded, and both pictures are stored as history steps.
  Status swapimages(RunContext& context);

  /// Sets SourceMeanColour to the mean red, green and blue of `picture`.
  void ComputeSourceMeanColour(const Bitmap24& picture) { SourceMeanColour = ComputeMeanColour(picture); }
  /// SourceSize and ResultSize := the sizes of the two pictures.
  void RecordPictureSizes();

  /// The status text about the source: "photo.jpg - 640x480 - 300 dpi".
  std::string SourceStatusText() const;
  /// The status text about the result: the style name followed by three blanks.
  std::string ResultStatusText() const { return ResultStyleName + "   "; }

  bool UndoEnabled() const { return history_.CanUndo(); }
  bool RedoEnabled() const { return history_.CanRedo(); }
  const UndoHistory& History() const { return history_; }

 private:
  Status ApplyRestore(HistoryRestore restore);

  UndoHistory history_;
};

}  // namespace atelion
