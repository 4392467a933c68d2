#include "graph_builder/graph/scan.hpp"
#include "graph_builder/languages/languages.hpp"

#include <fcntl.h>

#include <memory>
#include <unordered_set>

#include "graph_builder/discovery/walk_internal.hpp"
#include "graph_builder/graph/assemble_internal.hpp"
#include "graph_builder/graph/index_table.hpp"
#include "graph_builder/platform/fd.hpp"
#include "graph_builder/platform/read_file.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/symbols/find_symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/summary.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::graph {
namespace {

// A reused file node: the stored values as they are, the current hash. With
// `take` the stored values are moved out of `old`.
Node reuse_node(JsonValue& old, bool take_values, const std::string& file_id, std::string_view ext,
                std::int64_t size, std::string_view content, const std::string& fhash) {
  Node n;
  const JsonValue* id = old.find("id");
  n.id = id != nullptr && id->type() == JsonValue::Type::string ? id->text() : file_id;
  const JsonValue* kind = old.find("kind");
  n.kind = kind != nullptr && kind->type() == JsonValue::Type::string ? kind->text() : "file";
  n.path = file_id;
  n.ext = std::string(ext);
  n.size = size;
  n.file_hash = fhash;
  auto stored = std::make_shared<StoredFields>();
  auto take = [&](const char* key, std::optional<JsonValue>& slot) {
    for (auto& [k, v] : old.members()) {
      if (k != key) continue;
      if (take_values) {
        slot = std::move(v);
      } else {
        slot = v;
      }
    }
  };
  take("path", stored->path);
  take("ext", stored->ext);
  take("size", stored->size);
  take("keywords", stored->keywords);
  take("content", stored->content);
  take("summary", stored->summary);
  if (!stored->content) n.content = std::string(text::prefix(content, MAX_CONTENT_CHARS));
  n.stored = std::move(stored);
  return n;
}

}  // namespace

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

// `prior` is read only, or (with `take_values`) its reused entries are moved
// from; a file id met twice (through a linked directory) then shares the
// stored values of its first node.
Graph scan_impl(const std::string& root, PriorNodes* prior, bool take_values) {
  Graph g;
  std::unordered_map<std::string, std::shared_ptr<const StoredFields>> taken;
  g.root = root;
  std::vector<Edge> edges;
  const std::vector<discovery::WalkedFile> files = discovery::walk_files_resolved(root);
  const std::string root_resolved = discovery::resolve_path(root);
  // Room for a generous number of symbols and edges per file up front: pages
  // never written cost nothing, while regrowing moves every node built so far.
  g.nodes.reserve(files.size() * 8);
  edges.reserve(files.size() * 12);
  // Files are read a few hundred at a time so that their hashes can be
  // computed side by side (the more texts, the better the lanes of the
  // hashing are used); each text is then analysed in walk order.
  constexpr std::size_t kChunkFiles = 256;
  constexpr std::size_t kChunkBytes = std::size_t{32} << 20;
  constexpr std::size_t kKeptBuffer = std::size_t{256} << 10;
  struct Loaded {
    const discovery::WalkedFile* file = nullptr;
    std::int64_t size = 0;
    std::string content;
  };
  std::vector<Loaded> chunk(kChunkFiles);
  std::vector<std::string_view> texts;
  texts.reserve(kChunkFiles);
  // Symbol bodies too are hashed together, those of a whole chunk at once:
  // a file's own bodies are few and one (the class around the rest) often
  // as long as all the others.
  struct PendingBody {
    std::size_t node = 0;
    const std::string* content = nullptr;
    symbols::SymbolBody body;
  };
  std::vector<PendingBody> pending_bodies;
  std::vector<std::string_view> body_texts;
  std::unordered_set<std::string> seen_ids;
  seen_ids.reserve(files.size());
  bool id_met_twice = false;
  ParentDirectory dir;
  std::string bytes;
  std::size_t next_file = 0;
  while (next_file < files.size()) {
    std::size_t loaded = 0;
    std::size_t chunk_bytes = 0;
    texts.clear();
    while (next_file < files.size() && loaded < kChunkFiles && chunk_bytes < kChunkBytes) {
      const discovery::WalkedFile& file = files[next_file++];
      // Size test and read on one open file: too large or unreadable is skipped.
      std::size_t stat_size = 0;
      if (dir.read(file.path, bytes, &stat_size) != platform::ReadStatus::ok) continue;
      Loaded& slot = chunk[loaded++];
      slot.file = &file;
      slot.size = static_cast<std::int64_t>(stat_size);
      text::decode_text(bytes, slot.content);
      chunk_bytes += slot.content.size();
      texts.push_back(slot.content);
    }
    std::vector<std::string> hashes = text::short_hashes(texts);
    for (std::size_t k = 0; k < loaded; ++k) {
      const discovery::WalkedFile& file = *chunk[k].file;
      const std::string& content = chunk[k].content;
      const std::int64_t size = chunk[k].size;
      std::string fhash = std::move(hashes[k]);
      std::string file_id = discovery::relative_id(file.resolved, root_resolved);
      const std::string_view raw_ext = languages::extension_of(languages::base_name(file.path));
      std::string ext = text::to_lower(raw_ext);
      const languages::Profile& profile = languages::profile(ext);
      // Relations choose their rows by the extension with its case kept.
      const languages::Profile& relations_profile =
          raw_ext == ext ? profile : languages::profile(raw_ext);

      JsonValue* old = nullptr;
      if (prior != nullptr) {
        auto it = prior->find(file_id);
        if (it != prior->end()) old = &it->second;
      }
      const JsonValue* old_hash = old != nullptr ? old->find("file_hash") : nullptr;
      if (old_hash != nullptr && old_hash->type() == JsonValue::Type::string &&
          old_hash->text() == fhash) {
        auto seen = take_values ? taken.find(file_id) : taken.end();
        if (seen != taken.end()) {
          Node n = reuse_node(*old, false, file_id, ext, size, content, fhash);
          n.stored = seen->second;
          g.nodes.push_back(std::move(n));
        } else {
          g.nodes.push_back(reuse_node(*old, take_values, file_id, ext, size, content, fhash));
          if (take_values) taken.emplace(file_id, g.nodes.back().stored);
        }
      } else {
        Node n;
        n.summary = text::make_summary(content, file_id, ext);
        n.keywords = text::extract_keywords(content, ext);
        n.id = file_id;
        n.kind = "file";
        n.path = file_id;
        n.ext = ext;
        n.size = size;
        n.content = std::string(text::prefix(content, MAX_CONTENT_CHARS));
        n.file_hash = fhash;
        g.nodes.push_back(std::move(n));
      }
      if (g.nodes.back().kind == "symbol") ++g.symbol_count;
      const std::size_t file_edges = edges.size();
      std::vector<relations::Relation> found = relations::find_relations(content, relations_profile);
      append_relation_edges(edges, file_id, found);
      if (profile.has_symbols()) {
        std::vector<symbols::SymbolRecord> records = symbols::find_symbols(content, profile);
        const std::size_t before = g.nodes.size();
        for (std::size_t i = 0; i < records.size(); ++i) {
          pending_bodies.push_back({before + i, &content, std::move(records[i].body)});
        }
        std::vector<std::string> unhashed(records.size());
        append_symbol_records(g.nodes, edges, records, unhashed, file_id, ext);
        g.symbol_count += g.nodes.size() - before;
      }
      // Every edge of a file starts at its id, so edges of different files
      // never repeat each other, unless one id is met twice (a directory
      // reached through a link): duplicates are removed per file now, while
      // the file's edges are fresh in memory, and across files only then.
      dedupe_range(edges, file_edges);
      if (!seen_ids.insert(file_id).second) id_met_twice = true;
    }
    body_texts.clear();
    for (const PendingBody& p : pending_bodies) body_texts.push_back(p.body.in(*p.content));
    std::vector<std::string> body_hashes = text::short_hashes(body_texts);
    for (std::size_t i = 0; i < pending_bodies.size(); ++i) {
      g.nodes[pending_bodies[i].node].body_hash = std::move(body_hashes[i]);
    }
    pending_bodies.clear();
    // A slot keeps its buffer for the next chunk, unless it grew large.
    for (std::size_t k = 0; k < loaded; ++k) {
      if (chunk[k].content.capacity() > kKeptBuffer) std::string().swap(chunk[k].content);
    }
  }
  g.edges = id_met_twice ? dedupe_edges(std::move(edges)) : std::move(edges);
  return g;
}

}  // namespace

Graph scan(const std::string& root, const PriorNodes* existing_nodes) {
  return scan_impl(root, const_cast<PriorNodes*>(existing_nodes), false);
}

Graph scan(const std::string& root, PriorNodes&& existing_nodes) {
  return scan_impl(root, &existing_nodes, true);
}

}  // namespace graph_builder::graph
