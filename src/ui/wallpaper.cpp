#include "ui/wallpaper.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QVariantMap>

#include "imageio/image_files.h"

namespace atelion {
namespace {

constexpr int kDesktopToolTimeoutMs = 5000;

// The desktop portal's wallpaper request; true when the portal accepted it.
bool AskPortal(const QString& path) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                                     "org.freedesktop.portal.Wallpaper", "SetWallpaperURI");
  QVariantMap options;
  options.insert("show-preview", false);
  options.insert("set-on", QStringLiteral("background"));
  call << QString() << QUrl::fromLocalFile(path).toString() << options;
  const QDBusMessage reply = bus.call(call, QDBus::Block, kDesktopToolTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage;
}

bool Run(const QString& program, const QStringList& arguments) {
  if (QStandardPaths::findExecutable(program).isEmpty()) return false;
  QProcess process;
  process.start(program, arguments);
  return process.waitForFinished(kDesktopToolTimeoutMs) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
}

bool DesktopIs(const char* name) {
  return qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String(name), Qt::CaseInsensitive);
}

}  // namespace

QString WallpaperFilePath() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  return QDir(folder).filePath("Atelion.bmp");
}

QString SetDesktopWallpaper(const Bitmap24& picture) {
  const QString path = WallpaperFilePath();
  QDir().mkpath(QFileInfo(path).absolutePath());
  if (const Status saved = SaveImageFile(picture, path.toStdString(), ImageFormat::Bmp); !saved) {
    return QString::fromStdString(saved.message());
  }
  if (AskPortal(path)) return {};
  const QString uri = QUrl::fromLocalFile(path).toString();
  if (DesktopIs("GNOME") || DesktopIs("Unity") || DesktopIs("Budgie")) {
    // The picture is stretched over the screen, as the desktop shows it elsewhere.
    if (Run("gsettings", {"set", "org.gnome.desktop.background", "picture-uri", uri})) {
      Run("gsettings", {"set", "org.gnome.desktop.background", "picture-uri-dark", uri});
      Run("gsettings", {"set", "org.gnome.desktop.background", "picture-options", "stretched"});
      return {};
    }
  }
  if (DesktopIs("KDE") && Run("plasma-apply-wallpaperimage", {path})) return {};
  return QStringLiteral("Setting the wallpaper is not supported on this desktop; the picture was saved as %1.").arg(path);
}

}  // namespace atelion
