#include "support/run_cli.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "graph_builder/graph/json_writer.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {
namespace {

// Starts the executable with `args` in `cwd` (the current directory when
// empty), its standard output and error going to the two files.
pid_t spawn(const std::vector<std::string>& args, const std::filesystem::path& cwd,
            const std::filesystem::path& out_path, const std::filesystem::path& err_path) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int o = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(o, 1);
    ::dup2(e, 2);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
    std::vector<std::string> owned{GB_EXECUTABLE};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : owned) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

int status_of(int st) { return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st); }

}  // namespace

CliResult run_cli(const std::vector<std::string>& args, const std::filesystem::path& cwd) {
  TempTree scratch;
  const auto out_path = scratch.path("stdout");
  const auto err_path = scratch.path("stderr");
  const pid_t pid = spawn(args, cwd, out_path, err_path);
  CliResult r;
  int st = 0;
  ::waitpid(pid, &st, 0);
  r.status = status_of(st);
  r.out = read_file(out_path);
  r.err = read_file(err_path);
  return r;
}

BoundedCliResult run_cli_bounded(const std::vector<std::string>& args, std::chrono::seconds limit) {
  TempTree scratch;
  const auto out_path = scratch.path("stdout");
  const auto err_path = scratch.path("stderr");
  const pid_t pid = spawn(args, {}, out_path, err_path);
  BoundedCliResult b;
  int st = 0;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (::waitpid(pid, &st, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      b.timed_out = true;
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &st, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  b.result.status = status_of(st);
  b.result.out = read_file(out_path);
  b.result.err = read_file(err_path);
  return b;
}

std::string json_literal(const std::string& s) {
  std::string out;
  graph::append_json_string(out, s);
  return out;
}

}  // namespace graph_builder::testing
