// Preview latency as the user meets it: for every style the window can preview, the time from a
// slider change to the finished preview in the box, measured through the real window (offscreen)
// with its timers and worker thread. Each style is measured at 1:1 and at the widest zoom; the
// median of several slider changes is printed, with the fixed debounce delays shown apart.
//   atelion-preview-bench [--photo-dir=DIR] [--runs=N]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../bench_photos.h"
#include "effects/preview.h"
#include "ui/live_preview.h"
#include "ui/parameters_window.h"

namespace atelion {
namespace {

constexpr int kGiveUpMs = 120000;

// Runs the event loop until the window's preview has been shown; returns the elapsed time in
// milliseconds, or −1 when it did not come.
double WaitForPreview(LivePreview& preview, const QElapsedTimer& clock, double* startedAt) {
  QEventLoop loop;
  *startedAt = -1;
  const auto started = QObject::connect(&preview, &LivePreview::previewStarted, &loop,
                                        [&] { *startedAt = clock.nsecsElapsed() / 1e6; });
  const auto shown = QObject::connect(&preview, &LivePreview::previewShown, &loop, &QEventLoop::quit);
  QTimer::singleShot(kGiveUpMs, &loop, [&] { loop.exit(1); });
  const int result = loop.exec();
  QObject::disconnect(started);
  QObject::disconnect(shown);
  return result == 0 ? clock.nsecsElapsed() / 1e6 : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The first visible slider of the style: the one a user would move.
int FirstVisibleSlot(int effectId) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (DescribeEffect(effectId).sliders[slot].visible) return slot;
  }
  return 0;
}

}  // namespace
}  // namespace atelion

int main(int argc, char** argv) {
  using namespace atelion;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("ATELION_NO_DIALOGS", "1");
  int runs = 5;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--photo-dir=", 12) == 0) bench::SetPhotoFolder(argv[i] + 12);
    if (std::strncmp(argv[i], "--runs=", 7) == 0) runs = std::max(1, std::atoi(argv[i] + 7));
  }
  QApplication application(argc, argv);
  const Bitmap24& photo = bench::Photo(2);

  ParametersWindow window;
  window.SetPictures(photo, photo);
  window.setFloating(true);
  window.show();
  LivePreview& preview = *window.Preview();
  const int debounce = 2 * LivePreview::kSliderDebounce;  // the slider timer, then the preview timer

  std::printf("Preview latency, 2 MP photograph, median of %d slider changes per row\n", runs);
  std::printf("debounce after the slider is released: %d ms (included in 'slider to shown')\n", debounce);
  std::printf("%-40s %6s %18s %18s\n", "style", "zoom", "slider to shown ms", "compute+show ms");
  for (const EffectDescription& effect : Effects()) {
    if (!StyleAvailable(effect.effectId) || !StyleHasPreview(effect.effectId)) continue;
    window.SelectEffect(effect.effectId);
    for (const int zoomPosition : {25, 100}) {
      window.ZoomSlider()->setValue(zoomPosition);
      const Point middle{photo.Width() / 2 - preview.CropSize() / 2, photo.Height() / 2 - preview.CropSize() / 2};
      preview.SetCropOrigin(middle);
      // Let the preview scheduled by the selection or the zoom come and go first.
      QElapsedTimer settle;
      settle.start();
      double ignored = 0;
      preview.SchedulePreview(0);
      WaitForPreview(preview, settle, &ignored);

      QSlider* slider = window.Slider(FirstVisibleSlot(effect.effectId));
      const int base = slider->value();
      // Another position: three steps down, or up for a slider that starts at its minimum (moving
      // it below would change nothing and no preview would come).
      const int other = base - 3 >= slider->minimum() ? base - 3 : std::min(slider->maximum(), base + 3);
      std::vector<double> total, compute;
      for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        // A release at a new position: the value changes and no button is held any more.
        slider->setValue(run % 2 == 0 ? other : base);
        double startedAt = -1;
        const double shownAt = WaitForPreview(preview, clock, &startedAt);
        if (shownAt < 0) {
          std::fprintf(stderr, "%s: no preview within %d ms\n", EffectName(effect.effectId).c_str(), kGiveUpMs);
          return 1;
        }
        total.push_back(shownAt);
        compute.push_back(shownAt - startedAt);
      }
      slider->setValue(base);
      std::printf("%-40s %6d %18.1f %18.1f\n", EffectName(effect.effectId).c_str(), preview.Zoom(), Median(total),
                  Median(compute));
    }
  }
  return 0;
}
