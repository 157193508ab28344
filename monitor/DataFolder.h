#pragma once
// Where the program keeps its rules, logs and context-menu files: its own
// folder where this user may write there (an old system, a portable copy),
// otherwise the user's application-data folder. Decided once at start.

#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace qx {

// The folder below the user's application-data folder.
inline constexpr std::wstring_view kUserDataFolderName = L"Quellix";

// The files an earlier run may have left in the program's folder (or in its
// VirtualStore copy), taken over when the user's folder is first made.
inline constexpr std::wstring_view kTakenOverFiles[] = {
    L"websites.dat", L"servers.lst", L"windows.dat", L"log.dat", L"log.htm", L"ErrorLog.txt"};

// Answers the data folder. The user's folder, once it exists, stays the
// place, so that an elevated run does not split the rules between two
// folders; it is made (and the earlier files copied into it, never moved)
// when the program's folder is read-only. Failures fall back to the
// program's folder, where every write then fails as a normal failure.
std::wstring ChooseDataFolder(FileSystem& files);

// The copy of `folder` that file virtualization keeps for a 32-bit program
// without a manifest: the local application-data folder's "VirtualStore"
// followed by the path without its drive. "" when either is unknown.
std::wstring VirtualStoreFolder(std::wstring_view localAppData, std::wstring_view folder);

}  // namespace qx
