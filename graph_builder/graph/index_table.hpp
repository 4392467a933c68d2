#pragma once
// A first-seen table for de-duplication: maps each distinct key to the index
// of its first occurrence in the caller's array. Open addressing over one flat
// array of (hash, index) slots: no allocation per entry and one probe
// sequence per lookup, where a node-based hash map costs an allocation per
// entry and a pointer chase per probe and per release.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace graph_builder::graph {

class IndexTable {
 public:
  // Sized for about `expected` distinct keys; grows past that as needed.
  explicit IndexTable(std::size_t expected) {
    std::size_t size = 16;
    while (size < 2 * expected) size *= 2;
    slots_.assign(size, Slot{0, kEmpty});
    mask_ = size - 1;
  }

  // The index stored for a key equal to the one of `index` (same `hash` and
  // `same(stored_index)` true), or, when there is none, `index` after storing it.
  template <class Same>
  std::size_t first(std::uint64_t hash, std::size_t index, Same&& same) {
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.index == kEmpty) {
        s = Slot{hash, index};
        if (2 * ++used_ > slots_.size()) grow();
        return index;
      }
      if (s.hash == hash && same(s.index)) return s.index;
    }
  }

 private:
  static constexpr std::size_t kEmpty = ~std::size_t{0};
  struct Slot {
    std::uint64_t hash;
    std::size_t index;
  };
  // Keeps the table at most half full, so probe sequences stay short.
  void grow() {
    std::vector<Slot> old(slots_.size() * 2, Slot{0, kEmpty});
    old.swap(slots_);
    mask_ = slots_.size() - 1;
    for (const Slot& s : old) {
      if (s.index == kEmpty) continue;
      std::size_t i = s.hash & mask_;
      while (slots_[i].index != kEmpty) i = (i + 1) & mask_;
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t used_ = 0;
};

}  // namespace graph_builder::graph
