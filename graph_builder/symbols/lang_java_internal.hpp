#pragma once
// The Java-family extractor's hand-written block-comment scan, exposed only so
// that a differential test can compare it with the plain pattern. Not part of
// the installed interface.

#include <cstddef>
#include <functional>
#include <string_view>

namespace graph_builder::symbols::java_internal {

// Calls fn(start, end) for every successive block comment of `text`: from a
// "/*" to the first "*/" that begins after it, lines included, as the pattern
// "/\*.*?\*/" with "." matching line feeds finds them.
void for_each_block_comment(std::string_view text,
                            const std::function<void(std::size_t, std::size_t)>& fn);

}  // namespace graph_builder::symbols::java_internal
