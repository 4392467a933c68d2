#include "graph_builder/graph/json_writer.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/graph/node_writer.hpp"
#include "support/differential.hpp"

namespace graph_builder::graph {
namespace {

std::string str(std::string_view s) {
  std::string out;
  append_json_string(out, s);
  return out;
}

TEST(JsonString, EscapesLikeTheDocumentsRequire) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases{
      {"plain/path.ts", R"("plain/path.ts")"},
      {"q\"b\\", R"("q\"b\\")"},
      {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::string("\0\x01\x0b\x1f\x7f", 5), R"("\u0000\u0001\u000b\u001f\u007f")"},
      {"\xC3\xA9\xE2\x82\xAC", R"("\u00e9\u20ac")"},
      {"\xF0\x9F\x98\x80", R"("\ud83d\ude00")"},
      {"\xEF\xBB\xBF", R"("\ufeff")"},
      {"", R"("")"},
  };
  for (const Case& c : cases) EXPECT_EQ(str(c.in), c.out) << c.out;
}

// `s` (valid UTF-8) escaped one character at a time: each character alone
// takes the byte-by-byte path.
std::string str_by_character(std::string_view s) {
  std::string out = "\"";
  std::string one;
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    one.clear();
    append_json_string(one, s.substr(i, n));
    out.append(one, 1, one.size() - 2);
    i += n;
  }
  return out + "\"";
}

// Escaping of each character on its own, concatenated, is the escaping of
// the whole: plain text is copied and tested a block of 16 or 32 bytes at a
// time, so every special byte is tried at every offset within and across
// those blocks.
TEST(JsonString, EveryOffsetOfLongTextsEscapesLikeItsPieces) {
  const std::vector<std::string> plain{"a", "~"};
  const std::vector<std::string> pieces{
      "a",  "~",    " ",    "\"",   "\\",   "\n",   "\b",       "\f",           "\r",
      "\t", "\x01", "\x1c", "\x1f", "\x7f", "\x08", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  testing::compare_on_random_texts(
      {.seed = 8, .count = 20000},
      [&](testing::RandomText& random) {
        // Mostly plain characters, so long unescaped runs occur.
        return random.text({0, 119}, [&]() -> const std::string& {
          return random.one_in(3) ? random.pick(pieces) : random.pick(plain);
        });
      },
      str_by_character, str);
}

// The same over texts of many kilobytes: plain runs of any length up to
// several kilobytes between escapes, so escapes and runs fall on and across
// every boundary of the writer's internal buffering.
TEST(JsonString, LongTextsEscapeLikeTheirPieces) {
  const std::vector<std::string> specials{"\"",   "\n",       "\x01",
                                          "\x7f", "\xC3\xA9", "\xF0\x9F\x98\x80"};
  testing::compare_on_random_texts(
      {.seed = 4096, .count = 400},
      [&](testing::RandomText& random) {
        // Stretches of a plain run and up to three escapes.
        return random.text({0, 59}, [&] {
          std::string stretch(random.one_in(2) ? random.below(80) : random.below(6000), 'x');
          return stretch + random.text(specials, {0, 3});
        });
      },
      str_by_character, str);
}

TEST(JsonNumber, IntegersExactFloatsShortestRepr) {
  struct Case {
    JsonValue v;
    std::string out;
  };
  const std::vector<Case> cases{
      {JsonValue::integer(-42), "-42"},
      {JsonValue::integer_text("123456789012345678901234567890"), "123456789012345678901234567890"},
      {JsonValue::integer_text("-0"), "0"},
      {JsonValue::real_text("1.50"), "1.5"},
      {JsonValue::real_text("1e2"), "100.0"},
      {JsonValue::real_text("1E16"), "1e+16"},
      {JsonValue::real_text("123456789012345.6"), "123456789012345.6"},
      {JsonValue::real_text("0.0001"), "0.0001"},
      {JsonValue::real_text("0.00001"), "1e-05"},
      {JsonValue::real_text("-0.0"), "-0.0"},
      {JsonValue::real_text("1e400"), "Infinity"},
      {JsonValue::real_text("2.5e-300"), "2.5e-300"},
      {JsonValue::real_text("0.1"), "0.1"},
  };
  for (const Case& c : cases) {
    std::string out;
    append_json_number(out, c.v);
    EXPECT_EQ(out, c.out) << c.v.text();
  }
}

TEST(JsonLayout, IndentedAndSingleLine) {
  JsonValue v = JsonValue::object(
      {{"a", JsonValue::array({JsonValue::integer(1), JsonValue::string("x")})},
       {"b", JsonValue::array()},
       {"c", JsonValue::object()},
       {"d", JsonValue::object({{"e", JsonValue()}, {"f", JsonValue::boolean(true)}})}});
  std::string indented;
  append_json(indented, v, Layout::indented);
  EXPECT_EQ(indented,
            "{\n  \"a\": [\n    1,\n    \"x\"\n  ],\n  \"b\": [],\n  \"c\": {},\n  \"d\": {\n"
            "    \"e\": null,\n    \"f\": true\n  }\n}");
  std::string line;
  append_json(line, v, Layout::single_line);
  EXPECT_EQ(line, R"({"a": [1, "x"], "b": [], "c": {}, "d": {"e": null, "f": true}})");
}

TEST(JsonValue, SetKeepsFirstPositionTakesLastValue) {
  JsonValue o = JsonValue::object();
  o.set("a", JsonValue::integer(1));
  o.set("b", JsonValue::integer(2));
  o.set("a", JsonValue::integer(3));
  ASSERT_EQ(o.members().size(), 2U);
  EXPECT_EQ(o.members()[0].first, "a");
  EXPECT_EQ(o.members()[0].second.text(), "3");
  EXPECT_EQ(o.find("zz"), nullptr);
}

// A record is copied in stretches between its long texts when nothing else
// in it needs an escape, and escaped piece by piece otherwise; either way it
// must read as its pieces written one by one. Records of random pieces, with
// up to more long texts than the copying path takes, appended to a document
// that already holds text.
TEST(JsonRecord, EqualsItsPiecesWrittenOneByOne) {
  enum class Kind { text, quoted, integer, long_text, json };
  struct Piece {
    Kind kind;
    std::string s;
    std::int64_t v = 0;
    JsonValue stored;
  };
  const std::vector<std::string> strings{"",
                                         "plain",
                                         "q\"",
                                         "l\nf",
                                         "\xC3\xA9",
                                         "\x7f",
                                         std::string(70, 'x'),
                                         std::string(5000, 'y') + "\n"};
  const std::vector<std::int64_t> integers{0, -1, 7, 1234567890123, INT64_MIN, INT64_MAX};
  testing::RandomText random(14);
  for (int round = 0; round < 3000; ++round) {
    std::vector<Piece> pieces;
    for (std::size_t n = random.below(16); n > 0; --n) {
      Piece p{static_cast<Kind>(random.below(5)), random.pick(strings), random.pick(integers),
              JsonValue()};
      // Stored values are rare in records: one round in four may hold one.
      if (p.kind == Kind::json && round % 4 != 0) p.kind = Kind::text;
      if (p.kind == Kind::json) {
        p.stored = JsonValue::array({JsonValue::string(p.s), JsonValue::integer(p.v)});
      }
      if (p.kind == Kind::text) p.s = ", \"key\": ";
      pieces.push_back(p);
    }
    const std::string before = "{\"doc\": ";
    std::string want = before;
    for (const Piece& p : pieces) {
      switch (p.kind) {
        case Kind::text:
          want += p.s;
          break;
        case Kind::quoted:
        case Kind::long_text:
          append_json_string(want, p.s);
          break;
        case Kind::integer:
          want += std::to_string(p.v);
          break;
        case Kind::json:
          append_json(want, p.stored, Layout::indented, 3);
          break;
      }
    }
    std::string got = before;
    append_record(got, [&](auto& sink) {
      for (const Piece& p : pieces) {
        switch (p.kind) {
          case Kind::text:
            sink.text(p.s);
            break;
          case Kind::quoted:
            sink.quoted(p.s);
            break;
          case Kind::integer:
            sink.integer(p.v);
            break;
          case Kind::long_text:
            sink.long_text(p.s);
            break;
          case Kind::json:
            sink.json(p.stored, 3);
            break;
        }
      }
    });
    ASSERT_EQ(got, want) << "round " << round;
  }
}

TEST(JsonLayout, LineStarts) {
  EXPECT_EQ(line_start(0), "\n");
  EXPECT_EQ(line_start(2), "\n    ");
  EXPECT_EQ(comma_line_start(1), ",\n  ");
  EXPECT_EQ(comma_line_start(kMaxLineLevel), "," + std::string(line_start(kMaxLineLevel)));
  EXPECT_EQ(line_start(kMaxLineLevel).size(), 1U + 2 * kMaxLineLevel);
}

Node file_node() {
  Node n;
  n.id = n.path = "src/a.ts";
  n.kind = "file";
  n.ext = ".ts";
  n.size = 12;
  n.keywords = {"alpha", "\xC3\xA9t\xC3\xA9"};
  n.content = "x\ny";
  n.summary = "Handles a.";
  n.file_hash = "0123abcd";
  return n;
}

Node symbol_node() {
  Node n;
  n.id = "src/a.ts::f";
  n.kind = "symbol";
  n.path = "src/a.ts";
  n.ext = ".ts";
  n.size = 3;
  n.symbol_type = "use_case";
  n.name = "f";
  n.line_start = 4;
  n.line_end = 6;
  n.body_hash = "deadbeef";
  n.confidence = "high";
  n.exported = true;
  return n;
}

TEST(NodeJson, StreamedFormEqualsSerialisedDict) {
  Node file = file_node();
  Node sym = symbol_node();
  Node reused = file_node();
  auto stored = std::make_shared<StoredFields>();
  stored->size = JsonValue::string("big");
  stored->keywords = JsonValue::object({{"k", JsonValue::real_text("2.50")}});
  stored->summary = JsonValue();
  reused.stored = stored;
  for (const Node* n : {&file, &sym, &reused}) {
    std::string streamed;
    append_node_json(streamed, *n, 2);
    std::string via_dict;
    append_json(via_dict, n->as_dict(), Layout::indented, 2);
    EXPECT_EQ(streamed, via_dict) << n->id;
  }
  EXPECT_EQ(file.as_dict().members().size(), 9U);
  EXPECT_EQ(sym.as_dict().members().size(), 13U);
  EXPECT_EQ(reused.as_dict().find("size")->text(), "big");
}

// Plain records take a direct path; a string anywhere in them that needs an
// escape, or another nesting level, must give the generic layout all the
// same. Each string member in turn, and one keyword, gets each awkward value.
TEST(NodeJson, EveryMemberWithEscapesMatchesTheGenericLayout) {
  Node sym = symbol_node();
  sym.size = -3;
  sym.keywords = {"alpha", "beta"};
  sym.symbol_type = "function";
  sym.line_start = 0;
  sym.line_end = 123456789012;
  sym.exported = false;
  const std::vector<std::string> awkward{"",     "q\"",      "back\\slash", "l\nf",
                                         "\x01", "\xC3\xA9", "\x7f",        std::string(70, 'x')};
  using Field = std::string Node::*;
  const std::vector<Field> fields{&Node::id,        &Node::kind,        &Node::path,
                                  &Node::ext,       &Node::content,     &Node::summary,
                                  &Node::file_hash, &Node::symbol_type, &Node::name,
                                  &Node::body_hash, &Node::confidence};
  std::vector<Node> nodes;
  for (const Node& base : {sym, file_node()}) {
    nodes.push_back(base);
    Node no_keywords = base;
    no_keywords.keywords.clear();
    nodes.push_back(no_keywords);
    for (const std::string& value : awkward) {
      for (Field f : fields) {
        Node n = base;
        n.*f = value;
        nodes.push_back(n);
      }
      Node n = base;
      n.keywords.push_back(value);
      nodes.push_back(n);
    }
  }
  for (const Node& n : nodes) {
    for (int level : {0, 2, 3}) {
      std::string streamed;
      append_node_json(streamed, n, level);
      std::string via_dict;
      append_json(via_dict, n.as_dict(), Layout::indented, level);
      ASSERT_EQ(streamed, via_dict) << "level " << level << ": " << via_dict;
    }
  }
}

TEST(EdgeJson, MatchesTheGenericLayout) {
  const std::vector<std::string> values{"src/a.ts", "", "q\"", "l\nf", "\xC3\xA9", "imports"};
  for (const std::string& from : values) {
    for (const std::string& to : values) {
      for (const std::string& rel : values) {
        const Edge e{from, to, rel};
        const JsonValue dict = JsonValue::object({{"from", JsonValue::string(from)},
                                                  {"to", JsonValue::string(to)},
                                                  {"rel", JsonValue::string(rel)}});
        for (int level : {1, 2}) {
          std::string streamed;
          append_edge_json(streamed, e, level);
          std::string via_dict;
          append_json(via_dict, dict, Layout::indented, level);
          ASSERT_EQ(streamed, via_dict);
        }
      }
    }
  }
}

}  // namespace
}  // namespace graph_builder::graph
