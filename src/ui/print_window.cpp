#include "ui/print_window.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/interface_texts.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

constexpr int kPrintPreviewLine = 126;
constexpr int kPrinterLine = 127;
constexpr int kImageScaleLine = 128;
constexpr int kVerticalLine = 129;
constexpr int kHorizontalLine = 130;
constexpr int kPositionLine = 131;
constexpr int kFullPageLine = 132;
constexpr int kCentreLine = 133;
constexpr int kUserPositionLine = 134;
constexpr int kCancelLine = 137;
constexpr int kOrientationLine = 190;
constexpr int kOffsetRange = 200;
// Room the controls take at the window's left; the thumbnail is centred in the rest.
constexpr int kControlsWidth = 300;
const QColor kThumbnailShadow(0x23, 0x23, 0x23);

template <typename Widget, typename Owner>
Widget* Labelled(int line, Widget* widget, void (Owner::*setter)(const QString&)) {
  BindLine(widget, line, [widget, setter](const QString& text) { (widget->*setter)(text); });
  return widget;
}

}  // namespace

PrintWindow::PrintWindow(QWidget* parent) : QDialog(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  setObjectName("printWindow");
  BindLine(this, kPrintPreviewLine, [this](const QString& text) { setWindowTitle(text); });
  printer_->setFullPage(true);
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    // Without a printer the page goes to a PDF file the user names when printing.
    printer_->setOutputFormat(QPrinter::PdfFormat);
  }

  auto* controls = new QWidget;
  controls->setFixedWidth(kControlsWidth);
  auto* layout = new QVBoxLayout(controls);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* printerRow = new QHBoxLayout;
  printerRow->addWidget(Labelled(kPrinterLine, new QLabel, &QLabel::setText));
  printerName_ = new QLabel;
  printerName_->setObjectName("printerName");
  printerName_->setFrameShape(QFrame::StyledPanel);
  printerRow->addWidget(printerName_, 1);
  auto* setup = new QPushButton("...");
  setup->setObjectName("printerSetup");
  setup->setFixedWidth(32);
  connect(setup, &QPushButton::clicked, this, &PrintWindow::ChoosePrinter);
  printerRow->addWidget(setup);
  layout->addLayout(printerRow);

  auto* orientation = Labelled(kOrientationLine, new QGroupBox, &QGroupBox::setTitle);
  auto* orientationLayout = new QHBoxLayout(orientation);
  portrait_ = Labelled(kVerticalLine, new QRadioButton, &QRadioButton::setText);
  landscape_ = Labelled(kHorizontalLine, new QRadioButton, &QRadioButton::setText);
  portrait_->setObjectName("portrait");
  landscape_->setObjectName("landscape");
  orientationLayout->addWidget(portrait_);
  orientationLayout->addWidget(landscape_);
  connect(portrait_, &QRadioButton::toggled, this, [this](bool on) { if (on) SetOrientation(false); });
  connect(landscape_, &QRadioButton::toggled, this, [this](bool on) { if (on) SetOrientation(true); });
  layout->addWidget(orientation);

  auto* scaleRow = new QHBoxLayout;
  scaleRow->addWidget(Labelled(kImageScaleLine, new QLabel, &QLabel::setText));
  scale_ = new QSpinBox;
  scale_->setObjectName("printScale");
  scale_->setRange(kMinimumPrintScale, kMaximumPrintScale);
  scale_->setValue(100);
  scale_->setSuffix("%");
  scaleRow->addWidget(scale_);
  layout->addLayout(scaleRow);

  auto* position = Labelled(kPositionLine, new QGroupBox, &QGroupBox::setTitle);
  auto* positionLayout = new QGridLayout(position);
  fullPage_ = Labelled(kFullPageLine, new QRadioButton, &QRadioButton::setText);
  centred_ = Labelled(kCentreLine, new QRadioButton, &QRadioButton::setText);
  userDefined_ = Labelled(kUserPositionLine, new QRadioButton, &QRadioButton::setText);
  fullPage_->setObjectName("fullPage");
  centred_->setObjectName("centreImage");
  userDefined_->setObjectName("userPosition");
  centred_->setChecked(true);
  offsetX_ = new QSpinBox;
  offsetY_ = new QSpinBox;
  offsetX_->setObjectName("offsetX");
  offsetY_->setObjectName("offsetY");
  for (QSpinBox* offset : {offsetX_, offsetY_}) offset->setRange(-kOffsetRange, kOffsetRange);
  positionLayout->addWidget(fullPage_, 0, 0, 1, 2);
  positionLayout->addWidget(centred_, 1, 0, 1, 2);
  positionLayout->addWidget(userDefined_, 2, 0, 1, 2);
  positionLayout->addWidget(new QLabel("x"), 3, 0);
  positionLayout->addWidget(offsetX_, 3, 1);
  positionLayout->addWidget(new QLabel("y"), 4, 0);
  positionLayout->addWidget(offsetY_, 4, 1);
  layout->addWidget(position);
  layout->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  BindLine(buttons, kCancelLine,
           [buttons](const QString& text) { buttons->button(QDialogButtonBox::Cancel)->setText(text); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (PrintPage()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  auto* outer = new QHBoxLayout(this);
  outer->addWidget(controls);
  outer->addStretch(1);
  setMinimumSize(kControlsWidth + 240, 360);

  connect(fullPage_, &QRadioButton::toggled, this, [this](bool on) { if (on) PlacementChanged(false); });
  connect(centred_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    const QSignalBlocker blockX(offsetX_), blockY(offsetY_);
    offsetX_->setValue(0);
    offsetY_->setValue(0);
    PlacementChanged(false);
  });
  for (QSpinBox* box : {scale_, offsetX_, offsetY_}) {
    connect(box, &QSpinBox::valueChanged, this, [this] { PlacementChanged(true); });
  }
  ShowPrinterName();
}

PrintWindow::~PrintWindow() = default;

void PrintWindow::OpenFor(const Bitmap24& picture) {
  picture_ = picture;
  shown_ = ToQImage(picture_);
  (picture_.Height() < picture_.Width() ? landscape_ : portrait_)->setChecked(true);
  SetOrientation(picture_.Height() < picture_.Width());
  ShowPrinterName();
  show();
  raise();
  activateWindow();
}

PrintedPage PrintWindow::Page() const {
  const QRect page = printer_->pageLayout().fullRectPixels(printer_->resolution());
  const double screenPpi = screen() != nullptr ? screen()->logicalDotsPerInch() : 96.0;
  return {page.width(), page.height(), double(printer_->resolution()), double(printer_->resolution()), screenPpi};
}

PagePlacement PrintWindow::Placement() const { return {scale_->value(), offsetX_->value(), offsetY_->value()}; }

void PrintWindow::ChoosePrinter() {
  QPrintDialog dialog(printer_.get(), this);
  dialog.setOptions(QAbstractPrintDialog::PrintToFile);
  if (dialog.exec() == QDialog::Accepted) {
    ShowPrinterName();
    update();
  }
}

void PrintWindow::ShowPrinterName() {
  const bool toFile = printer_->outputFormat() == QPrinter::PdfFormat;
  printerName_->setText(toFile ? (printer_->outputFileName().isEmpty() ? QStringLiteral("PDF")
                                                                       : printer_->outputFileName())
                               : printer_->printerName());
}

void PrintWindow::SetOrientation(bool landscape) {
  printer_->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  PlacementChanged(false);
}

void PrintWindow::PlacementChanged(bool byUser) {
  if (updating_) return;
  updating_ = true;
  // Changing the scale or an offset by hand makes the position the user's own.
  if (byUser) userDefined_->setChecked(true);
  if (fullPage_->isChecked() && !picture_.Empty()) {
    offsetX_->setValue(0);
    offsetY_->setValue(0);
    scale_->setValue(FullPageScale(Page(), {picture_.Width(), picture_.Height()}));
  }
  updating_ = false;
  update();
}

QRect PrintWindow::ThumbnailRect() const {
  const PictureSize size = PageThumbnailSize(Page());
  return QRect((width() - size.width - kControlsWidth) / 2 + kControlsWidth, (height() - size.height) / 2, size.width,
               size.height);
}

void PrintWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  const QRect page = ThumbnailRect();
  painter.fillRect(page.translated(7, 7), kThumbnailShadow);
  painter.fillRect(page, Qt::white);
  if (shown_.isNull()) return;
  const PlacedRect placed = ThumbnailPicture(Page(), {picture_.Width(), picture_.Height()}, Placement());
  painter.setClipRect(page);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(page.left() + placed.left, page.top() + placed.top, placed.width, placed.height), shown_);
}

void PrintWindow::PrintToPdf(const QString& path) {
  printer_->setOutputFormat(QPrinter::PdfFormat);
  printer_->setOutputFileName(path);
  ShowPrinterName();
}

bool PrintWindow::PrintPage() {
  if (picture_.Empty()) return false;
  if (printer_->outputFormat() == QPrinter::PdfFormat && printer_->outputFileName().isEmpty()) {
    const QString path = QFileDialog::getSaveFileName(this, windowTitle().trimmed(), "Atelion.pdf", "PDF (*.pdf)");
    if (path.isEmpty()) return false;
    printer_->setOutputFileName(path);
  }
  const PrintedPage page = Page();
  const PlacedRect placed = PrintedPicture(page, {picture_.Width(), picture_.Height()}, Placement());
  QPainter painter;
  if (!painter.begin(printer_.get())) return false;
  painter.fillRect(QRect(0, 0, page.width, page.height), Qt::white);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(placed.left, placed.top, placed.width, placed.height), shown_);
  return painter.end();
}

}  // namespace atelion
