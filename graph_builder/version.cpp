#include "graph_builder/version.hpp"

namespace graph_builder {

// GB_VERSION is defined for this file alone by the build, from the project
// version, so that a new version recompiles nothing else.
std::string_view version() { return GB_VERSION; }

}  // namespace graph_builder
