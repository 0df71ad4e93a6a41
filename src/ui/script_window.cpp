#include "ui/script_window.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>
#include <mutex>

#include "styles/style_list.h"
#include "ui/interface_texts.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"

namespace atelion {

namespace {

constexpr int kCaptionLine = 208;
constexpr int kNewScriptLine = 209;
constexpr int kLoadScriptLine = 210;
constexpr int kSaveScriptLine = 211;
constexpr int kAddCurrentEffectLine = 212;
constexpr int kDeleteLineLine = 223;
constexpr int kInsertLineLine = 224;
constexpr int kNewScriptQuestionLine = 225;
constexpr int kActionHeaderLine = 226;
constexpr int kRunScriptLine = 227;
const char kScriptFilter[] = "Atelion script file (*.ats)";
// Scripts are a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxScriptBytes = 16 << 20;

// The actions of the menu, in its order (turns have no entry: they run when a loaded script
// names them).
constexpr int kMenuActions[] = {
    script_action::kStoreLeft,     script_action::kStoreRight,      script_action::kRetrieveToLeft,
    script_action::kRetrieveToRight, script_action::kSwap,          script_action::kRestoreSource,
    script_action::kResizeLeft,    script_action::kResizeRight,     script_action::kInvert,
    script_action::kAutomaticContrast, script_action::kDontEraseBackground, script_action::kStopNextEffect,
};

// A menu caption without its accelerator mark.
QString WithoutAccelerator(QString caption) {
  caption.remove(QRegularExpression("&(?!&)"));
  return caption;
}

// Collects what a run does, on the worker thread, for the window's thread to replay.
class ScriptRecorder : public ScriptObserver {
 public:
  ScriptRecorder(QPointer<ScriptWindow> window, MainWindow& main) : window_(std::move(window)), main_(main) {}

  struct Step {
    HistoryKind kind;
    Bitmap24 picture;
    std::string name;
  };

  void LineStarted(int row) override {
    QMetaObject::invokeMethod(window_, [window = window_, row] {
      if (window) window->Table()->selectRow(row - 1);
    });
  }
  void LineSkipped(int row, const std::string& reason) override {
    std::lock_guard lock(mutex_);
    skipped_.push_back(QString("%1: %2").arg(row).arg(QString::fromStdString(reason)));
  }
  void StopPercentageChanged(int percent) override { main_.SetStopMarker(percent); }
  void HistoryStep(HistoryKind kind, const Bitmap24& picture, const std::string& name) override {
    std::lock_guard lock(mutex_);
    steps_.push_back({kind, picture, name});
  }

  std::vector<Step> TakeSteps() {
    std::lock_guard lock(mutex_);
    return std::move(steps_);
  }
  QStringList Skipped() {
    std::lock_guard lock(mutex_);
    return skipped_;
  }

 private:
  QPointer<ScriptWindow> window_;
  MainWindow& main_;
  std::mutex mutex_;
  std::vector<Step> steps_;
  QStringList skipped_;
};

}  // namespace

ScriptWindow::ScriptWindow(MainWindow& main, QWidget* parent) : QDialog(parent), main_(main) {
  setObjectName("scriptWindow");
  BindLine(this, kCaptionLine, [this](const QString& text) { setWindowTitle(text); });
  BuildMenu();

  table_ = new QTableWidget(0, ScriptGrid::kColumns);
  table_->setObjectName("scriptGrid");
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  table_->setColumnHidden(ScriptGrid::kCodeColumn, true);
  const int letter = table_->fontMetrics().horizontalAdvance('A');
  table_->setColumnWidth(0, 26 * letter);
  for (int column = 1; column <= kSlotCount; ++column) table_->setColumnWidth(column, 5 * letter);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  connect(table_, &QTableWidget::cellClicked, this, &ScriptWindow::CellClicked);
  connect(table_, &QTableWidget::cellChanged, this, &ScriptWindow::CellEdited);
  BindLine(table_, kActionHeaderLine, [this](const QString&) { ShowGrid(); });

  run_ = new QPushButton;
  run_->setObjectName("scriptRun");
  BindLine(run_, kRunScriptLine, [this](const QString& text) { run_->setText(text); });
  connect(run_, &QPushButton::clicked, this, &ScriptWindow::Run);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menu_);
  layout->addWidget(table_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(run_);
  layout->addLayout(buttons);
  resize(40 * letter + 2 * kSlotCount * 5 * letter / 2, 28 * table_->verticalHeader()->defaultSectionSize());
  ShowGrid();
}

void ScriptWindow::BuildMenu() {
  menu_ = new QMenuBar(this);
  QMenu* file = menu_->addMenu(QString());
  BindLine(file, kCaptionLine, [file](const QString& text) { file->setTitle(text); });
  const auto add = [this, file](int line, const QKeySequence& keys, auto slot) {
    QAction* action = file->addAction(QString());
    action->setShortcut(keys);
    BindLine(action, line, [action](const QString& text) { action->setText(text); });
    connect(action, &QAction::triggered, this, slot);
  };
  add(kNewScriptLine, QKeySequence::New, [this] { NewScript(); });
  add(kLoadScriptLine, QKeySequence::Open, [this] {
    const QString path = QFileDialog::getOpenFileName(this, windowTitle(), QString(), kScriptFilter);
    if (!path.isEmpty()) LoadScript(path);
  });
  add(kSaveScriptLine, QKeySequence::Save, [this] {
    QString path = QFileDialog::getSaveFileName(this, windowTitle(), "script.ats", kScriptFilter);
    if (path.isEmpty()) return;
    if (!path.endsWith(".ats", Qt::CaseInsensitive)) path += ".ats";
    SaveScript(path);
  });
}

void ScriptWindow::SetDialogs(std::function<bool(const QString&)> ask, std::function<void(const QString&)> tell,
                              std::function<std::optional<int>(const QString&, int)> number) {
  ask_ = std::move(ask);
  tell_ = std::move(tell);
  number_ = std::move(number);
}

bool ScriptWindow::Ask(const QString& question) {
  if (ask_) return ask_(question);
  return QMessageBox::question(this, windowTitle(), question, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void ScriptWindow::Tell(const QString& message) {
  if (tell_) {
    tell_(message);
  } else {
    QMessageBox::warning(this, windowTitle(), message);
  }
}

std::optional<int> ScriptWindow::AskNumber(const QString& prompt, int proposal) {
  if (number_) return number_(prompt, proposal);
  bool accepted = false;
  const int value = QInputDialog::getInt(this, "Resize image", prompt, proposal, 1, 32768, 1, &accepted);
  return accepted ? std::optional<int>(value) : std::nullopt;
}

void ScriptWindow::SetGrid(ScriptGrid grid) {
  grid_ = std::move(grid);
  ShowGrid();
}

void ScriptWindow::ShowGrid() {
  showing_ = true;
  table_->setColumnCount(std::max(grid_.Columns(), ScriptGrid::kColumns));
  table_->setRowCount(std::max(grid_.Rows() - 1, 0));
  QStringList headers;
  for (int column = 0; column < table_->columnCount(); ++column) {
    const QString cell = QString::fromStdString(grid_.Cell(column, 0));
    headers.append(column == 0 ? LanguageLine(kActionHeaderLine) : cell.isEmpty() ? QString::number(column) : cell);
  }
  table_->setHorizontalHeaderLabels(headers);
  for (int row = 1; row < grid_.Rows(); ++row) {
    for (int column = 0; column < table_->columnCount(); ++column) {
      auto* item = new QTableWidgetItem(QString::fromStdString(grid_.Cell(column, row)));
      if (column == 0) {
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
      } else {
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      }
      table_->setItem(row - 1, column, item);
    }
  }
  table_->setColumnHidden(ScriptGrid::kCodeColumn, true);
  showing_ = false;
}

bool ScriptWindow::LoadScript(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxScriptBytes) {
    Tell(path + ": " + (file.error() != QFile::NoError ? file.errorString() : QString("not a script file")));
    return false;
  }
  const QByteArray bytes = file.readAll();
  ScriptReadResult read = ReadScriptText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!read.problems.empty()) {
    QStringList problems;
    for (const std::string& problem : read.problems) problems.append(QString::fromStdString(problem));
    Tell(path + "\n" + problems.join('\n'));
  }
  if (!read.readable) return false;
  SetGrid(std::move(read.grid));
  return true;
}

bool ScriptWindow::SaveScript(const QString& path) {
  QFile file(path);
  const std::string text = WriteScriptText(grid_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    Tell(path + ": " + file.errorString());
    return false;
  }
  return true;
}

void ScriptWindow::NewScript() {
  if (running_ || !Ask(LanguageLine(kNewScriptQuestionLine))) return;
  grid_.ClearRows(1);
  ShowGrid();
  table_->selectRow(0);
}

void ScriptWindow::FillLine(int row, int code) {
  if (row < 1 || row >= grid_.Rows()) return;
  std::vector<std::string> numbers(kSlotCount);
  if (code == script_action::kResizeLeft || code == script_action::kResizeRight) {
    const Document& document = main_.CurrentDocument();
    const std::optional<int> width = AskNumber("x = ", document.SourcePicture.Width());
    if (!width || *width <= 0) return;
    const std::optional<int> height = AskNumber("y = ", document.SourcePicture.Height());
    if (!height || *height <= 0) return;
    numbers[0] = std::to_string(*width);
    numbers[1] = std::to_string(*height);
  }
  if (code == script_action::kStopNextEffect) {
    numbers[0] = "50";
    main_.SetStopMarker(50);
  }
  const std::optional<int> line = ScriptActionLine(code);
  grid_.SetCell(0, row, line ? WithoutAccelerator(LanguageLine(*line)).toStdString() : EffectName(code));
  for (int column = 1; column <= kSlotCount; ++column) grid_.SetCell(column, row, numbers[column - 1]);
  grid_.SetCell(ScriptGrid::kCodeColumn, row, std::to_string(code));
  ShowGrid();
  table_->selectRow(row - 1);
}

void ScriptWindow::AddCurrentEffect(int row) {
  if (row < 1 || row >= grid_.Rows()) return;
  const StyleSettings style = main_.Parameters()->CurrentStyleSettings();
  grid_.SetCell(0, row, main_.Parameters()->StyleNameText().toStdString());
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const bool visible = DescribeSlider(style.effectId, slot).visible;
    grid_.SetCell(slot + 1, row, visible ? std::to_string(style.sliders[slot]) : std::string());
  }
  grid_.SetCell(ScriptGrid::kCodeColumn, row, std::to_string(style.effectId));
  ShowGrid();
  table_->selectRow(row <= grid_.Rows() - 3 ? row : row - 1);
}

void ScriptWindow::InsertLine(int row) {
  grid_.InsertRow(std::max(row, 1));
  ShowGrid();
}

void ScriptWindow::DeleteLine(int row) {
  if (row < 1) return;
  grid_.DeleteRow(row);
  ShowGrid();
}

void ScriptWindow::CellClicked(int tableRow, int column) {
  if (running_) return;
  const int row = tableRow + 1;
  if (column == 0) {
    ShowActionMenu(row, QCursor::pos());
  } else {
    ShowLineInParameters(row);
  }
}

void ScriptWindow::CellEdited(int tableRow, int column) {
  if (showing_) return;
  const int row = tableRow + 1;
  grid_.SetCell(column, row, table_->item(tableRow, column)->text().trimmed().toStdString());
  ShowLineInParameters(row);
}

void ScriptWindow::ShowLineInParameters(int row) {
  const std::string& codeText = grid_.Cell(ScriptGrid::kCodeColumn, row);
  bool isNumber = false;
  const int code = QString::fromStdString(codeText).toInt(&isNumber);
  if (!isNumber) return;
  if (code == script_action::kStopNextEffect) {
    main_.SetStopMarker(std::clamp(QString::fromStdString(grid_.Cell(1, row)).toInt(), 0, 100));
    return;
  }
  ParametersWindow* parameters = main_.Parameters();
  if (code < 100 && StyleAvailable(code)) parameters->SelectEffect(code);
  if (code >= 100 || !StyleAvailable(code)) return;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    bool valid = false;
    const int value = QString::fromStdString(grid_.Cell(slot + 1, row)).toInt(&valid);
    if (valid) parameters->Slider(slot)->setValue(value);
  }
}

void ScriptWindow::ShowActionMenu(int row, QPoint globalPosition) {
  QMenu menu(this);
  menu.addAction(LanguageLine(kAddCurrentEffectLine), this, [this, row] { AddCurrentEffect(row); });
  menu.addSeparator();
  for (const int code : kMenuActions) {
    menu.addAction(LanguageLine(*ScriptActionLine(code)), this, [this, row, code] { FillLine(row, code); });
  }
  menu.addSeparator();
  menu.addAction(LanguageLine(kInsertLineLine), this, [this, row] { InsertLine(row); });
  menu.addAction(LanguageLine(kDeleteLineLine), this, [this, row] { DeleteLine(row); });
  menu.exec(globalPosition);
}

bool ScriptWindow::Run() {
  if (running_) return false;
  auto recorder = std::make_shared<ScriptRecorder>(QPointer<ScriptWindow>(this), main_);
  auto outcome = std::make_shared<ScriptOutcome>(ScriptOutcome::Finished);
  auto stop = std::make_shared<StopRequest>();
  auto pictures = std::make_shared<ScriptPictures>();
  pictures->source = main_.CurrentDocument().SourcePicture;
  pictures->result = main_.CurrentDocument().ResultPicture;
  QPointer<ScriptWindow> window(this);
  MainWindow& main = main_;
  const bool started = main_.StartWork(
      [grid = grid_, settings = main_.CurrentScriptSettings(), pictures, recorder, outcome, stop](RunContext& context) {
        *outcome = RunScript(grid, *pictures, settings, context, *stop, recorder.get());
      },
      [window, &main, recorder, outcome] {
        // Each picture the script changed becomes a history step, in the order they came.
        for (ScriptRecorder::Step& step : recorder->TakeSteps()) {
          main.RecordScriptStep(step.kind, std::move(step.picture), step.name);
        }
        main.ShowScriptPictures();
        if (!window) return;
        window->running_ = false;
        window->run_->setEnabled(true);
        const QStringList skipped = recorder->Skipped();
        if (!skipped.isEmpty()) window->Tell(skipped.join('\n'));
        emit window->scriptFinished(*outcome);
      },
      [stop] { stop->Request(); });
  if (!started) return false;
  running_ = true;
  run_->setEnabled(false);
  return true;
}

void ScriptWindow::keyPressEvent(QKeyEvent* event) {
  // Enter runs the script (a cell being edited takes its Enter itself).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Run();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace atelion
