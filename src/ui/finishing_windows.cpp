// The main window's part in the frame and text windows: the frame pictogram of the
// drawing-parameters window opens the frame window when it is turned on (a right-click opens it
// at any time), the text pictogram and "Add text" open the text window, and the settings the two
// windows keep on OK go to the drawing-parameters window, which hands them to the runs and to the
// settings file.
#include <QMenu>
#include <QToolButton>

#include "ui/frame_window.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/text_window.h"

namespace atelion {
namespace {

constexpr int kAddTextLine = 21;

}  // namespace

void MainWindow::ConnectFinishingWindows() {
  QAction* addText = MakeAction(kAddTextLine, QKeySequence(), &MainWindow::ShowTextWindow);
  addText->setObjectName("addTextAction");
  editMenu_->insertAction(cancelAction_, addText);
  editMenu_->insertSeparator(cancelAction_);
  // Only the user's own clicks open the windows: setting the options from a file or a test does not.
  connect(parameters_->FrameButton(), &QToolButton::clicked, this, [this](bool on) {
    if (on) ShowFrameWindow();
  });
  connect(parameters_->TextButton(), &QToolButton::clicked, this, [this](bool on) {
    if (on) ShowTextWindow();
  });
  for (QToolButton* button : {parameters_->FrameButton(), parameters_->TextButton()}) {
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, this, [this, button] {
      button->setChecked(true);
      if (button == parameters_->FrameButton()) {
        ShowFrameWindow();
      } else {
        ShowTextWindow();
      }
    });
  }
}

void MainWindow::ShowFrameWindow() {
  if (running_) return;
  if (frameWindow_ == nullptr) {
    frameWindow_ = new FrameWindow(this);
    connect(frameWindow_, &FrameWindow::settingsAccepted, this,
            [this](const FrameSettings& settings) { parameters_->SetFrameSettings(settings); });
  }
  parameters_->FrameButton()->setChecked(true);
  frameWindow_->Open(parameters_->CurrentFinishingSettings().frame, document_.SourcePicture);
}

void MainWindow::ShowTextWindow() {
  if (running_) return;
  if (textWindow_ == nullptr) {
    textWindow_ = new TextWindow(*this);
    connect(textWindow_, &TextWindow::committed, this,
            [this](const TextSettings& settings) { parameters_->SetTextSettings(settings); });
  }
  if (textWindow_->isVisible()) {
    textWindow_->raise();
    textWindow_->activateWindow();
    return;
  }
  textWindow_->Open(parameters_->CurrentFinishingSettings().text);
}

}  // namespace atelion
