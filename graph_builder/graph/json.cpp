#include "graph_builder/graph/json.hpp"

namespace graph_builder::graph {

JsonValue JsonValue::boolean(bool b) {
  JsonValue v;
  v.type_ = Type::boolean;
  v.bool_ = b;
  return v;
}
JsonValue JsonValue::integer(std::int64_t i) {
  JsonValue v;
  v.type_ = Type::integer;
  v.text_ = std::to_string(i);
  return v;
}
JsonValue JsonValue::integer_text(std::string digits) {
  JsonValue v;
  v.type_ = Type::integer;
  v.text_ = std::move(digits);
  return v;
}
JsonValue JsonValue::real_text(std::string literal) {
  JsonValue v;
  v.type_ = Type::real;
  v.text_ = std::move(literal);
  return v;
}
JsonValue JsonValue::string(std::string s) {
  JsonValue v;
  v.type_ = Type::string;
  v.text_ = std::move(s);
  return v;
}
JsonValue JsonValue::array(std::vector<JsonValue> items) {
  JsonValue v;
  v.type_ = Type::array;
  v.items_ = std::move(items);
  return v;
}
JsonValue JsonValue::object(std::vector<Member> members) {
  JsonValue v;
  v.type_ = Type::object;
  v.members_ = std::move(members);
  return v;
}

const JsonValue* JsonValue::find(std::string_view key) const {
  if (type_ != Type::object) return nullptr;
  for (const Member& m : members_) {
    if (m.first == key) return &m.second;
  }
  return nullptr;
}

void JsonValue::set(std::string key, JsonValue value) {
  for (Member& m : members_) {
    if (m.first == key) {
      m.second = std::move(value);
      return;
    }
  }
  members_.emplace_back(std::move(key), std::move(value));
}

}  // namespace graph_builder::graph
