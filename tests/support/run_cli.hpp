#pragma once
// Runs the built graph_builder executable and captures what it prints.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace graph_builder::testing {

struct CliResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Runs the executable with `args` in the working directory `cwd` (the
// current one when empty).
CliResult run_cli(const std::vector<std::string>& args, const std::filesystem::path& cwd = {});

// What run_cli_bounded gives: the run, and whether it had to be killed.
struct BoundedCliResult {
  CliResult result;
  bool timed_out = false;
};

// Runs the executable like run_cli, but kills it when it has not ended
// within `limit` (a program waiting on a FIFO would otherwise hang the
// suite).
BoundedCliResult run_cli_bounded(const std::vector<std::string>& args,
                                 std::chrono::seconds limit = std::chrono::seconds(60));

// The JSON string literal of `s` as the documents write it.
std::string json_literal(const std::string& s);

}  // namespace graph_builder::testing
