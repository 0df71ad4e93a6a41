// The brush window of Painting 4: the user chooses transparent PNG pictures, each is stretched to
// a 512 × 256 stroke brush and shown with its number; on request every brush is then turned and
// trimmed so that it fills its frame best, the angles tried shown as they go. The work runs off
// the interface thread; Esc stops the turning and keeps the brushes as they are by then.
#pragma once

#include <QDialog>
#include <QStringList>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "core/bitmap24.h"
#include "core/status.h"

class QLabel;

namespace atelion {

class CustomBrushWindow : public QDialog {
  Q_OBJECT
 public:
  /// How the window asks for files: caption, starting folder, filter; the chosen paths.
  using FileChooser = std::function<QStringList(const QString&, const QString&, const QString&)>;
  /// How the window asks whether to optimise `count` brushes.
  using OptimizeQuestion = std::function<bool(int count)>;

  explicit CustomBrushWindow(QWidget* parent = nullptr);
  ~CustomBrushWindow() override;

  void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  void SetOptimizeQuestion(OptimizeQuestion question) { question_ = std::move(question); }

  /// Opens the window (modal to its parent, without blocking): files are chosen from `folder`,
  /// loaded and, when the answer is yes, optimised; `brushesLoaded` follows, and the window closes.
  /// Nothing chosen closes it without a signal.
  void Start(const QString& folder);
  /// Loads and stretches the pictures, showing each; the first unreadable one ends the loading
  /// with its message and nothing is kept.
  Status LoadBrushes(const QStringList& paths);
  /// Takes brushes already made (no files) and shows the last one.
  void ShowBrushes(std::vector<Bitmap32> brushes);
  /// Turns and trims every brush on a worker thread; `optimized` follows on this thread.
  void OptimizeBrushes();
  bool Busy() const { return worker_.joinable(); }

  const std::vector<Bitmap32>& Brushes() const { return brushes_; }
  QStringList Paths() const { return paths_; }
  QLabel* Counter() const { return counter_; }
  QLabel* PreviewLabel() const { return preview_; }

 signals:
  /// The brushes are ready (stretched, and optimised when asked); `paths` are their files.
  void brushesLoaded(const std::vector<atelion::Bitmap32>& brushes, const QStringList& paths);
  void optimized();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowBrush(const Bitmap32& brush, int number);
  void Finish();
  void JoinWorker();

  QLabel* preview_ = nullptr;
  QLabel* counter_ = nullptr;
  std::vector<Bitmap32> brushes_;
  QStringList paths_;
  FileChooser chooser_;
  OptimizeQuestion question_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

/// The brush as the window shows it: laid on a light paper colour so that its dark marks read.
QImage BrushPreviewImage(const Bitmap32& brush);

}  // namespace atelion
