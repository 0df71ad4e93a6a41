// The undo history of the document: a line of up to 510 steps, each a snapshot of either the
// source or the result picture. The most recent snapshots are exact copies, so undoing a recent
// edit gives back the very pixels it changed; once the exact copies together pass a memory budget,
// the oldest of them are compressed to JPEG byte streams (quality 95), so that hundreds of steps
// of photographs of many megapixels stay affordable. Undo and redo decode at most one snapshot.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/status.h"

namespace atelion {

/// What a history step holds. The values are the step kinds callers pass around (1 and 2).
enum class HistoryKind : std::int32_t {
  None = 0,    ///< no step
  Source = 1,  ///< a snapshot of the source picture
  Result = 2,  ///< a snapshot of the result picture
};

/// A picture taken back out of the history by undo or redo.
struct HistoryRestore {
  Status status = Status::Ok();
  HistoryKind kind = HistoryKind::None;  ///< None: there was nothing to undo or redo
  Bitmap24 picture;
  std::string name;  ///< the source's display name, or the result's style label
};

/// Steps are numbered from 1; `Position()` is the step that represents the current state.
/// Each kind keeps its own list of snapshots with a top index: the current snapshot of that kind.
/// Invariant: the top of a kind + 1 is the number of steps of that kind at or before the position.
class UndoHistory {
 public:
  /// At most this many steps; storing one more drops the oldest.
  static constexpr int kCapacity = 510;
  /// Step kinds are kept for steps 0..511 (0 is never a step; 511 is always empty).
  static constexpr int kKindSlots = 512;

  /// Exact copies kept by default before the oldest are compressed: about fourteen steps of a
  /// 12-megapixel photograph, eighty of a 2-megapixel one.
  static constexpr std::size_t kDefaultExactBytes = std::size_t{512} << 20;

  explicit UndoHistory(std::size_t exactBytes = kDefaultExactBytes) : exactBytes_(exactBytes) {}

  /// Forgets every step: position 0, both tops −1.
  void Clear();

  /// Stores `picture` as the step after the current one. Steps after the current one (left by
  /// undo) are discarded first, then the oldest step when the history is full. An empty picture
  /// is stored as an empty stream. On an encoding failure nothing changes.
  Status Save(HistoryKind kind, const Bitmap24& picture, std::string name);

  /// Drops step 1, the oldest: later steps move down by one, and so does the snapshot list of the
  /// dropped step's kind (the dropped snapshot is released); that kind's top and the position
  /// decrease by 1. Nothing happens without steps.
  void CleanHistory();

  /// Steps back over the current step and returns the snapshot of its kind that was current before
  /// it. At the first snapshot of a kind that snapshot itself is returned and the position stays.
  /// Returns kind None when there is no step. On a decoding failure nothing changes.
  HistoryRestore Undo();
  /// Steps forward and returns that step's snapshot; kind None when there is no later step.
  HistoryRestore Redo();

  int Position() const { return position_; }
  /// The kind of step `step`; None outside 1..511 and for steps not stored.
  HistoryKind KindAt(int step) const;
  /// Index of the current snapshot of a kind, −1 when that kind has none yet.
  int Top(HistoryKind kind) const;
  /// The number of snapshots of a kind, including those after the position.
  int SnapshotCount(HistoryKind kind) const;
  /// The name stored with snapshot `index` of a kind.
  const std::string& SnapshotName(HistoryKind kind, int index) const;
  /// Bytes held by all snapshots, exact copies and compressed streams.
  std::size_t StoredBytes() const;

  /// Undo is offered once a step exists beyond the two start steps.
  bool CanUndo() const { return position_ > 2; }
  /// Redo is offered while a step follows the current one.
  bool CanRedo() const { return KindAt(position_ + 1) != HistoryKind::None; }

 private:
  struct Snapshot {
    Bitmap24 exact;                  ///< the picture itself, while it is among the recent ones
    std::vector<std::uint8_t> jpeg;  ///< the compressed picture once it is not; both empty for an empty picture
    std::string name;
    std::uint64_t order = 0;         ///< when it was saved: older snapshots are compressed first
    std::size_t Bytes() const { return static_cast<std::size_t>(exact.Height()) * exact.RowBytes() + jpeg.size(); }
  };
  struct KindList {
    std::vector<Snapshot> snapshots;
    int top = -1;
  };

  KindList& ListOf(HistoryKind kind) { return lists_[static_cast<int>(kind) - 1]; }
  const KindList& ListOf(HistoryKind kind) const { return lists_[static_cast<int>(kind) - 1]; }
  void DiscardStepsAfterPosition();
  /// Compresses the oldest exact copies until the exact ones fit the budget. A copy that cannot be
  /// compressed (no memory for the stream) stays exact: it costs memory, but nothing is lost.
  void CompressOldest();
  static HistoryRestore Restore(HistoryKind kind, const Snapshot& snapshot);

  std::array<HistoryKind, kKindSlots> kinds_{};
  int position_ = 0;
  std::array<KindList, 2> lists_;
  std::size_t exactBytes_;
  std::uint64_t saved_ = 0;
};

}  // namespace atelion
