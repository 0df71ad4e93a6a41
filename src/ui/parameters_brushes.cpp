// The brush buttons of the drawing-parameters window and the pictograms of Painting 4's strokes:
// "Load custom brush" takes the chosen style's kind of brush (Painting 4's brush window, Painting
// 10's single transparent brush, Painting 11's sheet, the stamp of Paintings 7 and 8), "Reset
// brush" goes back to the shipped ones. The loaded brushes are replaced as a whole, never changed
// in place, so a preview or a run still painting with the old ones is not disturbed.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QToolButton>

#include "imageio/image_files.h"
#include "ui/custom_brush_window.h"
#include "ui/hd_painting_window.h"
#include "ui/interface_texts.h"
#include "ui/live_preview.h"
#include "ui/parameters_window.h"

namespace atelion {
namespace {

const QString kTransparentFilter = QStringLiteral("Transparent .png files (*.png *.PNG)");
const QString kImageFilter = QStringLiteral("Image files (*.bmp *.jpg *.jpeg *.png *.BMP *.JPG *.JPEG *.PNG)");

bool UsesStamp(int effectId) { return effectId == kPainting7EffectId || effectId == kPainting8EffectId; }

}  // namespace

void ParametersWindow::BrushesChanged(std::shared_ptr<const UserBrushes> brushes) {
  brushes_ = std::move(brushes);
  preview_->SliderChanged();
  emit parametersChanged();
}

void ParametersWindow::RememberBrushFolder(const QString& path) {
  lastBrushFolder_ = QFileInfo(path).absolutePath().toStdString();
}

Status ParametersWindow::LoadCustomBrush(const std::filesystem::path& path) {
  LoadedImage loaded = LoadImageFile(path);
  if (!loaded.status) return loaded.status;
  auto brushes = std::make_shared<UserBrushes>(*brushes_);
  brushes->stamp = std::make_shared<const Bitmap24>(SquareCustomBrush(loaded.picture));
  BrushesChanged(std::move(brushes));
  return Status::Ok();
}

Status ParametersWindow::LoadPaintBrush(const std::filesystem::path& path) {
  Bitmap32 brush;
  if (const Status status = LoadTransparentBrush(path, brush); !status) return status;
  auto brushes = std::make_shared<UserBrushes>(*brushes_);
  brushes->paintBrush3D = std::make_shared<const Bitmap32>(std::move(brush));
  BrushesChanged(std::move(brushes));
  return Status::Ok();
}

Status ParametersWindow::LoadBrushSheet(const std::vector<std::filesystem::path>& paths) {
  std::vector<Bitmap32> pictures;
  for (const std::filesystem::path& path : paths) {
    // The sheet holds 240 brushes; the files after those are not read.
    if (static_cast<int>(pictures.size()) == kLargestBrushSheetCount) break;
    Bitmap32 picture;
    if (const Status status = LoadTransparentBrush(path, picture); !status) return status;
    pictures.push_back(std::move(picture));
  }
  auto brushes = std::make_shared<UserBrushes>(*brushes_);
  brushes->sheet = pictures.empty() ? nullptr
                                    : std::make_shared<const CustomBrushSheetPicture>(BuildCustomBrushSheet(pictures));
  BrushesChanged(std::move(brushes));
  return Status::Ok();
}

void ParametersWindow::SetStrokeBrushes(std::vector<Bitmap32> brushes, std::vector<std::string> paths) {
  auto changed = std::make_shared<UserBrushes>(*brushes_);
  changed->strokeBrushes =
      brushes.empty() ? nullptr : std::make_shared<const std::vector<Bitmap32>>(std::move(brushes));
  changed->strokeBrushPaths = paths;
  customBrushPaths_ = std::move(paths);
  BrushesChanged(std::move(changed));
}

void ParametersWindow::LoadStrokeBrushFiles(const std::vector<std::string>& paths) {
  std::vector<Bitmap32> brushes;
  std::vector<std::string> kept;
  for (const std::string& path : paths) {
    Bitmap32 picture;
    if (!LoadTransparentBrush(path, picture)) continue;
    brushes.push_back(StretchStrokeBrush(picture));
    kept.push_back(path);
  }
  SetStrokeBrushes(std::move(brushes), std::move(kept));
}

void ParametersWindow::ResetCustomBrush() {
  auto brushes = std::make_shared<UserBrushes>(*brushes_);
  if (UsesStamp(effectId_)) {
    if (!brushes->stamp) return;
    brushes->stamp = nullptr;
  } else {
    brushes->strokeBrushes = nullptr;
    brushes->strokeBrushPaths.clear();
    brushes->sheet = nullptr;
    brushes->paintBrush3D = nullptr;
    customBrushPaths_.clear();
  }
  BrushesChanged(std::move(brushes));
}

void ParametersWindow::ChooseCustomBrush() {
  const QString stored = QString::fromStdString(lastBrushFolder_);
  const QString folder = !stored.isEmpty() && QDir(stored).exists() ? stored : QString();
  if (!brushChooser_) {
    brushChooser_ = [this](const QString& caption, const QString& start, const QString& filter, bool many) {
      if (!DialogsAllowed()) return QStringList();
      if (many) return QFileDialog::getOpenFileNames(this, caption, start, filter);
      const QString path = QFileDialog::getOpenFileName(this, caption, start, filter);
      return path.isEmpty() ? QStringList() : QStringList{path};
    };
  }
  const QString caption = TrimmedLine(kLoadCustomBrushLine);
  if (effectId_ == kPainting4EffectId) {
    OpenBrushWindow(folder);
    return;
  }
  if (effectId_ == kPainting11EffectId) {
    const QStringList paths = brushChooser_(caption, folder, kTransparentFilter, true);
    if (paths.isEmpty()) {
      // Cancelling this dialog puts the shipped sheets back.
      if (brushes_->sheet) {
        auto brushes = std::make_shared<UserBrushes>(*brushes_);
        brushes->sheet = nullptr;
        BrushesChanged(std::move(brushes));
      }
      return;
    }
    std::vector<std::filesystem::path> files;
    for (const QString& path : paths) files.emplace_back(path.toStdString());
    ShowError(LoadBrushSheet(files));
    RememberBrushFolder(paths.front());
    return;
  }
  const bool stamp = UsesStamp(effectId_);
  const QStringList paths = brushChooser_(caption, folder, stamp ? kImageFilter : kTransparentFilter, false);
  if (paths.isEmpty()) return;
  const std::filesystem::path path = paths.front().toStdString();
  const Status loaded = stamp ? LoadCustomBrush(path) : LoadPaintBrush(path);
  if (loaded) RememberBrushFolder(paths.front());
  ShowError(loaded);
}

void ParametersWindow::OpenBrushWindow(const QString& folder) {
  if (brushWindow_ != nullptr && brushWindow_->isVisible()) return;
  delete brushWindow_;
  brushWindow_ = new CustomBrushWindow(this);
  brushWindow_->SetFileChooser([this](const QString& caption, const QString& start, const QString& filter) {
    return brushChooser_(caption, start, filter, true);
  });
  if (!DialogsAllowed()) brushWindow_->SetOptimizeQuestion([](int) { return false; });
  connect(brushWindow_, &CustomBrushWindow::brushesLoaded, this,
          [this](const std::vector<Bitmap32>& brushes, const QStringList& paths) {
            std::vector<std::string> files;
            for (const QString& path : paths) files.push_back(QFileInfo(path).absoluteFilePath().toStdString());
            if (!paths.isEmpty()) RememberBrushFolder(paths.front());
            SetStrokeBrushes(brushes, std::move(files));
          });
  // Placed a little below the top of this window and centred on it.
  brushWindow_->adjustSize();
  const QRect frame = frameGeometry();
  brushWindow_->move(frame.center().x() - brushWindow_->width() / 2, frame.top() + 158);
  brushWindow_->Start(folder);
}

QToolButton* ParametersWindow::StrokeButton(bool svg) {
  auto* button = new QToolButton;
  button->setObjectName(svg ? "strokeSvgButton" : "hdPaintingButton");
  button->setIcon(svg ? StrokeSvgIcon() : HdPaintingIcon());
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  button->setVisible(false);
  connect(button, &QToolButton::clicked, this, svg ? &ParametersWindow::strokeSvgRequested
                                                   : &ParametersWindow::hdPaintingRequested);
  (svg ? svgButton_ : hdButton_) = button;
  return button;
}

void ParametersWindow::ShowStrokePictograms(bool shown) {
  if (hdButton_ == nullptr) return;
  hdButton_->setVisible(shown);
  svgButton_->setVisible(shown);
}

}  // namespace atelion
