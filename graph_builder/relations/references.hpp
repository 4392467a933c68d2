#pragma once
// File paths mentioned anywhere in a text: a run of [A-Za-z0-9_/-] directly
// followed by "." and a source, data or document extension. Pure text work.

#include <cstddef>
#include <string_view>
#include <vector>

#include "graph_builder/relations/relations.hpp"

namespace graph_builder::relations {

// A path-like mention; `text` views the subject passed to the scanner.
struct FileMention {
  std::size_t start = 0;
  std::string_view text;
};

// Every mention, left to right, non-overlapping: each starts at the leftmost
// position where one is possible, takes the longest listed extension there,
// and the next search resumes where it ended. Linear in `text`.
std::vector<FileMention> find_file_mentions(std::string_view text);

// The same rule as one pattern (alternatives longest first, so the first one
// that matches is the longest). Matches what find_file_mentions finds, but
// retries the whole run from every start inside it, which is quadratic on long
// runs without a dot; kept to check the scanner against.
inline constexpr std::string_view kFileMentionPattern =
    R"([A-Za-z0-9_/-]+\.(?:swift|scala|java|json|yaml|tsx|jsx|kts|cpp|hpp|php|yml|go|py|ts|js|rs|cs|rb|kt|md|c|h))";

// Appends a reference relation for each mention holding a "/", in order.
void append_reference_relations(std::string_view text, std::vector<Relation>& out);

}  // namespace graph_builder::relations
