#pragma once
// Keywords: of one identifier (a symbol's name) and of a whole file.

#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::text {

// Camel-case words of `name`, lower-cased, each at least 3 code points, in
// order, duplicates kept. Underscores and hyphens do not separate words.
// Pure; never fails on any string.
std::vector<std::string> split_camel(std::string_view name);

// Up to 10 keywords for a symbol name: the whole name, its camel-case words,
// then its underscore-separated pieces, each lower-cased and stripped of
// outer underscores, kept when at least 3 code points long and not yet
// held. Pure; never fails on any string.
std::vector<std::string> name_keywords(std::string_view name);

// At most 80 distinct keywords for `content`, in order of first admission, from
// route registrations and decorators, declarations chosen by `ext` (exact,
// case-sensitive), a leading docstring or block comment, and outgoing HTTP
// calls. Never fails; touches nothing but its arguments.
std::vector<std::string> extract_keywords(std::string_view content, std::string_view ext);

}  // namespace graph_builder::text
