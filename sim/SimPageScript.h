#pragma once
// The tiny scripts a simulated page runs as its own onclick or onsubmit
// handler: statements separated by ";", each one of
//   open URL         window.open(URL)
//   go URL           the script's window navigates to URL
//   dialog "CAPTION" a web page dialog opens
//   cancel           the handler returns false

#include <string>
#include <string_view>
#include <vector>

namespace qx::sim {

struct PageStatement {
  enum class Kind { Open, Go, Dialog, Cancel };
  Kind kind = Kind::Cancel;
  std::wstring argument;  // the address or the caption
};

// Throws std::invalid_argument for a statement the simulated page does not
// know, so that a misspelt scenario fails loudly instead of doing nothing.
std::vector<PageStatement> ParsePageScript(std::wstring_view text);

}  // namespace qx::sim
