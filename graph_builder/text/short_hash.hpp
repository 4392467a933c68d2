#pragma once
// The 8-digit content hash used for files and symbol bodies.

#include <string>
#include <string_view>

namespace graph_builder::text {

// First 8 lower-case hexadecimal digits of the MD5 digest of `data`.
std::string short_hash(std::string_view data);

}  // namespace graph_builder::text
