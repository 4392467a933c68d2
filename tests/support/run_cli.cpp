#include "support/run_cli.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "graph_builder/graph/json_writer.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {

CliResult run_cli(const std::vector<std::string>& args, const std::filesystem::path& cwd) {
  TempTree scratch;
  auto out_path = scratch.path("stdout");
  auto err_path = scratch.path("stderr");
  pid_t pid = ::fork();
  if (pid == 0) {
    int o = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
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
  CliResult r;
  int st = 0;
  ::waitpid(pid, &st, 0);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  r.out = read_file(out_path);
  r.err = read_file(err_path);
  return r;
}

std::string json_literal(const std::string& s) {
  std::string out;
  graph::append_json_string(out, s);
  return out;
}

}  // namespace graph_builder::testing
