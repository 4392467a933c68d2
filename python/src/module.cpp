// The extension module graph_builder._core: the library's functions with
// Python's types. The package graph_builder (python/graph_builder/) gives
// them at its top level, with the Node record.

#include <pybind11/pybind11.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "convert.hpp"
#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/assemble.hpp"
#include "graph_builder/graph/scan.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"

#ifndef GB_VERSION
#error "GB_VERSION (the CMake project version) must be defined"
#endif

namespace graph_builder::python {
namespace {

// Lets other Python threads run while the library works, and takes the GIL
// back briefly when the caller's thread must look at Python's signals.
class ReleasedGil {
 public:
  ReleasedGil() : state_(PyEval_SaveThread()) {}
  ~ReleasedGil() { PyEval_RestoreThread(state_); }
  ReleasedGil(const ReleasedGil&) = delete;
  ReleasedGil& operator=(const ReleasedGil&) = delete;

  // Runs the signal handlers that are due (on the main thread; Python runs
  // them nowhere else) and tells whether one raised, KeyboardInterrupt for
  // Ctrl-C. The exception stays set on this thread for the caller to raise.
  bool signal_raised() {
    PyEval_RestoreThread(state_);
    const bool raised = PyErr_CheckSignals() != 0;
    state_ = PyEval_SaveThread();
    return raised;
  }

 private:
  PyThreadState* state_;
};

// Asked before each file of a scan: looks at Python's signals at most every
// kInterval, so that a scan costs no more for it and Ctrl-C still ends it at
// once.
class InterruptPoll {
 public:
  explicit InterruptPoll(ReleasedGil& gil) : gil_(gil) {}

  bool operator()() {
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return false;
    next_ = now + kInterval;
    raised_ = gil_.signal_raised();
    return raised_;
  }
  bool raised() const { return raised_; }

 private:
  static constexpr std::chrono::milliseconds kInterval{20};
  ReleasedGil& gil_;
  std::chrono::steady_clock::time_point next_{};
  bool raised_ = false;
};

bool on_main_thread() {
  py::object main = py::module_::import("threading").attr("main_thread")();
  return main.attr("ident").cast<unsigned long>() == PyThread_get_thread_ident();
}

// The root as the result gives it: the text of the path the caller passed.
py::object root_text(py::handle root) {
  PyObject* fs = PyOS_FSPath(root.ptr());
  if (fs == nullptr) throw_python_error();
  py::object path = py::reinterpret_steal<py::object>(fs);
  if (PyBytes_Check(fs)) {
    return path_result(
        std::string_view(PyBytes_AS_STRING(fs), static_cast<std::size_t>(PyBytes_GET_SIZE(fs))));
  }
  return path;
}

py::dict scan(py::handle root, py::handle existing_nodes) {
  const std::string root_path = path_arg(root, "scan(): root");
  py::object root_value = root_text(root);
  StoredObjects stored;
  graph::PriorNodes prior;
  if (!existing_nodes.is_none()) prior = prior_nodes_arg(existing_nodes, stored);
  const bool watch_signals = on_main_thread();
  graph::Graph g;
  bool interrupted = false;
  {
    ReleasedGil gil;
    InterruptPoll poll(gil);
    graph::ScanOptions options;
    if (watch_signals) options.cancelled = [&poll] { return poll(); };
    try {
      g = graph::scan(root_path, prior.empty() ? nullptr : &prior, options);
    } catch (const Cancelled&) {
      if (!poll.raised()) throw;
      interrupted = true;
    }
  }
  if (interrupted) throw_python_error();
  prior.clear();
  return graph_result(g, std::move(root_value), stored);
}

py::list dedupe_edges(py::handle edges) {
  py::object seq = py::reinterpret_steal<py::object>(
      PySequence_Fast(edges.ptr(), "dedupe_edges(): edges must be a list of edges"));
  if (!seq) throw_python_error();
  const Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
  std::vector<graph::Edge> converted;
  converted.reserve(static_cast<std::size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) {
    converted.push_back(
        edge_arg(PySequence_Fast_GET_ITEM(seq.ptr(), i), Where("dedupe_edges(): edges", i)));
  }
  const std::vector<graph::Edge> kept = graph::dedupe_edges(converted);
  // The kept edges are the first of each group, in input order: walking both
  // lists together finds each one's position, and the caller's own object is
  // returned.
  py::list out;
  std::size_t k = 0;
  for (Py_ssize_t i = 0; i < n && k < kept.size(); ++i) {
    if (converted[static_cast<std::size_t>(i)] == kept[k]) {
      out.append(py::handle(PySequence_Fast_GET_ITEM(seq.ptr(), i)));
      ++k;
    }
  }
  return out;
}

py::list walk_files(py::handle root) {
  const std::string root_path = path_arg(root, "walk_files(): root");
  std::vector<std::string> files;
  {
    ReleasedGil gil;
    files = discovery::walk_files(root_path);
  }
  py::list out;
  for (const std::string& f : files) out.append(path_result(f));
  return out;
}

bool should_scan(py::handle path) {
  return discovery::should_scan(path_arg(path, "should_scan(): path"));
}

py::str rel(py::handle path, py::handle root) {
  const std::string p = path_arg(path, "rel(): path");
  const std::string r = path_arg(root, "rel(): root");
  return text_result(discovery::rel(p, r));
}

py::list extract_symbols_for_file(py::handle content, py::handle file_id, py::handle ext) {
  return symbols_result(
      symbols::extract_symbols_for_file(text_arg(content, "_extract_symbols_for_file(): content"),
                                        id_arg(file_id, "_extract_symbols_for_file(): file_id"),
                                        text_arg(ext, "_extract_symbols_for_file(): ext")));
}

// The Node class of the package (graph_builder._node.Node).
py::object node_class() {
  static PyObject* const cls =
      py::object(py::module_::import("graph_builder._node").attr("Node")).release().ptr();
  return py::reinterpret_borrow<py::object>(cls);
}

// A Node object with the fields of `n`.
py::object node_object(const graph::Node& n) {
  return node_class()(text_result(n.id), text_result(n.kind), text_result(n.path),
                      text_result(n.ext), n.size, text_list_result(n.keywords),
                      text_result(n.content), text_result(n.summary), text_result(n.file_hash),
                      text_result(n.symbol_type), text_result(n.name), n.line_start, n.line_end,
                      text_result(n.body_hash), text_result(n.confidence), n.exported);
}

void append_to(py::handle list, py::handle item) {
  if (PyList_Check(list.ptr())) {
    if (PyList_Append(list.ptr(), item.ptr()) != 0) throw_python_error();
    return;
  }
  list.attr("append")(item);
}

void append_symbol_nodes(py::handle nodes, py::handle edges, py::handle syms, py::handle file_id,
                         py::handle ext) {
  py::object seq = py::reinterpret_steal<py::object>(
      PySequence_Fast(syms.ptr(), "_append_symbol_nodes(): syms must be a list of symbol records"));
  if (!seq) throw_python_error();
  const Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
  std::vector<symbols::Symbol> records;
  records.reserve(static_cast<std::size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) {
    records.push_back(symbol_arg(PySequence_Fast_GET_ITEM(seq.ptr(), i),
                                 Where("_append_symbol_nodes(): syms", i)));
  }
  const std::string id = id_arg(file_id, "_append_symbol_nodes(): file_id");
  const std::string_view e = text_arg(ext, "_append_symbol_nodes(): ext");
  std::vector<graph::Node> new_nodes;
  std::vector<graph::Edge> new_edges;
  graph::append_symbol_nodes(new_nodes, new_edges, std::move(records), id, e);
  // Everything is converted before anything is appended, so that a failure
  // leaves both lists as they were.
  std::vector<py::object> node_objects;
  std::vector<py::object> edge_objects;
  for (const graph::Node& node : new_nodes) node_objects.push_back(node_object(node));
  for (const graph::Edge& edge : new_edges) edge_objects.push_back(edge_result(edge));
  for (const py::object& o : node_objects) append_to(nodes, o);
  for (const py::object& o : edge_objects) append_to(edges, o);
}

py::str body_hash(py::handle lines, py::handle start, py::handle end) {
  if (!PyList_Check(lines.ptr()) && !PyTuple_Check(lines.ptr())) {
    type_error("_body_hash(): lines", "a list of str", lines);
  }
  const std::int64_t first = clamped_int_arg(start, "_body_hash(): start");
  const std::int64_t last = clamped_int_arg(end, "_body_hash(): end");
  py::object seq = py::reinterpret_steal<py::object>(PySequence_Fast(lines.ptr(), ""));
  if (!seq) throw_python_error();
  const Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
  // Every line must be a str; only the selected ones are read.
  std::vector<std::string_view> views(static_cast<std::size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* line = PySequence_Fast_GET_ITEM(seq.ptr(), i);
    if (i >= first && i <= last) {
      views[static_cast<std::size_t>(i)] = text_arg(line, Where("_body_hash(): lines", i));
    } else if (!PyUnicode_Check(line)) {
      type_error(Where("_body_hash(): lines", i), "str", line);
    }
  }
  return text_result(symbols::body_hash(views, first, last));
}

using Extractor = std::vector<symbols::Symbol> (*)(std::string_view, std::string_view);

template <Extractor extract>
py::list extractor(py::handle content, py::handle file_path) {
  return symbols_result(extract(text_arg(content, "extract_symbols_*(): content"),
                                id_arg(file_path, "extract_symbols_*(): file_path")));
}

py::list split_camel(py::handle name) {
  return text_list_result(text::split_camel(text_arg(name, "_split_camel(): name")));
}

py::list name_keywords(py::handle name) {
  return text_list_result(text::name_keywords(text_arg(name, "_name_keywords(): name")));
}

py::list extract_keywords(py::handle content, py::handle ext) {
  return text_list_result(text::extract_keywords(text_arg(content, "extract_keywords(): content"),
                                                 text_arg(ext, "extract_keywords(): ext")));
}

// `path` is read for its words, which the library does only for UTF-8: it is
// a text here, not an id (a surrogate escape raises UnicodeEncodeError).
py::str make_summary(py::handle content, py::handle path, py::handle ext) {
  return text_result(text::make_summary(text_arg(content, "_make_summary(): content"),
                                        text_arg(path, "_make_summary(): path"),
                                        text_arg(ext, "_make_summary(): ext")));
}

py::list parse_relations(py::handle path, py::handle text, py::handle root) {
  const std::string p = path_arg(path, "parse_relations(): path");
  const std::string_view t = text_arg(text, "parse_relations(): text");
  const std::string r = path_arg(root, "parse_relations(): root");
  return edges_result(graph::parse_relations(p, t, r));
}

py::dict node_as_dict(py::handle node) { return node_result(node_arg(node)); }

template <class Strings>
py::frozenset string_set(const Strings& items) {
  py::set out;
  for (std::string_view s : items) out.add(py::str(s.data(), s.size()));
  return py::frozenset(out);
}

}  // namespace
}  // namespace graph_builder::python

PYBIND11_MODULE(_core, m) {
  namespace gb = graph_builder;
  namespace py = pybind11;
  using namespace graph_builder::python;

  m.doc() = "The graph_builder library's functions; use them through the graph_builder package.";
  m.attr("__version__") = GB_VERSION;
  m.attr("MAX_FILE_BYTES") = gb::graph::MAX_FILE_BYTES;
  m.attr("MAX_CONTENT_CHARS") = gb::graph::MAX_CONTENT_CHARS;
  m.attr("SCAN_EXTS") = string_set(gb::languages::scanned_extensions());
  m.attr("SYMBOL_EXTS") = string_set(gb::languages::symbol_extensions());
  m.attr("SKIP_DIRS") = string_set(gb::discovery::SKIP_DIRS);
  m.attr("_CONDITIONAL_SKIP") = string_set(gb::discovery::CONDITIONAL_SKIP);

  py::register_exception<gb::FatalError>(m, "FatalError", PyExc_RuntimeError);

  m.def("scan", &scan, py::arg("root"), py::arg("existing_nodes") = py::none(),
        "The graph of the project under `root` (str or os.PathLike): a dict with \"root\", "
        "\"node_count\", \"edge_count\", \"file_count\", \"symbol_count\", \"nodes\" (each "
        "node's as_dict form) and \"edges\" (dicts with \"from\", \"to\", \"rel\").\n\n"
        "`existing_nodes` maps file ids to the nodes of a previous graph: a file whose "
        "\"file_hash\" is unchanged keeps the previous node's values, the very objects given. "
        "Other Python threads run during the scan; Ctrl-C raises KeyboardInterrupt.");
  m.def("dedupe_edges", &dedupe_edges, py::arg("edges"),
        "The first edge of every group of edges with equal \"from\", \"to\" and \"rel\", in "
        "input order (the objects given, not copies).");
  m.def("walk_files", &walk_files, py::arg("root"),
        "The paths of the files under `root` that are scanned, in walk order.");
  m.def("should_scan", &should_scan, py::arg("path"),
        "True when a file at `path` is of a kind that is scanned (a test of the path's text).");
  m.def("rel", &rel, py::arg("path"), py::arg("root"),
        "The file id of `path` under `root`: its components below the resolved root joined by "
        "\"/\", or a relative path with \"..\" for a file outside it.");
  m.def("_extract_symbols_for_file", &extract_symbols_for_file, py::arg("content"),
        py::arg("file_id"), py::arg("ext"),
        "The symbol records of `content` by the extractor for `ext` (exact, lower case); empty "
        "for an extension without one.");
  m.def("_append_symbol_nodes", &append_symbol_nodes, py::arg("nodes"), py::arg("edges"),
        py::arg("syms"), py::arg("file_id"), py::arg("ext"),
        "Appends a symbol Node per record of `syms` to `nodes`, and its \"contains\" edge to "
        "`edges`. Returns None.");
  m.def("_body_hash", &body_hash, py::arg("lines"), py::arg("start"), py::arg("end"),
        "The first 8 hex digits of the MD5 of lines[start..end] joined with \"\\n\"; lines past "
        "the end are ignored, and a negative start, a start past the end or a start after the end "
        "select nothing.");
  m.def("extract_symbols_ts", &extractor<&gb::symbols::extract_symbols_ts>, py::arg("content"),
        py::arg("file_path"), "Symbol records of a TypeScript or JavaScript text.");
  m.def("extract_symbols_py", &extractor<&gb::symbols::extract_symbols_py>, py::arg("content"),
        py::arg("file_path"), "Symbol records of a Python text.");
  m.def("extract_symbols_rs", &extractor<&gb::symbols::extract_symbols_rs>, py::arg("content"),
        py::arg("file_path"), "Symbol records of a Rust text.");
  m.def("extract_symbols_java", &extractor<&gb::symbols::extract_symbols_java>, py::arg("content"),
        py::arg("file_path"), "Symbol records of a Java, Kotlin or Scala text.");
  m.def("extract_symbols_cs", &extractor<&gb::symbols::extract_symbols_cs>, py::arg("content"),
        py::arg("file_path"), "Symbol records of a C# text.");
  m.def("extract_symbols_rb", &extractor<&gb::symbols::extract_symbols_rb>, py::arg("content"),
        py::arg("file_path"), "Symbol records of a Ruby text.");
  m.def("extract_symbols_php", &extractor<&gb::symbols::extract_symbols_php>, py::arg("content"),
        py::arg("file_path"), "Symbol records of a PHP text.");
  m.def("extract_symbols_c_cpp", &extractor<&gb::symbols::extract_symbols_c_cpp>,
        py::arg("content"), py::arg("file_path"), "Symbol records of a C or C++ text.");
  m.def("_split_camel", &split_camel, py::arg("name"),
        "The camel-case words of `name`, lower-cased, each at least 3 characters.");
  m.def("_name_keywords", &name_keywords, py::arg("name"), "Up to 10 keywords for a symbol name.");
  m.def("extract_keywords", &extract_keywords, py::arg("content"), py::arg("ext"),
        "Up to 80 keywords of a file's text, in order of first admission.");
  m.def("_make_summary", &make_summary, py::arg("content"), py::arg("path"), py::arg("ext"),
        "The one- or two-sentence summary of a file; `path` is its file id.");
  m.def("parse_relations", &parse_relations, py::arg("path"), py::arg("text"), py::arg("root"),
        "The \"imports\", \"requires\", \"includes\" and \"references\" edges of a file's text, "
        "from the file id of `path` under `root`.");
  m.def("_node_as_dict", &node_as_dict, py::arg("node"), "Node.as_dict.");
}
