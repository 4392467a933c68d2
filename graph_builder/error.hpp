#pragma once
// Run-level failures (an unwritable output, a failure inside the scan). Thrown
// by the library, caught once by the command line, which reports it.

#include <stdexcept>
#include <string>

namespace graph_builder {

class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const std::string& what) : std::runtime_error(what) {}
};

// A scan stopped because its caller asked it to (graph::ScanOptions::cancelled):
// no graph is returned and nothing was written.
class Cancelled : public FatalError {
 public:
  Cancelled() : FatalError("cancelled") {}
};

}  // namespace graph_builder
