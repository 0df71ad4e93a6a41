// atelion: the desktop program. Its first argument may also ask for the silent conversion,
// which runs before anything graphical is touched, so it works without a display.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "core/resources.h"
#include "document/conversion.h"
#include "document/silent_conversion.h"
#include "ui/live_preview.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/print_window.h"
#include "ui/session.h"

namespace {

constexpr int kPreviewWaitMs = 8000;

bool WritePicture(QWidget& widget, const QString& path) {
  const bool written = widget.grab().save(path, "PNG");
  if (!written) std::fprintf(stderr, "atelion: could not write %s\n", path.toLocal8Bit().constData());
  return written;
}

// "--screenshot FILE": draws the start picture with the chosen style, writes a picture of the
// window once the drawing is shown (and one of the drawing-parameters window with its preview
// when "--parameters-screenshot FILE" asks for it, and one of the print window with the drawing on
// its page for "--print-screenshot FILE"), and quits.
void ScheduleScreenshot(atelion::MainWindow& window, const QString& path, const QString& parametersPath,
                        const QString& printPath) {
  auto grab = [&window, path, parametersPath, printPath] {
    bool written = WritePicture(window, path);
    if (!parametersPath.isEmpty()) written = WritePicture(*window.Parameters(), parametersPath) && written;
    if (!printPath.isEmpty()) {
      window.ShowPrintWindow();
      QApplication::processEvents();
      written = WritePicture(*window.PrintPreview(), printPath) && written;
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

  // "--screenshot FILE", "--parameters-screenshot FILE" and "--print-screenshot FILE" may stand anywhere; the first other
  // argument is the one the start-up opens.
  QString screenshotPath;
  QString parametersScreenshotPath;
  QString printScreenshotPath;
  atelion::SessionOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--screenshot" && i + 1 < arguments.size()) {
      screenshotPath = QString::fromStdString(arguments[++i]);
    } else if (arguments[i] == "--parameters-screenshot" && i + 1 < arguments.size()) {
      parametersScreenshotPath = QString::fromStdString(arguments[++i]);
    } else if (arguments[i] == "--print-screenshot" && i + 1 < arguments.size()) {
      printScreenshotPath = QString::fromStdString(arguments[++i]);
    } else if (options.argument.isEmpty()) {
      options.argument = QString::fromStdString(arguments[i]);
    }
  }
  // A picture of the window must not show a question about a newer version.
  options.automaticUpdateCheck = screenshotPath.isEmpty();
  atelion::Session session(window, options);
  if (!screenshotPath.isEmpty()) {
    QObject::connect(&session, &atelion::Session::started, &window,
                     [&window, screenshotPath, parametersScreenshotPath, printScreenshotPath] {
                       ScheduleScreenshot(window, screenshotPath, parametersScreenshotPath, printScreenshotPath);
                     });
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
