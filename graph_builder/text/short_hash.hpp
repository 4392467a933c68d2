#pragma once
// The 8-digit content hash used for files and symbol bodies.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::text {

// First 8 lower-case hexadecimal digits of the MD5 digest of `data`.
std::string short_hash(std::string_view data);

// short_hash of every text: out[i] == short_hash(texts[i]). Where the
// processor has 512-bit vectors, sixteen digests are computed side by side
// (MD5 is one long dependency chain per message, so a single digest leaves
// most of the machine idle); otherwise one after another.
std::vector<std::string> short_hashes(std::span<const std::string_view> texts);

// True when short_hashes computes digests side by side on this processor.
bool wide_hashing_available();

}  // namespace graph_builder::text
