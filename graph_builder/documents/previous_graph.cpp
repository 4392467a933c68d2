#include "graph_builder/documents/previous_graph.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <optional>

#include <nlohmann/json.hpp>

#include "graph_builder/documents/previous_graph_internal.hpp"
#include "graph_builder/platform/fd.hpp"

#include "graph_builder/text/unicode.hpp"

namespace graph_builder::documents {
namespace {

using graph::JsonValue;

// Builds JsonValue trees from parser events, keeping number literals as
// written so that stored values are carried over exactly. Only what a re-run
// can use is kept: the top-level "nodes" array, and in it only file nodes
// (any other element is replaced by a null, which marks the document as
// unusable when it is not an object). Everything else is parsed for validity
// and dropped, so the previous graph costs little memory.
class Builder : public nlohmann::json_sax<nlohmann::json> {
 public:
  bool null() override { return put(JsonValue()); }
  bool boolean(bool val) override { return put(JsonValue::boolean(val)); }
  bool number_integer(number_integer_t val) override {
    return put(JsonValue::integer(static_cast<std::int64_t>(val)));
  }
  bool number_unsigned(number_unsigned_t val) override {
    return put(JsonValue::integer_text(std::to_string(val)));
  }
  bool number_float(number_float_t /*val*/, const string_t& s) override {
    if (skipping()) return true;
    bool integral = s.find_first_of(".eE") == string_t::npos;
    return put(integral ? JsonValue::integer_text(s) : JsonValue::real_text(s));
  }
  bool string(string_t& val) override {
    if (skipping()) return true;
    return put(JsonValue::string(std::move(val)));
  }
  bool binary(binary_t& /*val*/) override { return false; }
  bool start_object(std::size_t /*elements*/) override { return open(JsonValue::object()); }
  bool key(string_t& val) override {
    if (skip_depth_ == 0) keys_.back() = std::move(val);
    return true;
  }
  bool end_object() override { return close(); }
  bool start_array(std::size_t /*elements*/) override { return open(JsonValue::array()); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }
  JsonValue result;

 private:
  // True when the value now being parsed is not kept.
  bool skipping() const {
    if (skip_depth_ > 0) return true;
    return stack_.size() == 1 && stack_[0].type() == JsonValue::Type::object && keys_[0] != "nodes";
  }
  bool open(JsonValue container) {
    if (skipping()) {
      ++skip_depth_;
      return true;
    }
    stack_.push_back(std::move(container));
    keys_.emplace_back();
    return true;
  }
  bool close() {
    if (skip_depth_ > 0) {
      --skip_depth_;
      return true;
    }
    keys_.pop_back();
    JsonValue v = std::move(stack_.back());
    stack_.pop_back();
    return put(std::move(v));
  }
  bool put(JsonValue v) {
    if (skipping()) return true;
    if (stack_.empty()) {
      result = std::move(v);
      return true;
    }
    JsonValue& top = stack_.back();
    if (top.type() == JsonValue::Type::array) {
      if (stack_.size() == 2 && stack_[0].type() == JsonValue::Type::object) {
        // An element of the top-level "nodes" array.
        if (v.type() != JsonValue::Type::object) {
          top.items().emplace_back();
          return true;
        }
        const JsonValue* kind = v.find("kind");
        if (kind == nullptr || kind->type() != JsonValue::Type::string || kind->text() != "file") {
          return true;
        }
      }
      top.items().push_back(std::move(v));
    } else {
      // A repeated key keeps its first position and takes the last value.
      top.set(keys_.back(), std::move(v));
    }
    return true;
  }
  std::vector<JsonValue> stack_;
  std::vector<std::string> keys_;
  int skip_depth_ = 0;
};

}  // namespace

namespace previous_graph_internal {

graph::PriorNodes read_general(std::string_view bytes) {
  graph::PriorNodes out;
  if (!text::is_valid_utf8(bytes)) return {};
  // A byte-order mark is not JSON; the document is rejected like any other.
  if (bytes.starts_with("\xEF\xBB\xBF")) return {};
  Builder b;
  bool ok = false;
  try {
    ok = nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &b,
                                   nlohmann::json::input_format_t::json, true);
  } catch (...) {
    ok = false;
  }
  if (!ok || b.result.type() != JsonValue::Type::object) return {};
  JsonValue* nodes = nullptr;
  for (auto& [key, value] : b.result.members()) {
    if (key == "nodes") nodes = &value;
  }
  if (nodes == nullptr) return {};
  if (nodes->type() != JsonValue::Type::array) {
    // Only a list of node objects can be read back; anything else fails.
    return {};
  }
  for (const JsonValue& n : nodes->items()) {
    if (n.type() != JsonValue::Type::object) return {};
  }
  for (JsonValue& n : nodes->items()) {
    if (n.type() != JsonValue::Type::object) return {};
    const JsonValue* kind = n.find("kind");
    if (kind == nullptr || kind->type() != JsonValue::Type::string || kind->text() != "file")
      continue;
    const JsonValue* id = n.find("id");
    if (id == nullptr) return {};
    if (id->type() == JsonValue::Type::array || id->type() == JsonValue::Type::object) return {};
    // Only a text id can ever equal a file id; others are harmless and dropped.
    if (id->type() != JsonValue::Type::string) continue;
    std::string key = id->text();
    out.insert_or_assign(std::move(key), std::move(n));
  }
  return out;
}

}  // namespace previous_graph_internal

graph::PriorNodes parse_previous_graph(std::string_view bytes) {
  // Nearly every document read back is one this program wrote, and those the
  // fast reader takes in a fraction of the time; it hands anything else over.
  if (auto nodes = previous_graph_internal::read_fast(bytes)) return std::move(*nodes);
  return previous_graph_internal::read_general(bytes);
}

graph::PriorNodes load_previous_graph(const std::string& path) {
  // Only a regular file can hold a previous graph: a FIFO would wait for a
  // writer, and a device such as /dev/zero never ends. Anything else reads
  // as no previous graph. The test is made on the open file too (the path
  // may change in between), which O_NONBLOCK keeps from waiting on a FIFO.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  // The fast reader takes the document a megabyte at a time instead of as
  // one buffer of its whole size: the pages of such a buffer cost more to
  // fault in than the reading itself, and it would double the memory a
  // re-run peaks at. Only a document it leaves to the general reader is read
  // whole (a second time).
  const previous_graph_internal::ReadSome read_some = [&fd](char* dst, std::size_t room) {
    while (true) {
      const ssize_t got = ::read(fd.get(), dst, room);
      if (got >= 0 || errno != EINTR) return static_cast<std::ptrdiff_t>(got);
    }
  };
  constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
  std::optional<graph::PriorNodes> fast =
      previous_graph_internal::read_fast(read_some, kPieceBytes);
  if (fast) return std::move(*fast);
  if (::lseek(fd.get(), 0, SEEK_SET) != 0) return {};
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char piece[1 << 16];
  while (true) {
    const std::ptrdiff_t got = read_some(piece, sizeof piece);
    if (got < 0) return {};
    if (got == 0) break;
    bytes.append(piece, static_cast<std::size_t>(got));
  }
  fd.reset();
  return previous_graph_internal::read_general(bytes);
}

}  // namespace graph_builder::documents
