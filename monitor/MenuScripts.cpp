#include "monitor/MenuScripts.h"

#include <initializer_list>

#include "base/Text.h"
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

// A script must lead to this run's marker page in this folder: one that does
// not (missing, empty, naming another prefix, as after a run whose prefix
// could not be read, or another folder, as after a move to the user's
// folder) is written afresh. One that does keeps what else it holds.
void WriteUnlessLeadingTo(FileSystem& files, const AnsiCodec& ansi, const std::wstring& path,
                          const std::wstring& marker, const std::wstring& text) {
  std::string held;
  if (Step([&] {
        if (files.Exists(path)) held = files.ReadAll(path);
      }) &&
      held.find(ansi.Encode(marker)) != std::string::npos) {
    return;
  }
  Step([&] { files.WriteAll(path, ansi.Encode(text)); });
}

void RenameFile(FileSystem& files, std::wstring_view from, std::wstring_view to) {
  const std::wstring folder = files.DataFolder();
  Step([&] { files.Rename(JoinPath(folder, from), JoinPath(folder, to)); });
}

// The entry already runs this script.
bool EntryRuns(Registry& registry, const std::wstring& key, const std::wstring& script) {
  const RegOpen open = registry.OpenKey(RegRoot::CurrentUser, key);
  if (open.code != kRegSuccess || open.key == 0) return false;
  RegValue value;
  const bool same =
      registry.QueryValue(open.key, L"", value) == kRegSuccess && value.type == RegType::String &&
      EqualsNoCase(std::wstring_view(value.text).substr(0, value.text.find(L'\0')), script);
  registry.CloseKey(open.key);
  return same;
}

void WriteEntry(Registry& registry, const std::wstring& key, const std::wstring& script) {
  const RegOpen open = registry.CreateKey(RegRoot::CurrentUser, key);
  if (open.code != kRegSuccess || open.key == 0) return;
  RegValue text;
  text.text = script;
  text.text.push_back(L'\0');
  registry.SetValue(open.key, L"", text);
  RegValue contexts;
  contexts.type = RegType::Dword;
  contexts.dword = kMenuEntryContexts;
  registry.SetValue(open.key, L"Contexts", contexts);
  registry.CloseKey(open.key);
}

}  // namespace

void RegisterMenuEntries(Registry& registry, std::wstring_view folder) {
  const std::pair<std::wstring_view, std::wstring_view> kEntries[] = {
      {kAllowMenuEntry, kTrustScript}, {kKillMenuEntry, kBlockScript}};
  for (const auto& [entry, script] : kEntries) {
    const std::wstring key = std::wstring(kMenuExtKey) + L"\\" + std::wstring(entry);
    const std::wstring path = JoinPath(folder, script);
    if (!EntryRuns(registry, key, path)) WriteEntry(registry, key, path);
  }
}

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
  const std::wstring folder = files.DataFolder();
  for (const auto& [script, letter] :
       {std::pair{kBlockScript, L'b'}, std::pair{kTrustScript, L't'}}) {
    WriteUnlessLeadingTo(files, ansi, JoinPath(folder, script),
                         JoinPath(folder, MarkerName(letter, urlPrefix)),
                         MenuScriptText(folder, letter, urlPrefix));
  }
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
