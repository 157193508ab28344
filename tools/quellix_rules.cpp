// quellix-rules: import, export, list and check website rules from the
// command line (tools/rulestool/RulesTool.h).

#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <vector>

#include "tools/rulestool/RulesTool.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "win32/com/WinAnsiCodec.h"
#else
#include "base/AnsiCodec.h"
#endif

namespace {

qx::LocalTime Today() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return qx::LocalTime{
      .year = local.tm_year + 1900, .month = local.tm_mon + 1, .day = local.tm_mday};
}

template <class Char>
int Run(int argc, Char** argv) {
#ifdef _WIN32
  // The lists are written byte for byte: no CR added before each LF.
  _setmode(_fileno(stdout), _O_BINARY);
  const qx::win::WinAnsiCodec ansi;
#else
  const qx::Windows1252Codec ansi;
#endif
  std::vector<std::filesystem::path> args;
  for (int i = 1; i < argc; ++i)
    args.emplace_back(argv[i]);
  const qx::tool::ToolContext context{ansi, Today(), std::cout, std::cerr};
  const int status = qx::tool::RunRulesTool(args, context);
  std::cout.flush();
  return std::cout ? status : qx::tool::kToolFailed;
}

}  // namespace

#ifdef _WIN32
// The wide arguments: a path outside the ANSI code page still works.
int wmain(int argc, wchar_t** argv) {
  return Run(argc, argv);
}
#else
int main(int argc, char** argv) {
  return Run(argc, argv);
}
#endif
