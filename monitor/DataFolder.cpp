#include "monitor/DataFolder.h"

#include "platform/PlatformError.h"

namespace qx {
namespace {

// Copies each file into the new user's folder from where an earlier run kept
// it: the VirtualStore copy first, since a virtualized program read and wrote
// that one, then the program's folder. The originals stay.
void TakeOverFiles(FileSystem& files, const std::wstring& program, const std::wstring& user) {
  std::wstring store;
  Step([&] { store = VirtualStoreFolder(files.LocalAppDataFolder(), program); });
  for (const std::wstring_view name : kTakenOverFiles) {
    for (const std::wstring& folder : {store, program}) {
      if (folder.empty()) continue;
      const std::wstring source = JoinPath(folder, name);
      bool found = false;
      Step([&] { found = files.Exists(source); });
      if (!found) continue;
      Step([&] { files.WriteAll(JoinPath(user, name), files.ReadAll(source)); });
      break;
    }
  }
}

}  // namespace

std::wstring VirtualStoreFolder(std::wstring_view localAppData, std::wstring_view folder) {
  if (localAppData.empty() || folder.size() < 3 || folder[1] != L':' || folder[2] != L'\\') {
    return {};
  }
  return JoinPath(localAppData, L"VirtualStore") + std::wstring(folder.substr(2));
}

std::wstring ChooseDataFolder(FileSystem& files) {
  const std::wstring program = files.ProgramFolder();
  std::wstring appData;
  Step([&] { appData = files.AppDataFolder(); });
  if (appData.empty()) return program;
  const std::wstring user = JoinPath(appData, kUserDataFolderName);
  bool userExists = false;
  Step([&] { userExists = files.FolderExists(user); });
  if (userExists) return user;
  bool programWritable = true;
  Step([&] { programWritable = files.CanCreateFilesIn(program); });
  if (programWritable) return program;
  if (!Step([&] { files.CreateFolder(user); })) return program;
  TakeOverFiles(files, program, user);
  return user;
}

}  // namespace qx
