#include "ui/session.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <thread>

#include "document/download.h"
#include "imageio/image_files.h"
#include "effects/parameter_files.h"
#include "i18n/language_table.h"
#include "ui/interface_texts.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"

namespace atelion {
namespace {

// Lines of the language table the session shows.
constexpr int kUpToDateLine = 181;
constexpr int kNewVersionLine = 182;

constexpr std::string_view kWebPictureName = "Atelion image";

// A picture named on the command line must not keep the window waiting for long.
constexpr DownloadLimits kStartupDownloadLimits{.connectTimeoutSeconds = 10, .totalTimeoutSeconds = 30};

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

bool EndsWith(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

void ShowCentredMessage(const QString& message) {
  QMessageBox box(QMessageBox::Information, "Atelion", message, QMessageBox::Ok);
  box.exec();
}

bool AskCentredQuestion(const QString& question) {
  QMessageBox box(QMessageBox::Question, "", question, QMessageBox::Ok | QMessageBox::Cancel);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  return box.exec() == QMessageBox::Ok;
}

}  // namespace

StartupArgument ClassifyStartupArgument(std::string_view argument) {
  if (argument.empty()) return StartupArgument::None;
  if (argument == "-silent") return StartupArgument::Silent;
  std::string lower(argument);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  if (lower.starts_with("http://")) return StartupArgument::WebAddress;
  if (IsParameterFileArgument(lower)) return StartupArgument::ParameterFile;
  for (const std::string_view extension : {".jpg", ".jpeg", ".png", ".bmp", ".gif"}) {
    if (EndsWith(lower, extension)) return StartupArgument::Image;
  }
  return StartupArgument::Ignored;
}

WindowBounds DefaultWindowBounds(const QRect& available) {
  WindowBounds bounds;
  bounds.width = std::max(available.width() * 95 / 100, kMinWindowWidth);
  bounds.height = std::max(available.height() * 95 / 100, kMinWindowHeight);
  bounds.left = available.left() + available.width() / 2 - bounds.width / 2;
  bounds.top = available.top() + available.height() / 2 - bounds.height / 2;
  return bounds;
}

WindowBounds FitWindowBounds(const WindowBounds& bounds, const QRect& available) {
  if (bounds.Maximized()) return bounds;
  // One axis at a time: shrink to the area, keep the minimum, then slide back onto the area.
  auto fit = [](int& start, int& size, int areaStart, int areaSize, int minimum) {
    size = std::max(std::min(size, areaSize), minimum);
    start = std::min(start, areaStart + areaSize - size);
    start = std::max(start, areaStart);
  };
  WindowBounds fitted = bounds;
  fit(fitted.left, fitted.width, available.left(), available.width(), kMinWindowWidth);
  fit(fitted.top, fitted.height, available.top(), available.height(), kMinWindowHeight);
  return fitted;
}

bool DrawsAutomaticUpdateCheck(bool autoUpdateCheck, RandomGenerator& random) {
  return autoUpdateCheck && random.Random(4) == 0;
}

UpdateReaction ReactToUpdateCheck(UpdateCheckResult::Outcome outcome, UpdateCheckTrigger trigger) {
  const bool fromMenu = trigger == UpdateCheckTrigger::Menu;
  switch (outcome) {
    case UpdateCheckResult::Outcome::Newer:
      return UpdateReaction::AskToDownload;
    case UpdateCheckResult::Outcome::UpToDate:
      return fromMenu ? UpdateReaction::SayUpToDate : UpdateReaction::Nothing;
    case UpdateCheckResult::Outcome::Failed:
      return fromMenu ? UpdateReaction::SayCheckFailed : UpdateReaction::Nothing;
  }
  return UpdateReaction::Nothing;
}

// What a background thread and the session share: the thread hands its result over only while
// the session is alive, and the session's destructor takes the same lock before it goes away.
struct Session::Handoff {
  std::mutex mutex;
  Session* session = nullptr;
};

Session::Session(MainWindow& window, SessionOptions options, QObject* parent)
    : QObject(parent), window_(window), options_(std::move(options)), handoff_(std::make_shared<Handoff>()) {
  handoff_->session = this;
  dialogs_.showMessage = ShowCentredMessage;
  dialogs_.askOkCancel = AskCentredQuestion;
  dialogs_.openAddress = [](const QUrl& address) { QDesktopServices::openUrl(address); };
  window_.setMinimumSize(kMinWindowWidth, kMinWindowHeight);
  window_.installEventFilter(this);
  connect(&window_, &MainWindow::updateCheckRequested, this, [this] { CheckForUpdate(UpdateCheckTrigger::Menu); });
  QTimer::singleShot(0, this, &Session::Start);
}

Session::~Session() {
  std::lock_guard lock(handoff_->mutex);
  handoff_->session = nullptr;
}

void Session::SetDialogs(SessionDialogs dialogs) {
  if (dialogs.showMessage) dialogs_.showMessage = std::move(dialogs.showMessage);
  if (dialogs.askOkCancel) dialogs_.askOkCancel = std::move(dialogs.askOkCancel);
  if (dialogs.openAddress) dialogs_.openAddress = std::move(dialogs.openAddress);
}

template <typename Result>
void Session::RunInBackground(std::function<Result()> work, std::function<void(Result)> done) {
  std::thread([handoff = handoff_, work = std::move(work), done = std::move(done)]() mutable {
    Result result = work();
    std::lock_guard lock(handoff->mutex);
    if (handoff->session == nullptr) return;
    // A queued call is dropped by Qt when its receiver is destroyed before it runs.
    QMetaObject::invokeMethod(
        handoff->session, [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); },
        Qt::QueuedConnection);
  }).detach();
}

QRect Session::AvailableArea() const {
  const QScreen* screen = window_.screen() != nullptr ? window_.screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void Session::Start() {
  const Settings stored = LoadIniFile(options_.settingsPath, DefaultWindowBounds(AvailableArea()));
  window_.StoredSettings() = stored;
  window_.Parameters()->ApplySettings(stored);
  // The stored language, or at the very first start the one the user's locale asks for.
  if (!window_.ApplyLanguage(StartLanguage(stored.language))) window_.ApplyLanguage("English");

  // The millisecond of the clock: a different sequence on every start. Styles that must repeat
  // themselves set their own seed when they begin.
  RandomGenerator& random = window_.Context().Rng;
  random.RandomSeed = ClockSeed();
  if (options_.automaticUpdateCheck && DrawsAutomaticUpdateCheck(stored.autoUpdateCheck, random)) {
    CheckForUpdate(UpdateCheckTrigger::Automatic);
  }

  ShowWindow(stored.window);
  started_ = true;
  DispatchArgument();
  emit started();
}

void Session::ShowWindow(const WindowBounds& stored) {
  if (stored.Maximized()) {
    window_.showMaximized();
    return;
  }
  const QRect area = AvailableArea();
  WindowBounds fitted = FitWindowBounds(stored, area);
  window_.setGeometry(fitted.left, fitted.top, fitted.width, fitted.height);
  window_.show();
  // The stored bounds are those of the window's inside; once it is shown its frame is known,
  // and the frame too must lie on the screen.
  const QRect frame = window_.frameGeometry();
  const QRect inside = window_.geometry();
  const QRect insideArea = area.adjusted(inside.left() - frame.left(), inside.top() - frame.top(),
                                         inside.right() - frame.right(), inside.bottom() - frame.bottom());
  if (insideArea != area) {
    fitted = FitWindowBounds(stored, insideArea);
    window_.setGeometry(fitted.left, fitted.top, fitted.width, fitted.height);
  }
}

void Session::DispatchArgument() {
  const std::string argument = options_.argument.toStdString();
  switch (ClassifyStartupArgument(argument)) {
    case StartupArgument::WebAddress:
      OpenWebPicture(argument);
      break;
    case StartupArgument::Image:
      window_.OpenPicture(options_.argument);
      break;
    case StartupArgument::ParameterFile:
      OpenParameterFile(options_.argument);
      break;
    case StartupArgument::None:
    case StartupArgument::Silent:
    case StartupArgument::Ignored:
      break;
  }
}

void Session::OpenWebPicture(const std::string& address) {
  window_.statusBar()->showMessage(QString::fromStdString(address));
  RunInBackground<LoadedImage>([address] { return DownloadImage(address, kStartupDownloadLimits); },
                               [this](LoadedImage loaded) {
                                 window_.statusBar()->clearMessage();
                                 const bool received = loaded.status.ok();
                                 if (received) {
                                   window_.SetSourceAndResult(std::move(loaded.picture), std::string(kWebPictureName));
                                 } else {
                                   dialogs_.showMessage(QString::fromStdString(loaded.status.message()));
                                 }
                                 emit webPictureHandled(received);
                               });
}

void Session::OpenParameterFile(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    dialogs_.showMessage(FromUtf8(kFileNotFoundMessage));
    return;
  }
  const Status applied = window_.Parameters()->LoadStartupParameters(path.toStdString());
  if (!applied) dialogs_.showMessage(QString::fromStdString(applied.message()));
}

void Session::CheckForUpdate(UpdateCheckTrigger trigger) {
  const std::string baseAddress = UpdateBaseAddress();
  if (baseAddress.empty()) {
    // No web site to ask: the automatic check does nothing, the menu's says why.
    if (trigger == UpdateCheckTrigger::Menu) dialogs_.showMessage(FromUtf8(kUpdatesNotConfiguredMessage));
    emit updateCheckFinished(UpdateReaction::Nothing);
    return;
  }
  RunInBackground<UpdateCheckResult>(
      [baseAddress] { return atelion::CheckForUpdate(baseAddress, ProgramVersion()); },
      [this, trigger, baseAddress](UpdateCheckResult result) { ReactToUpdate(result, trigger, baseAddress); });
}

void Session::ReactToUpdate(const UpdateCheckResult& result, UpdateCheckTrigger trigger,
                            const std::string& baseAddress) {
  const UpdateReaction reaction = ReactToUpdateCheck(result.outcome, trigger);
  switch (reaction) {
    case UpdateReaction::AskToDownload:
      if (dialogs_.askOkCancel(FromUtf8(Text(kNewVersionLine)) + " " + QString::fromStdString(result.version) + " ?")) {
        dialogs_.openAddress(QUrl(QString::fromStdString(DownloadPageAddress(baseAddress))));
      }
      break;
    case UpdateReaction::SayUpToDate:
      dialogs_.showMessage(FromUtf8(Text(kUpToDateLine)));
      break;
    case UpdateReaction::SayCheckFailed:
      qWarning("atelion: the check for a newer version at %s failed: %s", baseAddress.c_str(), result.reason.c_str());
      dialogs_.showMessage(FromUtf8(kUpdateServerUnreachableMessage));
      break;
    case UpdateReaction::Nothing:
      break;
  }
  emit updateCheckFinished(reaction);
}

bool Session::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && event->type() == QEvent::Close && started_) SaveSettings();
  return QObject::eventFilter(watched, event);
}

void Session::SaveSettings() {
  Settings& settings = window_.StoredSettings();
  if (window_.isMaximized()) {
    settings.window = WindowBounds{0, 0, -1, -1};
  } else {
    const QRect bounds = window_.isMinimized() ? window_.normalGeometry() : window_.geometry();
    settings.window = WindowBounds{bounds.left(), bounds.top(), bounds.width(), bounds.height()};
  }
  window_.Parameters()->CollectSettings(settings);
  if (const Status saved = SaveIniFile(options_.settingsPath, settings); !saved) {
    dialogs_.showMessage(QString::fromStdString(saved.message()));
  }
}

}  // namespace atelion
