#include "monitor/MenuScripts.h"

#include <initializer_list>

#include "monitor/StartupModule.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

std::wstring JoinLines(std::initializer_list<std::wstring_view> lines) {
  std::wstring text;
  for (const auto line : lines) {
    if (!text.empty()) text += L"\r\n";
    text += line;
  }
  return text;
}

std::wstring MarkerName(wchar_t letter, std::wstring_view urlPrefix) {
  return std::wstring(1, letter) + std::wstring(urlPrefix) + L".html";
}

void WriteIfEmpty(FileSystem& files, const AnsiCodec& ansi, const std::wstring& path,
                  const std::wstring& text) {
  if (FileHasData(files, path)) return;
  Step([&] { files.WriteAll(path, ansi.Encode(text)); });
}

// A script must name this run's marker pages: one that does not (missing,
// empty, or holding another prefix, as after a run whose prefix could not be
// read) is written afresh.
void WriteUnlessHolding(FileSystem& files, const AnsiCodec& ansi, const std::wstring& path,
                        const std::wstring& text) {
  const std::string wanted = ansi.Encode(text);
  std::string held;
  if (Step([&] {
        if (files.Exists(path)) held = files.ReadAll(path);
      }) &&
      held == wanted) {
    return;
  }
  Step([&] { files.WriteAll(path, wanted); });
}

void RenameFile(FileSystem& files, std::wstring_view from, std::wstring_view to) {
  const std::wstring folder = files.ProgramFolder();
  Step([&] { files.Rename(JoinPath(folder, from), JoinPath(folder, to)); });
}

}  // namespace

std::wstring MenuScriptText(std::wstring_view programFolder, wchar_t letter,
                            std::wstring_view urlPrefix) {
  const std::wstring navigate = L"external.menuArguments.Parent.Parent.Parent.navigate \"file://" +
                                std::wstring(programFolder) + L"\\" +
                                MarkerName(letter, urlPrefix) + L"\"";
  return JoinLines({L"<SCRIPT language=VBScript>", navigate, L"</SCRIPT>"});
}

std::wstring MarkerPageText(wchar_t letter) {
  const bool block = letter == L'b';
  return JoinLines({L"<html>", L"<head>",
                    block ? L"<title>Could not always kill this pop-up</title>"
                          : L"<title>Could not allow pop-ups for this site</title>",
                    L"</head>", L"<body>", L"<script language=VBScript>", L"history.back",
                    L"</script>",
                    block ? L"Error: Could not add an Always Kill this Pop-up rule.<br>"
                          : L"Error: Could not allow pop-ups for this site.<br>",
                    block ? L"Quellix must be running.<br>"
                          : L"To allow/disallow a site's pop-ups, Quellix must be running.<br>",
                    L"Please run Quellix and try again.", L"</body>", L"</html>"});
}

void WriteMenuScripts(FileSystem& files, const AnsiCodec& ansi, std::wstring_view urlPrefix) {
  const std::wstring folder = files.ProgramFolder();
  WriteUnlessHolding(files, ansi, JoinPath(folder, kBlockScript),
                     MenuScriptText(folder, L'b', urlPrefix));
  WriteUnlessHolding(files, ansi, JoinPath(folder, kTrustScript),
                     MenuScriptText(folder, L't', urlPrefix));
  WriteIfEmpty(files, ansi, JoinPath(folder, MarkerName(L'b', urlPrefix)), MarkerPageText(L'b'));
  WriteIfEmpty(files, ansi, JoinPath(folder, MarkerName(L't', urlPrefix)), MarkerPageText(L't'));
}

void ActivateMenuScripts(FileSystem& files) {
  RenameFile(files, kBlockScriptOff, kBlockScript);
  RenameFile(files, kTrustScriptOff, kTrustScript);
}

void DeactivateMenuScripts(FileSystem& files) {
  RenameFile(files, kBlockScript, kBlockScriptOff);
  RenameFile(files, kTrustScript, kTrustScriptOff);
}

}  // namespace qx
