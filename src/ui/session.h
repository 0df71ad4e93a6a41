// The life of the main window around its work: at the first idle moment after it was created the
// session reads the settings file, places the window, seeds the random generator, starts the
// occasional check for a newer version and opens what the command line names; when the window
// closes it writes the settings file. The silent conversion never gets this far: it runs before
// any window exists and never touches the settings file.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "core/run_context.h"
#include "document/settings_file.h"
#include "document/update_check.h"

namespace atelion {

class MainWindow;

/// What the first program argument asks for.
enum class StartupArgument {
  None,           ///< no argument
  Silent,         ///< "-silent" (handled before any window is made)
  WebAddress,     ///< begins with "http://" in any case
  Image,          ///< ".jpg", ".jpeg", ".png", ".bmp" or ".gif" in any case
  ParameterFile,  ///< ".atp" in any case
  Ignored,        ///< anything else
};
StartupArgument ClassifyStartupArgument(std::string_view argument);

/// The bounds a window takes without a settings file: 95 % of the available area (not below the
/// minimum size), centred on it.
WindowBounds DefaultWindowBounds(const QRect& available);
/// Pulls stored bounds onto the available area: a window saved on a larger or another monitor is
/// made smaller (never below the minimum size) and moved until it lies on the area.
/// Maximized bounds stay maximized.
WindowBounds FitWindowBounds(const WindowBounds& bounds, const QRect& available);

/// Whether this start runs the automatic update check: only when the settings allow it, and then
/// on one start in four (one draw of `random`).
bool DrawsAutomaticUpdateCheck(bool autoUpdateCheck, RandomGenerator& random);

enum class UpdateCheckTrigger { Automatic, Menu };
/// What the user sees after a check.
enum class UpdateReaction {
  Nothing,
  AskToDownload,   ///< a newer version: ask whether to open the download page
  SayUpToDate,     ///< "Atelion is up to date" (asked for from the menu only)
  SayCheckFailed,  ///< the web site could not be asked (from the menu only)
};
UpdateReaction ReactToUpdateCheck(UpdateCheckResult::Outcome outcome, UpdateCheckTrigger trigger);

/// How the session talks to the user. Each has a default (message boxes centred on the screen,
/// the desktop's web browser); tests replace them.
struct SessionDialogs {
  std::function<void(const QString& message)> showMessage;
  std::function<bool(const QString& question)> askOkCancel;
  std::function<void(const QUrl& address)> openAddress;
};

struct SessionOptions {
  /// The first program argument; empty when there is none.
  QString argument;
  /// False keeps the automatic update check from ever running (pictures of the window).
  bool automaticUpdateCheck = true;
  std::filesystem::path settingsPath = SettingsFilePath();
};

class Session : public QObject {
  Q_OBJECT
 public:
  /// Watches `window` and schedules the start-up steps for the first idle moment.
  Session(MainWindow& window, SessionOptions options, QObject* parent = nullptr);
  /// Results of work still running in the background are dropped.
  ~Session() override;

  void SetDialogs(SessionDialogs dialogs);

  /// The check for a newer version, off the window's thread; the reaction follows when it ends.
  void CheckForUpdate(UpdateCheckTrigger trigger);

  bool Started() const { return started_; }

 signals:
  /// The start-up steps are done and the window is shown (a web picture may still be on its way).
  void started();
  /// The picture named by a web address became source and result, or its error was shown.
  void webPictureHandled(bool received);
  void updateCheckFinished(atelion::UpdateReaction reaction);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Handoff;

  void Start();
  void ShowWindow(const WindowBounds& stored);
  void DispatchArgument();
  void OpenWebPicture(const std::string& address);
  void OpenParameterFile(const QString& path);
  void ReactToUpdate(const UpdateCheckResult& result, UpdateCheckTrigger trigger, const std::string& baseAddress);
  void SaveSettings();
  QRect AvailableArea() const;
  /// Runs `work` on a thread of its own and `done` with its result on the session's thread,
  /// unless the session is gone by then.
  template <typename Result>
  void RunInBackground(std::function<Result()> work, std::function<void(Result)> done);

  MainWindow& window_;
  SessionOptions options_;
  SessionDialogs dialogs_;
  std::shared_ptr<Handoff> handoff_;
  bool started_ = false;
};

}  // namespace atelion
