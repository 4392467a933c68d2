#include "graph_builder/graph/scan.hpp"

#include <fcntl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "graph_builder/discovery/walk_internal.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/assemble_internal.hpp"
#include "graph_builder/graph/index_table.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/platform/fd.hpp"
#include "graph_builder/platform/read_file.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/symbols/find_symbols.hpp"
#include "graph_builder/text/passes.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"

// A scan runs in four steps per chunk of files, each its own function below:
//   1. load: read, decode and hash a chunk of the walk's files together;
//   2. analyse: each file alone, from its text, its language profile and a
//      read-only look at its previous node (summary and keywords unless the
//      file is unchanged, relations, symbol records);
//   3. hash the chunk's symbol bodies together;
//   4. merge: in walk order, make the file's nodes and edges, reusing the
//      previous node of an unchanged file by copy or by move.
// The analysis touches no shared mutable state, and merging alone builds the
// graph, in walk order.

namespace graph_builder::graph {
namespace {

// Removes, in place, every edge of edges[begin..] equal to an earlier one of
// that range; the first of each keeps its place.
void dedupe_range(std::vector<Edge>& edges, std::size_t begin) {
  const std::size_t n = edges.size() - begin;
  if (n < 2) return;
  // Decide every edge first (the table refers to edges by position), then
  // close the gaps in place.
  std::vector<bool> keep(n, false);
  if (n <= 16) {
    // A few edges: comparing each with those before it is cheapest.
    for (std::size_t i = 0; i < n; ++i) {
      keep[i] = true;
      for (std::size_t j = 0; j < i && keep[i]; ++j) {
        keep[i] = !(keep[j] && edges[begin + j] == edges[begin + i]);
      }
    }
  } else {
    IndexTable first(n);
    const std::hash<std::string> hash;
    for (std::size_t i = 0; i < n; ++i) {
      const Edge& e = edges[begin + i];
      const std::uint64_t h = hash(e.from) ^ (hash(e.to) * 31) ^ (hash(e.rel) * 131);
      keep[i] = first.first(h, i, [&](std::size_t j) { return edges[begin + j] == e; }) == i;
    }
  }
  std::size_t kept = begin;
  for (std::size_t i = 0; i < n; ++i) {
    if (!keep[i]) continue;
    if (kept != begin + i) edges[kept] = std::move(edges[begin + i]);
    ++kept;
  }
  edges.resize(kept);
}

}  // namespace

std::vector<Edge> dedupe_edges(std::vector<Edge>&& edges) {
  dedupe_range(edges, 0);
  return std::move(edges);
}

std::vector<Edge> dedupe_edges(const std::vector<Edge>& edges) {
  return dedupe_edges(std::vector<Edge>(edges));
}

namespace {

// Files are opened relative to their directory, kept open while the walk's
// files stay in it: the kernel then looks up one name per file instead of
// every component of its path. The directory is held as a path handle, which
// needs no read permission on it, only the search permission that opening
// the file by its whole path needs too.
class ParentDirectory {
 public:
  platform::ReadStatus read(const std::string& path, std::string& out, std::size_t* size) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) {
      return platform::read_file(path.c_str(), out, MAX_FILE_BYTES, size);
    }
    const std::string_view parent(path.data(), slash);
    if (!fd_ || parent != path_) {
      path_.assign(parent);
      fd_.reset(::open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    if (!fd_) return platform::read_file(path.c_str(), out, MAX_FILE_BYTES, size);
    return platform::read_file_at(fd_.get(), path.c_str() + slash + 1, out, MAX_FILE_BYTES, size);
  }

 private:
  std::string path_;
  platform::UniqueFd fd_;
};

// Files are read a few hundred at a time so that their hashes can be
// computed side by side (the more texts, the better the lanes of the hashing
// are used); the files of a chunk are then analysed and merged in walk order.
constexpr std::size_t kChunkFiles = 256;
constexpr std::size_t kChunkBytes = std::size_t{32} << 20;
// A chunk slot keeps its text buffer for the next chunk, unless it grew past this.
constexpr std::size_t kKeptBuffer = std::size_t{256} << 10;

// One readable file of a chunk.
struct LoadedFile {
  const discovery::WalkedFile* file = nullptr;
  std::int64_t size = 0;  // bytes on disk
  std::string content;    // decoded text
  std::string hash;       // short hash of `content`
};

// Step 1: reads the walk's files in order, a chunk at a time.
class ChunkReader {
 public:
  ChunkReader(const std::vector<discovery::WalkedFile>& files,
              const discovery::SkipObserver* on_skip)
      : files_(files), on_skip_(on_skip) {
    texts_.reserve(kChunkFiles);
  }

  // Loads the next files into `chunk` (reusing its buffers), up to
  // kChunkFiles files or kChunkBytes of text, and hashes their texts
  // together. Files too large or unreadable are skipped. Returns the number
  // loaded, 0 once every file was read.
  std::size_t load(std::vector<LoadedFile>& chunk) {
    std::size_t loaded = 0;
    std::size_t chunk_bytes = 0;
    texts_.clear();
    while (next_ < files_.size() && loaded < chunk.size() && chunk_bytes < kChunkBytes) {
      const discovery::WalkedFile& file = files_[next_++];
      // Size test and read on one open file.
      std::size_t stat_size = 0;
      const platform::ReadStatus status = dir_.read(file.path, bytes_, &stat_size);
      if (status != platform::ReadStatus::ok) {
        report(file.path, status);
        continue;
      }
      LoadedFile& slot = chunk[loaded++];
      slot.file = &file;
      slot.size = static_cast<std::int64_t>(stat_size);
      text::decode_text(bytes_, slot.content);
      chunk_bytes += slot.content.size();
      texts_.push_back(slot.content);
    }
    std::vector<std::string> hashes = text::short_hashes(texts_);
    for (std::size_t k = 0; k < loaded; ++k) chunk[k].hash = std::move(hashes[k]);
    return loaded;
  }

 private:
  void report(const std::string& path, platform::ReadStatus status) const {
    if (on_skip_ == nullptr || !*on_skip_) return;
    (*on_skip_)({path, status == platform::ReadStatus::too_large
                           ? discovery::SkipReason::too_large
                           : discovery::SkipReason::unreadable});
  }

  const std::vector<discovery::WalkedFile>& files_;
  const discovery::SkipObserver* on_skip_;
  std::size_t next_ = 0;
  ParentDirectory dir_;
  std::string bytes_;
  std::vector<std::string_view> texts_;
};

// What the graph takes from one file besides its loaded text.
struct FileAnalysis {
  std::string file_id;
  std::string ext;  // lower case
  // The previous node of an unchanged file (same hash): the merge reuses it,
  // and the summary and keywords are not worked out.
  const JsonValue* previous = nullptr;
  std::string summary;
  std::vector<std::string> keywords;
  std::vector<relations::Relation> relations;
  std::vector<symbols::SymbolRecord> symbols;
};

// Step 2: the analysis of one loaded file. Reads `previous` (the previous
// graph's file nodes, or null) and nothing else outside its arguments.
FileAnalysis analyse_file(const LoadedFile& f, std::string_view root_resolved,
                          const PriorNodes* previous) {
  FileAnalysis a;
  a.file_id = discovery::relative_id(f.file->resolved, root_resolved);
  const std::string_view raw_ext = languages::extension_of(languages::base_name(f.file->path));
  a.ext = text::to_lower(raw_ext);
  const languages::Profile& profile = languages::profile(a.ext);
  // Relations choose their rows by the extension with its case kept; every
  // other pass by the lower-cased one.
  const languages::Profile& relations_profile =
      raw_ext == a.ext ? profile : languages::profile(raw_ext);

  if (previous != nullptr) {
    auto it = previous->find(a.file_id);
    if (it != previous->end()) {
      const JsonValue* old_hash = it->second.find("file_hash");
      if (old_hash != nullptr && old_hash->type() == JsonValue::Type::string &&
          old_hash->text() == f.hash) {
        a.previous = &it->second;
      }
    }
  }
  if (a.previous == nullptr) {
    a.summary = text::summary_for(f.content, a.file_id, profile);
    a.keywords = text::keywords_for(f.content, profile);
  }
  a.relations = relations::find_relations(f.content, relations_profile);
  a.symbols = symbols::find_symbols(f.content, profile);
  return a;
}

// Step 3: the short hash of every symbol body of the chunk, computed together
// (a file's own bodies are few, and one, the class around the rest, is often
// as long as all the others): file by file, record by record.
std::vector<std::string> hash_bodies(std::span<const LoadedFile> chunk,
                                     std::span<const FileAnalysis> analyses) {
  std::vector<std::string_view> bodies;
  for (std::size_t k = 0; k < analyses.size(); ++k) {
    for (const symbols::SymbolRecord& r : analyses[k].symbols) {
      bodies.push_back(r.body.in(chunk[k].content));
    }
  }
  return text::short_hashes(bodies);
}

// How the stored values of a reused previous node reach the graph.
enum class Reuse : std::uint8_t {
  copy,  // the previous nodes are the caller's, read only
  move,  // the previous nodes were handed over: values are moved out
};

// The values a reused node carries over, by member name.
constexpr std::array<std::pair<std::string_view, std::optional<JsonValue> StoredFields::*>, 6>
    kStoredMembers{{{"path", &StoredFields::path},
                    {"ext", &StoredFields::ext},
                    {"size", &StoredFields::size},
                    {"keywords", &StoredFields::keywords},
                    {"content", &StoredFields::content},
                    {"summary", &StoredFields::summary}}};

// The previous graph's file nodes as the merge reuses them.
class PreviousGraph {
 public:
  // Read only: reused values are copied.
  explicit PreviousGraph(const PriorNodes* nodes) : nodes_(nodes), reuse_(Reuse::copy) {}
  // Handed over: reused values are moved out, which halves the memory of a
  // re-run; a file id met twice (through a linked directory) then shares the
  // stored values of its first node.
  explicit PreviousGraph(PriorNodes& nodes)
      : nodes_(&nodes), handed_over_(&nodes), reuse_(Reuse::move) {}

  // The nodes, for the analysis to look at; null when there are none.
  const PriorNodes* nodes() const { return nodes_; }

  // The file node of an unchanged file: the previous node `old` (found by
  // the analysis for `a.file_id`) with its stored values, the current
  // path, extension, size and hash.
  Node reuse(const JsonValue& old, const FileAnalysis& a, const LoadedFile& f) {
    std::shared_ptr<const StoredFields> stored;
    switch (reuse_) {
      case Reuse::copy:
        stored = copy_stored(old);
        break;
      case Reuse::move: {
        auto taken = taken_.find(a.file_id);
        if (taken != taken_.end()) {
          stored = taken->second;
        } else {
          stored = take_stored(handed_over_->find(a.file_id)->second);
          taken_.emplace(a.file_id, stored);
        }
        break;
      }
    }
    Node n;
    const JsonValue* id = old.find("id");
    n.id = id != nullptr && id->type() == JsonValue::Type::string ? id->text() : a.file_id;
    const JsonValue* kind = old.find("kind");
    n.kind = kind != nullptr && kind->type() == JsonValue::Type::string ? kind->text() : "file";
    n.path = a.file_id;
    n.ext = a.ext;
    n.size = f.size;
    n.file_hash = f.hash;
    if (!stored->content) n.content = std::string(text::prefix(f.content, MAX_CONTENT_CHARS));
    n.stored = std::move(stored);
    return n;
  }

 private:
  // The stored values of `old` (of each name, its last member), copied.
  static std::shared_ptr<const StoredFields> copy_stored(const JsonValue& old) {
    auto stored = std::make_shared<StoredFields>();
    for (const auto& [key, slot] : kStoredMembers) {
      for (const auto& [k, v] : old.members()) {
        if (k == key) (*stored).*slot = v;
      }
    }
    return stored;
  }
  // The same, moved out of `old`; its other members stay.
  static std::shared_ptr<const StoredFields> take_stored(JsonValue& old) {
    auto stored = std::make_shared<StoredFields>();
    for (const auto& [key, slot] : kStoredMembers) {
      for (auto& [k, v] : old.members()) {
        if (k == key) (*stored).*slot = std::move(v);
      }
    }
    return stored;
  }

  const PriorNodes* nodes_ = nullptr;
  PriorNodes* handed_over_ = nullptr;
  Reuse reuse_;
  std::unordered_map<std::string, std::shared_ptr<const StoredFields>> taken_;
};

// Step 4: builds the graph from the files' analyses, in walk order.
class GraphMerger {
 public:
  GraphMerger(const std::string& root, std::size_t file_count, PreviousGraph& previous)
      : previous_(previous) {
    graph_.root = root;
    // Room for a generous number of symbols and edges per file up front:
    // pages never written cost nothing, while regrowing moves every node
    // built so far.
    graph_.nodes.reserve(file_count * 8);
    edges_.reserve(file_count * 12);
    seen_ids_.reserve(file_count);
  }

  // Appends the file's node, then its relation edges and its symbol nodes
  // with their "contains" edges. `body_hashes` are the hashes of
  // `a.symbols`' bodies. Moves the analysis' strings out.
  void add(const LoadedFile& f, FileAnalysis& a, std::span<std::string> body_hashes) {
    std::vector<Node>& nodes = graph_.nodes;
    if (a.previous != nullptr) {
      nodes.push_back(previous_.reuse(*a.previous, a, f));
    } else {
      nodes.push_back(fresh_file_node(f, a));
    }
    if (nodes.back().kind == "symbol") ++graph_.symbol_count;
    const std::size_t file_edges = edges_.size();
    append_relation_edges(edges_, a.file_id, a.relations);
    const std::size_t before = nodes.size();
    append_symbol_records(nodes, edges_, a.symbols, body_hashes, a.file_id, a.ext);
    graph_.symbol_count += nodes.size() - before;
    // Every edge of a file starts at its id, so edges of different files
    // never repeat each other, unless one id is met twice (a directory
    // reached through a link): duplicates are removed per file now, while
    // the file's edges are fresh in memory, and across files only then.
    dedupe_range(edges_, file_edges);
    if (!seen_ids_.insert(a.file_id).second) id_met_twice_ = true;
  }

  Graph finish() {
    graph_.edges = id_met_twice_ ? dedupe_edges(std::move(edges_)) : std::move(edges_);
    return std::move(graph_);
  }

 private:
  static Node fresh_file_node(const LoadedFile& f, FileAnalysis& a) {
    Node n;
    n.summary = std::move(a.summary);
    n.keywords = std::move(a.keywords);
    n.id = a.file_id;
    n.kind = "file";
    n.path = a.file_id;
    n.ext = a.ext;
    n.size = f.size;
    n.content = std::string(text::prefix(f.content, MAX_CONTENT_CHARS));
    n.file_hash = f.hash;
    return n;
  }

  PreviousGraph& previous_;
  Graph graph_;
  std::vector<Edge> edges_;
  std::unordered_set<std::string> seen_ids_;
  bool id_met_twice_ = false;
};

Graph scan_with(const std::string& root, PreviousGraph& previous, const ScanOptions& options) {
  const discovery::SkipObserver* on_skip = options.on_skip ? &options.on_skip : nullptr;
  const std::vector<discovery::WalkedFile> files = discovery::walk_files_resolved(root, on_skip);
  const std::string root_resolved = discovery::resolve_path(root);
  ChunkReader reader(files, on_skip);
  GraphMerger merger(root, files.size(), previous);
  std::vector<LoadedFile> chunk(kChunkFiles);
  std::vector<FileAnalysis> analyses;
  analyses.reserve(kChunkFiles);
  for (std::size_t loaded = reader.load(chunk); loaded != 0; loaded = reader.load(chunk)) {
    const std::span<const LoadedFile> files_read(chunk.data(), loaded);
    analyses.clear();
    for (const LoadedFile& f : files_read) {
      if (options.cancelled && options.cancelled()) throw Cancelled();
      analyses.push_back(analyse_file(f, root_resolved, previous.nodes()));
    }
    std::vector<std::string> body_hashes = hash_bodies(files_read, analyses);
    std::span<std::string> rest(body_hashes);
    for (std::size_t k = 0; k < loaded; ++k) {
      const std::size_t n = analyses[k].symbols.size();
      merger.add(chunk[k], analyses[k], rest.first(n));
      rest = rest.subspan(n);
    }
    for (std::size_t k = 0; k < loaded; ++k) {
      if (chunk[k].content.capacity() > kKeptBuffer) std::string().swap(chunk[k].content);
    }
  }
  return merger.finish();
}

}  // namespace

Graph scan(const std::string& root, const PriorNodes* existing_nodes, const ScanOptions& options) {
  PreviousGraph previous(existing_nodes);
  return scan_with(root, previous, options);
}

Graph scan(const std::string& root, PriorNodes&& existing_nodes, const ScanOptions& options) {
  PreviousGraph previous(existing_nodes);
  return scan_with(root, previous, options);
}

}  // namespace graph_builder::graph
