#include "ui/parameters_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QToolBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/filters.h"
#include "imageio/image_files.h"
#include "document/image_view.h"
#include "effects/parameter_files.h"
#include "effects/preview.h"
#include "finishing/texture.h"
#include "i18n/language_table.h"
#include "ui/interface_texts.h"
#include "ui/live_preview.h"
#include "ui/pictograms.h"
#include "ui/preview_box.h"

namespace atelion {
namespace {

constexpr int kEffectIdRole = Qt::UserRole;
constexpr int kVisibleStyleRows = 8;
constexpr int kMinimumWidth = 340;
// The menu bar's size hint leaves out the room its entries take beyond their texts.
constexpr int kMenuSpacing = 16;
constexpr int kDrawLine = 80;
constexpr int kManualBrushLine = 203;
constexpr int kSoftenLine = 76;
constexpr int kTextureLine = 77;
constexpr int kAddFrameLine = 78;
constexpr int kAddTextLine = 79;
constexpr int kParametersTitleLine = 42;
constexpr int kLightTextureLine = 108;  // then "Normal texture" and "Strong texture"
constexpr int kLoadParametersLine = 111;
constexpr int kSaveParametersLine = 112;
constexpr int kResetParametersLine = 113;
constexpr int kTileCount = 10;
// The strength each entry of the texture list sets; the spin box refines it.
constexpr std::array<int, 3> kTextureListStrengths = {15, 25, 40};

// The light, normal or strong entry nearest to a texture strength.
int NearestTextureEntry(int strength) {
  int nearest = 0;
  for (int entry = 1; entry < static_cast<int>(kTextureListStrengths.size()); ++entry) {
    if (std::abs(kTextureListStrengths[entry] - strength) < std::abs(kTextureListStrengths[nearest] - strength)) {
      nearest = entry;
    }
  }
  return nearest;
}
// The strength offered before the user picks one: a tile laid at this strength is mild.
constexpr int kDefaultTextureStrength = 25;
// The zoom slider's positions: its left end shows the crop 1:1.
constexpr int kZoomSliderMinimum = 25;
constexpr int kZoomSliderMaximum = 100;
// Photographs above this many pixels open with the preview at its widest zoom.
constexpr std::int64_t kLargePhotoPixels = 2'000'000;
constexpr int kZoomRepeatMs = 30;
// The styles whose ground or paper colour a right-click on the preview box chooses.
QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Row labels keep the blanks the language table stores; the window shows them trimmed.
QString RowLabelText(int effectId, int slot) { return QString::fromStdString(SliderLabel(effectId, slot)).trimmed(); }

QToolButton* OptionButton(Pictogram kind, const QString& name, int tipLine) {
  auto* button = new QToolButton;
  button->setObjectName(name);
  button->setCheckable(true);
  button->setIcon(PictogramIcon(kind));
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  BindLine(button, tipLine, [button](const QString& text) { button->setToolTip(text); });
  return button;
}

// The texture sheet is read once; a missing sheet leaves the preview untextured.
const Bitmap24* TextureSheet() {
  static const std::optional<Bitmap24> sheet = [] {
    Bitmap24 picture;
    return LoadTextureSheet(picture) ? std::optional<Bitmap24>(std::move(picture)) : std::nullopt;
  }();
  return sheet ? &*sheet : nullptr;
}

QColor ToQColor(Colour colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }
Colour FromQColor(const QColor& colour) { return MakeColour(colour.red(), colour.green(), colour.blue()); }

}  // namespace

ParametersWindow::ParametersWindow(QWidget* parent) : QDockWidget(parent) {
  setObjectName("parametersWindow");
  BindLine(this, kParametersTitleLine, [this](const QString& text) { setWindowTitle(text); });
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

  // The menu and "Draw!" stay in sight; the controls between them scroll when the screen is
  // too low to show them all.
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* controls = new QWidget;
  auto* controlsLayout = new QVBoxLayout(controls);
  controlsLayout->setContentsMargins(10, 4, 10, 6);
  controlsLayout->setSpacing(8);
  BuildMenu();
  layout->setMenuBar(menu_);
  controlsLayout->addWidget(BuildStyleGroups());
  styleName_ = new QLineEdit;
  styleName_->setReadOnly(true);
  styleName_->setObjectName("styleName");
  // A caption, not a field: it shows the chosen style and takes no typing.
  styleName_->setFrame(false);
  styleName_->setFocusPolicy(Qt::NoFocus);
  styleName_->setStyleSheet("QLineEdit { background: transparent; font-weight: bold; }");
  BindText(styleName_, [this] { return QString::fromStdString(EffectName(effectId_)); },
           [this](const QString& text) { styleName_->setText(text); });
  controlsLayout->addWidget(styleName_);
  controlsLayout->addWidget(BuildSliderRows());
  controlsLayout->addWidget(BuildPreview(), 0, Qt::AlignHCenter);
  controlsLayout->addWidget(BuildOptions());
  controlsLayout->addStretch(1);
  auto* scroller = new QScrollArea;
  scroller->setObjectName("parametersScroller");
  scroller->setWidget(controls);
  scroller->setWidgetResizable(true);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroller->setMinimumWidth(controls->minimumSizeHint().width() +
                            scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  layout->addWidget(scroller, 1);
  drawButton_ = new QPushButton;
  BindLine(drawButton_, kDrawLine, [button = drawButton_](const QString& text) { button->setText(text); });
  drawButton_->setObjectName("drawButton");
  drawButton_->setMinimumHeight(34);
  connect(drawButton_, &QPushButton::clicked, this, [this] {
    preview_->Abort();
    emit drawRequested();
  });
  auto* drawRow = new QHBoxLayout;
  drawRow->setContentsMargins(10, 6, 10, 10);
  drawRow->addWidget(drawButton_, 1);
  brushButton_ = new QPushButton;
  BindLine(brushButton_, kManualBrushLine, [button = brushButton_](const QString& text) { button->setText(text); });
  brushButton_->setObjectName("manualBrushButton");
  brushButton_->setMinimumHeight(34);
  connect(brushButton_, &QPushButton::clicked, this, &ParametersWindow::manualBrushRequested);
  drawRow->addWidget(brushButton_);
  layout->addLayout(drawRow);
  setWidget(body);
  // Never narrower than its menu, so none of the three entries is pushed out of sight; bound after
  // the menu's texts, so it is measured again once they change language.
  menu_->ensurePolished();
  BindText(menu_, [] { return QString(); }, [this](const QString&) {
    setMinimumWidth(std::max(kMinimumWidth, menu_->sizeHint().width() + kMenuSpacing));
  });

  const int startEffect = EffectIdForCatalogueIndex(kStartCatalogueIndex);
  if (!SelectEffect(startEffect)) SelectEffect(kNoEffectId);
}

ParametersWindow::~ParametersWindow() = default;

void ParametersWindow::BuildMenu() {
  menu_ = new QMenuBar;
  menu_->setObjectName("parametersMenu");
  const auto addEntry = [this](int line, const char* name, auto slot) {
    QAction* entry = menu_->addAction(QString(), this, slot);
    entry->setObjectName(name);
    BindLine(entry, line, [entry](const QString& text) { entry->setText(text); });
  };
  addEntry(kLoadParametersLine, "loadParameters", [this] { ChooseParametersFile(false); });
  addEntry(kSaveParametersLine, "saveParameters", [this] { ChooseParametersFile(true); });
  addEntry(kResetParametersLine, "resetParameters", [this] { ResetParameters(); });
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
      auto* entry = new QListWidgetItem(list);
      BindText(list, [this, effectId] { return EntryText(effectId); }, [entry](const QString& text) { entry->setText(text); });
      entry->setData(kEffectIdRole, effectId);
      if (!StyleAvailable(effectId)) {
        entry->setFlags(entry->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        entry->setToolTip(tr("not available yet"));
      }
    }
    // Tall enough for most groups at a glance; a longer group scrolls within its page, so the
    // sliders and the preview keep their room on ordinary screens.
    const int rows = std::min(list->count(), kVisibleStyleRows);
    list->setMinimumHeight(rows * list->sizeHintForRow(0) + 2 * list->frameWidth());
    list->setMaximumHeight(list->minimumHeight());
    connect(list, &QListWidget::itemClicked, this, &ParametersWindow::OnItemClicked);
    lists_[static_cast<int>(group.group)] = list;
    const int page = groups_->addItem(list, QString());
    BindLine(list, group.headerLine, [this, page](const QString& text) { groups_->setItemText(page, text); });
  }
  // The open group's page is as tall as the tallest list and no taller: the room goes to the
  // sliders and the preview.
  int height = 2 * groups_->frameWidth();
  for (const QListWidget* list : lists_) height = std::max(height, list->maximumHeight());
  groups_->ensurePolished();
  for (const QAbstractButton* tab : groups_->findChildren<QAbstractButton*>()) height += tab->sizeHint().height();
  groups_->setFixedHeight(height + groups_->layout()->spacing() * kGroupCount);
  return groups_;
}

QWidget* ParametersWindow::BuildSliderRows() {
  auto* box = new QWidget;
  rowGrid_ = new QGridLayout(box);
  rowGrid_->setContentsMargins(0, 0, 0, 0);
  rowGrid_->setHorizontalSpacing(8);
  rowGrid_->setVerticalSpacing(4);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SliderRow& row = rows_[slot];
    row.label = new QLabel;
    row.label->setWordWrap(true);
    BindText(row.label, [this, slot] { return RowLabelText(effectId_, slot); },
             [label = row.label](const QString& text) { label->setText(text); });
    row.slider = new QSlider(Qt::Horizontal);
    row.value = new QLabel;
    row.value->setMinimumWidth(36);
    row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row.value->installEventFilter(this);
    rowGrid_->addWidget(row.label, 2 * slot, 0, 1, 3);
    rowGrid_->addWidget(row.slider, 2 * slot + 1, 0);
    rowGrid_->addWidget(row.value, 2 * slot + 1, 2);
    connect(row.slider, &QSlider::valueChanged, this, [this, slot](int position) { OnSliderMoved(slot, position); });
  }
  rowGrid_->setColumnStretch(0, 1);
  doubled_ = new QCheckBox(FromUtf8(kDoubleCheckBoxText));
  doubled_->setObjectName("doubleBox");
  connect(doubled_, &QCheckBox::toggled, this, [this] {
    preview_->SliderChanged();
    emit parametersChanged();
  });
  dontErase_ = new QCheckBox;
  BindLine(dontErase_, kDontEraseBackgroundLine, [box = dontErase_](const QString& text) { box->setText(text); });
  dontErase_->setObjectName("dontEraseBox");
  connect(dontErase_, &QCheckBox::toggled, this, &ParametersWindow::OptionToggled);
  loadBrush_ = new QPushButton;
  BindLine(loadBrush_, kLoadCustomBrushLine, [button = loadBrush_](const QString& text) { button->setText(text); });
  loadBrush_->setObjectName("loadBrushButton");
  connect(loadBrush_, &QPushButton::clicked, this, &ParametersWindow::ChooseCustomBrush);
  resetBrush_ = new QPushButton;
  BindLine(resetBrush_, kResetBrushLine, [button = resetBrush_](const QString& text) { button->setText(text); });
  resetBrush_->setObjectName("resetBrushButton");
  connect(resetBrush_, &QPushButton::clicked, this, &ParametersWindow::ResetCustomBrush);
  auto* brushRow = new QHBoxLayout;
  brushRow->addWidget(loadBrush_);
  brushRow->addWidget(resetBrush_);
  // The grid owns "x 2" from the start; each style with one moves it beside its row.
  rowGrid_->addWidget(doubled_, 1, 1);
  rowGrid_->addWidget(dontErase_, 2 * kSlotCount, 0, 1, 3);
  rowGrid_->addLayout(brushRow, 2 * kSlotCount + 1, 0, 1, 3);
  return box;
}

QWidget* ParametersWindow::BuildPreview() {
  auto* area = new QWidget;
  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  box_ = new PreviewBox;
  layout->addWidget(box_);
  auto* zoomRow = new QHBoxLayout;
  auto* zoomIn = new QToolButton;
  zoomIn->setObjectName("zoomInButton");
  zoomIn->setIcon(PictogramIcon(Pictogram::ZoomIn));
  auto* zoomOut = new QToolButton;
  zoomOut->setObjectName("zoomOutButton");
  zoomOut->setIcon(PictogramIcon(Pictogram::ZoomOut));
  zoomSlider_ = new QSlider(Qt::Horizontal);
  zoomSlider_->setObjectName("zoomSlider");
  zoomSlider_->setRange(kZoomSliderMinimum, kZoomSliderMaximum);
  zoomSlider_->setValue(kZoomSliderMinimum);
  // The zoom slider never keeps the keyboard: arrow keys belong to the parameter sliders.
  zoomSlider_->setFocusPolicy(Qt::NoFocus);
  for (QToolButton* button : {zoomIn, zoomOut}) {
    button->setAutoRaise(true);
    button->setIconSize(QSize(18, 18));
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(kZoomRepeatMs);
    button->setAutoRepeatInterval(kZoomRepeatMs);
  }
  // Zooming in moves towards the slider's left end (1:1), out towards a crop four times as wide.
  connect(zoomIn, &QToolButton::clicked, this, [this] { zoomSlider_->setValue(zoomSlider_->value() - 1); });
  connect(zoomOut, &QToolButton::clicked, this, [this] { zoomSlider_->setValue(zoomSlider_->value() + 1); });
  zoomRow->addWidget(zoomIn);
  zoomRow->addWidget(zoomSlider_, 1);
  zoomRow->addWidget(zoomOut);
  layout->addLayout(zoomRow);

  preview_ = new LivePreview(
      box_,
      [this] {
        LivePreview::Request request{CurrentStyleSettings(), CurrentFinishingSettings(), customBrush_};
        request.style.sourceMean = sourceMean_;
        request.style.sourceWidth = sourceWidth_;
        request.style.sourceHeight = sourceHeight_;
        if (request.finishing.texture.enabled) {
          if (const Bitmap24* sheet = TextureSheet()) {
            request.finishing.textureTile = SelectTextureTile(*sheet, request.finishing.texture.tileIndex);
          } else {
            request.finishing.texture.enabled = false;
          }
        }
        return request;
      },
      [this] { return isVisible(); },
      [this] {
        if (preview_->Dragging() || zoomSlider_->isSliderDown()) return true;
        for (const SliderRow& row : rows_) {
          if (row.slider->isSliderDown()) return true;
        }
        return false;
      },
      this);
  connect(zoomSlider_, &QSlider::valueChanged, this,
          [this](int position) { preview_->SetZoom(PreviewZoomForSliderPosition(position)); });
  connect(box_, &PreviewBox::pressed, this, [this](Qt::MouseButton, QPoint position) { preview_->BeginDrag(position); });
  connect(box_, &PreviewBox::dragged, preview_, &LivePreview::DragTo);
  connect(box_, &PreviewBox::released, this, [this](Qt::MouseButton button, QPoint) { OnBoxReleased(button); });
  connect(preview_, &LivePreview::styleAdjusted, this, &ParametersWindow::OnStyleAdjusted);
  return area;
}

QWidget* ParametersWindow::BuildOptions() {
  auto* box = new QWidget;
  auto* layout = new QGridLayout(box);
  layout->setContentsMargins(0, 4, 0, 0);
  soften_ = OptionButton(Pictogram::Soften, "softenButton", kSoftenLine);
  frame_ = OptionButton(Pictogram::Frame, "frameButton", kAddFrameLine);
  texture_ = OptionButton(Pictogram::Texture, "textureButton", kTextureLine);
  text_ = OptionButton(Pictogram::Text, "textButton", kAddTextLine);
  auto* pictograms = new QHBoxLayout;
  for (QToolButton* button : {soften_, frame_, texture_, text_}) {
    pictograms->addWidget(button);
    connect(button, &QToolButton::toggled, this, &ParametersWindow::OptionToggled);
  }
  pictograms->addStretch(1);

  textureStrength_ = new QSpinBox;
  textureStrength_->setObjectName("textureStrength");
  textureStrength_->setRange(0, 100);
  textureStrength_->setSuffix(" %");
  textureStrength_->setValue(kDefaultTextureStrength);
  textureTile_ = new QSpinBox;
  textureTile_->setObjectName("textureTile");
  textureTile_->setRange(1, kTileCount);
  BindLine(textureTile_, kTextureLine, [tile = textureTile_](const QString& text) { tile->setPrefix(text + " "); });
  connect(textureTile_, &QSpinBox::valueChanged, this, [this](int number) {
    textureTileIndex_ = number - 1;
    preview_->ScheduleRetexture();
  });
  connect(textureStrength_, &QSpinBox::valueChanged, this, [this] { preview_->ScheduleRetexture(); });
  textureList_ = new QComboBox;
  textureList_->setObjectName("textureList");
  for (int entry = 0; entry < static_cast<int>(kTextureListStrengths.size()); ++entry) {
    textureList_->addItem(QString());
    BindLine(textureList_, kLightTextureLine + entry,
             [list = textureList_, entry](const QString& text) { list->setItemText(entry, text); });
  }
  textureList_->setCurrentIndex(NearestTextureEntry(textureStrength_->value()));
  connect(textureList_, &QComboBox::activated, this,
          [this](int entry) {
            textureEntryChosen_ = true;
            textureStrength_->setValue(kTextureListStrengths[entry]);
          });
  for (QWidget* control : {static_cast<QWidget*>(textureStrength_), static_cast<QWidget*>(textureTile_),
                           static_cast<QWidget*>(textureList_)}) {
    control->setEnabled(false);
    connect(texture_, &QToolButton::toggled, control, &QWidget::setEnabled);
  }
  layout->addLayout(pictograms, 0, 0, 1, 3);
  layout->addWidget(textureTile_, 1, 0);
  layout->addWidget(textureList_, 1, 1);
  layout->addWidget(textureStrength_, 1, 2);
  layout->setColumnStretch(1, 1);
  return box;
}

QString ParametersWindow::EntryText(int effectId) const {
  // The style chosen last is marked in its list, also while another group is open.
  return QString::fromStdString(EffectName(effectId)) + (effectId == effectId_ ? QStringLiteral(" \u221A") : QString());
}

bool ParametersWindow::SelectEffect(int effectId) {
  if (!IsEffectId(effectId) || !StyleAvailable(effectId)) return false;
  if (effectId == effectId_) return true;
  const int previous = effectId_;
  effectId_ = effectId;
  for (QListWidget* list : lists_) {
    for (int row = 0; row < list->count(); ++row) {
      QListWidgetItem* entry = list->item(row);
      const int id = entry->data(kEffectIdRole).toInt();
      if (id == previous || id == effectId) entry->setText(EntryText(id));
    }
  }
  const auto position = ListPositionForCatalogueIndex(CatalogueIndexForEffectId(effectId));
  for (QListWidget* list : lists_) list->clearSelection();
  if (position) {
    QListWidget* list = lists_[static_cast<int>(position->group)];
    list->setCurrentRow(position->item);
    groups_->setCurrentWidget(list);
  }
  ShowEffect();
  preview_->Abort();
  preview_->SchedulePreview(running_ ? LivePreview::kStyleSelectionWhileRunningDelay
                                     : LivePreview::kStyleSelectionDelay);
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
    ShowValue(slot);
    const bool maxRow = slot == effect.extras.maxSlot;
    row.value->setCursor(maxRow ? Qt::PointingHandCursor : Qt::ArrowCursor);
    row.value->setToolTip(maxRow ? FromUtf8(kMaxValueText) : QString());
    // The value that a click sends to "MAX" looks like what it is: a link.
    row.value->setStyleSheet(maxRow ? "QLabel { color: #4fa3e8; text-decoration: underline; }" : QString());
    row.label->setVisible(description.visible);
    row.slider->setVisible(description.visible);
    row.value->setVisible(description.visible);
  }
  const int doubleSlot = effect.extras.doubleCheckBoxSlot;
  doubled_->setVisible(doubleSlot >= 0);
  // "x 2" sits beside the slider of the row it doubles.
  if (doubleSlot >= 0) rowGrid_->addWidget(doubled_, 2 * doubleSlot + 1, 1);
  dontErase_->setVisible(effect.extras.dontEraseBackground);
  if (!effect.extras.dontEraseBackground || preview_->Source() == result_) {
    const QSignalBlocker blocker(dontErase_);
    dontErase_->setChecked(false);
  }
  const bool brushButtons = effect.extras.customBrush != CustomBrushButtons::None;
  loadBrush_->setVisible(brushButtons);
  resetBrush_->setVisible(brushButtons);
  showing_ = false;
}

void ParametersWindow::ShowValue(int slot) {
  const bool max = maxShown_[effectId_] && DescribeEffect(effectId_).extras.maxSlot == slot;
  rows_[slot].value->setText(max ? FromUtf8(kMaxValueText) : QString::number(rows_[slot].slider->value()));
}

void ParametersWindow::OnItemClicked(QListWidgetItem* item) {
  if (item == nullptr || !(item->flags() & Qt::ItemIsEnabled)) return;
  SelectEffect(item->data(kEffectIdRole).toInt());
}

void ParametersWindow::OnSliderMoved(int slot, int position) {
  if (showing_) return;
  parameters_.StoreSliderPosition(effectId_, slot, position);
  if (DescribeEffect(effectId_).extras.maxSlot == slot) maxShown_[effectId_] = false;
  // A minimum pulled down by its maximum shows its new value at once.
  const ParameterSet& values = parameters_.Current(effectId_);
  for (int other = 0; other < kSlotCount; ++other) {
    const QSignalBlocker blocker(rows_[other].slider);
    rows_[other].slider->setValue(values[other]);
    ShowValue(other);
  }
  preview_->SliderChanged();
  emit parametersChanged();
}

void ParametersWindow::ShowMaximum(int slot) {
  QSlider* slider = rows_[slot].slider;
  slider->setValue(slider->maximum());
  maxShown_[effectId_] = true;
  ShowValue(slot);
  preview_->Abort();
  preview_->SchedulePreview(LivePreview::kSliderDebounce);
  emit parametersChanged();
}

bool ParametersWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    const int maxSlot = DescribeEffect(effectId_).extras.maxSlot;
    if (maxSlot >= 0 && watched == rows_[maxSlot].value) {
      ShowMaximum(maxSlot);
      return true;
    }
  }
  return QDockWidget::eventFilter(watched, event);
}

void ParametersWindow::OnBoxReleased(Qt::MouseButton button) {
  const StyleEntry* style = FindStyle(effectId_);
  const bool groundColour = style != nullptr && style->paintsOnGroundColour;
  if (button == Qt::RightButton && groundColour) {
    std::optional<QColor> chosen;
    if (colourChooser_) {
      chosen = colourChooser_(ToQColor(paperColour_));
    } else if (DialogsAllowed()) {
      const QColor colour = QColorDialog::getColor(ToQColor(paperColour_), this);
      if (colour.isValid()) chosen = colour;
    }
    if (chosen) paperColour_ = FromQColor(*chosen);
  }
  preview_->EndDrag();
}

void ParametersWindow::OnStyleAdjusted(const StyleSettings& style) {
  if (style.effectId != effectId_ || style.sliders == parameters_.Current(effectId_)) return;
  parameters_.Current(effectId_) = style.sliders;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const QSignalBlocker blocker(rows_[slot].slider);
    rows_[slot].slider->setValue(style.sliders[slot]);
    ShowValue(slot);
  }
}

void ParametersWindow::OptionToggled() {
  preview_->Abort();
  preview_->GrowPreviewDelay(LivePreview::kOptionStep, LivePreview::kOptionCap);
}

StyleSettings ParametersWindow::CurrentStyleSettings() const {
  const ExtraControls& extras = DescribeEffect(effectId_).extras;
  StyleSettings settings;
  settings.effectId = effectId_;
  settings.sliders = parameters_.Current(effectId_);
  settings.doubled = extras.doubleCheckBoxSlot >= 0 && doubled_->isChecked();
  settings.eraseBackground = !(extras.dontEraseBackground && dontErase_->isChecked());
  if (extras.maxSlot >= 0) settings.maxShown[extras.maxSlot] = maxShown_[effectId_];
  settings.paperColour = paperColour_;
  settings.customBrushInUse = customBrush_ != nullptr;
  settings.customBrush = customBrush_.get();
  return settings;
}

FinishingSettings ParametersWindow::CurrentFinishingSettings() const {
  FinishingSettings finishing;
  finishing.softenEdges = soften_->isChecked();
  finishing.texture.enabled = texture_->isChecked();
  finishing.texture.strength = textureStrength_->value();
  finishing.texture.tileIndex = std::max(textureTileIndex_, 0);
  finishing.addFrame = frame_->isChecked();
  finishing.addText = text_->isChecked();
  finishing.frame = frameSettings_;
  finishing.text = textSettings_;
  return finishing;
}

void ParametersWindow::ApplySettings(const Settings& settings) {
  frameSettings_ = settings.frame;
  textSettings_ = settings.text;
  {
    const QSignalBlocker blocker(textureTile_);
    textureTile_->setValue(std::clamp(settings.textureTileIndex, 0, kTileCount - 1) + 1);
  }
  textureTileIndex_ = std::clamp(settings.textureTileIndex, -1, kTileCount - 1);
  const int entry = std::clamp(settings.textureListIndex, -1, static_cast<int>(kTextureListStrengths.size()) - 1);
  if (entry >= 0) textureStrength_->setValue(kTextureListStrengths[entry]);
  textureEntryChosen_ = entry >= 0;
  // Without a stored entry the list shows the one nearest to the strength, never a blank.
  textureList_->setCurrentIndex(entry >= 0 ? entry : NearestTextureEntry(textureStrength_->value()));
}

void ParametersWindow::CollectSettings(Settings& settings) const {
  settings.frame = frameSettings_;
  settings.text = textSettings_;
  settings.addFrame = frame_->isChecked();
  settings.textureTileIndex = textureTileIndex_;
  // An entry the list only shows as the nearest one was never chosen, and is not kept.
  settings.textureListIndex = textureEntryChosen_ ? textureList_->currentIndex() : -1;
}

void ParametersWindow::SetRunning(bool running) {
  running_ = running;
  drawButton_->setEnabled(!running);
  brushButton_->setEnabled(!running);
  loadBrush_->setEnabled(!running);
  resetBrush_->setEnabled(!running);
  // What the run draws with stays as it was when it started: the saved file's long name records
  // these values, so they are locked until the run ends.
  for (QListWidget* list : lists_) list->setEnabled(!running);
  for (const SliderRow& row : rows_) row.slider->setEnabled(!running);
  doubled_->setEnabled(!running);
  dontErase_->setEnabled(!running);
  menu_->setEnabled(!running);
  preview_->SetRunning(running);
}

void ParametersWindow::SetPictures(const Bitmap24& source, const Bitmap24& result) {
  if (!(result == result_)) result_ = result;
  preview_->SetResult(result);
  if (!preview_->SetSource(source)) return;
  sourceMean_ = ComputeMeanColour(source);
  sourceWidth_ = source.Width();
  sourceHeight_ = source.Height();
  if (!isVisible()) return;
  preview_->Abort();
  preview_->ShowRawCrop();
  preview_->SchedulePreview(LivePreview::kShowDelay);
}

void ParametersWindow::SourceOpened() {
  preview_->SetCropOrigin({0, 0});
  // A large photograph opens at the widest zoom, where the box shows a part with its
  // surroundings instead of a patch of sky at 1:1; smaller ones open at 1:1.
  const Bitmap24& source = preview_->Source();
  const bool large = static_cast<std::int64_t>(source.Width()) * source.Height() > kLargePhotoPixels;
  const int zoom = large ? kMinPreviewZoom : kMaxPreviewZoom;
  {
    const QSignalBlocker blocker(zoomSlider_);
    zoomSlider_->setValue(kZoomSliderMinimum + kMaxPreviewZoom - zoom);
  }
  preview_->SetZoom(zoom);
  preview_->Abort();
  if (!isVisible()) return;
  preview_->ShowRawCrop();
  preview_->SchedulePreview(LivePreview::kShowDelay);
}

void ParametersWindow::ResetPreviewCrop(int limit) {
  const Bitmap24& source = preview_->Source();
  preview_->SetCropOrigin(atelion::PreviewCropOrigin({source.Width(), source.Height()}, limit));
  preview_->Abort();
  if (!isVisible()) return;
  preview_->ShowRawCrop();
  preview_->SchedulePreview(LivePreview::kShowDelay);
}

Point ParametersWindow::PreviewCropOrigin() const { return preview_->CropOrigin(); }

void ParametersWindow::showEvent(QShowEvent* event) {
  QDockWidget::showEvent(event);
  const Bitmap24& source = preview_->Source();
  if (!activated_) {
    // The first showing looks at the middle of a wide picture.
    activated_ = true;
    const Point origin = preview_->CropOrigin();
    preview_->SetCropOrigin({source.Width() <= kPreviewBoxSide ? 0 : source.Width() / 2 - kPreviewBoxSide / 2,
                             origin.y});
  }
  preview_->ShowRawCrop();
  preview_->SchedulePreview(LivePreview::kShowDelay);
}

void ParametersWindow::SetDocumentFileNames(std::string source, std::string result) {
  sourceFileName_ = std::move(source);
  resultFileName_ = std::move(result);
}

Status ParametersWindow::LoadParameters(const std::filesystem::path& path) {
  ParameterFile file = ParameterFile::FromTables(parameters_, CatalogueIndexForEffectId(effectId_));
  file.customBrushes = customBrushPaths_;
  const ParameterFileLoad load = LoadParameterFile(path, file);
  if (!load.status) return load.status;
  file.ApplyTo(parameters_);
  customBrushPaths_ = file.customBrushes;
  if (load.fileNamesFound && (QApplication::keyboardModifiers() & Qt::ControlModifier)) {
    emit imagesNamedInParameters(QString::fromStdString(file.sourceFileName),
                                 QString::fromStdString(file.resultFileName));
  }
  const std::optional<int> row = file.SelectedCatalogueIndex();
  const int chosen = row ? EffectIdForCatalogueIndex(*row) : effectId_;
  if (chosen == effectId_ || !SelectEffect(chosen)) ShowChangedValues();
  return Status::Ok();
}

Status ParametersWindow::LoadStartupParameters(const std::filesystem::path& path) {
  ParameterFile file = ParameterFile::FromTables(parameters_, CatalogueIndexForEffectId(effectId_));
  const StartupParameterLoad load = LoadStartupParameterFile(path, file);
  if (!load.status) return load.status;
  if (load.currentLayout) return LoadParameters(path);
  file.ApplyTo(parameters_);
  ShowChangedValues();
  return Status::Ok();
}

void ParametersWindow::ShowChangedValues() {
  ShowEffect();
  preview_->Abort();
  preview_->SchedulePreview(LivePreview::kStyleSelectionDelay);
  emit parametersChanged();
}

Status ParametersWindow::SaveParameters(const std::filesystem::path& path) {
  ParameterFile file = ParameterFile::FromTables(parameters_, CatalogueIndexForEffectId(effectId_));
  file.customBrushes = customBrushPaths_;
  file.sourceFileName = sourceFileName_;
  file.resultFileName = resultFileName_;
  return SaveParameterFile(EnsureParameterExtension(path.string()), file);
}

void ParametersWindow::ResetParameters() {
  parameters_.ResetParameters();
  maxShown_.fill(false);
  ShowChangedValues();
}

Status ParametersWindow::LoadCustomBrush(const std::filesystem::path& path) {
  LoadedImage loaded = LoadImageFile(path);
  if (!loaded.status) return loaded.status;
  customBrush_ = std::make_shared<const Bitmap24>(std::move(loaded.picture));
  preview_->SliderChanged();
  emit parametersChanged();
  return Status::Ok();
}

void ParametersWindow::ResetCustomBrush() {
  if (!customBrush_) return;
  customBrush_.reset();
  preview_->SliderChanged();
  emit parametersChanged();
}

void ParametersWindow::SetColourChooser(std::function<std::optional<QColor>(QColor)> chooser) {
  colourChooser_ = std::move(chooser);
}

bool ParametersWindow::DialogsAllowed() const { return qEnvironmentVariableIsEmpty("ATELION_NO_DIALOGS"); }

void ParametersWindow::ShowError(const Status& status) {
  if (status || !DialogsAllowed()) return;
  QMessageBox::warning(this, windowTitle(), QString::fromStdString(status.message()));
}

void ParametersWindow::ChooseParametersFile(bool save) {
  if (!DialogsAllowed()) return;
  const QString filter = tr("Parameter files (*.atp)");
  if (save) {
    const QString path = QFileDialog::getSaveFileName(this, FromUtf8(Text(kSaveParametersLine)).trimmed(),
                                                      FromUtf8(kProposedParameterFileName), filter);
    if (!path.isEmpty()) ShowError(SaveParameters(path.toStdString()));
  } else {
    const QString path =
        QFileDialog::getOpenFileName(this, FromUtf8(Text(kLoadParametersLine)).trimmed(), QString(), filter);
    if (!path.isEmpty()) ShowError(LoadParameters(path.toStdString()));
  }
}

void ParametersWindow::ChooseCustomBrush() {
  if (!DialogsAllowed()) return;
  const QString path = QFileDialog::getOpenFileName(this, FromUtf8(Text(kLoadCustomBrushLine)).trimmed(), QString(),
                                                    tr("Pictures (*.png *.bmp *.jpg *.jpeg *.gif)"));
  if (!path.isEmpty()) ShowError(LoadCustomBrush(path.toStdString()));
}

}  // namespace atelion
