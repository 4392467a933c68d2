// The fast reader of previous graph documents against the general one: on
// every document the fast reader takes, both must give the same file nodes
// (same ids, same values with the same member order, types and literal
// texts); the fast reader may only give up, never differ.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/documents/documents.hpp"
#include "graph_builder/documents/previous_graph.hpp"
#include "graph_builder/documents/previous_graph_internal.hpp"
#include "graph_builder/graph/json_writer.hpp"
#include "support/random_text.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::documents {
namespace {

using graph::JsonValue;
namespace pgi = previous_graph_internal;

std::string shown(std::string_view doc) {
  return std::string(doc.substr(0, 400)) + (doc.size() > 400 ? "..." : "");
}

std::string serialised(const JsonValue& v) {
  std::string out;
  graph::append_json(out, v, graph::Layout::indented);
  return out;
}

std::vector<std::string> sorted_ids(const graph::PriorNodes& nodes) {
  std::vector<std::string> ids;
  for (const auto& [id, node] : nodes) ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

// `doc` through the fast reader in pieces: reads of 1 to 64 bytes into a
// buffer that starts tiny, so that lines straddle reads and the buffer grows.
std::optional<graph::PriorNodes> read_in_pieces(std::string_view doc, testing::RandomText& rng) {
  std::size_t pos = 0;
  const pgi::ReadSome read = [&](char* dst, std::size_t room) {
    const std::size_t n = std::min({room, doc.size() - pos, rng.number(1, 64)});
    std::copy_n(doc.data() + pos, n, dst);
    pos += n;
    return static_cast<std::ptrdiff_t>(n);
  };
  return pgi::read_fast(read, rng.number(1, 48));
}

// Checks that `fast` (what a fast reader made of `doc`) is nullopt or what
// the general reader returns; returns whether it is a result.
bool same_as_general(const std::optional<graph::PriorNodes>& fast, std::string_view doc) {
  if (!fast) return false;
  const graph::PriorNodes general = pgi::read_general(doc);
  EXPECT_EQ(sorted_ids(*fast), sorted_ids(general)) << shown(doc);
  for (const auto& [id, node] : general) {
    auto it = fast->find(id);
    if (it == fast->end()) continue;
    EXPECT_EQ(serialised(it->second), serialised(node)) << id << " in " << shown(doc);
    // Equality of the trees also compares literal texts the serialiser
    // would normalise (integer forms, real spellings).
    EXPECT_TRUE(it->second == node) << id << " in " << shown(doc);
  }
  return true;
}

// Which fast readers took a document.
struct Taken {
  bool whole = false;
  bool pieces = false;
};

// Checks that the fast reader, given `doc` whole and in pieces, gives up or
// agrees with the general reader.
Taken agrees(std::string_view doc) {
  static testing::RandomText rng(99);
  Taken t;
  t.whole = same_as_general(pgi::read_fast(doc), doc);
  t.pieces = same_as_general(read_in_pieces(doc, rng), doc);
  return t;
}

// Text made of everything a string can hold: plain ASCII, the characters
// written as two-character escapes, other controls, DEL, non-ASCII of two,
// three and four bytes (the last written as a surrogate pair), and the
// multi-byte spaces U+00A0 and U+3000.
std::string random_text(testing::RandomText& rng, int max_pieces) {
  static const std::vector<std::string> kPieces = {"a",
                                                   "Z",
                                                   "kind",
                                                   "file",
                                                   "nodes",
                                                   " ",
                                                   "  ",
                                                   "/",
                                                   "\"",
                                                   "\\",
                                                   "\n",
                                                   "\t",
                                                   "\r",
                                                   "\b",
                                                   "\f",
                                                   "\x01",
                                                   "\x1f",
                                                   "\x7f",
                                                   "\xC3\xA9",
                                                   "\xE2\x82\xAC",
                                                   "\xF0\x9F\x98\x80",
                                                   "\xC2\xA0",
                                                   "\xE3\x80\x80",
                                                   "{",
                                                   "}",
                                                   "[",
                                                   "]",
                                                   ":",
                                                   ",",
                                                   "0",
                                                   "-1.5e3",
                                                   "\\u0041",
                                                   "\xF4\x8F\xBF\xBF"};
  return rng.text(kPieces, {0, max_pieces});
}

// A stored value such as a previous document may have carried: any type,
// integers of any length, finite reals.
JsonValue random_stored_value(testing::RandomText& rng, int depth) {
  switch (rng.below(depth > 0 ? 8 : 6)) {
    case 0:
      return JsonValue();
    case 1:
      return JsonValue::boolean(rng.below(2) == 0);
    case 2: {
      static const std::vector<std::string> kIntegers = {"0",
                                                         "-0",
                                                         "7",
                                                         "-42",
                                                         "9223372036854775807",
                                                         "-9223372036854775808",
                                                         "18446744073709551615",
                                                         "18446744073709551616",
                                                         "-9223372036854775809",
                                                         "123456789012345678901234567890"};
      return JsonValue::integer_text(kIntegers[rng.below(kIntegers.size())]);
    }
    case 3: {
      static const std::vector<std::string> kReals = {"1.5",   "-0.0", "1e5",       "2.5E-7",
                                                      "1e300", "0.1",  "-3.25e+10", "5e-324"};
      return JsonValue::real_text(kReals[rng.below(kReals.size())]);
    }
    case 4:
    case 5:
      return JsonValue::string(random_text(rng, 6));
    case 6: {
      JsonValue a = JsonValue::array();
      for (int i = static_cast<int>(rng.below(4)); i > 0; --i) {
        a.items().push_back(random_stored_value(rng, depth - 1));
      }
      return a;
    }
    default: {
      JsonValue o = JsonValue::object();
      for (int i = static_cast<int>(rng.below(4)); i > 0; --i) {
        o.set(random_text(rng, 2), random_stored_value(rng, depth - 1));
      }
      return o;
    }
  }
}

// A graph as a scan may leave it: file nodes, some with values stored from an
// earlier document, symbol nodes, edges; ids may repeat.
graph::Graph random_graph(testing::RandomText& rng) {
  graph::Graph g;
  g.root = "/r/" + random_text(rng, 3);
  const int files = static_cast<int>(rng.below(6));
  for (int f = 0; f < files; ++f) {
    graph::Node n;
    n.id = rng.below(5) == 0 ? "same.py" : random_text(rng, 4);
    n.kind = "file";
    n.path = n.id;
    n.ext = ".py";
    n.size = static_cast<std::int64_t>(rng.below(100000));
    for (int k = static_cast<int>(rng.below(4)); k > 0; --k)
      n.keywords.push_back(random_text(rng, 2));
    n.content = random_text(rng, 60);
    n.summary = random_text(rng, 8);
    n.file_hash = "0123abcd";
    if (rng.below(3) == 0) {
      auto stored = std::make_shared<graph::StoredFields>();
      if (rng.below(2) == 0) stored->size = random_stored_value(rng, 2);
      if (rng.below(2) == 0) stored->keywords = random_stored_value(rng, 2);
      if (rng.below(2) == 0) stored->content = random_stored_value(rng, 2);
      if (rng.below(2) == 0) stored->summary = random_stored_value(rng, 2);
      n.stored = std::move(stored);
    }
    g.nodes.push_back(std::move(n));
    for (int s = static_cast<int>(rng.below(3)); s > 0; --s) {
      graph::Node sym;
      sym.id = g.nodes.back().id + "::" + random_text(rng, 2);
      sym.kind = "symbol";
      sym.path = g.nodes.back().id;
      sym.symbol_type = "function";
      sym.name = random_text(rng, 2);
      sym.line_start = static_cast<std::int64_t>(rng.below(50));
      sym.line_end = sym.line_start + 3;
      sym.body_hash = "feed";
      sym.confidence = "high";
      sym.exported = rng.below(2) == 0;
      g.nodes.push_back(std::move(sym));
      ++g.symbol_count;
    }
  }
  for (int e = static_cast<int>(rng.below(5)); e > 0; --e) {
    g.edges.push_back({random_text(rng, 2), random_text(rng, 2), "imports"});
  }
  return g;
}

TEST(PreviousGraphFast, TakesEveryDocumentThisProgramWritesAndAgrees) {
  testing::RandomText rng(20240611);
  for (int i = 0; i < 3000; ++i) {
    const std::string doc = graph_document(random_graph(rng));
    // A fast reader that gave up on its own documents would make every
    // other check here hold trivially.
    const Taken t = agrees(doc);
    EXPECT_TRUE(t.whole) << shown(doc);
    EXPECT_TRUE(t.pieces) << shown(doc);
  }
}

// Small edits that often keep a written document valid JSON (inside strings,
// numbers and white space) and often do not.
TEST(PreviousGraphFast, AgreesOnMutatedDocuments) {
  static const std::vector<std::string> kSnippets = {"{",
                                                     "}",
                                                     "[",
                                                     "]",
                                                     ",",
                                                     ":",
                                                     "\"",
                                                     "\\",
                                                     "\\u",
                                                     "\\ud83d",
                                                     "\\ude00",
                                                     "\\uD83D\\uDE00",
                                                     "\\u00e9",
                                                     "\\u0000",
                                                     "\\/",
                                                     "\\x",
                                                     "0",
                                                     "7",
                                                     "-",
                                                     ".",
                                                     "e",
                                                     "E",
                                                     "+",
                                                     "1e400",
                                                     "-0",
                                                     " ",
                                                     "\t",
                                                     "\n",
                                                     "\r",
                                                     "\f",
                                                     "\x01",
                                                     "\xC2\xA0",
                                                     "\xE3\x80\x80",
                                                     "\xC3\xA9",
                                                     "true",
                                                     "null",
                                                     "\"kind\": \"file\", ",
                                                     "\"kind\": \"symbol\", ",
                                                     "\"id\": 5, ",
                                                     "\"id\": [], ",
                                                     "\"nodes\": [], ",
                                                     "k",
                                                     "i",
                                                     "d",
                                                     "s",
                                                     "f"};
  testing::RandomText rng(77);
  int taken = 0;
  constexpr int kRounds = 30000;
  for (int i = 0; i < kRounds; ++i) {
    std::string doc = graph_document(random_graph(rng));
    for (int m = static_cast<int>(rng.below(3)) + 1; m > 0 && !doc.empty(); --m) {
      const std::size_t at = rng.below(doc.size());
      switch (rng.below(6)) {
        case 0:
          doc[at] = kSnippets[rng.below(kSnippets.size())][0];
          break;
        case 1:
        case 2:
          doc.insert(at, kSnippets[rng.below(kSnippets.size())]);
          break;
        case 3:
          doc.erase(at, rng.below(4) + 1);
          break;
        case 4:
          doc.insert(at, doc.substr(at, rng.below(30)));
          break;
        default:
          doc.resize(at);
          break;
      }
    }
    const Taken t = agrees(doc);
    // Only a node with "kind" twice may be taken whole but not in pieces.
    EXPECT_TRUE(t.whole || !t.pieces) << shown(doc);
    if (t.whole) ++taken;
  }
  // Enough edits leave the document valid for the comparison to bite.
  EXPECT_GT(taken, kRounds / 10);
}

// Random documents from a grammar aimed at the reading rules: repeated and
// reordered keys, keys spelled with escapes, every number and escape form,
// odd white space, non-object nodes, ids of every type, occasional damage.
class DocumentMaker {
 public:
  explicit DocumentMaker(std::uint32_t seed) : rng_(seed) {}

  std::string document() {
    // One document in four may hold damage or forms left to the general
    // reader; the others are valid JSON throughout.
    damaged_ = one_in(4);
    std::string d = ws();
    if (damaged_ && one_in(10)) {
      value(d, 2);
    } else {
      d += '{';
      const int members = pick(5);
      for (int i = 0; i < members; ++i) {
        if (i > 0) d += ',';
        d += ws();
        static const std::vector<std::string> kTopKeys = {
            "\"nodes\"", "\"nodes\"",       "\"nodes\"", "\"edges\"",
            "\"root\"",  "\"no\\u0064es\"", "\"Nodes\"", "\"\""};
        d += kTopKeys[pick(kTopKeys.size())] + ws() + ":" + ws();
        if (one_in(8)) {
          value(d, 3);
        } else {
          nodes(d);
        }
      }
      d += ws() + "}";
    }
    d += ws();
    if (damaged_ && one_in(4)) d.resize(pick(d.size() + 1));
    if (damaged_ && one_in(8)) d += one_in(2) ? "x" : "}";
    return d;
  }

 private:
  bool one_in(int n) { return rng_.one_in(static_cast<std::size_t>(n)); }
  std::size_t pick(std::size_t n) { return rng_.below(n); }
  int pick(int n) { return static_cast<int>(rng_.below(static_cast<std::size_t>(n))); }

  std::string ws() {
    static const std::vector<std::string> kSpaces = {
        "", "", "", " ", "\n  ", "\t", "\r\n", "\n\n    ", "\f", "\xC2\xA0", "\xE3\x80\x80", "\v"};
    // The last four are not JSON white space.
    return kSpaces[damaged_ && one_in(30) ? 8 + pick(4) : pick(8)];
  }

  void nodes(std::string& d) {
    if (one_in(damaged_ ? 5 : 40)) {
      value(d, 2);
      return;
    }
    d += '[';
    const int n = pick(5);
    for (int i = 0; i < n; ++i) {
      if (i > 0) d += ",";
      d += ws();
      if (damaged_ && one_in(10)) {
        value(d, 2);
      } else {
        node(d);
      }
    }
    d += ws() + "]";
  }

  void node(std::string& d) {
    static const std::vector<std::string> kKeys = {"\"id\"",         "\"kind\"",     "\"content\"",
                                                   "\"summary\"",    "\"keywords\"", "\"size\"",
                                                   "\"ki\\u006ed\"", "\"x\""};
    d += '{';
    const int members = one_in(10) ? pick(3) : 2 + pick(5);
    for (int i = 0; i < members; ++i) {
      if (i > 0) d += ",";
      const std::string& key =
          i < 2 && !one_in(5) ? kKeys[static_cast<std::size_t>(i)] : kKeys[pick(kKeys.size())];
      d += ws() + key + ws() + ":" + ws();
      if (key == "\"kind\"" || key == "\"ki\\u006ed\"") {
        static const std::vector<std::string> kKinds = {
            "\"file\"",       "\"file\"", "\"file\"", "\"file\"", "\"symbol\"",
            "\"fi\\u006ce\"", "\"File\"", "1",        "null",     "[\"file\"]"};
        d += kKinds[pick(kKinds.size())];
      } else if (key == "\"id\"" && !one_in(10)) {
        static const std::vector<std::string> kIds = {"\"a.py\"", "\"b.py\"", "\"a.py\"",
                                                      "\"\\u0061.py\""};
        d += kIds[pick(kIds.size())];
      } else {
        value(d, 3);
      }
    }
    d += ws() + "}";
  }

  void value(std::string& d, int depth) {
    switch (pick(depth > 0 ? 9 : 6)) {
      case 0:
        d += one_in(2) ? "true" : (one_in(2) ? "false" : "null");
        return;
      case 1:
      case 2:
        number(d);
        return;
      case 3:
      case 4:
      case 5:
        string(d);
        return;
      case 6:
      case 7: {
        d += '[';
        const int n = pick(4);
        for (int i = 0; i < n; ++i) {
          if (i > 0) d += ",";
          d += ws();
          value(d, depth - 1);
        }
        d += ws() + "]";
        return;
      }
      default: {
        d += '{';
        const int n = pick(4);
        for (int i = 0; i < n; ++i) {
          if (i > 0) d += ",";
          d += ws();
          string(d);
          d += ws() + ":" + ws();
          value(d, depth - 1);
        }
        d += ws() + "}";
      }
    }
  }

  void digits(std::string& d, int n) {
    for (int i = 0; i < n; ++i) d += static_cast<char>('0' + pick(10));
  }

  void number(std::string& d) {
    if (one_in(10)) {
      // The first eleven are valid JSON the general reader accepts.
      static const std::vector<std::string> kOdd = {"-0",
                                                    "0",
                                                    "-0.0",
                                                    "1.0",
                                                    "1e5",
                                                    "1E+5",
                                                    "1e-5",
                                                    "-0e0",
                                                    "18446744073709551616",
                                                    "-9223372036854775809",
                                                    "9223372036854775807",
                                                    "1e400",
                                                    "-1e400",
                                                    "1e-400",
                                                    "01",
                                                    "1.",
                                                    ".5",
                                                    "-",
                                                    "+1",
                                                    "1e",
                                                    "0x10",
                                                    "NaN",
                                                    "Infinity"};
      d += kOdd[damaged_ && one_in(3) ? pick(kOdd.size()) : pick(std::size_t{11})];
      return;
    }
    if (one_in(3)) d += '-';
    if (one_in(4)) {
      d += '0';
    } else {
      d += static_cast<char>('1' + pick(9));
      // Now and then longer than 64 bits, or (in a damaged document) long
      // enough to overflow a double.
      digits(d, one_in(10) ? (one_in(5) ? (damaged_ ? 300 : 250) + pick(20) : 15 + pick(10))
                           : pick(5));
    }
    if (one_in(4)) {
      d += '.';
      digits(d, 1 + pick(4));
    }
    if (one_in(5)) {
      d += one_in(2) ? 'e' : 'E';
      if (one_in(2)) d += one_in(2) ? '+' : '-';
      digits(d, 1 + pick(3));
    }
  }

  void string(std::string& d) {
    static const std::vector<std::string> kPieces = {
        "a", "b", "file", " ", "/", "\\\"", "\\\\", "\\/", "\\b", "\\f", "\\n", "\\r", "\\t",
        "\\u0041", "\\u00e9", "\\u00E9", "\\u20ac", "\\u0000", "\\u001f", "\\ud83d\\ude00",
        "\\uD83D\\uDE00", "\\udbff\\udfff", "\\ud800\\udc00",
        // Damaged or left to the general reader.
        "\\ud83d", "\\ude00", "\\ud83d\\u0041", "\\ud83dx", "\\u12", "\\uzzzz", "\\x", "\\", "\x01",
        "\t", "\x7f", "\xC3\xA9", "\xC2\xA0", "\xE3\x80\x80", "\xF0\x9F\x98\x80"};
    d += '"';
    const int n = pick(6);
    for (int i = 0; i < n; ++i) {
      // The damaged pieces come last in the table.
      d += kPieces[damaged_ && one_in(10) ? pick(kPieces.size()) : pick(std::size_t{23})];
    }
    d += '"';
  }

  testing::RandomText rng_;
  bool damaged_ = false;
};

TEST(PreviousGraphFast, AgreesOnGeneratedDocuments) {
  DocumentMaker maker(31337);
  int taken = 0;
  int with_nodes = 0;
  constexpr int kRounds = 50000;
  for (int i = 0; i < kRounds; ++i) {
    const std::string doc = maker.document();
    const Taken t = agrees(doc);
    EXPECT_TRUE(t.whole || !t.pieces) << shown(doc);
    if (t.whole) {
      ++taken;
      if (!pgi::read_general(doc).empty()) ++with_nodes;
    }
  }
  // Most generated documents are valid and many keep file nodes: the
  // comparison covers the reading rules, not just the empty result.
  EXPECT_GT(taken, kRounds / 3);
  EXPECT_GT(with_nodes, kRounds / 10);
}

TEST(PreviousGraphFast, HandMadeDocuments) {
  std::string deep = R"({"nodes": [{"id": "a", "kind": "file", "x": )";
  for (int i = 0; i < 200; ++i) deep += '[';
  for (int i = 0; i < 200; ++i) deep += ']';
  deep += "}]}";
  const std::string long_integer =
      std::string(R"({"nodes": [{"id": "a", "kind": "file", "size": 1)") + std::string(250, '7') +
      "}]}";
  const std::string overflowing =
      std::string(R"({"nodes": [{"id": "a", "kind": "file", "size": 1)") + std::string(400, '7') +
      "}]}";
  struct Case {
    std::string doc;
    bool fast_takes;
  };
  const std::vector<Case> cases = {
      // Read by the fast reader itself.
      {"{}", true},
      {R"({"root": "/x"})", true},
      {R"({"nodes": []})", true},
      {" \t\r\n{ \"nodes\" :\n[ ]\r\n} \n", true},
      {R"({"nodes": [{"kind": "file", "id": "a", "summary": "s"}]})", true},
      {R"({"nodes": [{"id": "a", "summary": "x", "kind": "file", "summary": "y"}]})", true},
      {R"({"nodes": [{"id": "a", "kind": "file", "kind": "symbol"}]})", true},
      {R"({"nodes": [{"id": "a", "kind": "symbol", "kind": "file"}]})", true},
      {R"({"nodes": [{"id": "a", "kind": "symbol", "x": [1, {"y": "z"}], "kind": "file", "y": 2}]})",
       true},
      {R"({"nodes": [{"kind": null, "id": "a", "kind": "symbol", "s": "t", "kind": "fi\u006ce"}]})",
       true},
      {R"({"nodes": [{"kind": 1, "kind": "symbol", "id": "a"}, {"id": "b", "kind": "file"}]})",
       true},
      {R"({"nodes": [{"id": "a", "kind": "file", "id": "b"}, {"id": "b", "kind": "file", "n": 2}]})",
       true},
      {R"({"nodes": [{"id": 7, "kind": "file"}, {"id": null, "kind": "file"}, {"id": true, "kind": "file"}]})",
       true},
      {R"({"nodes": [{"id": [1], "kind": "symbol"}, {"kind": "symbol"}, {}, {"kind": 5}]})", true},
      {R"({"nodes": [{"id": "a", "kind": "fi\u006ce"}], "n\u006fdes": [{"id": "b", "kind": "file"}]})",
       true},
      {R"({"edges": [1, {"a": [[]]}], "nodes": [{"id": "a", "kind": "file"}], "extra": {"nodes": 5}})",
       true},
      {R"({"nodes": [{"id": "a", "kind": "file"}], "nodes": [{"id": "b", "kind": "file"}]})", true},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": [-0, 0, 1e5, 1E+5, 1.0, -0.0, 2.5e-3, 0e0]}]})",
       true},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": [9223372036854775807, -9223372036854775808]}]})",
       true},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": [18446744073709551615, 18446744073709551616, -9223372036854775809]}]})",
       true},
      {long_integer, true},
      {R"({"nodes": [{"id": "a", "kind": "file", "s": "\"\\\/\b\f\n\r\t\u0000\u001F\u007f\u00e9\u20AC"}]})",
       true},
      {R"({"nodes": [{"id": "a", "kind": "file", "s": "\ud83d\ude00\uDBFF\uDFFF\ud800\udc00"}]})",
       true},
      {R"({"nodes": [{"id": "\u0061", "kind": "file"}, {"id": "a", "kind": "file", "s": 1}]})",
       true},
      {R"({"nodes": [{"id": "a", "kind": "file", "k": {"x": {"y": [null, true, false, {}]}}}]})",
       true},
      // Left to the general reader.
      {"", false},
      {"[]", false},
      {R"("nodes")", false},
      {R"({"nodes": [{"id": "a", "kind": "file"})", false},
      {R"({"nodes": [{"id": "a", "kind": "file"}]} x)", false},
      {R"({"nodes": [{"id": "a", "kind": "file"}, 5]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file"}, []]})", false},
      {R"({"nodes": [{"kind": "file"}]})", false},
      {R"({"nodes": [{"id": ["a"], "kind": "file"}]})", false},
      {R"({"nodes": [{"id": {"a": 1}, "kind": "file"}]})", false},
      {R"({"nodes": "abc"})", false},
      {R"({"nodes": {"id": "a", "kind": "file"}})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "s": "\ud83d"}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "s": "\ude00"}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "s": "\ud83d\u0041"}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "s": "\x"}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "s": "\u12"}]})", false},
      {"{\"nodes\": [{\"id\": \"a\", \"kind\": \"file\", \"s\": \"\t\"}]}", false},
      {"{\"nodes\": [{\"id\": \"\xC3\xA9\", \"kind\": \"file\"}]}", false},
      {"\xEF\xBB\xBF{\"nodes\": []}", false},
      {"{\"nodes\":\xC2\xA0[]}", false},
      {"{\"nodes\":\f[]}", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": 1e400}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": 1e-400}]})", false},
      {R"({"edges": [1e400], "nodes": [{"id": "a", "kind": "file"}]})", false},
      {overflowing, false},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": 01}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": 1.}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": NaN}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file", "v": tru}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file",}]})", false},
      {R"({"nodes": [{"id": "a", "kind": "file"},]})", false},
      {R"({"nodes": [] /* note */})", false},
      {deep, false},
  };
  for (const Case& c : cases) {
    const Taken t = agrees(c.doc);
    EXPECT_EQ(t.whole, c.fast_takes) << c.doc;
    if (c.doc.find("\"kind\"", c.doc.find("\"kind\"") + 1) == std::string::npos) {
      EXPECT_EQ(t.pieces, c.fast_takes) << c.doc;
    }
  }
}

TEST(PreviousGraphFast, ResultsOfTheFastReader) {
  // Spot checks of what agreement alone would not show if both readers
  // shared a mistake.
  auto m = pgi::read_fast(
      R"({"nodes": [{"id": "a\u00e9\ud83d\ude00", "kind": "file", "n": -0, "r": 1.50,)"
      R"( "s": "x\ny", "n": 5}, {"id": "b", "kind": "symbol"}]})");
  ASSERT_TRUE(m.has_value());
  ASSERT_EQ(m->size(), 1U);
  const JsonValue& a = m->begin()->second;
  EXPECT_EQ(m->begin()->first, "a\xC3\xA9\xF0\x9F\x98\x80");
  ASSERT_EQ(a.members().size(), 5U);
  EXPECT_EQ(a.members()[2].first, "n");
  EXPECT_EQ(a.members()[2].second.text(), "5");
  EXPECT_EQ(a.find("r")->type(), JsonValue::Type::real);
  EXPECT_EQ(a.find("r")->text(), "1.50");
  EXPECT_EQ(a.find("s")->text(), "x\ny");
  auto z = pgi::read_fast(R"({"nodes": [{"id": "a", "kind": "file", "n": -0}]})");
  ASSERT_TRUE(z.has_value());
  EXPECT_EQ(z->at("a").find("n")->type(), JsonValue::Type::integer);
  EXPECT_EQ(z->at("a").find("n")->text(), "0");
}

TEST(PreviousGraphFast, AReadFailureGivesUp) {
  const std::string doc = "{\"nodes\": [\n  {\"id\": \"a\", \"kind\": \"file\"}\n]}\n";
  // Fail after this many bytes: at the start, inside, and right at the end,
  // where the document already looks complete.
  for (const std::size_t fail_at : {std::size_t{0}, std::size_t{5}, std::size_t{20}, doc.size()}) {
    std::size_t pos = 0;
    const pgi::ReadSome read = [&](char* dst, std::size_t room) -> std::ptrdiff_t {
      if (pos >= fail_at) return -1;
      const std::size_t n = std::min(room, fail_at - pos);
      std::copy_n(doc.data() + pos, n, dst);
      pos += n;
      return static_cast<std::ptrdiff_t>(n);
    };
    EXPECT_FALSE(pgi::read_fast(read, 8).has_value()) << fail_at;
  }
}

TEST(PreviousGraphFast, LoadingAFileGivesWhatTheGeneralReaderGives) {
  testing::RandomText rng(4);
  // Several megabytes of long lines, as a real document has.
  graph::Graph big;
  for (int f = 0; f < 400; ++f) {
    graph::Node n;
    n.id = std::string("f") + std::to_string(f) + ".py";
    n.kind = "file";
    n.path = n.id;
    n.content = random_text(rng, 6000);
    n.file_hash = "0123abcd";
    big.nodes.push_back(std::move(n));
  }
  const testing::TempTree tree;
  struct Case {
    std::string name;
    std::string doc;
  };
  const std::vector<Case> cases = {
      {"big.json", graph_document(big)},
      {"small.json", graph_document(random_graph(rng))},
      // Left to the general reader, which reads the file again.
      {"non_ascii.json", "{\"nodes\": [{\"id\": \"\xC3\xA9\", \"kind\": \"file\"}]}"},
      {"bad.json", "{\"nodes\": [{\"id\": \"a\", \"kind\": \"file\"}"},
  };
  ASSERT_GT(cases[0].doc.size(), std::size_t{4} << 20);
  for (const Case& c : cases) {
    const graph::PriorNodes loaded = load_previous_graph(tree.write(c.name, c.doc).string());
    const graph::PriorNodes general = pgi::read_general(c.doc);
    EXPECT_EQ(sorted_ids(loaded), sorted_ids(general)) << c.name;
    for (const auto& [id, node] : general) {
      auto it = loaded.find(id);
      EXPECT_TRUE(it != loaded.end() && it->second == node) << c.name << " " << id;
    }
  }
  EXPECT_EQ(load_previous_graph(tree.path("big.json").string()).size(), 400U);
  EXPECT_EQ(load_previous_graph(tree.path("non_ascii.json").string()).size(), 1U);
  EXPECT_TRUE(load_previous_graph(tree.path("missing.json").string()).empty());
  EXPECT_TRUE(load_previous_graph(tree.root().string()).empty());
}

}  // namespace
}  // namespace graph_builder::documents
