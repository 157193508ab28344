#include "sim/SimDesktop.h"

#include <atomic>
#include <random>
#include <system_error>

#include <unistd.h>

#include "monitor/DataFolder.h"
#include "platform/PlatformError.h"

namespace qx::sim {
namespace fs = std::filesystem;

namespace {

fs::path MakeTempRoot() {
  std::random_device rd;
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        base / ("quellix-sim-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) return candidate;
  }
  throw fs::filesystem_error("cannot make a temporary drive", base,
                             std::make_error_code(std::errc::file_exists));
}

}  // namespace

SimDesktop::SimDesktop(fs::path driveRoot)
    : ownsRoot_(driveRoot.empty()),
      root_(ownsRoot_ ? MakeTempRoot() : std::move(driveRoot)),
      files_(failures_, root_),
      errorDialog_(failures_, modal_,
                   [this] {
                     return windows_.CreateWindow(windows_.CurrentProcess(), L"Quellix Error",
                                                  L"QuellixDialog");
                   }),
      sound_(failures_, [this](std::wstring_view name) {
        bool exists = false;
        try {
          exists = files_.Exists(name);
        } catch (const PlatformError&) {
        }
        return exists;
      }) {
  programProcess_ = windows_.StartProcess(std::wstring(kProgramFile));
  windows_.SetCurrentProcess(programProcess_);
  platform_ = std::make_unique<Platform>(Platform{store_,       registry_,
                                                  files_,       clock_,
                                                  random_,      windows_,
                                                  shell_,       messages_,
                                                  errorDialog_, process_,
                                                  hookControl_, ui_,
                                                  keyboard_,    sound_,
                                                  workArea_,    tray_,
                                                  pictures_,    menus_,
                                                  inputBox_,    unescaper_,
                                                  ansi_,        browsers_.shellWindows(),
                                                  browsers_});
  ui_.SetPendingMessages([this] { windows_.DeliverPostedCloses(); });
}

void SimDesktop::SetVersion(const OsVersionInfo& version) {
  windows_.SetVersion(version);
  files_.SetVistaProfiles(version.platformId == 2 && version.majorVersion >= 6);
}

void SimDesktop::SetStandardUser(bool standard) {
  files_.SetStandardUser(standard);
  registry_.SetReadOnly(RegRoot::LocalMachine, standard);
}

std::wstring SimDesktop::UserDataFolder() const {
  return JoinPath(files_.AppDataFolder(), kUserDataFolderName);
}

ProcessId SimDesktop::ClaimProgramProcess() {
  if (!programProcessClaimed_) {
    programProcessClaimed_ = true;
    return programProcess_;
  }
  return windows_.StartProcess(std::wstring(kProgramFile));
}

void SimDesktop::ForgetClosed() {
  browsers_.ForgetClosed();
  windows_.ForgetClosed();
}

SimDesktop::~SimDesktop() {
  if (ownsRoot_) {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
}

}  // namespace qx::sim
