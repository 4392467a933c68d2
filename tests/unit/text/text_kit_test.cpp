// Runs the summary and the keyword extraction on every scanned kit file and
// compares them with the file node of its expected fragment.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"
#include "support/conformance.hpp"

namespace graph_builder::text {
namespace {

using testing::kit_cases;

// A readable diff of two keyword lists: the first differing position and both tails.
std::string keyword_diff(const std::vector<std::string>& got,
                         const std::vector<std::string>& want) {
  std::size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  std::ostringstream out;
  out << "first difference at index " << i << " (got " << got.size() << ", want " << want.size()
      << ")\n  got :";
  for (std::size_t k = i; k < got.size() && k < i + 8; ++k) out << ' ' << got[k];
  out << "\n  want:";
  for (std::size_t k = i; k < want.size() && k < i + 8; ++k) out << ' ' << want[k];
  return out.str();
}

TEST(TextKit, SummaryAndKeywordsMatchEveryScannedFile) {
  if (!testing::conformance_dir()) GTEST_SKIP() << "conformance kit not found";
  const auto cases = kit_cases();
  ASSERT_EQ(cases.size(), 68U);
  int summaries_ok = 0;
  int keywords_ok = 0;
  for (const auto& c : cases) {
    const auto fragment = testing::load_fragment(c);
    const auto& node = fragment["nodes"][0];
    const std::string content = testing::decoded_input(c);
    const std::string ext = testing::case_ext(c);

    const std::string want_summary = node["summary"].get<std::string>();
    const std::string got_summary = make_summary(content, c.file_id, ext);
    if (got_summary == want_summary) {
      ++summaries_ok;
    } else {
      ADD_FAILURE() << c.file_id << ": summary differs\n  got : " << got_summary
                    << "\n  want: " << want_summary;
    }

    const auto want_keywords = node["keywords"].get<std::vector<std::string>>();
    const auto got_keywords = extract_keywords(content, ext);
    if (got_keywords == want_keywords) {
      ++keywords_ok;
    } else {
      ADD_FAILURE() << c.file_id << ": keywords differ, "
                    << keyword_diff(got_keywords, want_keywords);
    }
  }
  EXPECT_EQ(summaries_ok, 68);
  EXPECT_EQ(keywords_ok, 68);
}

}  // namespace
}  // namespace graph_builder::text
