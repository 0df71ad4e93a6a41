#include "ui/source_modifications_window.h"

#include <QApplication>
#include <QConicalGradient>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "core/filters.h"
#include "ui/interface_texts.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"

namespace atelion {

namespace {

constexpr int kCaptionLine = 158;
constexpr int kLuminosityLine = 159;
constexpr int kContrastLine = 160;
constexpr int kSaturationLine = 161;
constexpr int kBlurSharpenLine = 162;
constexpr int kSimplificationLine = 163;
constexpr int kResetLine = 164;
constexpr int kApplyLine = 165;
constexpr int kCancelLine = 137;
constexpr int kVibranceLine = 242;

// The slider rows: label line, range and the object name tests and the keyboard find them by.
struct SliderRow {
  int line;
  SliderRange range;
  const char* name;
};
constexpr std::array<SliderRow, 5> kSliderRows = {{
    {kLuminosityLine, kLuminosityRange, "modifyLuminosity"},
    {kContrastLine, kContrastRange, "modifyContrast"},
    {kSaturationLine, kSaturationRange, "modifySaturation"},
    {kBlurSharpenLine, kBlurSharpenRange, "modifyBlurSharpen"},
    {kSimplificationLine, kSimplificationRange, "modifySimplification"},
}};

// The lift of the vibrance button.
constexpr int kVibranceAmount = 55;
// A slider change waits this long, and again after the mouse button is up, before the preview.
constexpr int kDebounceMs = 200;
// Arrow keys move the preview part by this many pixels.
constexpr int kArrowStep = 10;

// The vibrance button's picture: a colour wheel that grows more saturated towards its rim.
QIcon VibranceIcon() {
  QIcon icon;
  for (const int size : {32, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF wheel(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
    QConicalGradient hues(wheel.center(), 90);
    for (int step = 0; step <= 6; ++step) hues.setColorAt(step / 6.0, QColor::fromHsv((step * 60) % 360, 255, 255));
    painter.setPen(Qt::NoPen);
    painter.setBrush(hues);
    painter.drawEllipse(wheel);
    QRadialGradient grey(wheel.center(), wheel.width() / 2);
    grey.setColorAt(0.0, QColor(200, 200, 200, 255));
    grey.setColorAt(0.75, QColor(200, 200, 200, 0));
    painter.setBrush(grey);
    painter.drawEllipse(wheel);
    painter.setPen(QPen(QColor(30, 30, 30), size / 16.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(wheel);
    icon.addPixmap(pixmap);
  }
  return icon;
}

// A history step that could not be stored is said; the photograph itself has changed all the same.
void ShowProblem(const Status& status) {
  if (status) return;
  if (qEnvironmentVariableIsSet("ATELION_NO_DIALOGS")) {
    qWarning("%s", status.message().c_str());
    return;
  }
  QMessageBox::warning(nullptr, "Atelion", QString::fromStdString(status.message()));
}

}  // namespace

// ---- The preview box -------------------------------------------------------------------------

ModificationPreviewBox::ModificationPreviewBox(QWidget* parent) : QWidget(parent) {
  setFixedSize(kModificationPreviewSide, kModificationPreviewSide);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::OpenHandCursor);
}

void ModificationPreviewBox::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void ModificationPreviewBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(24, 26, 29));
  painter.drawImage(0, 0, picture_);
  // Two nested squares frame the part, brighter while the box has the keyboard focus.
  painter.setPen(hasFocus() ? palette().color(QPalette::Highlight) : QColor(200, 203, 208));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(0, 0, kModificationPreviewSide - 1, kModificationPreviewSide - 1);
  painter.drawRect(1, 1, kModificationPreviewSide - 3, kModificationPreviewSide - 3);
}

void ModificationPreviewBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  last_ = event->position().toPoint();
  setCursor(Qt::ClosedHandCursor);
}

void ModificationPreviewBox::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const QPoint now = event->position().toPoint();
  emit dragged(now - last_);
  last_ = now;
}

void ModificationPreviewBox::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  setCursor(Qt::OpenHandCursor);
  emit released();
}

void ModificationPreviewBox::keyPressEvent(QKeyEvent* event) {
  QPoint delta;
  switch (event->key()) {
    case Qt::Key_Left: delta = {kArrowStep, 0}; break;
    case Qt::Key_Right: delta = {-kArrowStep, 0}; break;
    case Qt::Key_Up: delta = {0, kArrowStep}; break;
    case Qt::Key_Down: delta = {0, -kArrowStep}; break;
    default: QWidget::keyPressEvent(event); return;
  }
  // An arrow moves the view over the photograph the way a drag by the pointer would.
  emit dragged(delta);
}

void ModificationPreviewBox::keyReleaseEvent(QKeyEvent* event) {
  const int key = event->key();
  if (!event->isAutoRepeat() && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
    emit released();
    return;
  }
  QWidget::keyReleaseEvent(event);
}

// ---- The window ------------------------------------------------------------------------------

SourceModificationsWindow::SourceModificationsWindow(MainWindow& main, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), main_(main) {
  setObjectName("sourceModificationsWindow");
  BindLine(this, kCaptionLine, [this](const QString& text) { setWindowTitle(text); });

  auto* sliders = new QGridLayout;
  sliders->setColumnMinimumWidth(1, 220);
  sliders->setColumnStretch(1, 1);
  for (int index = 0; index < static_cast<int>(kSliderRows.size()); ++index) {
    const SliderRow& row = kSliderRows[index];
    auto* label = new QLabel;
    BindLine(label, row.line, [label](const QString& text) { label->setText(text); });
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(row.name);
    slider->setRange(row.range.minimum, row.range.maximum);
    slider->setPageStep(row.range.maximum - row.range.minimum > 20 ? 10 : 1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(row.range.maximum - row.range.minimum > 20 ? 25 : 1);
    label->setBuddy(slider);
    auto* value = new QLabel("0");
    value->setObjectName(QString(row.name) + "Value");
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance("-100") + 6);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    sliders->addWidget(label, index, 0);
    sliders->addWidget(slider, index, 1);
    sliders->addWidget(value, index, 2);
    sliders_[index] = slider;
    values_[index] = value;
    connect(slider, &QSlider::valueChanged, this, [this, index](int position) { SliderChanged(index, position); });
  }

  box_ = new ModificationPreviewBox;
  box_->setObjectName("modifyPreview");
  connect(box_, &ModificationPreviewBox::dragged, this, [this](QPoint delta) {
    // The part moves against the pointer, as if the photograph were pushed along under the box.
    MovePreview({origin_.x - delta.x(), origin_.y - delta.y()});
  });
  connect(box_, &ModificationPreviewBox::released, this, [this] { proceedTimer_.start(kDebounceMs); });

  vibrance_ = new QToolButton;
  vibrance_->setObjectName("modifyVibrance");
  vibrance_->setIcon(VibranceIcon());
  vibrance_->setIconSize(QSize(32, 32));
  vibrance_->setAutoRaise(false);
  BindLine(vibrance_, kVibranceLine, [this](const QString& text) {
    vibrance_->setToolTip(text);
    vibrance_->setAccessibleName(text);
  });
  connect(vibrance_, &QToolButton::clicked, this, &SourceModificationsWindow::ApplyVibrance);

  auto* previewColumn = new QVBoxLayout;
  previewColumn->addWidget(box_, 0, Qt::AlignHCenter);
  previewColumn->addWidget(vibrance_, 0, Qt::AlignHCenter);
  previewColumn->addStretch(1);

  auto* top = new QHBoxLayout;
  top->addLayout(sliders, 1);
  top->addSpacing(12);
  top->addLayout(previewColumn);

  reset_ = new QPushButton;
  reset_->setObjectName("modifyReset");
  BindLine(reset_, kResetLine, [this](const QString& text) { reset_->setText(text); });
  connect(reset_, &QPushButton::clicked, this, &SourceModificationsWindow::ResetValues);
  cancel_ = new QPushButton;
  cancel_->setObjectName("modifyCancel");
  BindLine(cancel_, kCancelLine, [this](const QString& text) { cancel_->setText(text); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::close);
  apply_ = new QPushButton;
  apply_->setObjectName("modifyApply");
  apply_->setDefault(true);
  BindLine(apply_, kApplyLine, [this](const QString& text) { apply_->setText(text); });
  connect(apply_, &QPushButton::clicked, this, &SourceModificationsWindow::ApplyChanges);
  for (QPushButton* button : {reset_, cancel_}) button->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(reset_);
  buttons->addStretch(1);
  buttons->addWidget(cancel_);
  buttons->addWidget(apply_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Sliders first, then the preview and the vibrance button, then the buttons.
  setTabOrder(sliders_[4], box_);
  setTabOrder(box_, vibrance_);
  setTabOrder(vibrance_, reset_);
  setTabOrder(reset_, cancel_);
  setTabOrder(cancel_, apply_);

  debounceTimer_.setSingleShot(true);
  connect(&debounceTimer_, &QTimer::timeout, this, &SourceModificationsWindow::DebounceTick);
  proceedTimer_.setSingleShot(true);
  connect(&proceedTimer_, &QTimer::timeout, this, &SourceModificationsWindow::RequestPreview);
}

SourceModificationsWindow::~SourceModificationsWindow() { StopPreview(); }

void SourceModificationsWindow::StopPreview() {
  if (jobContext_) jobContext_->AbortRequested = true;
  previewPending_ = false;
  if (worker_.joinable()) worker_.join();
}

SourceModificationSettings SourceModificationsWindow::Settings() const {
  return {sliders_[0]->value(), sliders_[1]->value(), sliders_[2]->value(), sliders_[3]->value(), sliders_[4]->value()};
}

void SourceModificationsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  ParametersWindow* parameters = main_.Parameters();
  parametersWereShown_ = parameters->isVisible();
  if (parametersWereShown_) parameters->hide();
  applying_ = false;
  SetControlsEnabled(true);
  origin_ = ClampModificationPreviewOrigin(kModificationPreviewStart, main_.CurrentDocument().SourceSize);
  ShowPlainPart();
  ResetValues();
  lastChanged_ = 0;
  sliders_[0]->setFocus();
}

void SourceModificationsWindow::closeEvent(QCloseEvent* event) {
  // The photograph is being replaced: the window stays until that is done.
  if (applying_) {
    event->ignore();
    return;
  }
  debounceTimer_.stop();
  proceedTimer_.stop();
  StopPreview();
  if (parametersWereShown_) main_.Parameters()->show();
  parametersWereShown_ = false;
  QDialog::closeEvent(event);
}

void SourceModificationsWindow::keyPressEvent(QKeyEvent* event) {
  // Esc closes the window the way Cancel does (a dialog would only hide it).
  // While the photograph is being changed, Esc asks whether to stop, as in the main window.
  if (event->key() == Qt::Key_Escape) {
    if (applying_) {
      main_.RequestCancel();
    } else {
      close();
    }
    return;
  }
  QDialog::keyPressEvent(event);
}

void SourceModificationsWindow::SliderChanged(int index, int position) {
  values_[index]->setText(QString::number(position));
  lastChanged_ = index + 1;
  proceedTimer_.stop();
  debounceTimer_.start(kDebounceMs);
}

void SourceModificationsWindow::DebounceTick() {
  // While a slider is still held the preview waits for its release.
  if (QGuiApplication::mouseButtons() & Qt::LeftButton) {
    debounceTimer_.start(kDebounceMs);
    return;
  }
  proceedTimer_.start(kDebounceMs);
}

void SourceModificationsWindow::ResetValues() {
  for (QSlider* slider : sliders_) slider->setValue(0);
}

void SourceModificationsWindow::MovePreview(Point origin) {
  const Point moved = ClampModificationPreviewOrigin(origin, main_.CurrentDocument().SourceSize);
  if (moved == origin_) return;
  origin_ = moved;
  // A computing preview of the old place is of no use any more.
  if (jobContext_) jobContext_->AbortRequested = true;
  ++generation_;
  ShowPlainPart();
}

void SourceModificationsWindow::ShowPlainPart() {
  ShowPreview(ModificationPreviewPart(main_.CurrentDocument().SourcePicture, origin_));
}

void SourceModificationsWindow::ShowPreview(const Bitmap24& picture) {
  preview_ = picture;
  box_->SetPicture(ToQImage(preview_));
}

void SourceModificationsWindow::RequestPreview() {
  if (!isVisible() || applying_) return;
  previewPending_ = true;
  if (worker_.joinable()) {
    // The newest request wins: the one computing stops, and this one follows when it has.
    if (jobContext_) jobContext_->AbortRequested = true;
    return;
  }
  StartPreview();
}

void SourceModificationsWindow::StartPreview() {
  previewPending_ = false;
  const quint64 generation = ++generation_;
  auto context = std::make_shared<RunContext>();
  jobContext_ = context;
  const Document& document = main_.CurrentDocument();
  Bitmap24 part = ModificationPreviewPart(document.SourcePicture, origin_);
  const SourceModificationSettings settings = Settings();
  const MeanColour mean = document.SourceMeanColour;
  worker_ = std::thread([this, generation, context, part = std::move(part), settings, mean]() mutable {
    const bool complete = ModifyPicture(part, settings, mean, *context);
    QMetaObject::invokeMethod(
        this, [this, generation, complete, part = std::move(part)]() mutable { PreviewFinished(generation, complete, std::move(part)); },
        Qt::QueuedConnection);
  });
}

void SourceModificationsWindow::PreviewFinished(quint64 generation, bool complete, Bitmap24 picture) {
  if (worker_.joinable()) worker_.join();
  if (previewPending_) {
    StartPreview();
    return;
  }
  if (!complete || generation != generation_ || applying_) return;
  ShowPreview(picture);
  emit previewShown();
}

void SourceModificationsWindow::SetControlsEnabled(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{box_, vibrance_, reset_, cancel_, apply_}) {
    control->setEnabled(enabled);
  }
  for (QSlider* slider : sliders_) slider->setEnabled(enabled);
}

void SourceModificationsWindow::ApplyChanges() {
  if (applying_) return;
  if (lastChanged_ == 0) {
    // Nothing moved since the window opened: the photograph stays, but the step is recorded.
    ShowProblem(RecordModifiedSource(main_.CurrentDocument(), main_.CurrentDocument().SourcePicture));
    main_.ShowScriptPictures();
    emit applied();
    close();
    return;
  }
  const SourceModificationSettings settings = Settings();
  const MeanColour mean = main_.CurrentDocument().SourceMeanColour;
  const QString caption = TrimmedLine(kApplyLine);
  QPointer<MainWindow> main(&main_);
  WorkOnWholeSource([settings, mean, main, caption](Bitmap24& picture, RunContext& context) {
    const std::vector<ModificationStep> steps = PlanSourceModifications(settings);
    for (std::size_t done = 0; done < steps.size(); ++done) {
      if (!ApplyModificationStep(picture, steps[done], mean, context) || context.AbortRequested) return false;
      const int percent = static_cast<int>((done + 1) * 100 / steps.size());
      QMetaObject::invokeMethod(main, [main, percent, caption] {
        if (main) main->ShowWorkProgress(percent, caption);
      }, Qt::QueuedConnection);
    }
    return true;
  });
}

void SourceModificationsWindow::ApplyVibrance() {
  if (applying_) return;
  WorkOnWholeSource([](Bitmap24& picture, RunContext& context) {
    ColourVibrance(picture, picture, kVibranceAmount);
    return !context.AbortRequested;
  });
}

void SourceModificationsWindow::WorkOnWholeSource(std::function<bool(Bitmap24&, RunContext&)> work) {
  debounceTimer_.stop();
  proceedTimer_.stop();
  StopPreview();
  auto picture = std::make_shared<Bitmap24>(main_.CurrentDocument().SourcePicture);
  auto complete = std::make_shared<bool>(false);
  QPointer<SourceModificationsWindow> window(this);
  const bool started = main_.StartWork(
      [picture, complete, work = std::move(work)](RunContext& context) { *complete = work(*picture, context); },
      [this, window, picture, complete] {
        if (!window) return;
        applying_ = false;
        SetControlsEnabled(true);
        QApplication::restoreOverrideCursor();
        if (*complete) {
          ShowProblem(RecordModifiedSource(main_.CurrentDocument(), std::move(*picture)));
          lastChanged_ = 0;
          main_.ShowScriptPictures();
          emit applied();
        }
        close();
      },
      [] {});
  if (!started) return;
  applying_ = true;
  SetControlsEnabled(false);
  QApplication::setOverrideCursor(Qt::BusyCursor);
  main_.ShowWorkProgress(0, TrimmedLine(kApplyLine));
}

}  // namespace atelion
