#include "document/history.h"

#include <algorithm>
#include <utility>

#include "imageio/image_files.h"

namespace atelion {

namespace {

bool IsPictureKind(HistoryKind kind) { return kind == HistoryKind::Source || kind == HistoryKind::Result; }

}  // namespace

void UndoHistory::Clear() {
  kinds_.fill(HistoryKind::None);
  position_ = 0;
  for (KindList& list : lists_) {
    list.snapshots.clear();
    list.snapshots.shrink_to_fit();
    list.top = -1;
  }
}

HistoryKind UndoHistory::KindAt(int step) const {
  return step >= 1 && step < kKindSlots ? kinds_[step] : HistoryKind::None;
}

int UndoHistory::Top(HistoryKind kind) const { return IsPictureKind(kind) ? ListOf(kind).top : -1; }

int UndoHistory::SnapshotCount(HistoryKind kind) const {
  return IsPictureKind(kind) ? static_cast<int>(ListOf(kind).snapshots.size()) : 0;
}

const std::string& UndoHistory::SnapshotName(HistoryKind kind, int index) const {
  return ListOf(kind).snapshots.at(static_cast<std::size_t>(index)).name;
}

std::size_t UndoHistory::StoredBytes() const {
  std::size_t bytes = 0;
  for (const KindList& list : lists_)
    for (const Snapshot& snapshot : list.snapshots) bytes += snapshot.Bytes();
  return bytes;
}

// A new step after one or more undos starts a new line of edits: the steps after the current one
// describe a future that no longer follows from the current pictures, so they are discarded and
// redo is no longer offered. Keeping them would let a later redo walk into steps whose snapshots
// belong to a different line of edits, or past the end of a snapshot list.
void UndoHistory::DiscardStepsAfterPosition() {
  std::fill(kinds_.begin() + position_ + 1, kinds_.end(), HistoryKind::None);
  for (KindList& list : lists_) list.snapshots.resize(static_cast<std::size_t>(list.top + 1));
}

Status UndoHistory::Save(HistoryKind kind, const Bitmap24& picture, std::string name) {
  if (!IsPictureKind(kind)) return Status::Error("a history step holds either the source or the result picture");
  Snapshot snapshot;
  snapshot.name = std::move(name);
  snapshot.exact = picture;
  snapshot.order = ++saved_;

  DiscardStepsAfterPosition();
  if (position_ >= kCapacity) CleanHistory();
  ++position_;
  kinds_[position_] = kind;
  KindList& list = ListOf(kind);
  ++list.top;
  list.snapshots.push_back(std::move(snapshot));  // the list ends at its top after the discard
  CompressOldest();
  return Status::Ok();
}

void UndoHistory::CompressOldest() {
  for (;;) {
    std::size_t exactBytes = 0;
    Snapshot* oldest = nullptr;
    for (KindList& list : lists_) {
      for (Snapshot& snapshot : list.snapshots) {
        if (snapshot.exact.Empty()) continue;
        exactBytes += snapshot.Bytes();
        if (oldest == nullptr || snapshot.order < oldest->order) oldest = &snapshot;
      }
    }
    if (exactBytes <= exactBytes_ || oldest == nullptr) return;
    std::vector<std::uint8_t> jpeg;
    if (!EncodeImage(oldest->exact, ImageFormat::Jpeg, kDefaultDpi, jpeg)) return;
    jpeg.shrink_to_fit();  // hundreds of these stay in memory
    oldest->jpeg = std::move(jpeg);
    oldest->exact = Bitmap24();
  }
}

void UndoHistory::CleanHistory() {
  if (position_ < 1) return;
  const HistoryKind dropped = kinds_[1];
  std::move(kinds_.begin() + 2, kinds_.end(), kinds_.begin() + 1);
  kinds_.back() = HistoryKind::None;
  --position_;
  if (!IsPictureKind(dropped)) return;
  KindList& list = ListOf(dropped);
  list.snapshots.erase(list.snapshots.begin());
  --list.top;
}

HistoryRestore UndoHistory::Restore(HistoryKind kind, const Snapshot& snapshot) {
  HistoryRestore restore;
  restore.kind = kind;
  restore.name = snapshot.name;
  if (!snapshot.exact.Empty()) {
    restore.picture = snapshot.exact;
    return restore;
  }
  if (snapshot.jpeg.empty()) return restore;
  LoadedImage decoded = DecodeImage(snapshot.jpeg, "undo step");
  if (!decoded.status) {
    restore.status = decoded.status;
    restore.kind = HistoryKind::None;
    return restore;
  }
  restore.picture = std::move(decoded.picture);
  return restore;
}

HistoryRestore UndoHistory::Undo() {
  const HistoryKind kind = KindAt(position_);
  if (!IsPictureKind(kind)) return {};
  KindList& list = ListOf(kind);
  // The first snapshot of a kind has nothing before it: it is reloaded and the step stays.
  const bool stepBack = list.top > 0;
  HistoryRestore restore = Restore(kind, list.snapshots[static_cast<std::size_t>(stepBack ? list.top - 1 : list.top)]);
  if (!restore.status) return restore;
  if (stepBack) {
    --position_;
    --list.top;
  }
  return restore;
}

HistoryRestore UndoHistory::Redo() {
  const HistoryKind kind = KindAt(position_ + 1);
  if (!IsPictureKind(kind)) return {};
  KindList& list = ListOf(kind);
  HistoryRestore restore = Restore(kind, list.snapshots[static_cast<std::size_t>(list.top + 1)]);
  if (!restore.status) return restore;
  ++position_;
  ++list.top;
  return restore;
}

}  // namespace atelion
