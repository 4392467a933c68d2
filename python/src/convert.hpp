#pragma once
// Conversions between Python values and the library's records, with the
// module's rules for bad input. Every function here needs the GIL; on bad
// input it sets a Python exception and throws pybind11::error_already_set.
//
// Arguments come in three kinds:
//   texts (contents, names, extensions, lines): a str that encodes as UTF-8;
//     a lone surrogate raises UnicodeEncodeError, any other type TypeError;
//   ids (file ids, symbol ids, edge ends): a str, encoded as UTF-8, where the
//     surrogate escapes that os.fsdecode makes of file-name bytes that are not
//     UTF-8 turn back into those bytes;
//   paths: a str, bytes or os.PathLike, encoded as os.fsencode does; a NUL
//     raises ValueError, since the operating system would cut the path there.
// Results are str: texts and ids decoded from UTF-8, with surrogate escapes
// for the bytes of file names that are not UTF-8; paths as os.fsdecode does.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/graph/json.hpp"
#include "graph_builder/graph/node.hpp"
#include "graph_builder/graph/scan.hpp"
#include "graph_builder/symbols/symbols.hpp"

namespace graph_builder::python {

namespace py = pybind11;

// Throws the Python exception that is set as a C++ exception that pybind11
// hands back to Python.
[[noreturn]] inline void throw_python_error() { throw py::error_already_set(); }

// Names a value in error messages, as in `scan(): existing_nodes['a.py']["id"]`;
// the text is built only when a message needs it.
class Where {
 public:
  Where(const char* base) : base_(base) {}  // NOLINT: a name converts implicitly
  // `base` then "[index]" (when index >= 0), "[repr(key)]" (when `key` is
  // set) and "[\"member\"]" (when `member` is set).
  Where(const char* base, Py_ssize_t index, PyObject* key = nullptr, const char* member = nullptr)
      : base_(base), index_(index), key_(key), member_(member) {}
  Where member(const char* name) const { return Where(base_, index_, key_, name); }
  // The text; called with no Python exception set.
  std::string str() const;

 private:
  const char* base_;
  Py_ssize_t index_ = -1;
  PyObject* key_ = nullptr;
  const char* member_ = nullptr;
};

// `value` as UTF-8 text, viewed in the str's own buffer (valid while `value`
// lives).
std::string_view text_arg(py::handle value, const Where& what);
// `value` as an id (see above).
std::string id_arg(py::handle value, const Where& what);
// `value` as a path (see above): the bytes the operating system is given.
std::string path_arg(py::handle value, const Where& what);
// `value` as an integer (anything operator.index accepts); OverflowError
// outside the 64-bit range.
std::int64_t int_arg(py::handle value, const Where& what);
// The same, with values outside the 64-bit range clamped to its ends, for
// indexes whose meaning is the same past any real length.
std::int64_t clamped_int_arg(py::handle value, const Where& what);
// `value`, which must be a bool.
bool bool_arg(py::handle value, const Where& what);
// `value`, a list or tuple of texts.
std::vector<std::string> text_list_arg(py::handle value, const Where& what);
// A new TypeError "<what> must be <expected>, not <type of value>".
[[noreturn]] void type_error(const Where& what, const char* expected, py::handle value);

// Results.
py::str text_result(std::string_view s);
py::str path_result(std::string_view s);
py::list text_list_result(const std::vector<std::string>& items);
// A symbol record: a dict with "id", "name", "symbol_type", "line_start",
// "line_end", "body_hash", "confidence", "exported", "keywords", in order.
py::list symbols_result(const std::vector<symbols::Symbol>& syms);
// An edge: a dict with "from", "to", "rel", in order.
py::dict edge_result(const graph::Edge& e);
py::list edges_result(const std::vector<graph::Edge>& edges);
// Any JSON value as the Python value json.loads gives for it.
py::object json_result(const graph::JsonValue& v);

// A symbol record given by a caller: a mapping holding the nine keys of the
// record (KeyError for a missing one) with values of the record's types.
symbols::Symbol symbol_arg(py::handle record, const Where& what);
// An edge given by a caller: a mapping holding "from", "to" and "rel" (KeyError
// for a missing one), each a str.
graph::Edge edge_arg(py::handle edge, const Where& what);
// The fields of a Node object (its sixteen attributes) as a graph::Node.
graph::Node node_arg(py::handle node);

// Python objects that stand in for stored values of a previous graph: the
// scan carries a reused node's stored values verbatim, so the module hands it
// an integer placeholder per value and puts the caller's own object back in
// the result.
class StoredObjects {
 public:
  // A placeholder for `value`, which is kept alive until this is destroyed.
  graph::JsonValue hold(py::handle value);
  // The object `placeholder` stands for (a new reference), or, for a value
  // that is not a placeholder, its conversion.
  py::object object_for(const graph::JsonValue& placeholder) const;

 private:
  std::vector<py::object> objects_;
};

// A node's dict, in the order of its serialised members (`Node.as_dict`).
py::dict node_result(const graph::Node& node);

// The graph of a scan: "root" (`root`), the four counts, "nodes" (each
// node's dict, its stored values from `stored`) and "edges". Frees the
// nodes' texts as it goes.
py::dict graph_result(graph::Graph& g, py::object root, const StoredObjects& stored);

// The previous graph's file nodes: `existing` is a mapping from file id to the
// node's mapping (as as_dict gives it). The values the scan reads ("id",
// "kind", "file_hash") are converted; those it carries over are held in
// `stored`. TypeError for anything but a mapping of str to mappings.
graph::PriorNodes prior_nodes_arg(py::handle existing, StoredObjects& stored);

}  // namespace graph_builder::python
