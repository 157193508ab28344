#pragma once
// The real EasyList that scripts/install-deps.sh fetches (npm package
// ad-block 4.1.7), for the benchmarks that import it.

#include <fstream>
#include <iterator>
#include <string>

namespace qx::bench {

// The list's bytes; empty when it has not been fetched.
inline std::string ReadEasyList() {
  std::ifstream in(QX_EASYLIST, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace qx::bench
