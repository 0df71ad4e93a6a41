#include "ui/parameters_window.h"
#include "ui/picture_panel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
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
#include "ui/style_samples_window.h"
#include "ui/texture_knob.h"

namespace atelion {
namespace {

constexpr int kEffectIdRole = Qt::UserRole;
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
constexpr int kTileIconSide = 28;
constexpr int kTileMenuIconSide = 48;
constexpr int kTileIconContrast = 5;
constexpr int kStrengthLine = 107;
constexpr int kDrawingStyleLine = 75;
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

// A tile's picture for the texture panel: the tile's grain is faint (within a few levels of mid
// grey), so its contrast is raised to make the paper's character visible at a small size.
QIcon TileIcon(int index) {
  static std::array<QIcon, kTileCount> icons;
  index = std::clamp(index, 0, kTileCount - 1);
  if (!icons[index].isNull()) return icons[index];
  const Bitmap24* sheet = TextureSheet();
  if (sheet == nullptr) return {};
  const Bitmap24 tile = SelectTextureTile(*sheet, index);
  QImage image(tile.Width(), tile.Height(), QImage::Format_RGB32);
  for (int y = 0; y < tile.Height(); ++y) {
    for (int x = 0; x < tile.Width(); ++x) {
      const Colour colour = tile.Pixel(x, y);
      const auto raise = [](int value) { return std::clamp(128 + (value - 128) * kTileIconContrast, 0, 255); };
      image.setPixel(x, y, qRgb(raise(colour & 0xFF), raise((colour >> 8) & 0xFF), raise((colour >> 16) & 0xFF)));
    }
  }
  // A small corner of the tile, so the grain keeps about its size instead of being averaged away.
  const QImage part = image.copy(0, 0, kTileMenuIconSide, kTileMenuIconSide);
  QIcon icon;
  for (const int side : {kTileIconSide, kTileMenuIconSide}) {
    icon.addPixmap(QPixmap::fromImage(part.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
  }
  icons[index] = icon;
  return icon;
}

// The pictogram of the examples window: four small pictures in a square.
QIcon SamplesIcon() {
  QPixmap picture(48, 48);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor colours[] = {QColor(0x4f, 0xa3, 0xe8), QColor(0x7c, 0xc0, 0x5a), QColor(0xe8, 0xa8, 0x3c),
                            QColor(0xc8, 0xcc, 0xd2)};
  for (int cell = 0; cell < 4; ++cell) {
    const QRectF square(6 + (cell % 2) * 19, 6 + (cell / 2) * 19, 17, 17);
    painter.setPen(QPen(QColor(0xe6, 0xe8, 0xec), 2));
    painter.setBrush(colours[cell]);
    painter.drawRoundedRect(square, 3, 3);
  }
  return QIcon(picture);
}


}  // namespace

ParametersWindow::ParametersWindow(QWidget* parent) : QDockWidget(parent) {
  setObjectName("parametersWindow");
  BindLine(this, kParametersTitleLine, [this](const QString& text) { setWindowTitle(text); });
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

  // Two columns: on the left the style groups with the style's extra controls, the texture panel
  // and the option pictograms; on the right the chosen style's name, its five slider rows, the
  // live preview and "Draw!". Every row keeps its room whatever the style shows, so nothing moves
  // when another style is chosen; the whole scrolls only on a screen too low for it.
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildMenu();
  layout->setMenuBar(menu_);
  auto* controls = new QWidget;
  controls->setObjectName("parametersControls");
  // The columns keep their natural height at the top; a taller window leaves its room below them
  // rather than between the controls.
  auto* outer = new QVBoxLayout(controls);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* columns = new QHBoxLayout;
  outer->addLayout(columns);
  outer->addStretch(1);
  columns->setContentsMargins(10, 6, 10, 8);
  columns->setSpacing(14);
  auto* left = new QVBoxLayout;
  left->setSpacing(6);
  left->addWidget(BuildStyleGroups());
  left->addStretch(1);
  left->addWidget(BuildExtras());
  left->addWidget(BuildTexturePanel());
  left->addWidget(BuildOptions());
  auto* right = new QVBoxLayout;
  right->setSpacing(6);
  styleName_ = new QLineEdit;
  styleName_->setReadOnly(true);
  styleName_->setObjectName("styleName");
  // A caption, not a field: it shows the chosen style and takes no typing.
  styleName_->setFrame(false);
  styleName_->setFocusPolicy(Qt::NoFocus);
  styleName_->setStyleSheet("QLineEdit { background: transparent; font-weight: bold; }");
  BindText(styleName_, [this] { return QString::fromStdString(EffectName(effectId_)); },
           [this](const QString& text) { styleName_->setText(text); });
  right->addWidget(styleName_);
  right->addWidget(BuildSliderRows());
  right->addSpacing(4);
  right->addWidget(BuildPreview(), 0, Qt::AlignHCenter);
  right->addStretch(1);
  drawButton_ = new QPushButton;
  BindLine(drawButton_, kDrawLine, [button = drawButton_](const QString& text) { button->setText(text); });
  drawButton_->setObjectName("drawButton");
  drawButton_->setMinimumHeight(34);
  connect(drawButton_, &QPushButton::clicked, this, [this] {
    preview_->Abort();
    emit drawRequested();
  });
  auto* drawRow = new QHBoxLayout;
  drawRow->addWidget(drawButton_, 1);
  brushButton_ = new QPushButton;
  BindLine(brushButton_, kManualBrushLine, [button = brushButton_](const QString& text) { button->setText(text); });
  brushButton_->setObjectName("manualBrushButton");
  brushButton_->setMinimumHeight(34);
  connect(brushButton_, &QPushButton::clicked, this, &ParametersWindow::manualBrushRequested);
  drawRow->addWidget(brushButton_);
  right->addLayout(drawRow);
  columns->addLayout(left, 0);
  columns->addLayout(right, 1);
  auto* scroller = new QScrollArea;
  scroller->setObjectName("parametersScroller");
  scroller->setWidget(controls);
  scroller->setWidgetResizable(true);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(scroller, 1);
  // Measured again whenever the language changes: the columns follow the longest texts.
  scroller_ = scroller;
  BindText(controls, [] { return QString(); }, [this](const QString&) { FitTextColumns(); });
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
  // A stack of six groups, each a header that opens its list; one list is open at a time and
  // shows all its styles, so no list scrolls and none leaves an empty stretch.
  auto* stack = new QWidget;
  stack->setObjectName("styleGroups");
  styleColumn_ = stack;
  auto* column = new QVBoxLayout(stack);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  samplePopup_ = new StyleSamplePopup(this);
  int index = 0;
  for (const GroupDescription& group : Groups()) {
    auto* header = new QToolButton;
    header->setObjectName(QStringLiteral("groupHeader%1").arg(index));
    header->setCheckable(true);
    header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    header->setArrowType(Qt::RightArrow);
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    header->setStyleSheet("QToolButton { text-align: left; padding: 3px 4px; }");
    BindLine(header, group.headerLine, [header](const QString& text) { header->setText(text); });
    connect(header, &QToolButton::clicked, this, [this, index] { OpenGroup(index, true); });
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
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVisible(false);
    // Resting the pointer on a style shows its example beside the window.
    list->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
    connect(list, &QListWidget::itemEntered, this, [this, list](QListWidgetItem* item) { ShowSampleFor(list, item); });
    connect(list, &QListWidget::itemClicked, this, &ParametersWindow::OnItemClicked);
    list->installEventFilter(this);
    headers_[index] = header;
    lists_[index] = list;
    column->addWidget(header);
    column->addWidget(list);
    ++index;
  }
  column->addStretch(1);
  return stack;
}

void ParametersWindow::OpenGroup(int group, bool toggle) {
  const bool close = toggle && lists_[group]->isVisible();
  for (int other = 0; other < kGroupCount; ++other) {
    const bool open = other == group && !close;
    lists_[other]->setVisible(open);
    headers_[other]->setChecked(open);
    headers_[other]->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
  }
}

void ParametersWindow::FitTextColumns() {
  // The style lists are as wide as their longest entry (with its mark).
  int listWidth = 0;
  for (QListWidget* list : lists_) {
    listWidth = std::max(listWidth, list->sizeHintForColumn(0) + 2 * list->frameWidth() + 6);
  }
  for (QListWidget* list : lists_) {
    list->setMinimumWidth(listWidth);
    // Exactly as tall as its styles, in the font of the current language.
    list->setFixedHeight(list->count() * list->sizeHintForRow(0) + 2 * list->frameWidth());
  }
  // The stack is as tall as its headers and its longest list, whichever group is open, so what
  // lies below it never moves.
  int stackHeight = 0;
  int longestList = 0;
  const int spacing = styleColumn_->layout()->spacing();
  for (int group = 0; group < kGroupCount; ++group) {
    stackHeight += headers_[group]->sizeHint().height() + spacing;
    longestList = std::max(longestList, lists_[group]->maximumHeight() + spacing);
  }
  styleColumn_->setFixedHeight(stackHeight + longestList);
  // The row labels' column fits every style's labels, so no style widens or narrows it.
  const QFontMetrics metrics = rows_[0].label->fontMetrics();
  int labelWidth = 0;
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      labelWidth = std::max(labelWidth, metrics.horizontalAdvance(RowLabelText(effectId, slot)));
    }
  }
  rowGrid_->setColumnMinimumWidth(0, labelWidth + 4);
  const int valueWidth = std::max({metrics.horizontalAdvance(QStringLiteral("888")),
                                   metrics.horizontalAdvance(FromUtf8(kMaxValueText))}) + 6;
  rowGrid_->setColumnMinimumWidth(3, valueWidth);
  rowGrid_->setColumnMinimumWidth(2, doubled_->sizeHint().width());
  // The window is never narrower than both columns, so nothing is cut at its right edge.
  QWidget* controls = scroller_->widget();
  controls->ensurePolished();
  controls->layout()->invalidate();
  controls->layout()->activate();
  scroller_->setMinimumWidth(controls->minimumSizeHint().width() +
                             scroller_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void ParametersWindow::ShowSampleFor(QListWidget* list, QListWidgetItem* item) {
  if (item == nullptr || !(item->flags() & Qt::ItemIsEnabled)) return samplePopup_->HideSample();
  const int effectId = item->data(kEffectIdRole).toInt();
  // The merge has nothing to show while the two pictures differ in size.
  if (effectId == kMergeEffectId && !MergeAllowed()) return samplePopup_->HideSample();
  const QRect itemRect = list->visualItemRect(item);
  const int centreY = list->viewport()->mapToGlobal(itemRect.center()).y();
  samplePopup_->ShowSample(effectId, mapToGlobal(QPoint(0, 0)).x(), centreY);
}

void ParametersWindow::StepStyle(int direction) {
  const bool listHadFocus = std::find(lists_.begin(), lists_.end(), QApplication::focusWidget()) != lists_.end();
  for (int next = CatalogueIndexForEffectId(effectId_) + direction; next >= 1 && next <= kLastCatalogueIndex;
       next += direction) {
    if (!ListPositionForCatalogueIndex(next)) continue;  // a group header
    const int effectId = EffectIdForCatalogueIndex(next);
    if (!StyleAvailable(effectId) || (effectId == kMergeEffectId && !MergeAllowed())) continue;
    SelectEffect(effectId);
    // The keyboard stays in the lists when it was there, now in the chosen style's group.
    if (listHadFocus) {
      if (const auto position = ListPositionForCatalogueIndex(next)) lists_[static_cast<int>(position->group)]->setFocus();
    }
    return;
  }
}

bool ParametersWindow::MergeAllowed() const {
  const Bitmap24& source = preview_->Source();
  return source.Width() == result_.Width() && source.Height() == result_.Height();
}

void ParametersWindow::ShowSamplesWindow() {
  if (samplesWindow_ == nullptr) {
    samplesWindow_ = new StyleSamplesWindow(this);
    connect(samplesWindow_, &StyleSamplesWindow::styleChosen, this, [this](int effectId) {
      if (effectId == kMergeEffectId && !MergeAllowed()) return;
      SelectEffect(effectId);
    });
  }
  samplePopup_->HideSample();
  samplesWindow_->MarkChosen(effectId_);
  samplesWindow_->show();
  samplesWindow_->raise();
  samplesWindow_->activateWindow();
}

// Keeps a control's room in its layout while it is hidden, so showing it moves nothing.
static void KeepRoomWhenHidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

QWidget* ParametersWindow::BuildSliderRows() {
  // One line per row: label, slider, the place of "x 2" and the value. The columns are as wide
  // as the widest text any style shows there, and a hidden row keeps its room.
  auto* box = new QWidget;
  rowGrid_ = new QGridLayout(box);
  rowGrid_->setContentsMargins(0, 0, 0, 0);
  rowGrid_->setHorizontalSpacing(6);
  rowGrid_->setVerticalSpacing(2);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SliderRow& row = rows_[slot];
    row.label = new QLabel;
    BindText(row.label, [this, slot] { return RowLabelText(effectId_, slot); },
             [label = row.label](const QString& text) { label->setText(text); });
    row.slider = new QSlider(Qt::Horizontal);
    row.slider->setMinimumWidth(110);
    row.value = new QLabel;
    row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row.value->installEventFilter(this);
    for (QWidget* part : {static_cast<QWidget*>(row.label), static_cast<QWidget*>(row.slider),
                          static_cast<QWidget*>(row.value)}) {
      KeepRoomWhenHidden(part);
    }
    row.label->setBuddy(row.slider);
    rowGrid_->addWidget(row.label, slot, 0);
    rowGrid_->addWidget(row.slider, slot, 1);
    rowGrid_->addWidget(row.value, slot, 3);
    rowGrid_->setRowMinimumHeight(slot, 26);
    connect(row.slider, &QSlider::valueChanged, this, [this, slot](int position) { OnSliderMoved(slot, position); });
    row.slider->installEventFilter(this);
  }
  rowGrid_->setColumnStretch(1, 1);
  doubled_ = new QCheckBox(FromUtf8(kDoubleCheckBoxText));
  doubled_->setObjectName("doubleBox");
  KeepRoomWhenHidden(doubled_);
  connect(doubled_, &QCheckBox::toggled, this, [this] {
    preview_->SliderChanged();
    emit parametersChanged();
  });
  // The grid owns "x 2" from the start; each style with one moves it beside its row.
  rowGrid_->addWidget(doubled_, 1, 2);
  return box;
}

QWidget* ParametersWindow::BuildExtras() {
  // The controls only some styles show, under the style groups; their room is always kept.
  auto* box = new QWidget;
  auto* layout = new QGridLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
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
  for (QWidget* control : {static_cast<QWidget*>(dontErase_), static_cast<QWidget*>(loadBrush_),
                           static_cast<QWidget*>(resetBrush_)}) {
    KeepRoomWhenHidden(control);
  }
  layout->addWidget(dontErase_, 0, 0, 1, 2);
  layout->addWidget(loadBrush_, 1, 0);
  layout->addWidget(resetBrush_, 1, 1);
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
        // The request keeps every loaded brush alive while the worker paints with it.
        LivePreview::Request request{CurrentStyleSettings(), CurrentFinishingSettings(),
                                     std::shared_ptr<const Bitmap24>(brushes_, brushes_->stamp.get())};
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
  auto* pictograms = new QHBoxLayout(box);
  pictograms->setContentsMargins(0, 0, 0, 0);
  pictograms->setSpacing(2);
  soften_ = OptionButton(Pictogram::Soften, "softenButton", kSoftenLine);
  frame_ = OptionButton(Pictogram::Frame, "frameButton", kAddFrameLine);
  texture_ = OptionButton(Pictogram::Texture, "textureButton", kTextureLine);
  text_ = OptionButton(Pictogram::Text, "textButton", kAddTextLine);
  for (QToolButton* button : {soften_, frame_, texture_, text_}) {
    pictograms->addWidget(button);
    connect(button, &QToolButton::toggled, this, &ParametersWindow::OptionToggled);
  }
  // The texture panel's controls answer while the texture is on.
  for (QWidget* control : {static_cast<QWidget*>(textureStrength_), static_cast<QWidget*>(textureTile_),
                           static_cast<QWidget*>(textureList_), static_cast<QWidget*>(knob_),
                           static_cast<QWidget*>(tileButton_)}) {
    control->setEnabled(false);
    connect(texture_, &QToolButton::toggled, control, &QWidget::setEnabled);
  }
  pictograms->addWidget(StrokeButton(false));
  pictograms->addWidget(StrokeButton(true));
  pictograms->addStretch(1);
  // Every style's example, to choose one by its look.
  samplesButton_ = new QToolButton;
  samplesButton_->setObjectName("samplesButton");
  samplesButton_->setIcon(SamplesIcon());
  samplesButton_->setIconSize(QSize(24, 24));
  samplesButton_->setAutoRaise(true);
  BindLine(samplesButton_, kDrawingStyleLine, [button = samplesButton_](const QString& text) { button->setToolTip(text); });
  connect(samplesButton_, &QToolButton::clicked, this, &ParametersWindow::ShowSamplesWindow);
  pictograms->addWidget(samplesButton_);
  return box;
}

QWidget* ParametersWindow::BuildTexturePanel() {
  // The knob sets the strength (also typed in its field, or taken from the light, normal or
  // strong entry); the arrows step through the ten tiles, and the tile's picture opens a menu of
  // all ten.
  auto* panel = new QWidget;
  panel->setObjectName("texturePanel");
  auto* layout = new QGridLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setHorizontalSpacing(6);
  layout->setVerticalSpacing(4);
  knob_ = new TextureKnob;
  knob_->setObjectName("textureKnob");
  BindLine(knob_, kStrengthLine, [knob = knob_](const QString& text) { knob->setToolTip(text); });
  textureStrength_ = new QSpinBox;
  textureStrength_->setObjectName("textureStrength");
  textureStrength_->setRange(0, 100);
  textureStrength_->setSuffix(" %");
  textureStrength_->setValue(kDefaultTextureStrength);
  knob_->SetValue(kDefaultTextureStrength);
  connect(knob_, &TextureKnob::valueChanged, textureStrength_, &QSpinBox::setValue);
  connect(textureStrength_, &QSpinBox::valueChanged, this, [this](int strength) {
    knob_->SetValue(strength);
    // The list shows the entry nearest to the strength the knob or the field set.
    if (textureList_ != nullptr) textureList_->setCurrentIndex(NearestTextureEntry(strength));
    preview_->ScheduleRetexture();
  });
  textureTile_ = new QSpinBox;
  textureTile_->setObjectName("textureTile");
  textureTile_->setRange(1, kTileCount);
  BindLine(textureTile_, kTextureLine, [tile = textureTile_](const QString& text) { tile->setPrefix(text + " "); });
  connect(textureTile_, &QSpinBox::valueChanged, this, [this](int number) {
    textureTileIndex_ = number - 1;
    ShowTile(number - 1);
    preview_->ScheduleRetexture();
  });
  tileButton_ = new QToolButton;
  tileButton_->setObjectName("textureTileButton");
  tileButton_->setIconSize(QSize(kTileIconSide, kTileIconSide));
  tileButton_->setPopupMode(QToolButton::InstantPopup);
  auto* tileMenu = new QMenu(tileButton_);
  tileMenu->setObjectName("textureTileMenu");
  for (int tile = 0; tile < kTileCount; ++tile) {
    QAction* entry = tileMenu->addAction(TileIcon(tile), QString());
    entry->setObjectName(QStringLiteral("textureTile%1").arg(tile));
    BindText(entry, [tile] { return FromUtf8(TextureCaption(tile)).trimmed(); },
             [entry](const QString& text) { entry->setText(text); });
    connect(entry, &QAction::triggered, this, [this, tile] { textureTile_->setValue(tile + 1); });
  }
  tileMenu->setStyleSheet(QStringLiteral("QMenu { icon-size: %1px; }").arg(kTileMenuIconSide));
  tileButton_->setMenu(tileMenu);
  ShowTile(0);
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
  layout->addWidget(knob_, 0, 0, 2, 1);
  layout->addWidget(textureStrength_, 0, 1);
  layout->addWidget(textureList_, 0, 2);
  layout->addWidget(tileButton_, 1, 1, Qt::AlignLeft);
  layout->addWidget(textureTile_, 1, 2);
  layout->setColumnStretch(2, 1);
  return panel;
}

void ParametersWindow::ShowTile(int index) {
  tileButton_->setIcon(TileIcon(index));
  tileButton_->setToolTip(FromUtf8(TextureCaption(index)).trimmed());
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
    if (list->isHidden()) OpenGroup(static_cast<int>(position->group));
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
  if (doubleSlot >= 0) rowGrid_->addWidget(doubled_, doubleSlot, 2);
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
  if (slot != kSlotTrackBar3) ShowStrokePictograms(false);
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
  if (event->type() == QEvent::KeyPress) {
    // On a slider or a style list, Up and Down go through the styles (Left and Right move the
    // slider by one).
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool styleKeyTarget =
        std::any_of(rows_.begin(), rows_.end(), [&](const SliderRow& row) { return watched == row.slider; }) ||
        std::find(lists_.begin(), lists_.end(), watched) != lists_.end();
    if (styleKeyTarget && (key == Qt::Key_Up || key == Qt::Key_Down)) {
      if (!running_) StepStyle(key == Qt::Key_Up ? -1 : 1);
      return true;
    }
  }
  if (event->type() == QEvent::Leave || event->type() == QEvent::Hide) {
    // The example closes once the pointer leaves the list it belongs to.
    for (QListWidget* list : lists_) {
      if (watched == list->viewport()) samplePopup_->HideSample();
    }
  }
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
  brushes_->ApplyTo(settings);
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
  lastBrushFolder_ = settings.lastBrushFolder;
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
  settings.lastBrushFolder = lastBrushFolder_;
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
  // Measured once the window's style and fonts apply.
  FitTextColumns();
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
  if (load.brushSectionFound) LoadStrokeBrushFiles(file.customBrushes);
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

}  // namespace atelion
