#include "graph_builder/text/summary.hpp"

#include <initializer_list>
#include <vector>

#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/keywords_internal.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::text {
namespace {

using regex::Flags;
using regex::Match;
using regex::Regex;

constexpr std::size_t kMaxLeadChars = 120;
constexpr std::size_t kMaxSummaryChars = 250;
constexpr std::size_t kMaxNames = 5;
constexpr std::size_t kListedNames = 4;
constexpr std::size_t kLeadLines = 5;
constexpr std::size_t kMinLeadLineChars = 10;

bool is_one_of(std::string_view s, std::initializer_list<std::string_view> set) {
  for (std::string_view x : set) {
    if (s == x) return true;
  }
  return false;
}

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

// The text of a docstring or block comment opening the file, or empty. The
// patterns start with "^" (no multi-line flag) instead of an anchored match:
// the engine then knows they are anchored and still runs them compiled, which
// matters for a comment that never ends in a large file.
std::string doc_lead(std::string_view content, std::string_view ext) {
  if (ext == ".py") {
    // matches: "\"\"\"Billing service: creates invoices.\"\"\"" at the top (no quotes inside)
    static const Regex kDocstring(
        R"re(^\s*(?:\'\'\'|\"\"\")([^\'\"]{8,200}?)(?:\'\'\'|\"\"\"))re", Flags::dotall);
    if (auto m = kDocstring.search(content)) return cut(normalize_space(m->group(1)), kMaxLeadChars);
  } else if (ext == ".ts" || ext == ".tsx" || ext == ".js" || ext == ".jsx") {
    // matches: "/**\n * Renders the profile card.\n */" at the top, up to the first "*/"
    static const Regex kBlock(R"re(^\s*/\*\*?\s*(.*?)\*/)re", Flags::dotall);
    if (auto m = kBlock.search(content)) {
      std::string body;
      for (char c : m->group(1)) {
        if (c != '*') body.push_back(c);
      }
      return cut(normalize_space(body), kMaxLeadChars);
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

// Distinct declaration names in order of discovery, at most five.
class NameList {
 public:
  // Appends `name` unless empty or held; false once the list is full.
  bool offer(std::string_view name) {
    if (!name.empty() && !held(name)) names_.emplace_back(name);
    return !full();
  }
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

// Offers group `g` of every match of `re` until the list is full.
void offer_group(NameList& names, const Regex& re, std::string_view content, int g) {
  re.for_each(content, [&](const Match& m) { return names.offer(m.group(g)); });
}

// Offers group 1 of every match of `anchored` (a pattern led by "\G" whose
// matches all begin with one of `words`), searched only where a word stands.
void offer_group_at(NameList& names, std::initializer_list<std::string_view> words,
                    const Regex& anchored, std::string_view content) {
  regex::for_each_at_literals(content, words, anchored,
                              [&](const Match& m) { return names.offer(m.group(1)); });
}

std::vector<std::string> declaration_names(std::string_view content, std::string_view ext) {
  NameList names;
  if (ext == ".py") {
    // Functions and classes at a line start, e.g. "def create_invoice(" and "class Store:".
    keywords_internal::for_each_python_declaration(content, [&](const Match& m) {
      const std::string_view name = m.group(1).empty() ? m.group(2) : m.group(1);
      // Private names ("_x") are not worth naming in a summary.
      if (!name.empty() && name.front() == '_') return true;
      return names.offer(name);
    });
  } else if (ext == ".ts" || ext == ".tsx" || ext == ".js" || ext == ".jsx") {
    // matches: "export async function ProfileCard" and "class Cart"
    static const Regex kDecl(
        R"re(\G(?:(?:export\s+)?(?:async\s+)?function\s+([A-Za-z_]\w*)|(?:export\s+)?class\s+([A-Za-z_]\w*)))re",
        Flags::multiline);
    regex::for_each_at_literals(content, {"export", "async", "function", "class"}, kDecl,
                                [&](const Match& m) {
                                  return names.offer(m.group(1).empty() ? m.group(2)
                                                                        : m.group(1));
                                });
  } else if (ext == ".rs") {
    // Functions and types at a line start, e.g. "pub(crate) fn parse" and "pub struct Ledger".
    keywords_internal::for_each_rust_declaration(content, [&](const Match& m) {
      return names.offer(m.group(1).empty() ? m.group(2) : m.group(1));
    });
  } else if (ext == ".java" || ext == ".kt") {
    // matches: "class Bar", "fun audit" anywhere, comments included
    static const Regex kDecl(R"re(\G(?:class|interface|enum|fun|record)\s+([A-Za-z_]\w*))re");
    offer_group_at(names, {"class", "interface", "enum", "fun", "record"}, kDecl, content);
  } else if (ext == ".cs") {
    // matches: "partial class Customer" and "record Money"
    static const Regex kDecl(R"re(\G(?:class|interface|enum|struct|record)\s+([A-Za-z_]\w*))re");
    offer_group_at(names, {"class", "interface", "enum", "struct", "record"}, kDecl, content);
  } else if (ext == ".xaml") {
    // matches: x:Class="Acme.Views.MainWindow" (the name after the last dot)
    static const Regex kClass(R"re(x:Class="[\w.]*\.([A-Za-z_]\w*)")re");
    // matches: x:Name="SaveButton"
    static const Regex kName(R"re(x:Name="([A-Za-z_]\w*)")re");
    if (auto m = kClass.search(content)) names.append(m->group(1));
    offer_group(names, kName, content, 1);
  } else if (ext == ".rb") {
    // Methods, classes and modules, e.g. "  def self.build" (gives build).
    keywords_internal::for_each_ruby_declaration(content, [&](const Match& m) {
      for (int g = 1; g <= 3; ++g) {
        if (!m.group(g).empty()) return names.offer(m.group(g));
      }
      return true;
    });
  } else if (ext == ".php") {
    // matches: "function createOrder" and "trait Loggable" anywhere
    static const Regex kDecl(R"re(\G(?:function|class|interface|trait)\s+([A-Za-z_]\w*))re");
    offer_group_at(names, {"function", "class", "interface", "trait"}, kDecl, content);
  } else if (ext == ".c" || ext == ".cpp" || ext == ".h" || ext == ".hpp") {
    // matches: "struct ring_buffer" and "namespace net" at a line start
    static const Regex kType(R"re(\G^(?:class|struct|enum|union|namespace)\s+([A-Za-z_]\w*))re",
                             Flags::multiline);
    // matches: "int bar(int x)\n{" (a prototype ending in ";" does not)
    static const Regex kFunction(R"re(^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;{]*\{)re",
                                 Flags::multiline);
    offer_group_at(names, {"class", "struct", "enum", "union", "namespace"}, kType, content);
    if (!names.full()) {
      kFunction.for_each(content, [&](const Match& m) {
        const std::string_view name = m.group(1);
        if (is_one_of(name, {"if", "for", "while", "switch", "return", "sizeof", "catch"})) {
          return true;
        }
        return names.offer(name);
      });
    }
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
    if (!is_one_of(to_lower(p), {"src", "lib", "app", "pkg", "main", "index"})) {
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

std::string make_summary(std::string_view content, std::string_view path, std::string_view ext) {
  std::string lead = doc_lead(content, ext);
  if (lead.empty()) lead = line_lead(content);
  const std::vector<std::string> names = declaration_names(content, ext);

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

}  // namespace graph_builder::text
