#pragma once
// The keyword and summary passes of one file, their choices taken from the
// file's language profile (which the caller resolves once per file). Not
// installed; keywords.hpp and summary.hpp give the same results by
// extension.

#include "graph_builder/languages/languages.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::text {

// At most 80 distinct keywords for `content`, in order of first admission:
// route registrations and decorators, the declarations of
// `profile.keywords`, a leading docstring or block comment, and outgoing
// HTTP calls. Never fails; touches nothing but its arguments.
std::vector<std::string> keywords_for(std::string_view content, const languages::Profile& profile);

// A lead sentence (the leading comment `profile.lead` names, else the first
// long line, else "Handles " and domain words from `path`) and, when the
// declarations of `profile.summary` are found, a sentence naming up to four
// of them; at most 250 code points. `path` is the file id. Never fails;
// touches nothing but its arguments.
std::string summary_for(std::string_view content, std::string_view path,
                        const languages::Profile& profile);

}  // namespace graph_builder::text
