// atelion: the desktop program. Its first argument may also ask for the silent conversion,
// which runs before anything graphical is touched, so it works without a display.
#include <QApplication>
#include <QEventLoop>
#include <QSlider>
#include <QIcon>
#include <QScreen>
#include <QPixmap>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/resources.h"
#include "document/conversion.h"
#include "document/silent_conversion.h"
#include "ui/batch_window.h"
#include "ui/brush_screenshots.h"
#include "ui/custom_brush_window.h"
#include "ui/hd_painting_window.h"
#include "ui/brush_demo.h"
#include "ui/frame_window.h"
#include "ui/live_preview.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/print_window.h"
#include "ui/resize_window.h"
#include "ui/script_window.h"
#include "ui/style_samples_window.h"
#include "ui/texture_knob.h"
#include "ui/source_modifications_window.h"
#include "ui/session.h"
#include "ui/text_window.h"

namespace {

constexpr int kPreviewWaitMs = 8000;

bool WritePicture(QWidget& widget, const QString& path) {
  const bool written = widget.grab().save(path, "PNG");
  if (!written) std::fprintf(stderr, "atelion: could not write %s\n", path.toLocal8Bit().constData());
  return written;
}

// "--modify-screenshot FILE": the source modifications window with a few sliders moved, once its
// preview shows them (or after a few seconds).
bool WriteModificationsPicture(atelion::MainWindow& window, const QString& path) {
  window.ShowSourceModifications();
  atelion::SourceModificationsWindow* modifications = window.SourceModifications();
  QEventLoop wait;
  QObject::connect(modifications, &atelion::SourceModificationsWindow::previewShown, &wait, &QEventLoop::quit);
  QTimer::singleShot(kPreviewWaitMs, &wait, &QEventLoop::quit);
  modifications->Slider(1)->setValue(20);
  modifications->Slider(2)->setValue(45);
  modifications->Slider(3)->setValue(1);
  wait.exec();
  const bool written = WritePicture(*modifications, path);
  modifications->close();
  return written;
}

// Where the pictures of "--screenshot" and its companions go; empty for those not asked for.
struct ScreenshotPaths {
  QString window;
  QString parameters;
  QString print;
  QString batch;
  QString script;
  QString samples;
  QString parametersStyle;  ///< the style number the drawing-parameters window shows, when given
  QString textureStrength;  ///< the texture switched on at this strength, when given
  QString modify;
  QString resize;
  QString brush;
  QString hd;
  QString brushMode;
  QString frame;
  QString text;
};

// The whole screen, so that a tool window is seen where it opens, over the main window.
bool WriteScreen(const QString& path) {
  const bool written = QGuiApplication::primaryScreen()->grabWindow(0).save(path, "PNG");
  if (!written) std::fprintf(stderr, "atelion: could not write %s\n", path.toLocal8Bit().constData());
  return written;
}

// "--screenshot FILE": draws the start picture with the chosen style, writes a picture of the
// window once the drawing is shown (and one of the drawing-parameters window with its preview
// for "--parameters-screenshot FILE", of the print window with the drawing on its page for
// "--print-screenshot FILE", of the batch window listing the sample for "--batch-screenshot FILE"
// of the script window with the default script for "--script-screenshot FILE", of the window of
// every style's example for "--samples-screenshot FILE"; of the screen
// with the frame window and its preview for "--frame-screenshot FILE", with the text window and
// its text on the drawing for "--text-screenshot FILE"), and quits. "--parameters-style N" draws
// with style N instead of the chosen one, so the drawing-parameters window shows its controls, and
// "--parameters-texture S" draws with the texture on at strength S.
void ScheduleScreenshot(atelion::MainWindow& window, const ScreenshotPaths& paths) {
  // Taken once: the frame and text pictures wait in event loops of their own, in which the
  // second trigger of the pictures (the timer, or another preview) may fire.
  auto taken = std::make_shared<bool>(false);
  auto grab = [&window, paths, taken] {
    if (*taken) return;
    *taken = true;
    bool written = WritePicture(window, paths.window);
    if (!paths.parameters.isEmpty()) written = WritePicture(*window.Parameters(), paths.parameters) && written;
    if (!paths.print.isEmpty()) {
      window.ShowPrintWindow();
      QApplication::processEvents();
      written = WritePicture(*window.PrintPreview(), paths.print) && written;
    }
    if (!paths.batch.isEmpty()) {
      window.ShowBatchWindow();
      const std::filesystem::path sample = atelion::FindResource(atelion::kSamplePhotoPath);
      window.Batch()->AddFiles({QString::fromStdString(sample.string())});
      QApplication::processEvents();
      written = WritePicture(*window.Batch(), paths.batch) && written;
    }
    if (!paths.samples.isEmpty()) {
      window.Parameters()->ShowSamplesWindow();
      QApplication::processEvents();
      written = WritePicture(*window.Parameters()->SamplesWindow(), paths.samples) && written;
    }
    if (!paths.script.isEmpty()) {
      window.ShowScriptWindow();
      QApplication::processEvents();
      written = WritePicture(*window.Script(), paths.script) && written;
    }
    if (!paths.modify.isEmpty()) written = WriteModificationsPicture(window, paths.modify) && written;
    if (!paths.resize.isEmpty()) {
      window.ShowResizeWindow();
      QApplication::processEvents();
      written = WritePicture(*window.ResizeSource(), paths.resize) && written;
    }
    if (!paths.brush.isEmpty()) {
      QWidget* brushWindow = atelion::ShowSampleBrushWindow(*window.Parameters());
      written = WritePicture(*brushWindow, paths.brush) && written;
      brushWindow->close();
    }
    if (!paths.frame.isEmpty()) {
      // The frame window with its preview, once the worker has computed it.
      window.ShowFrameWindow();
      QEventLoop wait;
      // Once shown, the box is painted before the picture is taken.
      QObject::connect(window.FrameTool(), &atelion::FrameWindow::previewShown, &wait,
                       [&wait] { QTimer::singleShot(300, &wait, &QEventLoop::quit); });
      QTimer::singleShot(kPreviewWaitMs, &wait, &QEventLoop::quit);
      wait.exec();
      written = WriteScreen(paths.frame) && written;
      window.FrameTool()->reject();
    }
    if (!paths.text.isEmpty()) {
      // The text window with its text written on the drawing.
      window.ShowTextWindow();
      QEventLoop wait;
      QTimer::singleShot(300, &wait, &QEventLoop::quit);
      wait.exec();
      written = WriteScreen(paths.text) && written;
      window.TextTool()->reject();
    }
    if (!paths.hd.isEmpty()) {
      // "--hd-screenshot FILE": the HD window after a Painting 4 run, and beside FILE the
      // drawing-parameters window showing the pictograms of the strokes.
      atelion::DrawStrokesAndShowHd(window, [&window, paths, written] {
        const QString pictograms = QString(paths.hd).replace(QStringLiteral(".png"), QStringLiteral("-pictograms.png"));
        const bool hd = window.HdPainting() != nullptr && WritePicture(*window.HdPainting(), paths.hd) &&
                        WritePicture(*window.Parameters(), pictograms);
        QApplication::exit(written && hd ? 0 : 1);
      });
      return;
    }
    if (!paths.brushMode.isEmpty()) {
      // "--brush-mode-screenshot FILE": a few styles painted across the photograph by hand.
      using atelion::DemoStroke;
      const std::vector<DemoStroke> strokes = {
          {0, {0.1, 0.15}, {0.9, 0.2}},  {4, {0.1, 0.35}, {0.9, 0.35}},  {17, {0.1, 0.5}, {0.9, 0.5}},
          {10, {0.1, 0.65}, {0.9, 0.65}}, {15, {0.1, 0.8}, {0.9, 0.8}},  {3, {0.3, 0.05}, {0.3, 0.95}}};
      const int side = std::min(window.CurrentDocument().SourcePicture.Width(),
                                window.CurrentDocument().SourcePicture.Height());
      atelion::PaintDemoStrokes(window, strokes, std::clamp(side / 8, 5, 199), [&window, paths, written] {
        const bool saved = atelion::GrabWithBrushWindow(window).save(paths.brushMode, "PNG");
        QApplication::exit(written && saved ? 0 : 1);
      });
      return;
    }
    QApplication::exit(written ? 0 : 1);
  };
  // The preview that waited for the run follows it; the pictures are taken once it is shown (or
  // after a few seconds, whatever the box holds then).
  auto grabLater = [&window, grab] {
    QObject::connect(window.Parameters()->Preview(), &atelion::LivePreview::previewShown, &window,
                     [&window, grab] { QTimer::singleShot(200, &window, grab); });
    QTimer::singleShot(kPreviewWaitMs, &window, grab);
  };
  QObject::connect(&window, &atelion::MainWindow::runFinished, &window, grabLater);
  if (!paths.parametersStyle.isEmpty()) window.Parameters()->SelectEffect(paths.parametersStyle.toInt());
  if (!paths.textureStrength.isEmpty()) {
    window.Parameters()->TextureButton()->setChecked(true);
    window.Parameters()->Knob()->SetValue(paths.textureStrength.toInt());
  }
  QTimer::singleShot(300, &window, [&window, grabLater] {
    if (!window.StartDrawing()) grabLater();
  });
}

// The program's icon in the sizes drawn at build time.
QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {48, 128, 256}) {
    const std::filesystem::path file = atelion::FindResource(atelion::ApplicationIconPath(size));
    if (!file.empty()) icon.addFile(QString::fromStdString(file.string()), QSize(size, size));
  }
  return icon;
}

// Qt cannot open a window without a display; say what works instead of aborting.
bool DisplayAvailable() {
  return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
         qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

// The silent conversion, or the window with the start-up arguments.
int RunProgram(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && arguments[0] == "-silent") {
    return atelion::RunSilentConversion(std::span(arguments).subspan(1), stderr);
  }

  if (!DisplayAvailable()) {
    std::fprintf(stderr,
                 "atelion: no display to open the window on.\n"
                 "Convert pictures with: atelion -silent SRC OUT STYLE P1 P2 P3 P4 P5 SOFTEN FRAME TEXTURE TILE\n"
                 "or with atelion-cli (see atelion-cli --help).\n");
    return atelion::kExitBadArguments;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("Atelion");
  QApplication::setWindowIcon(ApplicationIcon());
  atelion::ApplyDarkTheme();
  atelion::MainWindow window;

  // "--screenshot FILE" and its companions ("--parameters-screenshot FILE", …) may stand anywhere;
  // the first other argument is the one the start-up opens.
  ScreenshotPaths screenshots;
  const std::pair<const char*, QString*> screenshotOptions[] = {
      {"--screenshot", &screenshots.window},         {"--parameters-screenshot", &screenshots.parameters},
      {"--print-screenshot", &screenshots.print},    {"--batch-screenshot", &screenshots.batch},
      {"--script-screenshot", &screenshots.script},  {"--samples-screenshot", &screenshots.samples},
      {"--parameters-style", &screenshots.parametersStyle},  {"--parameters-texture", &screenshots.textureStrength},
      {"--modify-screenshot", &screenshots.modify},  {"--resize-screenshot", &screenshots.resize},
      {"--brush-screenshot", &screenshots.brush},
      {"--hd-screenshot", &screenshots.hd},
      {"--brush-mode-screenshot", &screenshots.brushMode},
      {"--frame-screenshot", &screenshots.frame},
      {"--text-screenshot", &screenshots.text},
  };
  atelion::SessionOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const auto option = std::find_if(std::begin(screenshotOptions), std::end(screenshotOptions),
                                     [&](const auto& entry) { return arguments[i] == entry.first; });
    if (option != std::end(screenshotOptions) && i + 1 < arguments.size()) {
      *option->second = QString::fromStdString(arguments[++i]);
    } else if (options.argument.isEmpty()) {
      options.argument = QString::fromStdString(arguments[i]);
    }
  }
  // A picture of the window must not show a question about a newer version.
  options.automaticUpdateCheck = screenshots.window.isEmpty();
  atelion::Session session(window, options);
  if (!screenshots.window.isEmpty()) {
    QObject::connect(&session, &atelion::Session::started, &window,
                     [&window, screenshots] { ScheduleScreenshot(window, screenshots); });
  }
  return application.exec();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return RunProgram(argc, argv);
  } catch (...) {
    // Lack of memory or an incomplete installation: said, never an abort.
    const atelion::ConversionResult failure = atelion::FailureFromException(std::current_exception());
    std::fprintf(stderr, "atelion: %s\n", failure.message.c_str());
    return failure.code;
  }
}
