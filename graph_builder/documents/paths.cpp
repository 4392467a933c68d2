#include "graph_builder/documents/paths.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace graph_builder::documents {

std::string normalize_path(const std::string& p) {
  if (p.empty()) return ".";
  std::string lead;
  std::size_t i = 0;
  if (p[0] == '/') {
    // Two leading slashes are kept as written; one or three and more become one.
    lead = (p.size() >= 2 && p[1] == '/' && (p.size() == 2 || p[2] != '/')) ? "//" : "/";
    while (i < p.size() && p[i] == '/') ++i;
  }
  std::string out = lead;
  bool first = true;
  while (i < p.size()) {
    std::size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string_view part(p.data() + i, j - i);
    if (!part.empty() && part != ".") {
      if (!first) out += '/';
      out += part;
      first = false;
    }
    i = j + 1;
  }
  if (out.empty()) return ".";
  return out;
}

std::string sibling_path(const std::string& out, const std::string& name) {
  std::string norm = normalize_path(out);
  std::size_t slash = norm.rfind('/');
  if (slash == std::string::npos) return name;  // parent is "."
  std::string parent = norm.substr(0, slash);
  if (parent.empty() || parent == "/") return norm.substr(0, slash + 1) + name;
  return parent + "/" + name;
}

std::string root_problem(const std::string& root) {
  struct stat st {};
  if (::stat(root.c_str(), &st) != 0) return std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return std::strerror(ENOTDIR);
  return {};
}

bool names_a_directory(const std::string& out) {
  if (out.empty() || out.back() == '/') return true;
  const std::size_t slash = out.rfind('/');
  const std::string_view last =
      slash == std::string::npos ? std::string_view(out) : std::string_view(out).substr(slash + 1);
  if (last == "." || last == "..") return true;
  struct stat st {};
  return ::stat(out.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace graph_builder::documents
