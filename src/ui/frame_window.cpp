#include "ui/frame_window.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "finishing/frame_preview.h"
#include "finishing/picture_frames.h"
#include "ui/interface_texts.h"
#include "ui/pictograms.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

constexpr int kTitleLine = 115;
constexpr int kFrameStyleLine = 116;
constexpr int kFillColourLine = 117;
constexpr int kLineColourLine = 118;
constexpr int kMarginLine = 119;
constexpr int kPanelSpacingLine = 120;
constexpr int kCancelLine = 137;

// The custom frame's own texts, which the language table does not hold.
constexpr const char* kAutofitText = "Autofit";
constexpr const char* kDefaultFrameHint = "Right-click for default frame";
constexpr const char* kFrameFileFilter = "Portable Network Graphics (*.png)";

// How long the preview waits after each kind of change, in milliseconds: long enough that a
// change made in several steps (typing a margin, dragging a slider) computes once.
constexpr int kShowDelay = 200;
constexpr int kStyleDelay = 500;
constexpr int kColourDelay = 200;
constexpr int kSwapDelay = 50;
constexpr int kNumberDelay = 300;
constexpr int kOffsetDelay = 200;


QToolButton* SwatchButton(const char* name) {
  auto* button = new QToolButton;
  button->setObjectName(name);
  button->setIconSize(QSize(40, 20));
  button->setAutoRaise(false);
  return button;
}

QSpinBox* NumberBox(const char* name, const FrameSettingRange& range) {
  auto* box = new QSpinBox;
  box->setObjectName(name);
  box->setRange(range.minimum, range.maximum);
  box->setAccelerated(true);
  return box;
}

QLabel* Label(QWidget* buddy, int line) {
  auto* label = new QLabel;
  label->setBuddy(buddy);
  BindLine(label, line, [label](const QString& text) { label->setText(text); });
  return label;
}

}  // namespace

FrameWindow::FrameWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("frameWindow");
  BindLine(this, kTitleLine, [this](const QString& text) { setWindowTitle(text); });
  setModal(true);
  previewTimer_.setSingleShot(true);
  connect(&previewTimer_, &QTimer::timeout, this, &FrameWindow::StartPreview);

  // Controls in reading order, so that Tab walks them from top to bottom.
  styleList_ = new QComboBox;
  styleList_->setObjectName("ListOfFrames");
  for (int entry = 0; entry < kFrameStyleCount; ++entry) styleList_->addItem(QString());
  BindText(this, [] { return QString(); }, [this](const QString&) { RelabelEntries(); });
  realisticNumber_ = NumberBox("realisticFrameNumber", kRealisticFrameRange);
  colouredNumber_ = NumberBox("colouredFrameNumber", kColouredFrameRange);
  fillColour_ = SwatchButton("fillColourButton");
  lineColour_ = SwatchButton("lineColourButton");
  swap_ = new QToolButton;
  swap_->setObjectName("swapColoursButton");
  swap_->setText(QString::fromUtf8("\u21C5"));
  margin_ = NumberBox("marginBox", kFrameMarginRange);
  spacing_ = NumberBox("panelSpacingBox", kPanelSpacingRange);

  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  auto* styleRow = new QHBoxLayout;
  styleRow->addWidget(styleList_, 1);
  styleRow->addWidget(realisticNumber_);
  styleRow->addWidget(colouredNumber_);
  grid->addWidget(Label(styleList_, kFrameStyleLine), 0, 0);
  grid->addLayout(styleRow, 0, 1, 1, 2);
  grid->addWidget(Label(fillColour_, kFillColourLine), 1, 0);
  grid->addWidget(fillColour_, 1, 1, Qt::AlignLeft);
  lineLabel_ = Label(lineColour_, kLineColourLine);
  grid->addWidget(lineLabel_, 2, 0);
  auto* lineRow = new QHBoxLayout;
  lineRow->addWidget(lineColour_);
  lineRow->addWidget(swap_);
  lineRow->addStretch(1);
  grid->addLayout(lineRow, 2, 1, 1, 2);
  grid->addWidget(Label(margin_, kMarginLine), 3, 0);
  grid->addWidget(margin_, 3, 1, Qt::AlignLeft);
  spacingLabel_ = Label(spacing_, kPanelSpacingLine);
  grid->addWidget(spacingLabel_, 4, 0);
  grid->addWidget(spacing_, 4, 1, Qt::AlignLeft);

  // The coloured frame's offsets, each beside a swatch of its channel.
  const std::array<QColor, 3> channelColours = {QColor(220, 40, 40), QColor(40, 180, 60), QColor(50, 90, 230)};
  const std::array<const char*, 3> sliderNames = {"redOffset", "greenOffset", "blueOffset"};
  for (int channel = 0; channel < 3; ++channel) {
    QPixmap swatch(16, 16);
    swatch.fill(channelColours[channel]);
    offsetSwatches_[channel] = new QLabel;
    offsetSwatches_[channel]->setPixmap(swatch);
    offsets_[channel] = new QSlider(Qt::Horizontal);
    offsets_[channel]->setObjectName(sliderNames[channel]);
    offsets_[channel]->setRange(kFrameColourOffsetRange.minimum, kFrameColourOffsetRange.maximum);
    offsets_[channel]->setPageStep(16);
    offsetValues_[channel] = new QLabel;
    offsetValues_[channel]->setMinimumWidth(QFontMetrics(font()).horizontalAdvance("-255") + 4);
    offsetValues_[channel]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(offsetSwatches_[channel], 5 + channel, 0, Qt::AlignRight);
    grid->addWidget(offsets_[channel], 5 + channel, 1);
    grid->addWidget(offsetValues_[channel], 5 + channel, 2);
    connect(offsets_[channel], &QSlider::valueChanged, this, [this, channel](int value) {
      int* offsets[3] = {&settings_.redOffset, &settings_.greenOffset, &settings_.blueOffset};
      *offsets[channel] = value;
      offsetValues_[channel]->setText(QString::number(value));
      offsets_[channel]->setToolTip(QString::number(value));
      SchedulePreview(kOffsetDelay);
    });
  }

  customPicture_ = new QToolButton;
  customPicture_->setObjectName("CustomFramePicto");
  customPicture_->setIcon(PictogramIcon(Pictogram::Frame));
  customPicture_->setIconSize(QSize(32, 32));
  customPicture_->setToolTip(kDefaultFrameHint);
  customPicture_->installEventFilter(this);
  autofit_ = new QCheckBox(kAutofitText);
  autofit_->setObjectName("AutoFitCheckBox");
  auto* customRow = new QHBoxLayout;
  customRow->addWidget(customPicture_);
  customRow->addWidget(autofit_);
  customRow->addStretch(1);
  grid->addLayout(customRow, 8, 0, 1, 3);
  customNotice_ = new QLabel;
  customNotice_->setObjectName("customFrameNotice");
  customNotice_->setWordWrap(true);
  customNotice_->hide();
  grid->addWidget(customNotice_, 9, 0, 1, 3);
  grid->setRowStretch(10, 1);

  previewLabel_ = new QLabel;
  previewLabel_->setObjectName("framePreview");
  previewLabel_->setFixedSize(kFramePreviewSide, kFramePreviewSide);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setObjectName("okButton");
  ok_->setDefault(true);
  cancel_ = buttons->button(QDialogButtonBox::Cancel);
  cancel_->setObjectName("cancelButton");
  BindLine(cancel_, kCancelLine, [this](const QString& text) { cancel_->setText(text); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    emit settingsAccepted(settings_);
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* body = new QHBoxLayout;
  body->addLayout(grid, 1);
  body->addSpacing(12);
  body->addWidget(previewLabel_, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addWidget(buttons);

  connect(styleList_, &QComboBox::currentIndexChanged, this, [this](int entry) {
    if (entry < 0) return;
    settings_.entry = entry;
    ShowControlsOfStyle();
    SchedulePreview(kStyleDelay);
  });
  connect(realisticNumber_, &QSpinBox::valueChanged, this, [this](int number) {
    settings_.realisticFrame = number;
    RelabelEntries();
    SchedulePreview(kNumberDelay);
  });
  connect(colouredNumber_, &QSpinBox::valueChanged, this, [this](int number) {
    settings_.colouredFrame = number;
    RelabelEntries();
    SchedulePreview(kNumberDelay);
  });
  connect(fillColour_, &QToolButton::clicked, this, [this] { ChooseColour(true); });
  connect(lineColour_, &QToolButton::clicked, this, [this] { ChooseColour(false); });
  connect(swap_, &QToolButton::clicked, this, [this] {
    std::swap(settings_.frameFillColor, settings_.frameLineColor);
    ShowSwatches();
    SchedulePreview(kSwapDelay);
  });
  connect(margin_, &QSpinBox::valueChanged, this, [this](int margin) {
    settings_.margin = margin;
    SchedulePreview(kNumberDelay);
  });
  connect(spacing_, &QSpinBox::valueChanged, this, [this](int spacing) {
    settings_.panelSpacing = spacing;
    SchedulePreview(kNumberDelay);
  });
  connect(customPicture_, &QToolButton::clicked, this, &FrameWindow::ChooseCustomPicture);
  connect(autofit_, &QCheckBox::toggled, this, [this](bool on) {
    settings_.autofit = on;
    SchedulePreview(kNumberDelay);
  });
  ShowSettings();
}

FrameWindow::~FrameWindow() { StopPreview(); }

void FrameWindow::Open(const FrameSettings& settings, const Bitmap24& source) {
  settings_ = ClampFrameSettings(settings);
  source_ = std::make_shared<const Bitmap24>(source);
  customFrame_.reset();
  customNotice_->hide();
  if (!settings_.useDefaultFrame && !settings_.customFramePath.empty()) {
    Bitmap32 frame;
    if (const Status loaded = LoadCustomFramePicture(settings_.customFramePath, frame); loaded) {
      customFrame_ = std::make_shared<const Bitmap32>(std::move(frame));
    } else {
      settings_.useDefaultFrame = true;
      customNotice_->setText(QString::fromStdString(loaded.message()));
      customNotice_->show();
    }
  }
  ShowSettings();
  // Until its preview is computed the box shows the photograph's corner.
  Bitmap24 corner(kFramePreviewSide, kFramePreviewSide, kFramePreviewGrey);
  DrawPicture(corner, 0, 0, source);
  previewLabel_->setPixmap(QPixmap::fromImage(ToQImage(corner)));
  show();
  raise();
  activateWindow();
  styleList_->setFocus();
  SchedulePreview(kShowDelay);
}

void FrameWindow::ShowSettings() {
  const QSignalBlocker blockStyle(styleList_);
  const QSignalBlocker blockRealistic(realisticNumber_);
  const QSignalBlocker blockColoured(colouredNumber_);
  const QSignalBlocker blockMargin(margin_);
  const QSignalBlocker blockSpacing(spacing_);
  const QSignalBlocker blockAutofit(autofit_);
  styleList_->setCurrentIndex(settings_.entry);
  realisticNumber_->setValue(settings_.realisticFrame);
  colouredNumber_->setValue(settings_.colouredFrame);
  margin_->setValue(settings_.margin);
  spacing_->setValue(settings_.panelSpacing);
  autofit_->setChecked(settings_.autofit);
  const std::array<int, 3> offsets = {settings_.redOffset, settings_.greenOffset, settings_.blueOffset};
  for (int channel = 0; channel < 3; ++channel) {
    const QSignalBlocker blocker(offsets_[channel]);
    offsets_[channel]->setValue(offsets[channel]);
    offsetValues_[channel]->setText(QString::number(offsets[channel]));
    offsets_[channel]->setToolTip(QString::number(offsets[channel]));
  }
  RelabelEntries();
  ShowSwatches();
  ShowControlsOfStyle();
}

void FrameWindow::ShowControlsOfStyle() {
  const FrameStyleControls controls = ControlsOfFrameStyle(settings_.entry);
  for (QWidget* widget : {static_cast<QWidget*>(lineLabel_), static_cast<QWidget*>(lineColour_),
                          static_cast<QWidget*>(swap_)}) {
    widget->setVisible(controls.lineColour);
  }
  realisticNumber_->setVisible(controls.realisticNumber);
  colouredNumber_->setVisible(controls.colouredNumber);
  for (int channel = 0; channel < 3; ++channel) {
    offsetSwatches_[channel]->setVisible(controls.colourOffsets);
    offsets_[channel]->setVisible(controls.colourOffsets);
    offsetValues_[channel]->setVisible(controls.colourOffsets);
  }
  spacingLabel_->setVisible(controls.panelSpacing);
  spacing_->setVisible(controls.panelSpacing);
  customPicture_->setVisible(controls.customPicture);
  autofit_->setVisible(controls.customPicture);
  if (!controls.customPicture) customNotice_->hide();
}

void FrameWindow::RelabelEntries() {
  for (int entry = 0; entry < kFrameStyleCount; ++entry) {
    styleList_->setItemText(entry, QString::fromStdString(FrameEntryText(entry, settings_)));
  }
}

void FrameWindow::ShowSwatches() {
  fillColour_->setIcon(SwatchIcon(ToQColor(settings_.frameFillColor), QSize(40, 20)));
  lineColour_->setIcon(SwatchIcon(ToQColor(settings_.frameLineColor), QSize(40, 20)));
}

void FrameWindow::ChooseColour(bool fill) {
  Colour& colour = fill ? settings_.frameFillColor : settings_.frameLineColor;
  std::optional<QColor> chosen;
  if (colourChooser_) {
    chosen = colourChooser_(ToQColor(colour));
  } else {
    const QColor picked = QColorDialog::getColor(ToQColor(colour), this);
    if (picked.isValid()) chosen = picked;
  }
  if (!chosen) return;
  colour = FromQColor(*chosen);
  ShowSwatches();
  SchedulePreview(kColourDelay);
}

void FrameWindow::ChooseCustomPicture() {
  const QString path = fileChooser_ ? fileChooser_()
                                    : QFileDialog::getOpenFileName(this, TrimmedLine(kTitleLine), QString(), kFrameFileFilter);
  if (path.isEmpty()) return;
  Bitmap32 frame;
  if (const Status loaded = LoadCustomFramePicture(path.toStdString(), frame); !loaded) {
    customNotice_->setText(QString::fromStdString(loaded.message()));
    customNotice_->show();
    return;
  }
  customNotice_->hide();
  customFrame_ = std::make_shared<const Bitmap32>(std::move(frame));
  settings_.customFramePath = path.toStdString();
  settings_.useDefaultFrame = false;
  SchedulePreview(kNumberDelay);
}

void FrameWindow::UseDefaultPicture() {
  customFrame_.reset();
  customNotice_->hide();
  settings_.useDefaultFrame = true;
  settings_.customFramePath.clear();
  SchedulePreview(kNumberDelay);
}

bool FrameWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == customPicture_ && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    UseDefaultPicture();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void FrameWindow::hideEvent(QHideEvent* event) {
  previewTimer_.stop();
  if (jobContext_) jobContext_->AbortRequested = true;
  restartWanted_ = false;
  QDialog::hideEvent(event);
}

void FrameWindow::SchedulePreview(int ms) {
  // A change stops the preview computing: its picture would show settings that are gone.
  if (jobContext_) jobContext_->AbortRequested = true;
  previewTimer_.start(ms);
}

void FrameWindow::StartPreview() {
  if (!isVisible() || source_ == nullptr) return;
  if (worker_.joinable()) {
    // The one computing gives way; this one starts when it has ended.
    jobContext_->AbortRequested = true;
    restartWanted_ = true;
    return;
  }
  const quint64 generation = ++generation_;
  auto context = std::make_shared<RunContext>();
  jobContext_ = context;
  worker_ = std::thread([this, generation, context, source = source_, frame = customFrame_, settings = settings_] {
    Bitmap24 picture = RenderFramePreview(*source, settings, settings.useDefaultFrame ? nullptr : frame.get(), *context);
    const bool aborted = context->AbortRequested;
    QMetaObject::invokeMethod(
        this, [this, generation, aborted, picture = std::move(picture)]() mutable {
          PreviewFinished(generation, aborted, std::move(picture));
        },
        Qt::QueuedConnection);
  });
}

void FrameWindow::PreviewFinished(quint64 generation, bool aborted, Bitmap24 picture) {
  if (worker_.joinable()) worker_.join();
  jobContext_.reset();
  if (restartWanted_) {
    restartWanted_ = false;
    StartPreview();
    return;
  }
  if (aborted || generation != generation_ || !isVisible()) return;
  preview_ = std::move(picture);
  previewLabel_->setPixmap(QPixmap::fromImage(ToQImage(preview_)));
  emit previewShown();
}

void FrameWindow::StopPreview() {
  previewTimer_.stop();
  if (jobContext_) jobContext_->AbortRequested = true;
  if (worker_.joinable()) worker_.join();
}

}  // namespace atelion
