#include "graph_builder/symbols/lang_java_internal.hpp"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/runs.hpp"
#include "graph_builder/regex/scan_steps.hpp"
#include "graph_builder/symbols/families_internal.hpp"
#include "graph_builder/symbols/recorder.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::symbols {

namespace java_internal {

void for_each_block_comment(std::string_view text,
                            const std::function<void(std::size_t, std::size_t)>& fn) {
  std::size_t from = 0;
  while (true) {
    const std::size_t open = regex::find_literal(text, "/*", from);
    if (open == std::string_view::npos) return;
    const std::size_t close = regex::find_literal(text, "*/", open + 2);
    if (close == std::string_view::npos) return;
    fn(open, close + 2);
    from = close + 2;
  }
}

}  // namespace java_internal

namespace {

using java_internal::for_each_block_comment;

// The content with every block comment removed, and the way back from an
// offset in that text to the offset of the same character in the content, so
// that a licence header or a Javadoc comment above a declaration does not move
// its line.
class CommentFreeText {
 public:
  explicit CommentFreeText(std::string_view content) {
    // Every "/*" up to the first "*/" after it ("/*/" is no comment), lines
    // included: "/* one line */" and "/**\n * Javadoc\n */". An unclosed one
    // stays, and so does everything after it.
    std::size_t copied = 0;
    std::size_t removed = 0;
    for_each_block_comment(content, [&](std::size_t start, std::size_t end) {
      text_.append(content.substr(copied, start - copied));
      removed += end - start;
      removals_.emplace_back(text_.size(), removed);
      copied = end;
    });
    text_.append(content.substr(copied));
  }

  std::string_view text() const { return text_; }

  // The content offset of the character at `text_offset`. A removal at that
  // very offset counts: the character there is the one after the comment.
  std::size_t content_offset(std::size_t text_offset) const {
    auto it = std::upper_bound(removals_.begin(), removals_.end(), text_offset,
                               [](std::size_t off, const std::pair<std::size_t, std::size_t>& r) {
                                 return off < r.first;
                               });
    return it == removals_.begin() ? text_offset : text_offset + std::prev(it)->second;
  }

 private:
  std::string text_;
  // (offset in `text_` where a comment was cut out, bytes removed up to and
  // including that comment), in increasing order of both.
  std::vector<std::pair<std::size_t, std::size_t>> removals_;
};

using regex::is_ascii_word;

// False when the indented-method pattern after its leading white space,
//   "(?!...)([A-Za-z]\w*(?:<[^;{]*?>)?(?:\[\])?)\s+([a-z]\w*)\s*\(",
// cannot match at `at`; true when it may (the pattern then decides). Most
// indented lines are statements ("x = y;", "foo.bar();", "}") that fail at
// the first character or after the first word, and this test costs far less
// than a pattern call per line. No \w* or \s+ of the pattern can give back
// a character to help the next part, so reading each greedily is exact;
// anything outside ASCII is left to the pattern.
bool may_begin_indented_method(std::string_view t, std::size_t at) {
  const std::size_t n = t.size();
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(t[i]); };
  auto skip_word = [&](std::size_t i) {
    while (i < n && is_ascii_word(byte(i))) ++i;
    return i;
  };
  auto skip_space = [&](std::size_t i) {
    while (i < n && regex::is_ascii_space(byte(i))) ++i;
    return i;
  };
  if (at >= n) return false;
  const unsigned char first = byte(at);
  if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'))) return false;
  std::size_t i = skip_word(at + 1);
  if (i == n) return false;
  if (byte(i) >= 0x80 || byte(i) == '<' || byte(i) == '[') return true;
  if (!regex::is_ascii_space(byte(i))) return false;
  i = skip_space(i);
  if (i == n) return false;
  if (byte(i) >= 0x80) return true;
  if (byte(i) < 'a' || byte(i) > 'z') return false;
  i = skip_word(i + 1);
  if (i < n && byte(i) >= 0x80) return true;
  i = skip_space(i);
  if (i == n) return false;
  return byte(i) >= 0x80 || byte(i) == '(';
}

// Whether "<[^;{]*?>" and the rest of the indented-method pattern after it,
//   "(?:\[\])?\s+([a-z]\w*)\s*\(",
// can match from the "<" at `open`: only when a ">" after it, before the next
// ";" or "{", is followed by that rest. The lazy run reads up to such a ">",
// or else to the ";" or "{" (or the end), and many lines may share one such
// stretch: a text of "  Foo<x y(" lines would cost the rest of the text per
// line. Here what follows each ">" is tested once and each stop found once,
// for calls at increasing offsets.
class TypeArgumentCheck {
 public:
  explicit TypeArgumentCheck(std::string_view t) : t_(t) {}

  bool may_match(std::size_t open) { return good_close(open + 1) < stop(open + 1); }

 private:
  static constexpr std::size_t kNone = std::string_view::npos;

  // The first ";" or "{" at or after `from`, or the end.
  std::size_t stop(std::size_t from) {
    if (stop_from_ == kNone || from < stop_from_ || from > stop_) {
      stop_from_ = from;
      stop_ = std::min(regex::find_either(t_, ';', '{', from), t_.size());
    }
    return stop_;
  }
  // The first ">" at or after `from` that the rest of the pattern follows,
  // or the end.
  std::size_t good_close(std::size_t from) {
    static const regex::Regex kRest(R"((*NO_START_OPT)\G(?:\[\])?\s+[a-z]\w*\s*\()");
    if (good_from_ == kNone || from < good_from_ || from > good_) {
      good_from_ = from;
      std::size_t q = t_.find('>', from);
      while (q != kNone && !kRest.search(t_, q + 1).has_value()) q = t_.find('>', q + 1);
      good_ = q == kNone ? t_.size() : q;
    }
    return good_;
  }

  std::string_view t_;
  std::size_t stop_from_ = kNone;
  std::size_t stop_ = 0;
  std::size_t good_from_ = kNone;
  std::size_t good_ = 0;
};

// End of the type word "[A-Za-z]\w*" that begins at `at` (its first
// character already known to be a letter).
std::size_t type_word_end(std::string_view t, std::size_t at) { return regex::skip_word(t, at); }

}  // namespace

std::vector<SymbolRecord> find_symbols_java(std::string_view content,
                                            const languages::Profile& profile) {
  // matches: "\npublic final class Account" (from the space before "class"),
  // "\n\ndata class Entry" and "\nsealed class Event"
  static const regex::Regex kType(
      R"((?:public|private|protected|\s)+(?:class|interface|enum|record|object|data\s+class|sealed\s+class|abstract\s+class|@interface)\s+([A-Za-z_]\w*))");
  // matches: "public static void main(" and "private Map<String, Long> totals("
  static const regex::Regex kModifierMethod(
      R"((?:public|private|protected)\s+(?:static\s+)?(?:final\s+)?(?:default\s+)?(?:synchronized\s+)?(?!class|if|for|while|return|new)(?:\w[\w<>\[\]]*|(?:\w+\s*<[^;{(]*?>))\s+([A-Za-z_]\w*)\s*\()");
  // matches: "    int size(", "    fun add(" and "    else if (" (named "if")
  static const regex::Regex kIndentedMethod(
      R"(^\s+(?!public|private|protected|static|final|default|class|if|for|while|return|new|@)([A-Za-z]\w*(?:<[^;{]*?>)?(?:\[\])?)\s+([a-z]\w*)\s*\()",
      regex::Flags::multiline);
  // The type words that start the rest of the type pattern (the words its
  // alternation begins with), and that rest; the rest of the indented-method
  // pattern after its leading white space.
  static const regex::WordFinder kTypeWords{"class", "interface", "enum",     "record",    "object",
                                            "data",  "sealed",    "abstract", "@interface"};
  static const regex::Regex kTypeTail(
      R"(\G(?:class|interface|enum|record|object|data\s+class|sealed\s+class|abstract\s+class|@interface)\s+([A-Za-z_]\w*))");
  static const regex::Regex kIndentTail(
      R"(\G(?!public|private|protected|static|final|default|class|if|for|while|return|new|@)([A-Za-z]\w*(?:<[^;{]*?>)?(?:\[\])?)\s+([a-z]\w*)\s*\()");

  SymbolRecorder rec(content, profile);
  const CommentFreeText stripped(content);
  const std::string_view text = stripped.text();
  auto line_of = [&](const regex::Match& m) {
    return rec.line_of(stripped.content_offset(m.start()));
  };

  regex::for_each_by_found_keywords(
      text, {"public", "private", "protected"}, text::is_space,
      [&](std::size_t from) { return kTypeWords.find(text, from); },
      [&](std::size_t at) { return kTypeTail.search(text, at).has_value(); }, kType,
      [&](const regex::Match& m) {
        rec.add_sym(m.group(1), line_of(m), "model", "high", public_within(text, m.start(), 20));
        return true;
      });
  // Both method patterns end in "(": nothing after the last one can be part of a
  // match, and a file without any is done (long texts of words and blank
  // lines otherwise cost a failing search per line).
  const std::size_t last_paren = text.rfind('(');
  if (last_paren == std::string_view::npos) return rec.take();
  const std::string_view upto_paren = text.substr(0, last_paren + 1);
  kModifierMethod.for_each(upto_paren, [&](const regex::Match& m) {
    std::string_view name = m.group(1);
    // Only a name that starts with a lower-case letter is taken as a method.
    if (name.empty() || name.front() < 'a' || name.front() > 'z') return true;
    rec.add_sym(name, line_of(m), "use_case", "high", public_within(text, m.start(), 30));
    return true;
  });
  // The leading runs are those of "^\s+" (multi-line).
  TypeArgumentCheck type_arguments(upto_paren);
  regex::for_each_by_found_runs(
      upto_paren,
      [&](std::size_t pos) {
        return regex::find_line_start_space_run(upto_paren, pos, text::is_space);
      },
      [&](std::size_t at) {
        if (!may_begin_indented_method(upto_paren, at)) return false;
        const std::size_t word_end = type_word_end(upto_paren, at);
        if (word_end < upto_paren.size() && upto_paren[word_end] == '<' &&
            !type_arguments.may_match(word_end)) {
          return false;
        }
        return kIndentTail.search(upto_paren, at).has_value();
      },
      kIndentedMethod,
      [&](const regex::Match& m) {
        rec.add_sym(m.group(2), line_of(m), "use_case", "high", true);
        return true;
      });
  return rec.take();
}

}  // namespace graph_builder::symbols
