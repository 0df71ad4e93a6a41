// The print window: the printer in use, the page's orientation, the picture's scale and position,
// and a thumbnail of the page with the drawing where it will land. OK prints the page.
#pragma once

#include <QDialog>
#include <QImage>
#include <memory>

#include "core/bitmap24.h"
#include "document/print_page.h"

class QLabel;
class QPrinter;
class QRadioButton;
class QSpinBox;

namespace atelion {

class PrintWindow : public QDialog {
  Q_OBJECT
 public:
  explicit PrintWindow(QWidget* parent = nullptr);
  ~PrintWindow() override;

  /// Shows the window for `picture`: landscape when the picture is wider than tall, else portrait.
  void OpenFor(const Bitmap24& picture);
  /// Prints the page into a PDF file instead of on the printer (tests, and machines without one).
  void PrintToPdf(const QString& path);
  /// Prints the page on the printer in use (or the PDF file chosen); false when it failed.
  bool PrintPage();

  PrintedPage Page() const;
  PagePlacement Placement() const;
  QPrinter& Printer() { return *printer_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ChoosePrinter();
  void ShowPrinterName();
  void SetOrientation(bool landscape);
  void PlacementChanged(bool byUser);
  QRect ThumbnailRect() const;

  std::unique_ptr<QPrinter> printer_;
  Bitmap24 picture_;
  QImage shown_;
  QLabel* printerName_ = nullptr;
  QRadioButton* portrait_ = nullptr;
  QRadioButton* landscape_ = nullptr;
  QSpinBox* scale_ = nullptr;
  QRadioButton* fullPage_ = nullptr;
  QRadioButton* centred_ = nullptr;
  QRadioButton* userDefined_ = nullptr;
  QSpinBox* offsetX_ = nullptr;
  QSpinBox* offsetY_ = nullptr;
  bool updating_ = false;
};

}  // namespace atelion
