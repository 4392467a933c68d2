#pragma once
// The command-line program: option parsing, the tally, exit statuses; the
// work itself is `documents::build`. The only code that prints or decides
// the exit status.

namespace graph_builder::cli {

// Runs the program; returns the process exit status (0 success, 2 usage
// error, 1 any other failure, 128 + the signal's number when SIGINT or
// SIGTERM stopped the run, the previous documents left whole).
int run(int argc, char** argv);

// The same, then ends the process with that status (standard streams
// flushed) without freeing what the run built, or, after SIGINT or SIGTERM,
// by that signal: for a program's main.
[[noreturn]] void run_and_exit(int argc, char** argv);

}  // namespace graph_builder::cli
