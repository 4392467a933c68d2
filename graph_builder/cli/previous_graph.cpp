#include "graph_builder/cli/previous_graph.hpp"

#include <nlohmann/json.hpp>

#include "graph_builder/text/unicode.hpp"

namespace graph_builder::cli {
namespace {

using graph::JsonValue;

// Builds JsonValue trees from parser events, keeping number literals as
// written so that stored values are carried over exactly.
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
    bool integral = s.find_first_of(".eE") == string_t::npos;
    return put(integral ? JsonValue::integer_text(s) : JsonValue::real_text(s));
  }
  bool string(string_t& val) override { return put(JsonValue::string(std::move(val))); }
  bool binary(binary_t& /*val*/) override { return false; }
  bool start_object(std::size_t /*elements*/) override {
    stack_.push_back(JsonValue::object());
    keys_.emplace_back();
    return true;
  }
  bool key(string_t& val) override {
    keys_.back() = std::move(val);
    return true;
  }
  bool end_object() override {
    keys_.pop_back();
    return finish();
  }
  bool start_array(std::size_t /*elements*/) override {
    stack_.push_back(JsonValue::array());
    keys_.emplace_back();
    return true;
  }
  bool end_array() override {
    keys_.pop_back();
    return finish();
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }
  JsonValue result;

 private:
  bool finish() {
    JsonValue v = std::move(stack_.back());
    stack_.pop_back();
    return put(std::move(v));
  }
  bool put(JsonValue v) {
    if (stack_.empty()) {
      result = std::move(v);
      return true;
    }
    JsonValue& top = stack_.back();
    if (top.type() == JsonValue::Type::array) {
      top.items().push_back(std::move(v));
    } else {
      // A repeated key keeps its first position and takes the last value.
      top.set(keys_.back(), std::move(v));
    }
    return true;
  }
  std::vector<JsonValue> stack_;
  std::vector<std::string> keys_;
};

}  // namespace

graph::PriorNodes parse_previous_graph(std::string_view bytes) {
  graph::PriorNodes out;
  if (!text::is_valid_utf8(bytes)) return {};
  // A byte-order mark is not JSON; the document is rejected like any other.
  if (bytes.starts_with("\xEF\xBB\xBF")) return {};
  Builder b;
  bool ok = false;
  try {
    ok = nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &b, nlohmann::json::input_format_t::json,
                                   true);
  } catch (...) {
    ok = false;
  }
  if (!ok || b.result.type() != JsonValue::Type::object) return {};
  const JsonValue* nodes = b.result.find("nodes");
  if (nodes == nullptr) return {};
  if (nodes->type() != JsonValue::Type::array) {
    // Only a list of node objects can be read back; anything else fails.
    return {};
  }
  for (const JsonValue& n : nodes->items()) {
    if (n.type() != JsonValue::Type::object) return {};
    const JsonValue* kind = n.find("kind");
    if (kind == nullptr || kind->type() != JsonValue::Type::string || kind->text() != "file") continue;
    const JsonValue* id = n.find("id");
    if (id == nullptr) return {};
    if (id->type() == JsonValue::Type::array || id->type() == JsonValue::Type::object) return {};
    // Only a text id can ever equal a file id; others are harmless and dropped.
    if (id->type() != JsonValue::Type::string) continue;
    out.insert_or_assign(id->text(), n);
  }
  return out;
}

graph::PriorNodes load_previous_graph(const std::string& path) {
  std::string bytes;
  if (graph::read_source(path, bytes, static_cast<std::size_t>(-1)) != graph::ReadStatus::ok) {
    return {};
  }
  return parse_previous_graph(bytes);
}

}  // namespace graph_builder::cli
