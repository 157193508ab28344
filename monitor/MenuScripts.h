#pragma once
// The browser context-menu entries: two script files that navigate the page's
// window to a marker page named with the user's token, and the marker pages
// the browser shows when the program is not running.

#include <string>
#include <string_view>

#include "base/AnsiCodec.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace qx {

inline constexpr std::wstring_view kBlockScript = L"blocksite.script";
inline constexpr std::wstring_view kTrustScript = L"trustsite.script";
inline constexpr std::wstring_view kBlockScriptOff = L"blocksite.script2";
inline constexpr std::wstring_view kTrustScriptOff = L"trustsite.script2";

// The browser's list of context-menu entries, per user, and the program's
// two entries in it (pages and links: the browser's context flags 0x1, 0x20).
inline constexpr std::wstring_view kMenuExtKey = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
inline constexpr std::wstring_view kAllowMenuEntry = L"Allow/Disallow Site's Pop-ups";
inline constexpr std::wstring_view kKillMenuEntry = L"Always Kill This Pop-up";
inline constexpr std::uint32_t kMenuEntryContexts = 0x21;

// The texts of the files, lines joined by CR LF, none after the last.
std::wstring MenuScriptText(std::wstring_view programFolder, wchar_t letter,
                            std::wstring_view urlPrefix);
std::wstring MarkerPageText(wchar_t letter);

// Writes each script that does not hold this prefix's text, and each marker
// page that is missing or empty.
void WriteMenuScripts(FileSystem& files, const AnsiCodec& ansi, std::wstring_view urlPrefix);
// Points the user's two context-menu entries at the script files in the
// folder, where they are missing or point elsewhere (an earlier install's
// folder). An installer that runs elevated cannot write them for the user.
void RegisterMenuEntries(Registry& registry, std::wstring_view folder);
// The on-off cycle: ".script2" to ".script" at start, back at the end.
void ActivateMenuScripts(FileSystem& files);
void DeactivateMenuScripts(FileSystem& files);

}  // namespace qx
