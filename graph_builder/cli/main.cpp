#include "graph_builder/cli/run.hpp"

int main(int argc, char** argv) { graph_builder::cli::run_and_exit(argc, argv); }
