#include "graph_builder/graph/scan.hpp"

#include <fcntl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>

#include "graph_builder/discovery/walk_internal.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/assemble_internal.hpp"
#include "graph_builder/graph/index_table.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/platform/cpu.hpp"
#include "graph_builder/platform/fd.hpp"
#include "graph_builder/platform/memory.hpp"
#include "graph_builder/platform/read_file.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/symbols/find_symbols.hpp"
#include "graph_builder/text/passes.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"

// A scan runs in four steps per chunk or batch of files, each its own
// function below:
//   1. load: read, decode and hash the files together;
//   2. analyse: each file alone, from its text, its language profile and a
//      read-only look at its previous node (summary and keywords unless the
//      file is unchanged, relations, symbol records);
//   3. hash the symbol bodies together;
//   4. build: the file's nodes and edges, reusing the previous node of an
//      unchanged file by copy or by move.
// The nodes and edges then go into the graph in walk order. With one job all
// of it runs on the calling thread, a chunk of files at a time. With more,
// the calling thread walks the tree and hands the files out, as it finds
// them, in small batches of consecutive files; workers do steps 1 to 4 for a
// batch alone, and the calling thread puts finished batches into the graph
// in walk order, so the graph is the same whatever the number of jobs. The
// analysis touches no shared mutable state.

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

// With one job, files are read a few hundred at a time so that their hashes
// can be computed side by side (the more texts, the better the lanes of the
// hashing are used); the files of a chunk are then analysed and merged in
// walk order.
constexpr std::size_t kChunkFiles = 256;
constexpr std::size_t kChunkBytes = std::size_t{32} << 20;
// With more jobs, workers take batches of this many consecutive files of the
// walk: few enough that a long file holds back one batch only and that the
// texts held at once stay bounded (jobs x batch x file size limit), enough to
// keep the lanes of the hashing busy and the hand-over rare.
constexpr std::size_t kBatchFiles = 64;
// Finished batches that may wait for an earlier one to go into the graph, per
// job and at least: bounds the nodes held outside the graph when one batch
// is slow, while the others go on.
constexpr std::size_t kWindowPerJob = 8;
constexpr std::size_t kMinWindow = 32;
// The walk hands its files to the workers this many at a time, and at each
// directory.
constexpr std::size_t kPublishFiles = 16;
// How long the calling thread waits for the next batch before it asks
// whether to stop and reports progress again.
constexpr auto kPollInterval = std::chrono::milliseconds(20);
// More threads than this are never started, whatever the job count asked.
constexpr unsigned kMaxJobs = 1024;
// A text slot keeps its buffer for the next file, unless it grew past this.
constexpr std::size_t kKeptBuffer = std::size_t{256} << 10;

// One readable file of a chunk or batch.
struct LoadedFile {
  const discovery::WalkedFile* file = nullptr;
  std::int64_t size = 0;  // bytes on disk
  std::string content;    // decoded text
  std::string hash;       // short hash of `content`
};

// Step 1 for one file; one per thread, reusing its buffers.
class FileLoader {
 public:
  // Reads and decodes `file` into `slot` (reusing its text buffer). Returns
  // why not on anything but ok; `slot` is then unchanged.
  platform::ReadStatus load(const discovery::WalkedFile& file, LoadedFile& slot) {
    // Size test and read on one open file.
    std::size_t stat_size = 0;
    const platform::ReadStatus status = dir_.read(file.path, bytes_, &stat_size);
    if (status != platform::ReadStatus::ok) return status;
    slot.file = &file;
    slot.size = static_cast<std::int64_t>(stat_size);
    text::decode_text(bytes_, slot.content);
    return status;
  }

 private:
  ParentDirectory dir_;
  std::string bytes_;
};

discovery::SkipReason skip_reason(platform::ReadStatus status) {
  return status == platform::ReadStatus::too_large ? discovery::SkipReason::too_large
                                                   : discovery::SkipReason::unreadable;
}

// The rest of step 1: the short hashes of the loaded texts, computed together.
void hash_texts(std::span<LoadedFile> loaded) {
  std::vector<std::string_view> texts;
  texts.reserve(loaded.size());
  for (const LoadedFile& f : loaded) texts.push_back(f.content);
  std::vector<std::string> hashes = text::short_hashes(texts);
  for (std::size_t k = 0; k < loaded.size(); ++k) loaded[k].hash = std::move(hashes[k]);
}

// Gives back the text buffers that grew large, keeping the others for the
// next files.
void release_large_texts(std::span<LoadedFile> loaded) {
  for (LoadedFile& f : loaded) {
    if (f.content.capacity() > kKeptBuffer) std::string().swap(f.content);
  }
}

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

// The previous graph's file nodes as the scan reuses them. Safe to use from
// several threads at once: the nodes are only read, but for the stored
// values moved out of a handed-over node, once, under a lock (the members
// moved are never those the analysis or `reuse` read: "id", "kind",
// "file_hash").
class PreviousGraph {
 public:
  // Read only: reused values are copied.
  explicit PreviousGraph(const PriorNodes* nodes) : nodes_(nodes), reuse_(Reuse::copy) {}
  // Handed over: reused values are moved out, which halves the memory of a
  // re-run; a file id met twice (through a linked directory) then shares the
  // stored values of whichever of its nodes was made first.
  explicit PreviousGraph(PriorNodes& nodes)
      : nodes_(&nodes), handed_over_(&nodes), reuse_(Reuse::move) {}

  // The nodes, for the analysis to look at; null when there are none.
  const PriorNodes* nodes() const { return nodes_; }

  // The file node of an unchanged file: the previous node `old` (found by
  // the analysis for `a.file_id`) with its stored values, the current
  // path, extension, size and hash.
  Node reuse(const JsonValue& old, const FileAnalysis& a, const LoadedFile& f) {
    std::shared_ptr<const StoredFields> stored =
        reuse_ == Reuse::copy ? copy_stored(old) : take_once(a.file_id);
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
  // The stored values of the handed-over node of `file_id`: moved out of it
  // the first time, shared after.
  std::shared_ptr<const StoredFields> take_once(const std::string& file_id) {
    const std::lock_guard<std::mutex> lock(taken_mutex_);
    auto taken = taken_.find(file_id);
    if (taken != taken_.end()) return taken->second;
    JsonValue& old = handed_over_->find(file_id)->second;
    auto stored = std::make_shared<StoredFields>();
    for (const auto& [key, slot] : kStoredMembers) {
      for (auto& [k, v] : old.members()) {
        if (k == key) (*stored).*slot = std::move(v);
      }
    }
    taken_.emplace(file_id, stored);
    return stored;
  }

  const PriorNodes* nodes_ = nullptr;
  PriorNodes* handed_over_ = nullptr;
  Reuse reuse_;
  std::mutex taken_mutex_;
  std::unordered_map<std::string, std::shared_ptr<const StoredFields>> taken_;
};

Node fresh_file_node(const LoadedFile& f, FileAnalysis& a) {
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

// Step 4: appends the file's node, then its relation edges and its symbol
// nodes with their "contains" edges, to `nodes` and `edges`. `body_hashes`
// are the hashes of `a.symbols`' bodies. Returns the number of nodes of kind
// "symbol" appended. Moves the analysis' strings out, but for its file id.
std::size_t build_file(const LoadedFile& f, FileAnalysis& a, std::span<std::string> body_hashes,
                       PreviousGraph& previous, std::vector<Node>& nodes,
                       std::vector<Edge>& edges) {
  nodes.push_back(a.previous != nullptr ? previous.reuse(*a.previous, a, f)
                                        : fresh_file_node(f, a));
  std::size_t symbol_count = nodes.back().kind == "symbol" ? 1 : 0;
  const std::size_t file_edges = edges.size();
  append_relation_edges(edges, a.file_id, a.relations);
  const std::size_t before = nodes.size();
  append_symbol_records(nodes, edges, a.symbols, body_hashes, a.file_id, a.ext);
  symbol_count += nodes.size() - before;
  // Every edge of a file starts at its id, so edges of different files
  // never repeat each other, unless one id is met twice (a directory reached
  // through a link): duplicates are removed per file now, while the file's
  // edges are fresh in memory, and across files only then.
  dedupe_range(edges, file_edges);
  return symbol_count;
}

// A batch of consecutive files of the walk, handed to one worker, and what
// became of them.
struct Batch {
  std::size_t seq = 0;    // batches are put into the graph in this order
  std::size_t first = 0;  // the walk's index of `files[0]`
  std::vector<const discovery::WalkedFile*> files;
  // Made by the worker: the files that could not be read (walk index and
  // entry), the nodes and edges of the others, in walk order, and their ids.
  std::vector<std::pair<std::size_t, discovery::Skipped>> skipped;
  std::vector<Node> nodes;
  std::vector<Edge> edges;
  std::vector<std::string> file_ids;
  std::size_t symbol_count = 0;
  std::uint64_t bytes = 0;
};

// Builds the graph from the files' nodes and edges, in walk order.
class GraphMerger {
 public:
  GraphMerger(const std::string& root, PreviousGraph& previous) : previous_(previous) {
    graph_.root = root;
  }

  // Makes room for the nodes and edges of `files` files in all: a generous
  // number of symbols and edges per file up front, since pages never written
  // cost nothing, while regrowing moves every node built so far.
  void expect_files(std::size_t files) {
    reserve_at_least(graph_.nodes, files * 8);
    reserve_at_least(edges_, files * 12);
    seen_ids_.reserve(files);
  }

  // Appends the nodes and edges of one file (build_file) and notes its id.
  void add(const LoadedFile& f, FileAnalysis& a, std::span<std::string> body_hashes) {
    graph_.symbol_count += build_file(f, a, body_hashes, previous_, graph_.nodes, edges_);
    note_id(std::move(a.file_id));
  }

  // Appends the nodes and edges of a finished batch, moving them out.
  // `files_known` files have been found so far; room is made for them when
  // the batch does not fit.
  void add(Batch& b, std::size_t files_known) {
    if (graph_.nodes.size() + b.nodes.size() > graph_.nodes.capacity() ||
        edges_.size() + b.edges.size() > edges_.capacity()) {
      const std::size_t grown = (graph_.nodes.size() / 8 + b.files.size()) * 2;
      expect_files(std::max(files_known, grown));
    }
    std::move(b.nodes.begin(), b.nodes.end(), std::back_inserter(graph_.nodes));
    std::move(b.edges.begin(), b.edges.end(), std::back_inserter(edges_));
    graph_.symbol_count += b.symbol_count;
    for (std::string& id : b.file_ids) note_id(std::move(id));
  }

  Graph finish() {
    graph_.edges = id_met_twice_ ? dedupe_edges(std::move(edges_)) : std::move(edges_);
    return std::move(graph_);
  }

 private:
  // Hundreds of megabytes written once, front to back: on huge pages the
  // page faults, a noticeable share of the run, nearly vanish.
  template <class T>
  static void reserve_at_least(std::vector<T>& v, std::size_t n) {
    if (v.capacity() >= n) return;
    v.reserve(n);
    platform::prefer_huge_pages(v.data(), v.capacity() * sizeof(T));
  }

  void note_id(std::string id) {
    if (!seen_ids_.insert(std::move(id)).second) id_met_twice_ = true;
  }

  PreviousGraph& previous_;
  Graph graph_;
  std::vector<Edge> edges_;
  std::unordered_set<std::string> seen_ids_;
  bool id_met_twice_ = false;
};

// Reports entries passed over in walk order: those of the walk, each recorded
// with the number of files found before it, go out just before the first
// report of a later file, or at the end.
class SkipReports {
 public:
  explicit SkipReports(const discovery::SkipObserver& on_skip) : on_skip_(on_skip) {}

  // An entry the walk passed over after finding `files_before` files.
  void walk_skipped(std::size_t files_before, discovery::Skipped&& s) {
    if (on_skip_) walk_.emplace_back(files_before, std::move(s));
  }
  // The file with the walk's index `index`, which could not be read.
  void file_skipped(std::size_t index, const discovery::Skipped& s) {
    if (!on_skip_) return;
    while (!walk_.empty() && walk_.front().first <= index) pop_walk();
    on_skip_(s);
  }
  // Whatever is left.
  void finish() {
    while (!walk_.empty()) pop_walk();
  }

 private:
  void pop_walk() {
    const discovery::Skipped s = std::move(walk_.front().second);
    walk_.pop_front();
    on_skip_(s);
  }

  const discovery::SkipObserver& on_skip_;
  std::deque<std::pair<std::size_t, discovery::Skipped>> walk_;
};

bool asked_to_stop(const ScanOptions& options) { return options.cancelled && options.cancelled(); }

void report_progress(const ScanOptions& options, const ScanProgress& progress) {
  if (options.on_progress) options.on_progress(progress);
}

// The scan with one job, on the calling thread: the whole walk first, then
// the files a chunk at a time.
class SerialScan final : public discovery::WalkSink {
 public:
  SerialScan(const std::string& root, std::string_view root_resolved, PreviousGraph& previous,
             const ScanOptions& options)
      : root_(root),
        root_resolved_(root_resolved),
        previous_(previous),
        options_(options),
        reports_(options.on_skip),
        merger_(root, previous) {}

  Graph run() {
    discovery::walk_files_into(root_, *this);
    if (cancelled_) throw Cancelled();
    progress_.walk_done = true;
    merger_.expect_files(files_.size());
    std::vector<LoadedFile> chunk(kChunkFiles);
    std::vector<FileAnalysis> analyses;
    analyses.reserve(kChunkFiles);
    std::size_t next = 0;
    while (next < files_.size()) {
      std::size_t loaded = 0;
      std::size_t chunk_bytes = 0;
      while (next < files_.size() && loaded < kChunkFiles && chunk_bytes < kChunkBytes) {
        const std::size_t index = next++;
        const platform::ReadStatus status = loader_.load(files_[index], chunk[loaded]);
        if (status != platform::ReadStatus::ok) {
          reports_.file_skipped(index, {files_[index].path, skip_reason(status)});
          ++progress_.files_done;
          continue;
        }
        chunk_bytes += chunk[loaded].content.size();
        ++loaded;
      }
      const std::span<LoadedFile> files_read(chunk.data(), loaded);
      hash_texts(files_read);
      analyses.clear();
      for (const LoadedFile& f : files_read) {
        if (asked_to_stop(options_)) throw Cancelled();
        analyses.push_back(analyse_file(f, root_resolved_, previous_.nodes()));
      }
      std::vector<std::string> body_hashes = hash_bodies(files_read, analyses);
      std::span<std::string> rest(body_hashes);
      for (std::size_t k = 0; k < loaded; ++k) {
        const std::size_t n = analyses[k].symbols.size();
        merger_.add(chunk[k], analyses[k], rest.first(n));
        rest = rest.subspan(n);
        ++progress_.files_done;
        progress_.bytes_done += static_cast<std::uint64_t>(chunk[k].size);
        report_progress(options_, progress_);
      }
      release_large_texts(files_read);
    }
    report_progress(options_, progress_);
    reports_.finish();
    return merger_.finish();
  }

  void file(discovery::WalkedFile&& f) override {
    files_.push_back(std::move(f));
    ++progress_.files_found;
  }
  void skipped(discovery::Skipped&& s) override {
    reports_.walk_skipped(files_.size(), std::move(s));
  }
  bool stopped() override {
    report_progress(options_, progress_);
    cancelled_ = cancelled_ || asked_to_stop(options_);
    return cancelled_;
  }

 private:
  const std::string& root_;
  std::string_view root_resolved_;
  PreviousGraph& previous_;
  const ScanOptions& options_;
  SkipReports reports_;
  GraphMerger merger_;
  FileLoader loader_;
  std::vector<discovery::WalkedFile> files_;
  ScanProgress progress_;
  bool cancelled_ = false;
};

// The scan with several jobs. The calling thread walks the tree and hands the
// files out as it finds them; each worker takes the next batch of
// consecutive files and does steps 1 to 4 for it alone; the calling thread
// puts finished batches into the graph in walk order, reports what was
// passed over, asks whether to stop and reports progress.
class ParallelScan final : public discovery::WalkSink {
 public:
  ParallelScan(const std::string& root, std::string_view root_resolved, PreviousGraph& previous,
               const ScanOptions& options, unsigned jobs)
      : root_(root),
        root_resolved_(root_resolved),
        previous_(previous),
        options_(options),
        jobs_(jobs),
        window_(std::max(kMinWindow, kWindowPerJob * jobs)),
        reports_(options.on_skip),
        merger_(root, previous) {}

  ParallelScan(const ParallelScan&) = delete;
  ParallelScan& operator=(const ParallelScan&) = delete;

  // Whatever ends the scan (its end, a cancellation, an exception on any
  // thread), the workers are stopped and joined before anything they use
  // goes away.
  ~ParallelScan() {
    stop();
    for (std::thread& t : workers_) t.join();
  }

  Graph run() {
    workers_.reserve(jobs_);
    for (unsigned i = 0; i < jobs_; ++i) workers_.emplace_back([this] { work(); });
    discovery::walk_files_into(root_, *this);
    publish();
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      walk_done_ = true;
    }
    work_ready_.notify_all();
    if (cancelled_) throw Cancelled();
    progress_.walk_done = true;
    merger_.expect_files(found_);
    while (merged_files_ < found_) {
      merge_finished(Wait::yes);
      if (poll()) throw Cancelled();
    }
    reports_.finish();
    return merger_.finish();
  }

  // The walk's findings, on the calling thread.
  void file(discovery::WalkedFile&& f) override {
    pending_.push_back(std::move(f));
    if (pending_.size() >= kPublishFiles) publish();
  }
  void skipped(discovery::Skipped&& s) override {
    reports_.walk_skipped(found_ + pending_.size(), std::move(s));
  }
  bool stopped() override {
    publish();
    merge_finished(Wait::no);
    return poll();
  }

 private:
  enum class Wait : std::uint8_t { no, yes };

  // Calling thread: asks whether to stop (stopping the workers when so) and
  // reports progress. True once asked to stop.
  bool poll() {
    progress_.files_found = found_ + pending_.size();
    report_progress(options_, progress_);
    if (!cancelled_ && asked_to_stop(options_)) {
      cancelled_ = true;
      stop();
    }
    return cancelled_;
  }

  // Calling thread: hands the files found since the last call to the workers.
  void publish() {
    if (pending_.empty()) return;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      for (discovery::WalkedFile& f : pending_) files_.push_back(std::move(f));
      found_ += pending_.size();
    }
    pending_.clear();
    work_ready_.notify_all();
  }

  // Calling thread: puts the finished batches that are next in walk order
  // into the graph; with Wait::yes, first waits a while for the next one.
  // Throws what a worker threw.
  void merge_finished(Wait wait) {
    while (true) {
      std::unique_ptr<Batch> b;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wait == Wait::yes) {
          batch_done_.wait_for(lock, kPollInterval, [this] {
            return error_ || (!finished_.empty() && finished_.front() != nullptr);
          });
          wait = Wait::no;
        }
        if (error_) std::rethrow_exception(error_);
        if (finished_.empty() || finished_.front() == nullptr) return;
        b = std::move(finished_.front());
        finished_.pop_front();
        ++merged_;
      }
      // Room in the window for one more batch.
      work_ready_.notify_all();
      for (const auto& [index, entry] : b->skipped) reports_.file_skipped(index, entry);
      merger_.add(*b, found_);
      merged_files_ += b->files.size();
      progress_.files_done += b->files.size();
      progress_.bytes_done += b->bytes;
    }
  }

  // Any thread: stops the workers after the file at hand.
  void stop() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    work_ready_.notify_all();
    batch_done_.notify_all();
  }

  // A worker's life: batches until the files run out or the scan stops.
  void work() {
    try {
      FileLoader loader;
      std::vector<LoadedFile> slots(kBatchFiles);
      std::vector<FileAnalysis> analyses;
      analyses.reserve(kBatchFiles);
      while (std::unique_ptr<Batch> b = take()) {
        if (!process(*b, loader, slots, analyses)) return;
        finished(std::move(b));
      }
    } catch (...) {
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!error_) error_ = std::current_exception();
      }
      stop();
    }
  }

  // Worker: the next batch, once there are files to take and room in the
  // window; null when every file is taken or the scan stops.
  std::unique_ptr<Batch> take() {
    std::unique_lock<std::mutex> lock(mutex_);
    work_ready_.wait(lock, [this] {
      return stop_ || (next_file_ < found_ && next_seq_ < merged_ + window_) ||
             (walk_done_ && next_file_ == found_);
    });
    if (stop_ || next_file_ == found_) return nullptr;
    auto b = std::make_unique<Batch>();
    b->seq = next_seq_++;
    b->first = next_file_;
    const std::size_t n = std::min(kBatchFiles, found_ - next_file_);
    b->files.reserve(n);
    for (std::size_t i = 0; i < n; ++i) b->files.push_back(&files_[next_file_ + i]);
    next_file_ += n;
    return b;
  }

  // Worker: hands a processed batch back.
  void finished(std::unique_ptr<Batch> b) {
    bool next_in_order = false;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      const std::size_t slot = b->seq - merged_;
      if (finished_.size() <= slot) finished_.resize(slot + 1);
      finished_[slot] = std::move(b);
      next_in_order = slot == 0;
    }
    if (next_in_order) batch_done_.notify_one();
  }

  // Worker: steps 1 to 4 for the files of `b`, in `b`. False when the scan
  // stopped on the way.
  bool process(Batch& b, FileLoader& loader, std::vector<LoadedFile>& slots,
               std::vector<FileAnalysis>& analyses) {
    std::size_t loaded = 0;
    for (std::size_t i = 0; i < b.files.size(); ++i) {
      if (stop_.load(std::memory_order_relaxed)) return false;
      const discovery::WalkedFile& file = *b.files[i];
      const platform::ReadStatus status = loader.load(file, slots[loaded]);
      if (status != platform::ReadStatus::ok) {
        b.skipped.emplace_back(b.first + i, discovery::Skipped{file.path, skip_reason(status)});
        continue;
      }
      b.bytes += static_cast<std::uint64_t>(slots[loaded].size);
      ++loaded;
    }
    const std::span<LoadedFile> files_read(slots.data(), loaded);
    hash_texts(files_read);
    analyses.clear();
    for (const LoadedFile& f : files_read) {
      if (stop_.load(std::memory_order_relaxed)) return false;
      analyses.push_back(analyse_file(f, root_resolved_, previous_.nodes()));
    }
    std::vector<std::string> body_hashes = hash_bodies(files_read, analyses);
    std::span<std::string> rest(body_hashes);
    b.file_ids.reserve(loaded);
    for (std::size_t k = 0; k < loaded; ++k) {
      const std::size_t n = analyses[k].symbols.size();
      b.symbol_count +=
          build_file(slots[k], analyses[k], rest.first(n), previous_, b.nodes, b.edges);
      b.file_ids.push_back(std::move(analyses[k].file_id));
      rest = rest.subspan(n);
    }
    release_large_texts(files_read);
    return true;
  }

  const std::string& root_;
  std::string_view root_resolved_;
  PreviousGraph& previous_;
  const ScanOptions& options_;
  const unsigned jobs_;
  const std::size_t window_;

  // Shared, under `mutex_`. `files_` only grows, and its elements never
  // move, so a worker reads the files of its batch without the lock.
  std::mutex mutex_;
  std::condition_variable work_ready_;  // files or room for workers, or stop
  std::condition_variable batch_done_;  // the next batch in order, or an error
  std::deque<discovery::WalkedFile> files_;
  std::size_t found_ = 0;  // written by the calling thread only
  bool walk_done_ = false;
  std::size_t next_file_ = 0;
  std::size_t next_seq_ = 0;
  std::size_t merged_ = 0;                       // batches put into the graph
  std::deque<std::unique_ptr<Batch>> finished_;  // by seq - merged_; null: not yet
  std::exception_ptr error_;
  std::atomic<bool> stop_{false};
  std::vector<std::thread> workers_;

  // The calling thread's own.
  std::vector<discovery::WalkedFile> pending_;
  SkipReports reports_;
  GraphMerger merger_;
  ScanProgress progress_;
  std::size_t merged_files_ = 0;
  bool cancelled_ = false;
};

Graph scan_with(const std::string& root, PreviousGraph& previous, const ScanOptions& options) {
  const std::string root_resolved = discovery::resolve_path(root);
  const unsigned jobs =
      std::min(options.jobs != 0 ? options.jobs : platform::usable_cores(), kMaxJobs);
  if (jobs <= 1) return SerialScan(root, root_resolved, previous, options).run();
  return ParallelScan(root, root_resolved, previous, options, jobs).run();
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
