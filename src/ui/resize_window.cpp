#include "ui/resize_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>

#include "document/source_edits.h"
#include "ui/interface_texts.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/source_modifications_window.h"

namespace atelion {

namespace {

constexpr int kCaptionLine = 153;
constexpr int kWidthLine = 154;
constexpr int kHeightLine = 155;
constexpr int kKeepRatioLine = 156;
constexpr int kDesktopSizeLine = 157;
constexpr int kCancelLine = 137;

const char* const kFieldNames[] = {"resizeWidth", "resizeHeight", "resizeWidthPercent", "resizeHeightPercent"};
const char* const kSliderNames[] = {"resizeWidthSlider", "resizeHeightSlider"};

QString Shown(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

ResizeWindow::ResizeWindow(MainWindow& main, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint), main_(main) {
  setObjectName("resizeWindow");
  BindLine(this, kCaptionLine, [this](const QString& text) { setWindowTitle(text); });
  desktop_ = &ResizeWindow::DesktopPixels;

  auto* grid = new QGridLayout;
  grid->setColumnStretch(4, 1);
  grid->setColumnMinimumWidth(4, 220);
  for (const ResizeAxis axis : {ResizeAxis::Width, ResizeAxis::Height}) {
    const int row = static_cast<int>(axis);
    auto* label = new QLabel;
    BindLine(label, axis == ResizeAxis::Width ? kWidthLine : kHeightLine, [label](const QString& text) { label->setText(text); });
    const ResizeField pixels = axis == ResizeAxis::Width ? ResizeField::Width : ResizeField::Height;
    const ResizeField percent = axis == ResizeAxis::Width ? ResizeField::WidthPercent : ResizeField::HeightPercent;
    for (const ResizeField field : {pixels, percent}) {
      auto* edit = new QLineEdit;
      edit->setObjectName(kFieldNames[static_cast<int>(field)]);
      edit->setAlignment(Qt::AlignRight);
      edit->setMaxLength(9);
      edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("0000000") + 16);
      connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
        if (showing_) return;
        fields_.KeyUp(field, text.toStdString());
        ShowFields();
      });
      edits_[static_cast<int>(field)] = edit;
    }
    label->setBuddy(edits_[static_cast<int>(pixels)]);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(kSliderNames[row]);
    slider->setMinimum(fields_.SliderMinimum());
    connect(slider, &QSlider::valueChanged, this, [this, axis](int position) {
      // Moves the other handlers make are shown, not acted on.
      if (showing_) return;
      fields_.SliderMoved(axis, position);
      ShowFields();
    });
    sliders_[row] = slider;
    grid->addWidget(label, row, 0);
    grid->addWidget(edits_[static_cast<int>(pixels)], row, 1);
    grid->addWidget(edits_[static_cast<int>(percent)], row, 2);
    grid->addWidget(new QLabel("%"), row, 3);
    grid->addWidget(slider, row, 4);
  }

  keepRatio_ = new QCheckBox;
  keepRatio_->setObjectName("resizeKeepRatio");
  BindLine(keepRatio_, kKeepRatioLine, [this](const QString& text) { keepRatio_->setText(text); });
  connect(keepRatio_, &QCheckBox::clicked, this, [this](bool ticked) {
    fields_.SetKeepRatio(ticked);
    ShowFields();
    if (ticked) Slider(ResizeAxis::Width)->setFocus();
  });
  desktopSize_ = new QCheckBox;
  desktopSize_->setObjectName("resizeDesktopSize");
  BindLine(desktopSize_, kDesktopSizeLine, [this](const QString& text) { desktopSize_->setText(text); });
  connect(desktopSize_, &QCheckBox::clicked, this, [this](bool ticked) {
    fields_.SetDesktopSize(ticked, desktop_());
    ShowFields();
  });

  ok_ = new QPushButton;
  ok_->setObjectName("resizeOk");
  ok_->setDefault(true);
  // The one caption the language table does not hold.
  BindText(
      ok_, [] { return QString::fromUtf8(CurrentInterfaceLanguage() == "Hangul" ? "확인" : "OK"); },
      [this](const QString& text) { ok_->setText(text); });
  connect(ok_, &QPushButton::clicked, this, &ResizeWindow::Accept);
  cancel_ = new QPushButton;
  cancel_->setObjectName("resizeCancel");
  cancel_->setAutoDefault(false);
  BindLine(cancel_, kCancelLine, [this](const QString& text) { cancel_->setText(text); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::close);

  auto* boxes = new QHBoxLayout;
  boxes->addWidget(keepRatio_);
  boxes->addSpacing(16);
  boxes->addWidget(desktopSize_);
  boxes->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(boxes);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  setTabOrder(edits_[0], edits_[2]);
  setTabOrder(edits_[2], sliders_[0]);
  setTabOrder(sliders_[0], edits_[1]);
  setTabOrder(edits_[1], edits_[3]);
  setTabOrder(edits_[3], sliders_[1]);
  setTabOrder(sliders_[1], keepRatio_);
  setTabOrder(keepRatio_, desktopSize_);
  setTabOrder(desktopSize_, ok_);
  setTabOrder(ok_, cancel_);
}

PictureSize ResizeWindow::DesktopPixels() {
  QRect desktop;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    desktop |= QRect(QPoint(qRound(area.x() * ratio), qRound(area.y() * ratio)),
                     QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)));
  }
  return {desktop.width(), desktop.height()};
}

void ResizeWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // The fields start again from the photograph's present size each time the window opens.
  if (SourceModificationsWindow* modifications = main_.SourceModifications();
      modifications != nullptr && modifications->isVisible()) {
    modifications->close();
  }
  ParametersWindow* parameters = main_.Parameters();
  parametersWereShown_ = parameters->isVisible();
  if (parameters->isVisible()) parameters->hide();
  fields_.Activate(main_.CurrentDocument().SourceSize);
  ShowFields();
  QLineEdit* percent = Field(ResizeField::WidthPercent);
  percent->setFocus();
  percent->selectAll();
}

void ResizeWindow::closeEvent(QCloseEvent* event) {
  // The pictures are being resized: the window stays until that is done.
  if (resizing_) {
    event->ignore();
    return;
  }
  if (parametersWereShown_) main_.Parameters()->show();
  parametersWereShown_ = false;
  QDialog::closeEvent(event);
}

void ResizeWindow::keyPressEvent(QKeyEvent* event) {
  // Enter presses OK from every field; Esc closes the window as Cancel does.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Accept();
      return;
    case Qt::Key_Escape:
      // During the resize, Esc asks whether to stop, as in the main window.
      if (resizing_) {
        main_.RequestCancel();
      } else {
        close();
      }
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void ResizeWindow::ShowFields() {
  showing_ = true;
  for (int field = 0; field < 4; ++field) {
    const QString text = Shown(fields_.Text(static_cast<ResizeField>(field)));
    if (edits_[field]->text() != text) edits_[field]->setText(text);
  }
  for (const ResizeAxis axis : {ResizeAxis::Width, ResizeAxis::Height}) {
    QSlider* slider = Slider(axis);
    slider->setMaximum(fields_.SliderMaximum(axis));
    slider->setPageStep(std::max(1, fields_.SliderMaximum(axis) / 30));
    slider->setValue(fields_.SliderPosition(axis));
  }
  keepRatio_->setChecked(fields_.KeepRatio());
  desktopSize_->setChecked(fields_.DesktopSize());
  showing_ = false;
}

void ResizeWindow::Accept() {
  if (resizing_ || main_.Running()) return;
  const PictureSize size = fields_.Accept();
  ShowFields();
  // A side below 2 pixels resizes nothing.
  if (size.width < 2 || size.height < 2) {
    close();
    return;
  }
  main_.SetZoom(100);
  // The resampling runs on copies on the main window's worker thread; the copies replace the
  // pictures, and are recorded, back on this thread.
  const Document& document = main_.CurrentDocument();
  auto source = std::make_shared<Bitmap24>(document.SourcePicture);
  auto result = std::make_shared<Bitmap24>(document.ResultPicture);
  auto outcome = std::make_shared<Status>(Status::Ok());
  auto stopped = std::make_shared<bool>(false);
  QPointer<ResizeWindow> window(this);
  const bool started = main_.StartWork(
      [source, result, outcome, stopped, size](RunContext& context) {
        *outcome = ResizePictures(*source, *result, size.width, size.height);
        *stopped = context.AbortRequested;
      },
      [this, window, source, result, outcome, stopped] {
        if (!window) return;
        resizing_ = false;
        SetControlsEnabled(true);
        QApplication::restoreOverrideCursor();
        if (*stopped) return;
        if (!*outcome) {
          Tell(QString::fromStdString(outcome->message()));
          return;
        }
        const Status recorded = RecordResizedPictures(main_.CurrentDocument(), std::move(*source), std::move(*result));
        if (!recorded) Tell(QString::fromStdString(recorded.message()));
        close();
        // The pictures, the status text and the preview of the drawing-parameters window follow the new size.
        main_.ShowScriptPictures();
        main_.Parameters()->ResetPreviewCrop(kPreviewResetLimitAfterUndo);
        emit resized();
      },
      [] {});
  if (!started) return;
  resizing_ = true;
  SetControlsEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  main_.ShowWorkProgress(0, windowTitle());
}

void ResizeWindow::SetControlsEnabled(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{edits_[0], edits_[1], edits_[2], edits_[3], sliders_[0],
                                                          sliders_[1], keepRatio_, desktopSize_, ok_, cancel_}) {
    control->setEnabled(enabled);
  }
}

void ResizeWindow::Tell(const QString& message) {
  if (messenger_) {
    messenger_(message);
  } else if (qEnvironmentVariableIsSet("ATELION_NO_DIALOGS")) {
    qWarning("%s", qPrintable(message));
  } else {
    QMessageBox::warning(this, windowTitle(), message);
  }
}

}  // namespace atelion
