#pragma once
// Advice to the kernel about large blocks of memory.

#include <cstddef>

namespace graph_builder::platform {

// Asks that the whole 2 MB pages within [data, data + bytes) be backed by
// huge pages where the kernel allows it: an array of hundreds of megabytes
// then costs a few hundred page faults instead of tens of thousands. Only
// advice: nothing changes in what the memory holds, and failure is ignored.
void prefer_huge_pages(void* data, std::size_t bytes);

}  // namespace graph_builder::platform
