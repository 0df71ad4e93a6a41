#include "ui/text_window.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "finishing/text_placement.h"
#include "ui/interface_texts.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

constexpr int kTitleLine = 138;
constexpr int kEnterTextLine = 139;
constexpr int kFontLine = 140;
constexpr int kColourLine = 141;
constexpr int kFirstPositionLine = 142;  // "User defined position", then the nine anchors
constexpr int kShadowLine = 152;
constexpr int kCancelLine = 137;

// A drag redraws the text at most this often (milliseconds).
constexpr int kDragRedrawMs = 15;


QFont ToQFont(const TextSettings& settings) {
  QFont font(QString::fromStdString(settings.fontName));
  font.setPointSize(std::clamp(settings.fontSize, kMinFontSize, kMaxFontSize));
  font.setBold(settings.bold);
  font.setItalic(settings.italic);
  font.setUnderline(settings.underline);
  font.setStrikeOut(settings.strikeout);
  return font;
}

void TakeFont(const QFont& font, TextSettings& settings) {
  settings.fontName = font.family().toStdString();
  const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
  settings.fontSize = std::clamp(static_cast<int>(std::lround(points)), kMinFontSize, kMaxFontSize);
  settings.bold = font.bold();
  settings.italic = font.italic();
  settings.underline = font.underline();
  settings.strikeout = font.strikeOut();
}

// The strip above the opacity slider: the text colour fading from clear (a checkerboard shows
// through) on the left to solid on the right.
QPixmap TransparencyStrip(const QColor& colour, int width) {
  constexpr int kHeight = 12;
  constexpr int kSquare = 6;
  QPixmap strip(std::max(width, 1), kHeight);
  QPainter painter(&strip);
  for (int x = 0; x < strip.width(); x += kSquare) {
    for (int y = 0; y < kHeight; y += kSquare) {
      painter.fillRect(x, y, kSquare, kSquare, ((x + y) / kSquare) % 2 == 0 ? QColor(200, 200, 200) : QColor(120, 120, 120));
    }
  }
  QLinearGradient gradient(0, 0, strip.width(), 0);
  QColor clear = colour;
  clear.setAlpha(0);
  gradient.setColorAt(0, clear);
  gradient.setColorAt(1, colour);
  painter.fillRect(strip.rect(), gradient);
  return strip;
}

}  // namespace

TextWindow::TextWindow(MainWindow& window) : QDialog(&window), window_(window) {
  setObjectName("textWindow");
  BindLine(this, kTitleLine, [this](const QString& text) { setWindowTitle(text); });
  dragRedraw_.setSingleShot(true);
  dragRedraw_.setInterval(kDragRedrawMs);
  connect(&dragRedraw_, &QTimer::timeout, this, &TextWindow::Redraw);

  // Controls in reading order, so that Tab walks them from top to bottom.
  text_ = new QLineEdit;
  text_->setObjectName("textEdit");
  text_->setMinimumWidth(320);
  font_ = new QPushButton;
  font_->setObjectName("fontButton");
  BindLine(font_, kFontLine, [this](const QString& text) { font_->setText(text); });
  colour_ = new QPushButton;
  colour_->setObjectName("colourButton");
  BindLine(colour_, kColourLine, [this](const QString& text) { colour_->setText(text); });
  // Enter anywhere in the window is OK, never one of these two.
  font_->setAutoDefault(false);
  colour_->setAutoDefault(false);
  shadow_ = new QCheckBox;
  shadow_->setObjectName("shadowBox");
  BindLine(shadow_, kShadowLine, [this](const QString& text) { shadow_->setText(text); });
  transparency_ = new QLabel;
  transparency_->setObjectName("transparencyStrip");
  // The strip follows the slider's width below it.
  transparency_->setScaledContents(true);
  transparency_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  opacity_ = new QSlider(Qt::Horizontal);
  opacity_->setObjectName("opacitySlider");
  opacity_->setRange(kMinTextOpacity, kMaxTextOpacity);
  opacity_->setPageStep(16);
  positionList_ = new QComboBox;
  positionList_->setObjectName("positionList");
  for (int entry = 0; entry < kTextPositionCount; ++entry) {
    positionList_->addItem(QString());
    BindLine(positionList_, kFirstPositionLine + entry,
             [this, entry](const QString& text) { positionList_->setItemText(entry, text); });
  }
  x_ = new QSpinBox;
  x_->setObjectName("xBox");
  x_->setPrefix("x = ");
  y_ = new QSpinBox;
  y_->setObjectName("yBox");
  y_->setPrefix("y = ");
  notice_ = new QLabel;
  notice_->setObjectName("textNotice");
  notice_->setWordWrap(true);
  notice_->hide();

  auto* grid = new QGridLayout;
  auto* enterLabel = new QLabel;
  enterLabel->setBuddy(text_);
  BindLine(enterLabel, kEnterTextLine, [enterLabel](const QString& text) { enterLabel->setText(text); });
  grid->addWidget(enterLabel, 0, 0, 1, 3);
  grid->addWidget(text_, 1, 0, 1, 3);
  auto* fontRow = new QHBoxLayout;
  fontRow->addWidget(font_);
  fontRow->addWidget(colour_);
  fontRow->addWidget(shadow_);
  fontRow->addStretch(1);
  grid->addLayout(fontRow, 2, 0, 1, 3);
  grid->addWidget(transparency_, 3, 0, 1, 3);
  grid->addWidget(opacity_, 4, 0, 1, 3);
  grid->addWidget(positionList_, 5, 0);
  grid->addWidget(x_, 5, 1);
  grid->addWidget(y_, 5, 2);
  grid->addWidget(notice_, 6, 0, 1, 3);
  grid->setColumnStretch(0, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setObjectName("okButton");
  ok_->setDefault(true);
  cancel_ = buttons->button(QDialogButtonBox::Cancel);
  cancel_->setObjectName("cancelButton");
  BindLine(cancel_, kCancelLine, [this](const QString& text) { cancel_->setText(text); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addWidget(buttons);

  connect(text_, &QLineEdit::textChanged, this, [this](const QString& text) {
    settings_.text = text.toStdString();
    Redraw();
  });
  connect(font_, &QPushButton::clicked, this, &TextWindow::ChooseFont);
  connect(colour_, &QPushButton::clicked, this, &TextWindow::ChooseColour);
  connect(shadow_, &QCheckBox::toggled, this, [this](bool on) {
    settings_.shadow = on;
    Redraw();
  });
  connect(opacity_, &QSlider::valueChanged, this, [this](int opacity) {
    settings_.opacity = opacity;
    opacity_->setToolTip(QString::number(opacity));
    Redraw();
  });
  connect(positionList_, &QComboBox::currentIndexChanged, this, [this](int entry) {
    if (entry < 0) return;
    settings_.positionEntry = entry;
    // The free position starts where the anchor had put the text.
    if (entry == kTextUserDefined) {
      settings_.x = position_.x;
      settings_.y = position_.y;
    }
    Redraw();
  });
  for (QSpinBox* box : {x_, y_}) {
    connect(box, &QSpinBox::valueChanged, this, [this, box](int value) {
      ChooseUserPosition();
      (box == x_ ? settings_.x : settings_.y) = value;
      Redraw();
    });
  }
  // The panel is remembered here: while the main window is torn down its panel may still send
  // events, and the main window must not be asked for it then.
  panel_ = window_.ResultPanel();
  window_.ResultPanel()->installEventFilter(this);
}

TextWindow::~TextWindow() {
  // Closing the program with the window open: the commands no longer matter.
  locked_.clear();
}

void TextWindow::Open(const TextSettings& settings) {
  settings_ = settings;
  Document& document = window_.CurrentDocument();
  background_ = document.ResultPicture;
  historyPosition_ = document.History().Position();
  block_ = {};
  pending_ = true;
  LockCommands(true);
  window_.ResultPanel()->setCursor(Qt::SizeAllCursor);
  ShowSettings();
  Redraw();
  show();
  PlaceBesideDrawing();
  raise();
  activateWindow();
  text_->setFocus();
  text_->selectAll();
}

void TextWindow::PlaceBesideDrawing() {
  // Over the photograph's side, low down, so the drawing with its text stays in sight.
  const PicturePanel* panel = window_.ResultPanel();
  const QPoint panelTopLeft = panel->mapToGlobal(QPoint(0, 0));
  const QSize size = frameGeometry().size();
  const QRect screen = window_.screen() != nullptr ? window_.screen()->availableGeometry() : QRect();
  QPoint place(panelTopLeft.x() - size.width() - 16, panelTopLeft.y() + panel->height() - size.height() - 16);
  if (!screen.isEmpty()) {
    place.setX(std::clamp(place.x(), screen.left(), std::max(screen.left(), screen.right() - size.width())));
    place.setY(std::clamp(place.y(), screen.top(), std::max(screen.top(), screen.bottom() - size.height())));
  }
  move(place);
}

void TextWindow::ShowSettings() {
  const QSignalBlocker blockText(text_);
  const QSignalBlocker blockShadow(shadow_);
  const QSignalBlocker blockOpacity(opacity_);
  const QSignalBlocker blockList(positionList_);
  text_->setText(QString::fromStdString(settings_.text));
  shadow_->setChecked(settings_.shadow);
  opacity_->setValue(std::clamp(settings_.opacity, kMinTextOpacity, kMaxTextOpacity));
  opacity_->setToolTip(QString::number(opacity_->value()));
  positionList_->setCurrentIndex(std::clamp(settings_.positionEntry, 0, kTextPositionCount - 1));
  ShowColour();
}

void TextWindow::ShowColour() {
  colour_->setIcon(SwatchIcon(ToQColor(settings_.colour), QSize(20, 14)));
  transparency_->setPixmap(TransparencyStrip(ToQColor(settings_.colour), 256));
}

void TextWindow::ChooseFont() {
  const QFont current = ToQFont(settings_);
  std::optional<QFont> chosen;
  if (fontChooser_) {
    chosen = fontChooser_(current);
  } else {
    bool ok = false;
    const QFont picked = QFontDialog::getFont(&ok, current, this, TrimmedLine(kFontLine));
    if (ok) chosen = picked;
  }
  if (!chosen) return;
  TakeFont(*chosen, settings_);
  Redraw();
}

void TextWindow::ChooseColour() {
  std::optional<QColor> chosen;
  if (colourChooser_) {
    chosen = colourChooser_(ToQColor(settings_.colour));
  } else {
    const QColor picked = QColorDialog::getColor(ToQColor(settings_.colour), this, TrimmedLine(kColourLine));
    if (picked.isValid()) chosen = picked;
  }
  if (!chosen) return;
  settings_.colour = FromQColor(*chosen);
  ShowColour();
  Redraw();
}

void TextWindow::ChooseUserPosition() {
  if (settings_.positionEntry == kTextUserDefined) return;
  settings_.positionEntry = kTextUserDefined;
  settings_.x = position_.x;
  settings_.y = position_.y;
  const QSignalBlocker blocker(positionList_);
  positionList_->setCurrentIndex(kTextUserDefined);
}

bool TextWindow::DrawingReplaced() {
  Document& document = window_.CurrentDocument();
  return document.History().Position() != historyPosition_ ||
         document.ResultPicture.Width() != background_.Width() || document.ResultPicture.Height() != background_.Height();
}

void TextWindow::Erase() {
  if (DrawingReplaced()) return;
  Bitmap24& result = window_.CurrentDocument().ResultPicture;
  const Rect inside{std::max(block_.left, 0), std::max(block_.top, 0), std::min(block_.right, result.Width()),
                    std::min(block_.bottom, result.Height())};
  if (inside.left < inside.right && inside.top < inside.bottom) CopyRect(result, inside.left, inside.top, background_, inside);
  block_ = {};
}

void TextWindow::Redraw() {
  if (!pending_) return;
  Document& document = window_.CurrentDocument();
  Bitmap24& result = document.ResultPicture;
  if (DrawingReplaced()) {
    // The drawing was replaced under the window (a run of another window): the text went with it.
    reject();
    return;
  }
  Erase();
  const bool framed = window_.Parameters()->FrameButton()->isChecked();
  const TextOutcome outcome = ApplyText(result, settings_, document.SourcePicture.Width(),
                                        document.SourcePicture.Height(), framed);
  const std::string notice = outcome.status ? outcome.notice : outcome.status.message();
  notice_->setText(QString::fromStdString(notice));
  notice_->setVisible(!notice.empty());
  if (outcome.status) {
    block_ = outcome.block;
    position_ = outcome.position;
  }
  const TextPositionLimits limits = TextPositionRange(result.Width(), result.Height());
  for (QSpinBox* box : {x_, y_}) {
    const QSignalBlocker blocker(box);
    if (box == x_) {
      box->setRange(limits.minX, limits.maxX);
      box->setValue(position_.x);
    } else {
      box->setRange(limits.minY, limits.maxY);
      box->setValue(position_.y);
    }
  }
  window_.ResultPanel()->SetPicture(result);
}

void TextWindow::done(int result) {
  dragRedraw_.stop();
  dragging_ = false;
  if (pending_) {
    pending_ = false;
    Document& document = window_.CurrentDocument();
    if (DrawingReplaced()) {
      // Nothing of the window is left on the drawing now shown.
      result = QDialog::Rejected;
    } else if (result == QDialog::Accepted) {
      // The text stays; it is one step of the history like any other change of the drawing.
      document.RecordPictureSizes();
      if (const Status saved = document.SaveToHistory(HistoryKind::Result, document.ResultStyleName); !saved) {
        notice_->setText(QString::fromStdString(saved.message()));
      }
    } else {
      Erase();
    }
    LockCommands(false);
    window_.ResultPanel()->unsetCursor();
    window_.ResultPanel()->SetPicture(document.ResultPicture);
    if (result == QDialog::Accepted) {
      window_.ShowScriptPictures();
      emit committed(settings_);
    }
  }
  background_ = Bitmap24();
  QDialog::done(result);
}

void TextWindow::LockCommands(bool lock) {
  if (lock) {
    std::vector<QObject*> commands;
    for (QAction* action : window_.actions()) commands.push_back(action);
    commands.push_back(window_.Parameters()->DrawButton());
    for (QObject* command : commands) {
      if (auto* action = qobject_cast<QAction*>(command); action != nullptr && action->isEnabled()) {
        action->setEnabled(false);
        locked_.emplace_back(action);
      } else if (auto* widget = qobject_cast<QWidget*>(command); widget != nullptr && widget->isEnabled()) {
        widget->setEnabled(false);
        locked_.emplace_back(widget);
      }
    }
    return;
  }
  for (const QPointer<QObject>& command : locked_) {
    if (auto* action = qobject_cast<QAction*>(command.data())) action->setEnabled(true);
    if (auto* widget = qobject_cast<QWidget*>(command.data())) widget->setEnabled(true);
  }
  locked_.clear();
}

bool TextWindow::eventFilter(QObject* watched, QEvent* event) {
  if (panel_ == nullptr || watched != panel_.data() || !pending_ || !isVisible()) {
    return QDialog::eventFilter(watched, event);
  }
  auto* panel = static_cast<PicturePanel*>(watched);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return true;
      const Point press = panel->PictureAt(mouse->position().toPoint());
      ChooseUserPosition();
      dragGrab_ = press;
      dragStart_ = TextDragStart(position_, block_, press);
      const TextPositionLimits limits = TextPositionRange(background_.Width(), background_.Height());
      const Point start = DraggedTextPosition(dragStart_, press, press, limits);
      settings_.x = start.x;
      settings_.y = start.y;
      dragging_ = true;
      Redraw();
      return true;
    }
    case QEvent::MouseMove: {
      if (!dragging_) return true;
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const Point moved = DraggedTextPosition(dragStart_, dragGrab_, panel->PictureAt(mouse->position().toPoint()),
                                              TextPositionRange(background_.Width(), background_.Height()));
      settings_.x = moved.x;
      settings_.y = moved.y;
      if (!dragRedraw_.isActive()) dragRedraw_.start();
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (dragging_) {
        dragging_ = false;
        dragRedraw_.stop();
        Redraw();
      }
      return true;
    case QEvent::MouseButtonDblClick:
      return true;  // no full-screen view while the text is being placed
    default:
      return QDialog::eventFilter(watched, event);
  }
}

}  // namespace atelion
