#include "convert.hpp"

#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>

#include "graph_builder/graph/node_members.hpp"
#include "graph_builder/languages/languages.hpp"

namespace graph_builder::python {
namespace {

using graph::JsonValue;

// A new reference taken over; a null one means a Python exception is set.
py::object take(PyObject* new_reference) {
  if (new_reference == nullptr) throw_python_error();
  return py::reinterpret_steal<py::object>(new_reference);
}

// Adds "in <what>" to the exception that is set, so that a message from
// deep inside a conversion names the value it came from.
void add_note(const Where& what) {
#if PY_VERSION_HEX >= 0x030C0000
  PyObject* exc = PyErr_GetRaisedException();
  if (exc == nullptr) return;
  const std::string note = "in " + what.str();
  PyObject* r = PyObject_CallMethod(exc, "add_note", "s", note.c_str());
  if (r == nullptr) PyErr_Clear();
  Py_XDECREF(r);
  PyErr_SetRaisedException(exc);
#else
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  if (value != nullptr) {
    const std::string note = "in " + what.str();
    PyObject* r = PyObject_CallMethod(value, "add_note", "s", note.c_str());
    if (r == nullptr) PyErr_Clear();
    Py_XDECREF(r);
  }
  PyErr_Restore(type, value, traceback);
#endif
}

[[noreturn]] void fail_with_note(const Where& what) {
  add_note(what);
  throw_python_error();
}

std::string_view text_view(PyObject* value, const Where& what) {
  if (!PyUnicode_Check(value)) type_error(what, "str", value);
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(value, &size);
  if (data == nullptr) fail_with_note(what);
  return {data, static_cast<std::size_t>(size)};
}

bool is_mapping(py::handle value) {
  if (PyDict_Check(value.ptr())) return true;
  static PyObject* const mapping_type =
      take(PyObject_GetAttrString(py::module_::import("collections.abc").ptr(), "Mapping"))
          .release()
          .ptr();
  const int r = PyObject_IsInstance(value.ptr(), mapping_type);
  if (r < 0) throw_python_error();
  return r == 1;
}

// `mapping[key]` for a dict or any other mapping; KeyError when absent.
py::object item(py::handle mapping, PyObject* key) {
  if (PyDict_CheckExact(mapping.ptr())) {
    PyObject* v = PyDict_GetItemWithError(mapping.ptr(), key);
    if (v == nullptr) {
      if (!PyErr_Occurred()) PyErr_SetObject(PyExc_KeyError, key);
      throw_python_error();
    }
    return py::reinterpret_borrow<py::object>(v);
  }
  return take(PyObject_GetItem(mapping.ptr(), key));
}

// `mapping[key]`, or nothing when the key is absent.
py::object optional_item(py::handle mapping, PyObject* key) {
  if (PyDict_CheckExact(mapping.ptr())) {
    PyObject* v = PyDict_GetItemWithError(mapping.ptr(), key);
    if (v == nullptr && PyErr_Occurred()) throw_python_error();
    return py::reinterpret_borrow<py::object>(v);
  }
  PyObject* v = PyObject_GetItem(mapping.ptr(), key);
  if (v == nullptr) {
    if (!PyErr_ExceptionMatches(PyExc_KeyError)) throw_python_error();
    PyErr_Clear();
    return py::object();
  }
  return py::reinterpret_steal<py::object>(v);
}

// Interned key strings, made once and kept for the life of the process.
PyObject* interned(const char* s) {
  PyObject* k = PyUnicode_InternFromString(s);
  if (k == nullptr) throw_python_error();
  return k;
}

struct Keys {
  PyObject* id = interned("id");
  PyObject* name = interned("name");
  PyObject* symbol_type = interned("symbol_type");
  PyObject* line_start = interned("line_start");
  PyObject* line_end = interned("line_end");
  PyObject* body_hash = interned("body_hash");
  PyObject* confidence = interned("confidence");
  PyObject* exported = interned("exported");
  PyObject* keywords = interned("keywords");
  PyObject* from = interned("from");
  PyObject* to = interned("to");
  PyObject* rel = interned("rel");
  PyObject* kind = interned("kind");
  PyObject* path = interned("path");
  PyObject* ext = interned("ext");
  PyObject* size = interned("size");
  PyObject* content = interned("content");
  PyObject* summary = interned("summary");
  PyObject* file_hash = interned("file_hash");
};

const Keys& keys() {
  static const Keys k;
  return k;
}

// Short values that recur in every result (symbol types, confidences,
// relation kinds, node kinds, extensions): one shared str each.
class KnownTexts {
 public:
  KnownTexts() {
    for (const char* s :
         {"api_route", "hook", "use_case", "utility", "model", "high", "medium", "contains",
          "imports", "requires", "includes", "references", "file", "symbol", ""}) {
      add(s);
    }
    for (std::string_view ext : languages::scanned_extensions()) add(std::string(ext));
  }
  // A new reference to the shared str for `s`, or null.
  PyObject* find(std::string_view s) const {
    if (s.size() > kLongest) return nullptr;
    auto it = texts_.find(s);
    if (it == texts_.end()) return nullptr;
    Py_INCREF(it->second);
    return it->second;
  }

 private:
  static constexpr std::size_t kLongest = 10;
  void add(const std::string& s) {
    if (s.size() > kLongest) return;
    auto [it, fresh] = storage_.emplace(s, nullptr);
    if (!fresh) return;
    it->second = interned(s.c_str());
    texts_.emplace(it->first, it->second);
  }
  std::unordered_map<std::string, PyObject*> storage_;
  std::unordered_map<std::string_view, PyObject*> texts_;
};

py::str short_text(std::string_view s) {
  static const KnownTexts known;
  if (PyObject* k = known.find(s)) return py::reinterpret_steal<py::str>(k);
  return text_result(s);
}

void put(PyObject* dict, PyObject* key, const py::handle value) {
  if (PyDict_SetItem(dict, key, value.ptr()) != 0) throw_python_error();
}

// A new dict with room for `size` items without growing.
py::dict new_dict(Py_ssize_t size = 0) {
#if PY_VERSION_HEX < 0x030D0000
  if (size > 5) return py::reinterpret_steal<py::dict>(take(_PyDict_NewPresized(size)).release());
#endif
  (void)size;
  return py::reinterpret_steal<py::dict>(take(PyDict_New()).release());
}

// One str for a text that many records of a row share (a file's id, which
// is its nodes' "path" and its edges' "from"): the last one made is kept.
class SharedText {
 public:
  py::object get(std::string_view s) {
    if (!object_ || s != text_) {
      text_.assign(s);
      object_ = text_result(s);
    }
    return object_;
  }

 private:
  std::string text_;
  py::object object_;
};

py::object integer(std::int64_t v) { return take(PyLong_FromLongLong(v)); }

py::object boolean(bool v) { return py::reinterpret_borrow<py::object>(v ? Py_True : Py_False); }

// The members of graph::StoredFields: what a reused node carries over.
constexpr std::array<const char*, 6> kStoredMembers{"path",     "ext",     "size",
                                                    "keywords", "content", "summary"};

// Key strings for the member names `visit_members` gives, found by the
// literal's address first: the same literals come back for every node.
class MemberKeys {
 public:
  PyObject* get(std::string_view name) {
    for (std::size_t k = 0; k < count_; ++k) {
      if (slots_[k].first == name.data()) return slots_[k].second;
    }
    PyObject* key = interned(std::string(name).c_str());
    if (count_ < slots_.size()) slots_[count_++] = {name.data(), key};
    return key;
  }

 private:
  std::array<std::pair<const char*, PyObject*>, 32> slots_{};
  std::size_t count_ = 0;
};

// Builds a node's dict as `visit_members` lists its members. A file's id is
// made once for the file node's "id" and "path" and its symbols' "path".
class NodeDictBuilder {
 public:
  NodeDictBuilder(const graph::Node& node, PyObject* dict, const StoredObjects* stored,
                  SharedText* file_id)
      : node_(node), dict_(dict), stored_(stored), file_id_(file_id) {}

  void string(std::string_view key, const std::string& v, const JsonValue* stored) {
    if (stored != nullptr) {
      put(dict_, member_key(key), stored_value(*stored));
    } else if (file_id_ != nullptr && (key == "path" || (key == "id" && node_.kind == "file"))) {
      put(dict_, member_key(key), file_id_->get(v));
    } else {
      put(dict_, member_key(key), short_text(v));
    }
  }
  void long_text(std::string_view key, const std::string& v, const JsonValue* stored) {
    put(dict_, member_key(key), stored != nullptr ? stored_value(*stored) : text_result(v));
  }
  void integer(std::string_view key, std::int64_t v, const JsonValue* stored) {
    put(dict_, member_key(key), stored != nullptr ? stored_value(*stored) : python::integer(v));
  }
  void boolean(std::string_view key, bool v) { put(dict_, member_key(key), python::boolean(v)); }
  void strings(std::string_view key, const std::vector<std::string>& v, const JsonValue* stored) {
    put(dict_, member_key(key), stored != nullptr ? stored_value(*stored) : text_list_result(v));
  }

 private:
  static PyObject* member_key(std::string_view name) {
    static MemberKeys member_keys;
    return member_keys.get(name);
  }
  py::object stored_value(const JsonValue& v) const {
    return stored_ != nullptr ? stored_->object_for(v) : json_result(v);
  }

  const graph::Node& node_;
  PyObject* dict_;
  const StoredObjects* stored_;
  SharedText* file_id_;
};

// The most members a node's dict has.
constexpr Py_ssize_t kNodeMembers = 13;

py::dict node_dict(const graph::Node& node, const StoredObjects* stored, SharedText* file_id) {
  py::dict d = new_dict(kNodeMembers);
  NodeDictBuilder builder(node, d.ptr(), stored, file_id);
  graph::visit_members(node, builder);
  return d;
}

// Stops the cyclic garbage collector while a large result is built: it would
// otherwise walk the growing result again and again, and nothing built here
// forms a cycle.
class GcPaused {
 public:
  GcPaused() : was_enabled_(PyGC_Disable() == 1) {}
  ~GcPaused() {
    if (was_enabled_) PyGC_Enable();
  }
  GcPaused(const GcPaused&) = delete;
  GcPaused& operator=(const GcPaused&) = delete;

 private:
  bool was_enabled_;
};

// Raises KeyboardInterrupt (or what a signal handler raised) while a large
// result is being built.
void check_signals(std::size_t i) {
  if ((i & 4095) == 0 && PyErr_CheckSignals() != 0) throw_python_error();
}

}  // namespace

std::string Where::str() const {
  std::string out = base_;
  if (index_ >= 0) out += "[" + std::to_string(index_) + "]";
  if (key_ != nullptr) {
    // Called with no exception set; a key whose repr fails shows as "?".
    PyObject* r = PyObject_Repr(key_);
    const char* text = r != nullptr ? PyUnicode_AsUTF8(r) : nullptr;
    if (text == nullptr) PyErr_Clear();
    out += "[" + std::string(text != nullptr ? text : "?") + "]";
    Py_XDECREF(r);
  }
  if (member_ != nullptr) out += "[\"" + std::string(member_) + "\"]";
  return out;
}

void type_error(const Where& what, const char* expected, py::handle value) {
  const std::string name = what.str();
  PyErr_Format(PyExc_TypeError, "%s must be %s, not %.200s", name.c_str(), expected,
               Py_TYPE(value.ptr())->tp_name);
  throw_python_error();
}

std::string_view text_arg(py::handle value, const Where& what) {
  return text_view(value.ptr(), what);
}

std::string id_arg(py::handle value, const Where& what) {
  PyObject* v = value.ptr();
  if (!PyUnicode_Check(v)) type_error(what, "str", value);
  if (PyUnicode_IS_ASCII(v)) {
    return std::string(static_cast<const char*>(PyUnicode_DATA(v)),
                       static_cast<std::size_t>(PyUnicode_GET_LENGTH(v)));
  }
  PyObject* bytes = PyUnicode_AsEncodedString(v, "utf-8", "surrogateescape");
  if (bytes == nullptr) fail_with_note(what);
  std::string out(PyBytes_AS_STRING(bytes), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes)));
  Py_DECREF(bytes);
  return out;
}

std::string path_arg(py::handle value, const Where& what) {
  PyObject* fs = PyOS_FSPath(value.ptr());
  if (fs == nullptr) fail_with_note(what);
  py::object fs_path = py::reinterpret_steal<py::object>(fs);
  py::object bytes = fs_path;
  if (PyUnicode_Check(fs)) {
    PyObject* encoded = PyUnicode_EncodeFSDefault(fs);
    if (encoded == nullptr) fail_with_note(what);
    bytes = py::reinterpret_steal<py::object>(encoded);
  }
  std::string out(PyBytes_AS_STRING(bytes.ptr()),
                  static_cast<std::size_t>(PyBytes_GET_SIZE(bytes.ptr())));
  if (out.find('\0') != std::string::npos) {
    PyErr_Format(PyExc_ValueError, "%s: embedded null byte", what.str().c_str());
    throw_python_error();
  }
  return out;
}

namespace {

std::int64_t to_int64(py::handle value, const Where& what, bool clamp) {
  PyObject* index = PyNumber_Index(value.ptr());
  if (index == nullptr) fail_with_note(what);
  py::object owned = py::reinterpret_steal<py::object>(index);
  int overflow = 0;
  const long long v = PyLong_AsLongLongAndOverflow(index, &overflow);
  if (v == -1 && PyErr_Occurred()) throw_python_error();
  if (overflow != 0) {
    if (clamp) {
      return overflow > 0 ? std::numeric_limits<std::int64_t>::max()
                          : std::numeric_limits<std::int64_t>::min();
    }
    PyErr_Format(PyExc_OverflowError, "%s does not fit in 64 bits", what.str().c_str());
    throw_python_error();
  }
  return v;
}

std::vector<std::string> text_list(py::handle value, const Where& what) {
  if (!PyList_Check(value.ptr()) && !PyTuple_Check(value.ptr())) {
    type_error(what, "a list of str", value);
  }
  py::object seq = take(PySequence_Fast(value.ptr(), "a list of str"));
  const Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* item = PySequence_Fast_GET_ITEM(seq.ptr(), i);
    Py_ssize_t size = 0;
    const char* data = PyUnicode_Check(item) ? PyUnicode_AsUTF8AndSize(item, &size) : nullptr;
    if (data == nullptr) {
      const std::string name = what.str() + "[" + std::to_string(i) + "]";
      if (!PyUnicode_Check(item)) type_error(name.c_str(), "str", item);
      fail_with_note(name.c_str());
    }
    out.emplace_back(data, static_cast<std::size_t>(size));
  }
  return out;
}

}  // namespace

std::int64_t int_arg(py::handle value, const Where& what) { return to_int64(value, what, false); }

std::int64_t clamped_int_arg(py::handle value, const Where& what) {
  return to_int64(value, what, true);
}

bool bool_arg(py::handle value, const Where& what) {
  if (!PyBool_Check(value.ptr())) type_error(what, "bool", value);
  return value.ptr() == Py_True;
}

std::vector<std::string> text_list_arg(py::handle value, const Where& what) {
  return text_list(value, what);
}

py::str text_result(std::string_view s) {
  return py::reinterpret_steal<py::str>(
      take(PyUnicode_DecodeUTF8(s.data(), static_cast<Py_ssize_t>(s.size()), "surrogateescape"))
          .release());
}

py::str path_result(std::string_view s) {
  return py::reinterpret_steal<py::str>(
      take(PyUnicode_DecodeFSDefaultAndSize(s.data(), static_cast<Py_ssize_t>(s.size())))
          .release());
}

py::list text_list_result(const std::vector<std::string>& items) {
  py::list out = py::reinterpret_steal<py::list>(
      take(PyList_New(static_cast<Py_ssize_t>(items.size()))).release());
  for (std::size_t i = 0; i < items.size(); ++i) {
    PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), text_result(items[i]).release().ptr());
  }
  return out;
}

py::list symbols_result(const std::vector<symbols::Symbol>& syms) {
  const Keys& k = keys();
  py::list out = py::reinterpret_steal<py::list>(
      take(PyList_New(static_cast<Py_ssize_t>(syms.size()))).release());
  for (std::size_t i = 0; i < syms.size(); ++i) {
    const symbols::Symbol& s = syms[i];
    py::dict d = new_dict();
    put(d.ptr(), k.id, text_result(s.id));
    put(d.ptr(), k.name, text_result(s.name));
    put(d.ptr(), k.symbol_type, short_text(s.symbol_type));
    put(d.ptr(), k.line_start, integer(s.line_start));
    put(d.ptr(), k.line_end, integer(s.line_end));
    put(d.ptr(), k.body_hash, text_result(s.body_hash));
    put(d.ptr(), k.confidence, short_text(s.confidence));
    put(d.ptr(), k.exported, boolean(s.exported));
    put(d.ptr(), k.keywords, text_list_result(s.keywords));
    PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), d.release().ptr());
  }
  return out;
}

py::dict edge_result(const graph::Edge& e) {
  const Keys& k = keys();
  py::dict d = new_dict();
  put(d.ptr(), k.from, text_result(e.from));
  put(d.ptr(), k.to, text_result(e.to));
  put(d.ptr(), k.rel, short_text(e.rel));
  return d;
}

py::list edges_result(const std::vector<graph::Edge>& edges) {
  py::list out = py::reinterpret_steal<py::list>(
      take(PyList_New(static_cast<Py_ssize_t>(edges.size()))).release());
  for (std::size_t i = 0; i < edges.size(); ++i) {
    PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), edge_result(edges[i]).release().ptr());
  }
  return out;
}

py::object json_result(const JsonValue& v) {
  switch (v.type()) {
    case JsonValue::Type::null:
      return py::none();
    case JsonValue::Type::boolean:
      return boolean(v.as_bool());
    case JsonValue::Type::integer:
      return take(PyLong_FromString(v.text().c_str(), nullptr, 10));
    case JsonValue::Type::real: {
      const double d = PyOS_string_to_double(v.text().c_str(), nullptr, PyExc_ValueError);
      if (d == -1.0 && PyErr_Occurred()) throw_python_error();
      return take(PyFloat_FromDouble(d));
    }
    case JsonValue::Type::string:
      return text_result(v.text());
    case JsonValue::Type::array: {
      py::list out;
      for (const JsonValue& item : v.items()) out.append(json_result(item));
      return out;
    }
    case JsonValue::Type::object: {
      py::dict out = new_dict();
      for (const auto& [key, value] : v.members()) {
        py::str k = text_result(key);
        put(out.ptr(), k.ptr(), json_result(value));
      }
      return out;
    }
  }
  return py::none();
}

symbols::Symbol symbol_arg(py::handle record, const Where& what) {
  if (!is_mapping(record)) type_error(what, "a mapping (a symbol record)", record);
  const Keys& k = keys();
  auto field = [&](PyObject* key) {
    try {
      return item(record, key);
    } catch (py::error_already_set& e) {
      e.restore();
      fail_with_note(what);
    }
  };
  symbols::Symbol s;
  s.id = id_arg(field(k.id), what.member("id"));
  s.name = std::string(text_view(field(k.name).ptr(), what.member("name")));
  s.symbol_type = std::string(text_view(field(k.symbol_type).ptr(), what.member("symbol_type")));
  s.line_start = to_int64(field(k.line_start), what.member("line_start"), false);
  s.line_end = to_int64(field(k.line_end), what.member("line_end"), false);
  s.body_hash = std::string(text_view(field(k.body_hash).ptr(), what.member("body_hash")));
  s.confidence = std::string(text_view(field(k.confidence).ptr(), what.member("confidence")));
  s.exported = bool_arg(field(k.exported), what.member("exported"));
  s.keywords = text_list(field(k.keywords), what.member("keywords"));
  // A symbol node's size is line_end - line_start + 1, which must stay in range.
  std::int64_t size = 0;
  if (__builtin_sub_overflow(s.line_end, s.line_start, &size) ||
      __builtin_add_overflow(size, 1, &size)) {
    const std::string name = what.str();
    PyErr_Format(PyExc_OverflowError, "%s: line_end - line_start + 1 does not fit in 64 bits",
                 name.c_str());
    throw_python_error();
  }
  return s;
}

graph::Edge edge_arg(py::handle edge, const Where& what) {
  if (!is_mapping(edge)) type_error(what, "a mapping (an edge)", edge);
  const Keys& k = keys();
  auto field = [&](PyObject* key) {
    try {
      return item(edge, key);
    } catch (py::error_already_set& e) {
      e.restore();
      fail_with_note(what);
    }
  };
  graph::Edge e;
  e.from = id_arg(field(k.from), what.member("from"));
  e.to = id_arg(field(k.to), what.member("to"));
  e.rel = std::string(text_view(field(k.rel).ptr(), what.member("rel")));
  return e;
}

graph::Node node_arg(py::handle node) {
  const Keys& k = keys();
  auto attr = [&](PyObject* name) { return take(PyObject_GetAttr(node.ptr(), name)); };
  auto text = [&](PyObject* name, const char* what) {
    return std::string(text_view(attr(name).ptr(), what));
  };
  graph::Node n;
  n.id = id_arg(attr(k.id), "Node.id");
  n.kind = text(k.kind, "Node.kind");
  n.path = id_arg(attr(k.path), "Node.path");
  n.ext = text(k.ext, "Node.ext");
  n.size = to_int64(attr(k.size), "Node.size", false);
  n.keywords = text_list(attr(k.keywords), "Node.keywords");
  n.content = text(k.content, "Node.content");
  n.summary = text(k.summary, "Node.summary");
  n.file_hash = text(k.file_hash, "Node.file_hash");
  n.symbol_type = text(k.symbol_type, "Node.symbol_type");
  n.name = text(k.name, "Node.name");
  n.line_start = to_int64(attr(k.line_start), "Node.line_start", false);
  n.line_end = to_int64(attr(k.line_end), "Node.line_end", false);
  n.body_hash = text(k.body_hash, "Node.body_hash");
  n.confidence = text(k.confidence, "Node.confidence");
  n.exported = bool_arg(attr(k.exported), "Node.exported");
  return n;
}

JsonValue StoredObjects::hold(py::handle value) {
  objects_.push_back(py::reinterpret_borrow<py::object>(value));
  return JsonValue::integer(static_cast<std::int64_t>(objects_.size() - 1));
}

py::object StoredObjects::object_for(const JsonValue& placeholder) const {
  if (placeholder.type() == JsonValue::Type::integer) {
    const std::string& t = placeholder.text();
    std::size_t index = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), index);
    if (ec == std::errc() && end == t.data() + t.size() && index < objects_.size()) {
      return objects_[index];
    }
  }
  return json_result(placeholder);
}

py::dict node_result(const graph::Node& node) { return node_dict(node, nullptr, nullptr); }

py::dict graph_result(graph::Graph& g, py::object root, const StoredObjects& stored) {
  const GcPaused gc_paused;
  const Keys& k = keys();
  py::list nodes = py::reinterpret_steal<py::list>(
      take(PyList_New(static_cast<Py_ssize_t>(g.nodes.size()))).release());
  SharedText file_id;
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    check_signals(i);
    PyList_SET_ITEM(nodes.ptr(), static_cast<Py_ssize_t>(i),
                    node_dict(g.nodes[i], &stored, &file_id).release().ptr());
    // The texts are in Python now: free them as the conversion goes.
    g.nodes[i] = graph::Node();
  }
  py::list edges = py::reinterpret_steal<py::list>(
      take(PyList_New(static_cast<Py_ssize_t>(g.edges.size()))).release());
  SharedText from;
  for (std::size_t i = 0; i < g.edges.size(); ++i) {
    check_signals(i);
    const graph::Edge& e = g.edges[i];
    py::dict d = new_dict();
    put(d.ptr(), k.from, from.get(e.from));
    put(d.ptr(), k.to, text_result(e.to));
    put(d.ptr(), k.rel, short_text(e.rel));
    PyList_SET_ITEM(edges.ptr(), static_cast<Py_ssize_t>(i), d.release().ptr());
  }
  py::dict out = new_dict(7);
  out["root"] = std::move(root);
  out["node_count"] = g.node_count();
  out["edge_count"] = g.edge_count();
  out["file_count"] = g.file_count();
  out["symbol_count"] = g.symbol_count;
  out["nodes"] = std::move(nodes);
  out["edges"] = std::move(edges);
  return out;
}

graph::PriorNodes prior_nodes_arg(py::handle existing, StoredObjects& stored) {
  if (!is_mapping(existing)) {
    type_error("scan(): existing_nodes", "a mapping from file id to node mapping, or None",
               existing);
  }
  const Keys& k = keys();
  struct Read {
    PyObject* key;
    const char* name;
  };
  // What the scan reads: the hash that decides reuse, and the id and kind a
  // reused node keeps when they are text.
  const std::array<Read, 3> read{{{k.id, "id"}, {k.kind, "kind"}, {k.file_hash, "file_hash"}}};
  static const std::array<PyObject*, kStoredMembers.size()> stored_keys = [] {
    std::array<PyObject*, kStoredMembers.size()> out{};
    for (std::size_t m = 0; m < out.size(); ++m) out[m] = interned(kStoredMembers[m]);
    return out;
  }();
  graph::PriorNodes prior;
  py::object items = take(PyMapping_Items(existing.ptr()));
  const Py_ssize_t n = PyList_GET_SIZE(items.ptr());
  prior.reserve(static_cast<std::size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* pair = PyList_GET_ITEM(items.ptr(), i);
    if (!PyTuple_Check(pair) || PyTuple_GET_SIZE(pair) != 2) {
      PyErr_SetString(PyExc_TypeError, "scan(): existing_nodes.items() must give pairs");
      throw_python_error();
    }
    PyObject* key = PyTuple_GET_ITEM(pair, 0);
    py::handle value = PyTuple_GET_ITEM(pair, 1);
    std::string file_id = id_arg(key, "scan(): a key of existing_nodes");
    const Where what("scan(): existing_nodes", -1, key);
    if (!is_mapping(value)) type_error(what, "a mapping (a node's as_dict form)", value);
    graph::JsonValue node = graph::JsonValue::object();
    for (const Read& r : read) {
      py::object v = optional_item(value, r.key);
      if (!v || !PyUnicode_Check(v.ptr())) continue;
      std::string text = r.key == k.kind ? std::string(text_view(v.ptr(), what.member(r.name)))
                                         : id_arg(v, what.member(r.name));
      node.members().emplace_back(r.name, graph::JsonValue::string(std::move(text)));
    }
    // What a reused node carries over verbatim: the caller's own objects.
    for (std::size_t m = 0; m < kStoredMembers.size(); ++m) {
      py::object v = optional_item(value, stored_keys[m]);
      if (v) node.members().emplace_back(kStoredMembers[m], stored.hold(v));
    }
    prior.insert_or_assign(std::move(file_id), std::move(node));
  }
  return prior;
}

}  // namespace graph_builder::python
