#include "win32/bho/HelperLaunch.h"

#include <vector>

#include "base/Text.h"
#include "platform/InstanceName.h"
#include "platform/PlatformError.h"

namespace qx::win {

bool IsShellHost(std::wstring_view hostExePath) {
  const std::size_t slash = hostExePath.find_last_of(L"\\/");
  const std::wstring_view name =
      slash == std::wstring_view::npos ? hostExePath : hostExePath.substr(slash + 1);
  return LowerCase(name) == L"explorer.exe";
}

bool StartsWithBrowser(SettingsStore& store) {
  try {
    const auto stored = store.Get(kAppName, L"Options", L"StartMode");
    return stored && ParseInt32(*stored).value_or(0) == 2;
  } catch (const PlatformError&) {
    return false;  // a store that cannot be read asks for nothing
  }
}

bool ProgramRuns() {
  const std::wstring name(kInstanceMutexName);
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
  if (mutex != nullptr) {
    CloseHandle(mutex);
    return true;
  }
  // A mutex we may not open still exists.
  return GetLastError() == ERROR_ACCESS_DENIED;
}

std::wstring ProgramBeside(std::wstring_view modulePath) {
  const std::size_t slash = modulePath.find_last_of(L"\\/");
  std::wstring folder(slash == std::wstring_view::npos ? std::wstring_view()
                                                       : modulePath.substr(0, slash));
  return folder + L"\\Quellix.exe";
}

Launcher::~Launcher() {
  if (started_ != nullptr) CloseHandle(started_);
}

bool Launcher::StartUnlessRunning(const std::wstring& program) {
  const win::compat::LockHeld held(lock_);
  bool started = false;
  const bool pending = started_ != nullptr && WaitForSingleObject(started_, 0) == WAIT_TIMEOUT;
  if (!pending && !ProgramRuns()) {
    std::wstring line = L"\"" + program + L"\" auto";
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');
    const std::size_t slash = program.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? L"" : program.substr(0, slash);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
      CloseHandle(info.hThread);
      if (started_ != nullptr) CloseHandle(started_);
      started_ = info.hProcess;
      started = true;
    }
  }
  return started;
}

}  // namespace qx::win
