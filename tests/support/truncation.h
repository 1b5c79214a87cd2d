// Feeds every prefix of a file (or every stride-th one) to a reader, shortest
// first, for robustness tests: a file cut anywhere must never crash or hang.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tonvert::test {

template <typename Fn>
void ForEachTruncation(const std::vector<uint8_t>& bytes, size_t stride, Fn&& fn) {
  if (stride == 0) stride = 1;
  for (size_t length = 0; length < bytes.size(); length += stride) fn(bytes.data(), length);
}

}  // namespace tonvert::test
