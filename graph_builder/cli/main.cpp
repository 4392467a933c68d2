#include "graph_builder/cli/run.hpp"

int main(int argc, char** argv) { return graph_builder::cli::run(argc, argv); }
