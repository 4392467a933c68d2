#include "graph_builder/regex/regex.hpp"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <memory>

#ifdef GB_REGEX_PROFILE
#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>
#endif

#include "graph_builder/check.hpp"

namespace graph_builder::regex {
namespace {

// The white-space set shared with the text helpers (see the header).
constexpr std::string_view kSpaceRanges =
    "\\t-\\r\\x{1c}-\\x{20}\\x{85}\\x{a0}\\x{1680}\\x{2000}-\\x{200a}"
    "\\x{2028}\\x{2029}\\x{202f}\\x{205f}\\x{3000}";

// Bounds on one search. The match limit caps backtracking steps; the JIT stack
// is large enough for ordinary patterns over 300000-byte subjects.
constexpr std::uint32_t kMatchLimit = 20'000'000;
constexpr std::size_t kJitStackMax = 64U << 20;

pcre2_code* as_code(void* p) { return static_cast<pcre2_code*>(p); }

// Per-thread scratch: one match-data block and one JIT stack reused by every
// search of that thread.
struct ThreadScratch {
  pcre2_match_data* data = nullptr;
  pcre2_match_context* context = nullptr;
  pcre2_jit_stack* stack = nullptr;
  ThreadScratch() {
    data = pcre2_match_data_create(kMaxGroups + 1, nullptr);
    context = pcre2_match_context_create(nullptr);
    stack = pcre2_jit_stack_create(32U << 10, kJitStackMax, nullptr);
    GB_CHECK(data && context && stack);
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_depth_limit(context, 100'000);
    pcre2_jit_stack_assign(context, nullptr, stack);
  }
  ~ThreadScratch() {
    pcre2_jit_stack_free(stack);
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
  }
  ThreadScratch(const ThreadScratch&) = delete;
  ThreadScratch& operator=(const ThreadScratch&) = delete;
};

ThreadScratch& scratch() {
  thread_local ThreadScratch s;
  return s;
}

#ifdef GB_REGEX_PROFILE
// Benchmark builds only: time and calls per pattern, printed at exit.
struct PatternCost {
  double seconds = 0;
  std::size_t calls = 0;
};
struct Profile {
  std::mutex mu;
  std::map<std::string, PatternCost> by_pattern;
  ~Profile() {
    std::vector<std::pair<std::string, PatternCost>> rows(by_pattern.begin(), by_pattern.end());
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return a.second.seconds > b.second.seconds; });
    for (const auto& [pattern, cost] : rows) {
      std::fprintf(stderr, "%9.3f s %10zu calls  %.140s\n", cost.seconds, cost.calls,
                   pattern.c_str());
    }
  }
};
Profile& profile() {
  static Profile p;
  return p;
}
struct ProfileScope {
  const std::string& pattern;
  std::chrono::steady_clock::time_point t0 = std::chrono::steady_clock::now();
  explicit ProfileScope(const std::string& p) : pattern(p) {}
  ~ProfileScope() {
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::lock_guard<std::mutex> lock(profile().mu);
    auto& c = profile().by_pattern[pattern];
    c.seconds += s;
    ++c.calls;
  }
};
#endif

}  // namespace

std::uint32_t Regex::kNotEmptyAtStartAnchored = PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED;

std::string rewrite_pattern(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size() + 32);
  bool in_class = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      char n = pattern[i + 1];
      if (n == 's') {
        if (in_class) {
          out += kSpaceRanges;
        } else {
          out += '[';
          out += kSpaceRanges;
          out += ']';
        }
      } else if (n == 'S' && !in_class) {
        out += "[^";
        out += kSpaceRanges;
        out += ']';
      } else {
        GB_CHECK(!(n == 'S' && in_class));  // no pattern of ours needs it
        out += c;
        out += n;
      }
      ++i;
      continue;
    }
    if (!in_class && c == '[') {
      in_class = true;
      out += c;
      // A ']' right after '[' or '[^' is a literal member.
      if (i + 1 < pattern.size() && pattern[i + 1] == '^') {
        out += '^';
        ++i;
      }
      if (i + 1 < pattern.size() && pattern[i + 1] == ']') {
        out += ']';
        ++i;
      }
      continue;
    }
    if (in_class && c == ']') in_class = false;
    out += c;
  }
  return out;
}

Match::Match(const Regex& re, std::string_view subject, const std::size_t* ov, int pairs)
    : re_(&re), subject_(subject), pairs_(pairs) {
  for (int i = 0; i < 2 * pairs; ++i) ov_[static_cast<std::size_t>(i)] = ov[i];
}

bool Match::has(int g) const {
  return g >= 0 && g < pairs_ && ov_[2 * static_cast<std::size_t>(g)] != PCRE2_UNSET;
}

std::string_view Match::group(int g) const {
  if (!has(g)) return {};
  auto s = ov_[2 * static_cast<std::size_t>(g)];
  auto e = ov_[2 * static_cast<std::size_t>(g) + 1];
  return subject_.substr(s, e - s);
}

Span Match::span(int g) const {
  if (!has(g)) return {};
  return {ov_[2 * static_cast<std::size_t>(g)], ov_[2 * static_cast<std::size_t>(g) + 1]};
}

Spans Match::spans() const {
  Spans out{span(0), {}};
  for (int g = 1; g <= kSpanGroups; ++g) out.groups[static_cast<std::size_t>(g - 1)] = span(g);
  return out;
}

bool Match::has(std::string_view name) const { return has(re_->group_number(name)); }
std::string_view Match::group(std::string_view name) const {
  return group(re_->group_number(name));
}

namespace {

pcre2_code* compile_or_die(const std::string& original, const std::string& rewritten,
                           std::uint32_t options) {
  pcre2_compile_context* cctx = pcre2_compile_context_create(nullptr);
  GB_CHECK(cctx != nullptr);
  pcre2_set_newline(cctx, PCRE2_NEWLINE_LF);
  pcre2_set_bsr(cctx, PCRE2_BSR_UNICODE);
  int err = 0;
  PCRE2_SIZE erroff = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(rewritten.data()), rewritten.size(),
                                   options, &err, &erroff, cctx);
  pcre2_compile_context_free(cctx);
  if (code == nullptr) {
    PCRE2_UCHAR msg[256];
    pcre2_get_error_message(err, msg, sizeof msg);
    std::fprintf(stderr, "graph_builder: pattern %s: %s at %zu\n", original.c_str(),
                 reinterpret_cast<const char*>(msg), static_cast<std::size_t>(erroff));
  }
  GB_CHECK(code != nullptr);
  return code;
}

}  // namespace

Regex::Regex(std::string_view pattern, Flags flags) : pattern_(pattern) {
  std::uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_NO_UTF_CHECK;
  if (has_flag(flags, Flags::multiline)) options |= PCRE2_MULTILINE;
  if (has_flag(flags, Flags::dotall)) options |= PCRE2_DOTALL;
  if (has_flag(flags, Flags::caseless)) options |= PCRE2_CASELESS;
  const std::string rewritten = rewrite_pattern(pattern);
  pcre2_code* code = compile_or_die(pattern_, rewritten, options);
  std::uint32_t captures = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
  GB_CHECK(captures <= static_cast<std::uint32_t>(kMaxGroups));
  // Without JIT support the interpreter runs the same pattern, only slower.
  jit_ = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
  code_ = code;
  // JIT cannot anchor at match time, so anchored searches get their own code.
  pcre2_code* anchored = compile_or_die(pattern_, rewritten, options | PCRE2_ANCHORED);
  anchored_jit_ = pcre2_jit_compile(anchored, PCRE2_JIT_COMPLETE) == 0;
  anchored_code_ = anchored;
}

Regex::~Regex() {
  pcre2_code_free(as_code(code_));
  pcre2_code_free(as_code(anchored_code_));
}

int Regex::run(std::string_view subject, std::size_t from, std::uint32_t options,
               const std::size_t** ov) const {
  ThreadScratch& s = scratch();
#ifdef GB_REGEX_PROFILE
  ProfileScope timing(pattern_);
#endif
  auto* subj = reinterpret_cast<PCRE2_SPTR>(subject.data());
  int rc;
  const bool anchored = (options & PCRE2_ANCHORED) != 0;
  options &= ~static_cast<std::uint32_t>(PCRE2_ANCHORED);
  pcre2_code* code = as_code(anchored ? anchored_code_ : code_);
  const bool jit = anchored ? anchored_jit_ : jit_;
  if (jit && (options & PCRE2_ENDANCHORED) == 0) {
    rc = pcre2_jit_match(code, subj, subject.size(), from, options | PCRE2_NO_UTF_CHECK, s.data,
                         s.context);
  } else {
    rc = pcre2_match(code, subj, subject.size(), from, options | PCRE2_NO_UTF_CHECK, s.data,
                     s.context);
  }
  if (rc <= 0) return 0;  // no match, or a limit reached: nothing more here
  *ov = pcre2_get_ovector_pointer(s.data);
  return rc;
}

std::optional<Match> Regex::search(std::string_view subject, std::size_t from) const {
  const std::size_t* ov = nullptr;
  if (from > subject.size()) return std::nullopt;
  int pairs = run(subject, from, 0, &ov);
  if (pairs <= 0) return std::nullopt;
  return Match(*this, subject, ov, pairs);
}

std::optional<Match> Regex::match_start(std::string_view subject) const {
  const std::size_t* ov = nullptr;
  int pairs = run(subject, 0, PCRE2_ANCHORED, &ov);
  if (pairs <= 0) return std::nullopt;
  return Match(*this, subject, ov, pairs);
}

bool Regex::full_match(std::string_view subject) const {
  const std::size_t* ov = nullptr;
  int pairs = run(subject, 0, PCRE2_ANCHORED | PCRE2_ENDANCHORED, &ov);
  return pairs > 0;
}

std::string Regex::replace_all(std::string_view subject, std::string_view replacement) const {
  std::string out;
  out.reserve(subject.size());
  std::size_t last = 0;
  for_each(subject, [&](const Match& m) {
    out.append(subject.substr(last, m.start() - last));
    for (std::size_t i = 0; i < replacement.size(); ++i) {
      char c = replacement[i];
      if (c == '\\' && i + 1 < replacement.size() && replacement[i + 1] >= '0' &&
          replacement[i + 1] <= '9') {
        out.append(m.group(replacement[i + 1] - '0'));
        ++i;
      } else {
        out += c;
      }
    }
    last = m.end();
    return true;
  });
  out.append(subject.substr(last));
  return out;
}

int Regex::group_number(std::string_view name) const {
  std::string n(name);
  int g = pcre2_substring_number_from_name(as_code(code_), reinterpret_cast<PCRE2_SPTR>(n.c_str()));
  return g > 0 ? g : -1;
}

}  // namespace graph_builder::regex
