#pragma once
// File, shell and help helpers every layer may use.

#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace qx {

// True when the file exists and holds at least one byte.
bool FileHasData(FileSystem& files, std::wstring_view path);
// The shell's "open" action; failures are ignored.
void OpenDocument(Shell& shell, std::wstring_view target);
// Opens "quellix.chm" in the program's folder at the topic.
void ShowHelpTopic(Shell& shell, const FileSystem& files, std::wstring_view topic);

}  // namespace qx
