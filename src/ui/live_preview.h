// The live preview's scheduling and its worker: the preview timer and the slider debounce timer,
// the crop origin and zoom, and one preview computed at a time on a worker thread with its own
// run context. Any change aborts the computing preview; a result that is no longer the newest is
// dropped, so the box only ever shows a finished preview of the current settings.
#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <functional>
#include <memory>
#include <thread>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/run_context.h"
#include "effects/preview.h"
#include "effects/run_pipeline.h"

namespace atelion {

class PreviewBox;

class LivePreview : public QObject {
  Q_OBJECT
 public:
  /// What a preview reads from the window at the moment it starts.
  struct Request {
    StyleSettings style;
    FinishingSettings finishing;
    /// Keeps the custom brush that `style.customBrush` points to alive while the worker paints.
    std::shared_ptr<const Bitmap24> customBrush;
  };
  /// `request` gives the window's current settings; `canStart` tells whether the window is
  /// shown; `buttonHeld` whether the user is still dragging something (a slider or the crop).
  LivePreview(PreviewBox* box, std::function<Request()> request, std::function<bool()> canStart,
              std::function<bool()> buttonHeld, QObject* parent = nullptr);
  ~LivePreview() override;

  // Delays of the scheduling events, in milliseconds.
  static constexpr int kStyleSelectionDelay = 400;
  static constexpr int kStyleSelectionWhileRunningDelay = 800;
  static constexpr int kSliderDebounce = 200;
  static constexpr int kShowDelay = 500;
  static constexpr int kOptionStep = 100, kOptionCap = 500;
  static constexpr int kDragStep = 100, kDragCap = 500;
  static constexpr int kReleaseStep = 200, kReleaseCap = 700;
  static constexpr int kZoomStep = 100, kZoomCap = 700;
  static constexpr int kRetextureDelay = 250;

  /// Keeps a copy of the source when it differs from the one kept; true when it did.
  bool SetSource(const Bitmap24& source);
  const Bitmap24& Source() const { return source_; }
  /// Keeps a copy of the result, whose crop the merge of source and result previews with.
  void SetResult(const Bitmap24& result);

  /// (Re)starts the preview timer's countdown with `ms`.
  void SchedulePreview(int ms);
  /// Lets the preview timer's interval grow by `step` (from 0 when it is stopped), at most `cap`.
  void GrowPreviewDelay(int step, int cap);
  /// A slider moved: the computing preview stops and the debounce timer starts again.
  void SliderChanged();
  /// Stops the computing preview, if any; its result will not be shown.
  void Abort();
  /// While a full-size run is under way no preview starts; one that was refused then is
  /// scheduled again when the run ends.
  void SetRunning(bool running);
  /// Re-textures the shown preview from its untextured copy after a short pause.
  void ScheduleRetexture();

  Point CropOrigin() const { return origin_; }
  void SetCropOrigin(Point origin) { origin_ = origin; }
  int Zoom() const { return zoom_; }
  int CropSize() const { return PreviewCropSize(zoom_); }
  /// The zoom changed: the crop keeps its centre, the raw crop is shown and the preview waits a
  /// little longer.
  void SetZoom(int zoom);
  /// The box shows the raw crop at once, stretched into it.
  void ShowRawCrop();

  // Dragging the crop on the box.
  void BeginDrag(QPoint position);
  void DragTo(QPoint position);
  void EndDrag();
  bool Dragging() const { return dragging_; }

  const Bitmap24& PreviewPicture() const { return picture_; }
  const Bitmap24& UntexturedCopy() const { return untexturedCopy_; }
  bool Computing() const { return worker_.joinable(); }
  QTimer* PreviewTimer() { return &previewTimer_; }
  QTimer* SliderTimer() { return &sliderTimer_; }

 signals:
  /// A preview began computing (the box shows the raw crop).
  void previewStarted();
  /// A finished preview of the current settings is in the box.
  void previewShown();
  /// The style changed its own settings while previewing (a slider lowered to its maximum).
  void styleAdjusted(const StyleSettings& style);

 private:
  void RunPreview();
  void OnSliderTimer();
  void ShowIntermediate(quint64 generation, const Bitmap24& picture);
  void Finished(quint64 generation, PreviewOutput output);
  void Retexture();

  PreviewBox* box_;
  std::function<Request()> request_;
  std::function<bool()> canStart_;
  std::function<bool()> buttonHeld_;
  QTimer previewTimer_;
  QTimer sliderTimer_;
  QTimer retextureTimer_;
  Bitmap24 source_;
  Bitmap24 result_;
  Point origin_{};
  int zoom_ = kMaxPreviewZoom;
  bool dragging_ = false;
  QPoint lastPosition_;
  bool running_ = false;
  bool refusedWhileRunning_ = false;
  bool restartWhenDone_ = false;

  Bitmap24 picture_;
  Bitmap24 untexturedCopy_;

  quint64 generation_ = 0;
  int jobZoom_ = kMaxPreviewZoom;
  std::shared_ptr<RunContext> jobContext_;
  std::thread worker_;
};

}  // namespace atelion
