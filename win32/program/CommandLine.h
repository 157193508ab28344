#pragma once
// The program's arguments: the command line without the program's own name.

#include <string>
#include <string_view>

namespace qx::win {

// "\"C:\\Program Files\\Quellix\\Quellix.exe\" auto" -> " auto"; the
// program's name may be quoted or not. What follows is passed on as it is.
std::wstring CommandArguments(std::wstring_view commandLine);

}  // namespace qx::win
