#include "ui/brush_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "ui/interface_texts.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

constexpr int kSizeLine = 52;       // "Size of paintbrush"
constexpr int kIntensityLine = 55;  // "Brushstrokes intensity"
constexpr int kWheelStep = 5;

QSlider* MakeSlider(const char* name, int minimum, int maximum, int value) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setObjectName(name);
  slider->setRange(minimum, maximum);
  slider->setValue(value);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval(10);
  slider->setMinimumWidth(200);
  return slider;
}

}  // namespace

BrushWindow::BrushWindow(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName("brushWindow");
  setWindowTitle("Retouch brush");
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  auto* sizeLabel = new QLabel;
  BindLine(sizeLabel, kSizeLine, [sizeLabel](const QString& text) { sizeLabel->setText(text); });
  size_ = MakeSlider("brushSizeSlider", kMinBrushSize, kMaxBrushSize, kStartBrushSize);
  sizeValue_ = new QLabel;
  sizeValue_->setMinimumWidth(30);
  auto* intensityLabel = new QLabel;
  BindLine(intensityLabel, kIntensityLine, [intensityLabel](const QString& text) { intensityLabel->setText(text); });
  intensity_ = MakeSlider("brushIntensitySlider", kMinBrushIntensity, kMaxBrushIntensity, kMaxBrushIntensity);
  intensityValue_ = new QLabel;
  grid->addWidget(sizeLabel, 0, 0, 1, 2);
  grid->addWidget(size_, 1, 0);
  grid->addWidget(sizeValue_, 1, 1);
  grid->addWidget(intensityLabel, 2, 0, 1, 2);
  grid->addWidget(intensity_, 3, 0);
  grid->addWidget(intensityValue_, 3, 1);
  layout->addLayout(grid);
  double_ = new QCheckBox("X 2");
  double_->setObjectName("brushDoubleBox");
  layout->addWidget(double_);
  preview_ = new QLabel;
  preview_->setObjectName("brushPreview");
  preview_->setFixedSize(kBrushShapeSide, kBrushShapeSide);
  layout->addWidget(preview_, 0, Qt::AlignHCenter);
  // The sliders give the keyboard focus away once released, so that the arrow keys and Esc reach
  // the main window's commands rather than moving a slider.
  for (QSlider* slider : {size_, intensity_}) {
    slider->setFocusPolicy(Qt::NoFocus);
    connect(slider, &QSlider::valueChanged, this, [this] {
      ShowPreview();
      emit settingsChanged();
    });
  }
  double_->setFocusPolicy(Qt::NoFocus);
  connect(double_, &QCheckBox::toggled, this, [this] { emit settingsChanged(); });
  ShowPreview();
}

BrushSettings BrushWindow::Settings() const {
  return {.size = size_->value(), .intensity = intensity_->value(), .doubled = double_->isChecked()};
}

void BrushWindow::SetSize(int size) { size_->setValue(std::clamp(size, kMinBrushSize, kMaxBrushSize)); }

void BrushWindow::ShowPreview() {
  sizeValue_->setText(QString::number(size_->value()));
  intensityValue_->setText(QString::number(intensity_->value()) + " %");
  preview_->setPixmap(QPixmap::fromImage(ToQImage(BrushPreviewPicture(BrushShape(), Settings()))));
}

void BrushWindow::wheelEvent(QWheelEvent* event) {
  // Up makes the brush smaller, down larger.
  const int notches = event->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
  if (notches != 0) SetSize(size_->value() - kWheelStep * notches);
  event->accept();
}

void BrushWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit closed();
}

}  // namespace atelion
