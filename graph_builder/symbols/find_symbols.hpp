#pragma once
// Symbols as plain records: what the extractors find in a text, without ids
// or body hashes (the caller builds ids and hashes bodies, many texts' bodies
// together if it likes). Not part of the installed interface; symbols.hpp
// gives the finished symbols of one text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::languages {
struct Profile;
}  // namespace graph_builder::languages

namespace graph_builder::symbols {

// The bytes a symbol's body hash covers: its lines joined with LF. Where the
// lines follow each other at bare LFs (always, in a decoded text) that is a
// stretch of the text, kept as offsets; otherwise (lines cut before a CR LF)
// a joined copy.
struct SymbolBody {
  std::size_t offset = 0;  // into the text, when `joined` is unset
  std::size_t length = 0;
  std::optional<std::string> joined;

  // The body's bytes; `content` is the text the record was found in. The view
  // lives as long as `content` and this record.
  std::string_view in(std::string_view content) const {
    return joined ? std::string_view(*joined) : content.substr(offset, length);
  }
};

// One recognised declaration, as symbols.hpp's Symbol without `id` and
// `body_hash`.
struct SymbolRecord {
  std::string name;         // never empty
  std::string symbol_type;  // "api_route", "hook", "use_case", "utility", "model"
  std::int64_t line_start = 0;
  std::int64_t line_end = 0;  // by the profile's block rule, >= line_start
  std::string confidence;     // "high" or "medium"
  bool exported = false;
  std::vector<std::string> keywords;  // name_keywords(name)
  SymbolBody body;
};

// The records of `content` by the extractor `profile.symbols` names, bodies
// ended by `profile.block` (and `profile.window`), in recording order; empty
// when the profile has no extractor. Pure; never fails.
std::vector<SymbolRecord> find_symbols(std::string_view content, const languages::Profile& profile);

}  // namespace graph_builder::symbols
