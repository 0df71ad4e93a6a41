#include "ui/live_preview.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>

#include "core/filters.h"
#include "ui/preview_box.h"

namespace atelion {
namespace {

// Intermediate pictures are sent to the box at most this often; some styles offer one every few
// strokes and copying an 880-pixel crop each time would slow the painting down.
constexpr auto kIntermediateInterval = std::chrono::milliseconds(100);

// Hands the intermediate pictures of a worker's preview to the interface thread.
class QueuedPreviewSink : public PreviewSink {
 public:
  QueuedPreviewSink(QObject* receiver, std::function<void(Bitmap24)> show)
      : receiver_(receiver), show_(std::move(show)) {}

  void ShowPreviewProgress(const Bitmap24& picture, int) override {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kIntermediateInterval) return;
    last_ = now;
    QMetaObject::invokeMethod(receiver_, [show = show_, copy = picture]() mutable { show(std::move(copy)); },
                              Qt::QueuedConnection);
  }

 private:
  QObject* receiver_;
  std::function<void(Bitmap24)> show_;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace

LivePreview::LivePreview(PreviewBox* box, std::function<Request()> request, std::function<bool()> canStart,
                         std::function<bool()> buttonHeld, QObject* parent)
    : QObject(parent),
      box_(box),
      request_(std::move(request)),
      canStart_(std::move(canStart)),
      buttonHeld_(std::move(buttonHeld)) {
  previewTimer_.setSingleShot(true);
  connect(&previewTimer_, &QTimer::timeout, this, &LivePreview::RunPreview);
  sliderTimer_.setInterval(kSliderDebounce);
  connect(&sliderTimer_, &QTimer::timeout, this, &LivePreview::OnSliderTimer);
  retextureTimer_.setSingleShot(true);
  retextureTimer_.setInterval(kRetextureDelay);
  connect(&retextureTimer_, &QTimer::timeout, this, &LivePreview::Retexture);
}

LivePreview::~LivePreview() {
  if (jobContext_) jobContext_->AbortRequested = true;
  if (worker_.joinable()) worker_.join();
}

bool LivePreview::SetSource(const Bitmap24& source) {
  if (source == source_) return false;
  source_ = source;
  return true;
}

void LivePreview::SetResult(const Bitmap24& result) {
  if (!(result == result_)) result_ = result;
}

void LivePreview::SchedulePreview(int ms) { previewTimer_.start(ms); }

void LivePreview::GrowPreviewDelay(int step, int cap) {
  const int current = previewTimer_.isActive() ? previewTimer_.interval() : 0;
  previewTimer_.start(std::min(current + step, cap));
}

void LivePreview::SliderChanged() {
  // The debounce decides when the next preview starts; an earlier schedule would start one
  // while the slider is still moving.
  previewTimer_.stop();
  Abort();
  sliderTimer_.start();
}

void LivePreview::OnSliderTimer() {
  // While the slider is still held the timer keeps firing; the preview waits for the release.
  if (buttonHeld_()) return;
  sliderTimer_.stop();
  SchedulePreview(kSliderDebounce);
}

void LivePreview::Abort() {
  ++generation_;
  if (jobContext_) jobContext_->AbortRequested = true;
  if (box_->Working()) box_->SetWorking(false);
}

void LivePreview::SetRunning(bool running) {
  running_ = running;
  if (running) {
    // A preview that was waiting or computing is not lost: it is made once the run is over.
    if (previewTimer_.isActive() || sliderTimer_.isActive() || Computing()) refusedWhileRunning_ = true;
    previewTimer_.stop();
    sliderTimer_.stop();
    restartWhenDone_ = false;
    Abort();
    return;
  }
  if (refusedWhileRunning_) {
    refusedWhileRunning_ = false;
    SchedulePreview(kStyleSelectionDelay);
  }
}

void LivePreview::SetZoom(int zoom) {
  zoom = std::clamp(zoom, kMinPreviewZoom, kMaxPreviewZoom);
  if (zoom == zoom_) return;
  origin_ = ZoomedPreviewOrigin(origin_, zoom_, zoom);
  zoom_ = zoom;
  Abort();
  ShowRawCrop();
  GrowPreviewDelay(kZoomStep, kZoomCap);
}

void LivePreview::ShowRawCrop() {
  Bitmap24 shown(kPreviewBoxSide, kPreviewBoxSide);
  StretchDraw(shown, {0, 0, kPreviewBoxSide, kPreviewBoxSide}, PreviewCrop(source_, origin_, CropSize()));
  box_->SetPicture(shown);
}

void LivePreview::BeginDrag(QPoint position) {
  previewTimer_.stop();
  Abort();
  dragging_ = true;
  lastPosition_ = position;
}

void LivePreview::DragTo(QPoint position) {
  if (!dragging_) return;
  origin_ = DraggedPreviewOrigin(origin_, {lastPosition_.x(), lastPosition_.y()}, {position.x(), position.y()}, zoom_);
  lastPosition_ = position;
  ShowRawCrop();
  GrowPreviewDelay(kDragStep, kDragCap);
}

void LivePreview::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  GrowPreviewDelay(kReleaseStep, kReleaseCap);
}

void LivePreview::ScheduleRetexture() {
  if (Computing()) {
    // The computing preview was started with the old options; start one with the new.
    Abort();
    restartWhenDone_ = false;
    SchedulePreview(kRetextureDelay);
    return;
  }
  retextureTimer_.start();
}

void LivePreview::Retexture() {
  if (untexturedCopy_.Width() == 0 || Computing()) return;
  picture_ = RetexturedPreview(untexturedCopy_, request_().finishing);
  box_->SetPicture(ShowInBox(picture_, zoom_));
  emit previewShown();
}

void LivePreview::RunPreview() {
  previewTimer_.stop();
  if (buttonHeld_() || !canStart_()) return;
  if (running_) {
    refusedWhileRunning_ = true;
    return;
  }
  if (Computing()) {
    // The last preview is still unwinding after its abort; this one starts as soon as it has.
    restartWhenDone_ = true;
    if (jobContext_) jobContext_->AbortRequested = true;
    return;
  }
  Request request = request_();
  PreviewInput input{PreviewCrop(source_, origin_, CropSize()), request.style, request.finishing};
  // The merge works on the result's crop at the same place, while the result is as wide as the source.
  if (request.style.effectId == kMergeEffectId && result_.Width() == source_.Width()) {
    input.resultCrop = PreviewCrop(result_, origin_, CropSize());
  }
  Bitmap24 raw(kPreviewBoxSide, kPreviewBoxSide);
  StretchDraw(raw, {0, 0, kPreviewBoxSide, kPreviewBoxSide}, input.crop);
  box_->SetPicture(raw);
  box_->SetWorking(true);

  const quint64 generation = ++generation_;
  jobZoom_ = zoom_;
  auto context = std::make_shared<RunContext>();
  jobContext_ = context;
  worker_ = std::thread([this, generation, context, brush = std::move(request.customBrush), input = std::move(input)] {
    QueuedPreviewSink sink(this, [this, generation](Bitmap24 picture) { ShowIntermediate(generation, picture); });
    context->Preview = &sink;
    PreviewOutput output = RunStylePreview(input, *context);
    context->Preview = nullptr;
    QMetaObject::invokeMethod(
        this, [this, generation, output = std::move(output)]() mutable { Finished(generation, std::move(output)); },
        Qt::QueuedConnection);
  });
  emit previewStarted();
}

void LivePreview::ShowIntermediate(quint64 generation, const Bitmap24& picture) {
  if (generation != generation_) return;
  box_->SetPicture(ShowInBox(picture, jobZoom_));
}

void LivePreview::Finished(quint64 generation, PreviewOutput output) {
  if (worker_.joinable()) worker_.join();
  jobContext_.reset();
  const bool current = generation == generation_;
  if (current) {
    box_->SetWorking(false);
    picture_ = std::move(output.picture);
    untexturedCopy_ = std::move(output.untexturedCopy);
    box_->SetPicture(ShowInBox(picture_, jobZoom_));
    emit styleAdjusted(output.style);
    emit previewShown();
  }
  if (restartWhenDone_) {
    restartWhenDone_ = false;
    RunPreview();
  }
}

}  // namespace atelion
