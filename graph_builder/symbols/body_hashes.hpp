#pragma once
// Symbol bodies waiting for their hashes, and the deferral of that hashing
// across texts (internal to the scan and the extractors).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {

// Bodies in the order they were recorded: views of the texts they come from,
// or joined copies owned here.
class PendingBodies {
 public:
  void add(std::string_view body) { bodies_.push_back(body); }
  void add_joined(std::string joined);
  // Moves every body of `other` after these.
  void append(PendingBodies&& other);
  std::size_t size() const { return bodies_.size(); }
  // short_hash of each body, in order, all computed together; then empty.
  std::vector<std::string> hash_all();

 private:
  std::vector<std::string_view> bodies_;
  // joined_[k] is the body at index joined_at_[k]; its view is taken only
  // when hashing, since the string may move before.
  std::vector<std::string> joined_;
  std::vector<std::size_t> joined_at_;
};

// While one of these exists on a thread, the extractors leave body_hash empty
// and hand their bodies to it instead, so that the bodies of many texts are
// hashed together (their texts must outlive the next take_hashes). The
// caller then gives each symbol, in extraction order, its hash.
class BodyHashDeferral {
 public:
  BodyHashDeferral();
  ~BodyHashDeferral();
  BodyHashDeferral(const BodyHashDeferral&) = delete;
  BodyHashDeferral& operator=(const BodyHashDeferral&) = delete;

  // The hashes of every body handed over since the last call, in order.
  std::vector<std::string> take_hashes() { return pending_.hash_all(); }

  // The deferral active on this thread, or nullptr.
  static BodyHashDeferral* active();
  void hand_over(PendingBodies&& bodies) { pending_.append(std::move(bodies)); }

 private:
  BodyHashDeferral* outer_;
  PendingBodies pending_;
};

}  // namespace graph_builder::symbols
