#pragma once
// The version of graph_builder.

#include <string_view>

namespace graph_builder {

// The version as "MAJOR.MINOR.PATCH": the project version set once in the
// build, which the CMake package and the pkg-config file carry too.
std::string_view version();

}  // namespace graph_builder
