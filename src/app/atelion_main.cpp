// atelion: the desktop program. Its first argument may also ask for the silent conversion,
// which runs before anything graphical is touched, so it works without a display.
#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "document/conversion.h"
#include "document/silent_conversion.h"
#include "ui/main_window.h"

namespace {

// "--screenshot FILE": draws the start picture with the chosen style, writes a picture of the
// window once the drawing is shown, and quits.
void ScheduleScreenshot(atelion::MainWindow& window, const QString& path) {
  auto grabLater = [&window, path] {
    QTimer::singleShot(300, &window, [&window, path] {
      const bool written = window.grab().save(path, "PNG");
      if (!written) std::fprintf(stderr, "atelion: could not write %s\n", path.toLocal8Bit().constData());
      QApplication::exit(written ? 0 : 1);
    });
  };
  QObject::connect(&window, &atelion::MainWindow::runFinished, &window, grabLater);
  QTimer::singleShot(300, &window, [&window, grabLater] {
    if (!window.StartDrawing()) grabLater();
  });
}

// Qt cannot open a window without a display; say what works instead of aborting.
bool DisplayAvailable() {
  return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
         qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
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
  atelion::ApplyDarkTheme();
  atelion::MainWindow window;

  QString screenshotPath;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--screenshot" && i + 1 < arguments.size()) {
      screenshotPath = QString::fromStdString(arguments[++i]);
    } else if (QFileInfo(QString::fromStdString(arguments[i])).isFile()) {
      window.OpenPicture(QString::fromStdString(arguments[i]));
    }
  }
  window.show();
  if (!screenshotPath.isEmpty()) ScheduleScreenshot(window, screenshotPath);
  return application.exec();
}
