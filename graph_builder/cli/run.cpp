#include "graph_builder/cli/run.hpp"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "graph_builder/cli/documents.hpp"
#include "graph_builder/cli/options.hpp"
#include "graph_builder/cli/previous_graph.hpp"
#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/scan.hpp"

namespace graph_builder::cli {
namespace {

constexpr const char* kProg = "graph_builder";

// What a run built, kept for the caller: freeing a large graph takes a
// noticeable share of a run, and a process about to exit need not do it.
struct Built {
  graph::PriorNodes prior;
  graph::Graph graph;
};

void run_checked(const Options& opts, Built& built) {
  namespace fs = std::filesystem;
  const std::string root = discovery::resolve_path(opts.root);
  const fs::path out_path(opts.out);
  std::error_code ec;
  if (out_path.has_parent_path()) {
    fs::create_directories(out_path.parent_path(), ec);
    if (ec) {
      throw FatalError("cannot create directory " + out_path.parent_path().string() + ": " +
                       ec.message());
    }
  }
  graph::PriorNodes& prior = built.prior;
  if (fs::exists(out_path, ec)) prior = load_previous_graph(opts.out);

  graph::Graph& g = built.graph;
  g = graph::scan(root, std::move(prior));

  std::size_t members = 0;
  const std::string index_path = write_documents(g, opts.out, &members);

  std::string tally = "Scanned: " + std::to_string(g.file_count()) + " files, " +
                      std::to_string(g.symbol_count) + " symbols, " +
                      std::to_string(g.edge_count()) + " edges\n";
  tally += "Wrote: " + normalize_path(opts.out) + "\n";
  tally += "Symbol index: " + index_path + " (" + std::to_string(members) + " symbols)\n";
  std::fwrite(tally.data(), 1, tally.size(), stdout);
  if (std::fflush(stdout) != 0) throw FatalError("cannot write to standard output");
}

}  // namespace

namespace {

int run_with(int argc, char** argv, Built& built) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  ParseResult parsed = parse_options(args);
  if (parsed.outcome == ParseOutcome::help) {
    std::string h = help_text(kProg);
    std::fwrite(h.data(), 1, h.size(), stdout);
    return 0;
  }
  if (parsed.outcome == ParseOutcome::usage_error) {
    std::string msg = usage_line(kProg) + kProg + ": error: " + parsed.error + "\n";
    std::fwrite(msg.data(), 1, msg.size(), stderr);
    return 2;
  }
  try {
    run_checked(parsed.options, built);
  } catch (const std::exception& e) {
    std::string msg = std::string(kProg) + ": error: " + e.what() + "\n";
    std::fwrite(msg.data(), 1, msg.size(), stderr);
    return 1;
  }
  return 0;
}

}  // namespace

int run(int argc, char** argv) {
  Built built;
  return run_with(argc, argv, built);
}

void run_and_exit(int argc, char** argv) {
  // Never destroyed: the process ends right after and the system takes it all.
  static Built built;
  const int status = run_with(argc, argv, built);
  std::fflush(nullptr);
#ifdef GB_REGEX_PROFILE
  std::exit(status);  // the per-pattern timings print at exit
#else
  std::_Exit(status);
#endif
}

}  // namespace graph_builder::cli
