#pragma once
// The declaration names a file summary lists, as the summary passes collect
// them. Not installed.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::text {

// Distinct declaration names in order of discovery, at most five.
class NameList {
 public:
  static constexpr std::size_t kMaxNames = 5;

  // Appends `name` unless empty or held; false once the list is full.
  bool offer(std::string_view name) {
    if (!name.empty() && !held(name)) names_.emplace_back(name);
    return !full();
  }
  // Appends `name` whatever the list holds (the XAML class name comes first,
  // unconditionally).
  void append(std::string_view name) { names_.emplace_back(name); }
  bool full() const { return names_.size() >= kMaxNames; }
  const std::vector<std::string>& names() const { return names_; }

 private:
  bool held(std::string_view name) const {
    for (const std::string& n : names_) {
      if (n == name) return true;
    }
    return false;
  }
  std::vector<std::string> names_;
};

}  // namespace graph_builder::text
