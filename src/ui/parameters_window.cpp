#include "ui/parameters_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolBox>
#include <QVBoxLayout>
#include <algorithm>

#include "document/image_view.h"
#include "i18n/language_table.h"

namespace atelion {
namespace {

constexpr int kEffectIdRole = Qt::UserRole;
constexpr int kDrawLine = 80;
constexpr int kSoftenLine = 76;
constexpr int kTextureLine = 77;
constexpr int kParametersTitleLine = 42;
constexpr int kLightTextureLine = 108;  // then "Normal texture" and "Strong texture"
constexpr int kTileCount = 10;
// The strength each entry of the texture list sets; the spin box refines it.
constexpr std::array<int, 3> kTextureListStrengths = {15, 25, 40};
// The texture strength offered before the user picks one: a tile laid at this strength is mild.
constexpr int kDefaultTextureStrength = 25;

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Row labels keep the blanks the language table stores; the window shows them trimmed.
QString RowLabelText(int effectId, int slot) { return QString::fromStdString(SliderLabel(effectId, slot)).trimmed(); }

}  // namespace

ParametersWindow::ParametersWindow(QWidget* parent) : QDockWidget(parent) {
  setObjectName("parametersWindow");
  setWindowTitle(FromUtf8(Text(kParametersTitleLine)));
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(10, 8, 10, 10);
  layout->setSpacing(8);
  layout->addWidget(BuildStyleGroups(), 1);
  styleName_ = new QLineEdit;
  styleName_->setReadOnly(true);
  styleName_->setObjectName("styleName");
  layout->addWidget(styleName_);
  layout->addWidget(BuildSliderRows());
  layout->addWidget(BuildOptions());
  drawButton_ = new QPushButton(FromUtf8(Text(kDrawLine)));
  drawButton_->setObjectName("drawButton");
  drawButton_->setMinimumHeight(34);
  connect(drawButton_, &QPushButton::clicked, this, &ParametersWindow::drawRequested);
  layout->addWidget(drawButton_);
  setWidget(body);
  setMinimumWidth(330);

  const int startEffect = EffectIdForCatalogueIndex(kStartCatalogueIndex);
  if (!SelectEffect(startEffect)) SelectEffect(kNoEffectId);
}

QWidget* ParametersWindow::BuildStyleGroups() {
  groups_ = new QToolBox;
  groups_->setObjectName("styleGroups");
  for (const GroupDescription& group : Groups()) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromUtf8(group.listName.data(), static_cast<qsizetype>(group.listName.size())));
    const int count = GroupItemCount(group.group);
    for (int item = 0; item < count; ++item) {
      const int catalogueIndex = CatalogueIndexForListItem({group.group, item});
      if (catalogueIndex < 0) continue;
      const int effectId = EffectIdForCatalogueIndex(catalogueIndex);
      auto* entry = new QListWidgetItem(QString::fromStdString(EffectName(effectId)), list);
      entry->setData(kEffectIdRole, effectId);
      if (!StyleAvailable(effectId)) {
        entry->setFlags(entry->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        entry->setToolTip(tr("not available yet"));
      }
    }
    connect(list, &QListWidget::itemClicked, this, &ParametersWindow::OnItemClicked);
    lists_[static_cast<int>(group.group)] = list;
    groups_->addItem(list, FromUtf8(Text(group.headerLine)).trimmed());
  }
  return groups_;
}

QWidget* ParametersWindow::BuildSliderRows() {
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SliderRow& row = rows_[slot];
    row.label = new QLabel;
    row.label->setWordWrap(true);
    row.slider = new QSlider(Qt::Horizontal);
    row.value = new QLabel;
    row.value->setMinimumWidth(36);
    row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(row.label, 2 * slot, 0, 1, 2);
    grid->addWidget(row.slider, 2 * slot + 1, 0);
    grid->addWidget(row.value, 2 * slot + 1, 1);
    connect(row.slider, &QSlider::valueChanged, this, [this, slot](int position) { OnSliderMoved(slot, position); });
  }
  grid->setColumnStretch(0, 1);
  doubled_ = new QCheckBox(FromUtf8(kDoubleCheckBoxText));
  dontErase_ = new QCheckBox(FromUtf8(Text(kDontEraseBackgroundLine)));
  grid->addWidget(doubled_, 2 * kSlotCount, 0, 1, 2);
  grid->addWidget(dontErase_, 2 * kSlotCount + 1, 0, 1, 2);
  return box;
}

QWidget* ParametersWindow::BuildOptions() {
  auto* box = new QWidget;
  auto* layout = new QGridLayout(box);
  layout->setContentsMargins(0, 4, 0, 0);
  soften_ = new QCheckBox(FromUtf8(Text(kSoftenLine)));
  texture_ = new QCheckBox(FromUtf8(Text(kTextureLine)).trimmed());
  textureStrength_ = new QSpinBox;
  textureStrength_->setRange(0, 100);
  textureStrength_->setSuffix(" %");
  textureStrength_->setValue(kDefaultTextureStrength);
  textureStrength_->setEnabled(false);
  textureTile_ = new QSpinBox;
  textureTile_->setObjectName("textureTile");
  textureTile_->setRange(1, kTileCount);
  textureTile_->setPrefix(FromUtf8(Text(kTextureLine)).trimmed() + " ");
  connect(textureTile_, &QSpinBox::valueChanged, this, [this](int number) { textureTileIndex_ = number - 1; });
  textureList_ = new QComboBox;
  textureList_->setObjectName("textureList");
  for (int entry = 0; entry < static_cast<int>(kTextureListStrengths.size()); ++entry)
    textureList_->addItem(FromUtf8(Text(kLightTextureLine + entry)).trimmed());
  textureList_->setCurrentIndex(-1);
  connect(textureList_, &QComboBox::activated, this,
          [this](int entry) { textureStrength_->setValue(kTextureListStrengths[entry]); });
  for (QWidget* control : {static_cast<QWidget*>(textureStrength_), static_cast<QWidget*>(textureTile_),
                           static_cast<QWidget*>(textureList_)}) {
    control->setEnabled(false);
    connect(texture_, &QCheckBox::toggled, control, &QWidget::setEnabled);
  }
  layout->addWidget(soften_, 0, 0, 1, 3);
  layout->addWidget(texture_, 1, 0);
  layout->addWidget(textureStrength_, 1, 1);
  layout->addWidget(textureTile_, 2, 0);
  layout->addWidget(textureList_, 2, 1);
  layout->setColumnStretch(0, 1);
  return box;
}

bool ParametersWindow::SelectEffect(int effectId) {
  if (!IsEffectId(effectId) || !StyleAvailable(effectId)) return false;
  if (effectId == effectId_) return true;
  effectId_ = effectId;
  const auto position = ListPositionForCatalogueIndex(CatalogueIndexForEffectId(effectId));
  for (QListWidget* list : lists_) list->clearSelection();
  if (position) {
    QListWidget* list = lists_[static_cast<int>(position->group)];
    list->setCurrentRow(position->item);
    groups_->setCurrentWidget(list);
  }
  ShowEffect();
  emit parametersChanged();
  return true;
}

QString ParametersWindow::StyleNameText() const { return styleName_->text(); }

void ParametersWindow::ShowEffect() {
  showing_ = true;
  const EffectDescription& effect = DescribeEffect(effectId_);
  styleName_->setText(QString::fromStdString(EffectName(effectId_)));
  const ParameterSet& values = parameters_.Current(effectId_);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const SliderDescription& description = effect.sliders[slot];
    SliderRow& row = rows_[slot];
    const QSignalBlocker blocker(row.slider);
    row.slider->setRange(description.minimum, description.maximum);
    row.slider->setTickInterval(description.tickInterval);
    row.slider->setTickPosition(description.tickInterval > 0 ? QSlider::TicksBelow : QSlider::NoTicks);
    row.slider->setValue(values[slot]);
    row.label->setText(RowLabelText(effectId_, slot));
    row.value->setText(QString::number(row.slider->value()));
    row.label->setVisible(description.visible);
    row.slider->setVisible(description.visible);
    row.value->setVisible(description.visible);
  }
  doubled_->setVisible(effect.extras.doubleCheckBoxSlot >= 0);
  dontErase_->setEnabled(effect.extras.dontEraseBackground);
  if (!effect.extras.dontEraseBackground) dontErase_->setChecked(false);
  showing_ = false;
}

void ParametersWindow::OnItemClicked(QListWidgetItem* item) {
  if (item == nullptr || !(item->flags() & Qt::ItemIsEnabled)) return;
  SelectEffect(item->data(kEffectIdRole).toInt());
}

void ParametersWindow::OnSliderMoved(int slot, int position) {
  if (showing_) return;
  parameters_.StoreSliderPosition(effectId_, slot, position);
  // A minimum pulled down by its maximum shows its new value at once.
  const ParameterSet& values = parameters_.Current(effectId_);
  for (int other = 0; other < kSlotCount; ++other) {
    const QSignalBlocker blocker(rows_[other].slider);
    rows_[other].slider->setValue(values[other]);
    rows_[other].value->setText(QString::number(rows_[other].slider->value()));
  }
  emit parametersChanged();
}

StyleSettings ParametersWindow::CurrentStyleSettings() const {
  StyleSettings settings;
  settings.effectId = effectId_;
  settings.sliders = parameters_.Current(effectId_);
  settings.doubled = DescribeEffect(effectId_).extras.doubleCheckBoxSlot >= 0 && doubled_->isChecked();
  settings.eraseBackground = !(dontErase_->isEnabled() && dontErase_->isChecked());
  return settings;
}

FinishingSettings ParametersWindow::CurrentFinishingSettings() const {
  FinishingSettings finishing;
  finishing.softenEdges = soften_->isChecked();
  finishing.texture.enabled = texture_->isChecked();
  finishing.texture.strength = textureStrength_->value();
  finishing.texture.tileIndex = std::max(textureTileIndex_, 0);
  finishing.addFrame = addFrame_;
  finishing.addText = addText_;
  finishing.frame = frame_;
  finishing.text = text_;
  return finishing;
}

void ParametersWindow::ApplySettings(const Settings& settings) {
  frame_ = settings.frame;
  text_ = settings.text;
  {
    const QSignalBlocker blocker(textureTile_);
    textureTile_->setValue(std::clamp(settings.textureTileIndex, 0, kTileCount - 1) + 1);
  }
  textureTileIndex_ = std::clamp(settings.textureTileIndex, -1, kTileCount - 1);
  const int entry = std::clamp(settings.textureListIndex, -1, static_cast<int>(kTextureListStrengths.size()) - 1);
  textureList_->setCurrentIndex(entry);
  if (entry >= 0) textureStrength_->setValue(kTextureListStrengths[entry]);
}

void ParametersWindow::CollectSettings(Settings& settings) const {
  settings.frame = frame_;
  settings.text = text_;
  settings.addFrame = addFrame_;
  settings.textureTileIndex = textureTileIndex_;
  settings.textureListIndex = textureList_->currentIndex();
}

void ParametersWindow::SetRunning(bool running) { drawButton_->setEnabled(!running); }

void ParametersWindow::SetPictures(const Bitmap24& source, const Bitmap24& result) {
  source_ = source;
  result_ = result;
}

void ParametersWindow::ResetPreviewCrop(int limit) {
  cropOrigin_ = atelion::PreviewCropOrigin({source_.Width(), source_.Height()}, limit);
}

}  // namespace atelion
