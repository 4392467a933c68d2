// The summary of a file: its lead sentence, the declarations it names, and
// the words its path gives when it has no lead.
#include "graph_builder/text/summary.hpp"

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/scan_steps.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/name_list.hpp"
#include "graph_builder/text/passes.hpp"
#include "graph_builder/text/unicode.hpp"

#include <vector>

namespace graph_builder::text {
namespace {

using regex::Flags;
using regex::Match;
using regex::Regex;

constexpr std::size_t kMaxLeadChars = 120;
constexpr std::size_t kMaxSummaryChars = 250;
constexpr std::size_t kListedNames = 4;
constexpr std::size_t kLeadLines = 5;
constexpr std::size_t kMinLeadLineChars = 10;

// White-space runs collapsed to one space, outer white space removed.
std::string normalize_space(std::string_view s) {
  std::string out;
  for (std::string_view word : split_whitespace(s)) {
    if (!out.empty()) out.push_back(' ');
    out.append(word);
  }
  return out;
}

std::string cut(std::string_view s, std::size_t chars) { return std::string(prefix(s, chars)); }

// The text of the documentation comment `lead` names when it opens the
// file, or empty. The patterns start with "^" (no multi-line flag) instead of
// an anchored match: the engine then knows they are anchored and still runs
// them compiled, which matters for a comment that never ends in a large file.
std::string doc_lead(std::string_view content, languages::SummaryLead lead) {
  switch (lead) {
    case languages::SummaryLead::first_line:
      return {};
    case languages::SummaryLead::docstring: {
      // matches: "\"\"\"Billing service: creates invoices.\"\"\"" at the top (no quotes inside)
      static const Regex kDocstring(
          R"re(^\s*(?:\'\'\'|\"\"\")([^\'\"]{8,200}?)(?:\'\'\'|\"\"\"))re", Flags::dotall);
      if (auto m = kDocstring.search(content))
        return cut(normalize_space(m->group(1)), kMaxLeadChars);
      return {};
    }
    case languages::SummaryLead::block_comment: {
      // matches: "/**\n * Renders the profile card.\n */" at the top, up to the first "*/"
      static const Regex kBlock(R"re(^\s*/\*\*?\s*(.*?)\*/)re", Flags::dotall);
      if (auto m = kBlock.search(content)) {
        std::string body;
        for (char c : m->group(1)) {
          if (c != '*') body.push_back(c);
        }
        return cut(normalize_space(body), kMaxLeadChars);
      }
      return {};
    }
  }
  return {};
}

// The first of the first five lines that has at least ten characters once
// comment markers ("#", "//") and outer white space are gone.
std::string line_lead(std::string_view content) {
  const std::vector<std::string_view> lines = split_lines_universal(content, kLeadLines);
  for (std::size_t i = 0; i < lines.size() && i < kLeadLines; ++i) {
    std::string_view s = strip(lines[i]);
    s = lstrip_chars(s, "#");
    s = lstrip_chars(s, "/");
    s = strip(s);
    if (length(s) >= kMinLeadLineChars) return cut(s, kMaxLeadChars);
  }
  return {};
}

// The declarations `scan` names, at most NameList::kMaxNames.
std::vector<std::string> declaration_names(std::string_view content, languages::SummaryScan scan) {
  using languages::SummaryScan;
  NameList names;
  switch (scan) {
    case SummaryScan::none:
      break;
    case SummaryScan::ts:
      declarations::offer_ts_names(names, content);
      break;
    case SummaryScan::py:
      declarations::offer_py_names(names, content);
      break;
    case SummaryScan::rs:
      declarations::offer_rust_names(names, content);
      break;
    case SummaryScan::java:
      declarations::offer_java_names(names, content);
      break;
    case SummaryScan::cs:
      declarations::offer_cs_names(names, content);
      break;
    case SummaryScan::xaml:
      declarations::offer_xaml_names(names, content);
      break;
    case SummaryScan::rb:
      declarations::offer_ruby_names(names, content);
      break;
    case SummaryScan::php:
      declarations::offer_php_names(names, content);
      break;
    case SummaryScan::c:
      declarations::offer_c_names(names, content);
      break;
  }
  return names.names();
}

// Words from the file id: its last two non-generic path pieces, without the
// extension ("src/components/user-profile/ProfileCard.tsx" gives
// "user profile ProfileCard").
std::string domain_words(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t at = path.find_first_of("/\\", start);
    if (at == std::string_view::npos) at = path.size();
    const std::string_view piece = path.substr(start, at - start);
    if (!piece.empty() && piece != ".") parts.push_back(piece);
    start = at + 1;
  }
  std::vector<std::string_view> domain_parts;
  for (std::string_view p : parts) {
    if (!regex::is_one_of(to_lower(p), {"src", "lib", "app", "pkg", "main", "index"})) {
      domain_parts.push_back(p);
    }
  }
  std::string domain;
  if (!domain_parts.empty()) {
    const std::size_t first = domain_parts.size() >= 2 ? domain_parts.size() - 2 : 0;
    for (std::size_t i = first; i < domain_parts.size(); ++i) {
      if (!domain.empty()) domain.push_back(' ');
      domain.append(domain_parts[i]);
    }
    for (char& c : domain) {
      if (c == '_' || c == '-') c = ' ';
    }
  } else if (!parts.empty()) {
    domain = std::string(parts.back());
  }
  // matches: ".gz" of "archive.tar.gz" (only the last extension goes)
  static const Regex kExtension(R"re(\.\w+$)re");
  return std::string(strip(kExtension.replace_all(domain, "")));
}

}  // namespace

std::string summary_for(std::string_view content, std::string_view path,
                        const languages::Profile& profile) {
  std::string lead = doc_lead(content, profile.lead);
  if (lead.empty()) lead = line_lead(content);
  const std::vector<std::string> names = declaration_names(content, profile.summary);

  std::string out;
  if (!lead.empty()) {
    out.append(rstrip_chars(lead, "."));
    out.push_back('.');
  } else {
    const std::string domain = domain_words(path);
    if (!domain.empty()) out.append("Handles ").append(domain).append(".");
  }
  if (!names.empty()) {
    if (!out.empty()) out.push_back(' ');
    out.append("Contains ").append(std::to_string(names.size())).append(" ");
    out.append(names.size() == 1 ? "function" : "functions/classes").append(": ");
    for (std::size_t i = 0; i < names.size() && i < kListedNames; ++i) {
      if (i > 0) out.append(", ");
      out.append(names[i]);
    }
    if (names.size() > kListedNames) out.append(", ...");
    out.push_back('.');
  }
  return cut(out, kMaxSummaryChars);
}

std::string make_summary(std::string_view content, std::string_view path, std::string_view ext) {
  return summary_for(content, path, languages::profile(ext));
}

}  // namespace graph_builder::text
