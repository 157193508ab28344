#include "win32/installer/tests/SetupTools.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/InstanceName.h"

namespace qx::setup::test {

std::wstring Beside(const std::wstring& name) {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::wstring BuiltFile(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c != 0; ++c)
    path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Touch(const std::wstring& path) {
  std::ofstream(std::filesystem::path(path)) << "x";
}

std::wstring UserDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\Quellix";
}

void RemoveFolder(const std::wstring& path) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

std::wstring ReadText(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
    return L"<missing>";
  wchar_t buffer[2048] = {};
  DWORD bytes = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  const LSTATUS status =
      RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  RegCloseKey(opened);
  return status == ERROR_SUCCESS && type == REG_SZ ? buffer : L"<missing>";
}

DWORD ReadNumber(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view) {
  DWORD value = 0xFFFFFFFF;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
    return value;
  DWORD bytes = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    value = 0xFFFFFFFF;
  }
  RegCloseKey(opened);
  return value;
}

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

void WriteText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (!done()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(100);
  }
  return true;
}

std::vector<ProcessInfo> Processes() {
  std::vector<ProcessInfo> found;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    found.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
  }
  CloseHandle(snapshot);
  return found;
}

std::vector<DWORD> ProcessesOf(const std::wstring& path) {
  std::vector<DWORD> found;
  for (const ProcessInfo& p : Processes()) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, p.id);
    if (process == nullptr) continue;
    wchar_t image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, image, &size) && SameText(image, path))
      found.push_back(p.id);
    CloseHandle(process);
  }
  return found;
}

long RunProgram(const std::wstring& program, const std::wstring& arguments, bool children) {
  Started run(program, arguments);
  if (!run.Ok()) return -1;
  if (!run.Ended(2 * kPatience)) return -1;
  long code = static_cast<long>(run.ExitCode());
  if (!children || code != 0) return code;
  for (const ProcessInfo& p : Processes()) {
    if (p.parent != run.Id()) continue;
    const HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, p.id);
    if (child == nullptr) continue;  // already ended
    WaitForSingleObject(child, 2 * kPatience);
    DWORD childCode = 0;
    GetExitCodeProcess(child, &childCode);
    CloseHandle(child);
    if (childCode != 0) code = static_cast<long>(childCode);
  }
  return code;
}

bool ProgramRuns() {
  const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, std::wstring(kInstanceMutexName).c_str());
  if (mutex == nullptr) return false;
  CloseHandle(mutex);
  return true;
}

Started::Started(const std::wstring& program, const std::wstring& arguments) {
  std::wstring line = L"\"" + program + L"\" " + arguments;
  const std::size_t slash = program.find_last_of(L'\\');
  const std::wstring folder = program.substr(0, slash == std::wstring::npos ? 0 : slash);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info_)) {
    info_ = {};
  }
}

Started::~Started() {
  if (!Ok()) return;
  if (!Ended(0)) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Started::Ended(DWORD ms) const {
  return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
}

DWORD Started::ExitCode() const {
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

namespace {

// NSIS ends the uninstaller's caption with a blank.
std::wstring Trimmed(std::wstring text) {
  while (!text.empty() && text.back() == L' ')
    text.pop_back();
  return text;
}

struct TopSearch {
  DWORD process;
  const wchar_t* className;
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK MatchTop(HWND window, LPARAM param) {
  auto& s = *reinterpret_cast<TopSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if ((s.process == 0 || process == s.process) &&
      (s.className == nullptr || std::wstring_view(name) == s.className) &&
      (s.caption == nullptr || Trimmed(TextOf(window)) == s.caption)) {
    s.found = window;
    return FALSE;
  }
  return TRUE;
}

struct ChildSearch {
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
  auto& s = *reinterpret_cast<ChildSearch*>(param);
  if (!(*s.match)(window)) return TRUE;
  s.found = window;
  return FALSE;
}

// Memory inside another process, for the messages whose argument points at
// a structure: a list view reads and writes them in its own address space.
class RemoteMemory {
 public:
  RemoteMemory(DWORD process, std::size_t size)
      : process_(
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process)),
        address_(process_ ? VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                           PAGE_READWRITE)
                          : nullptr) {}
  ~RemoteMemory() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  BYTE* At(std::size_t offset) const { return static_cast<BYTE*>(address_) + offset; }
  bool Ok() const { return address_ != nullptr; }
  void Write(std::size_t offset, const void* data, std::size_t size) const {
    WriteProcessMemory(process_, At(offset), data, size, nullptr);
  }
  void Read(std::size_t offset, void* data, std::size_t size) const {
    ReadProcessMemory(process_, At(offset), data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_;
};

}  // namespace

HWND TopWindow(DWORD process, const wchar_t* className, const wchar_t* caption) {
  TopSearch s{process, className, caption, nullptr};
  EnumWindows(&MatchTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND TopWindowTitled(const wchar_t* caption) {
  return TopWindow(0, L"#32770", caption);
}

HWND Descendant(HWND parent, const std::function<bool(HWND)>& match) {
  ChildSearch s{&match, nullptr};
  EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND DescendantWithText(HWND parent, const std::wstring& text) {
  return Descendant(parent, [&](HWND w) { return IsWindowVisible(w) && TextOf(w) == text; });
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return text;
}

void Click(HWND control) {
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
}

std::vector<std::wstring> ListColumn(HWND list, int column) {
  constexpr int kChars = 512;
  DWORD process = 0;
  GetWindowThreadProcessId(list, &process);
  const RemoteMemory memory(process, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  std::vector<std::wstring> texts;
  if (!memory.Ok()) return texts;
  const auto rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<wchar_t*>(memory.At(sizeof item));
    memory.Write(0, &item, sizeof item);
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(memory.At(0)));
    wchar_t text[kChars] = {};
    memory.Read(sizeof item, text, sizeof text - sizeof(wchar_t));
    texts.emplace_back(text);
  }
  return texts;
}

Wizard::~Wizard() {
  // A wizard a failed test left open would outlive it.
  DWORD process = 0;
  if (!IsWindow(window_) || GetWindowThreadProcessId(window_, &process) == 0) return;
  if (const HANDLE open = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process)) {
    TerminateProcess(open, 99);
    WaitForSingleObject(open, 5000);
    CloseHandle(open);
  }
}

bool Wizard::Appeared() {
  return WaitFor([&] { return (window_ = TopWindowTitled(caption_)) != nullptr; });
}

void Wizard::Press(int id) const {
  const HWND button = GetDlgItem(window_, id);
  PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool Wizard::NextUntil(const std::function<bool()>& arrived) {
  return WaitFor([&] {
    if (arrived()) return true;
    // Only the buttons that lead on: "Finish" and "Close" end the wizard,
    // and a page's controls may appear a moment after its buttons.
    const HWND next = GetDlgItem(window_, IDOK);
    const std::wstring text = next != nullptr ? TextOf(next) : L"";
    if (IsWindowEnabled(next) &&
        (text == L"&Next >" || text == L"&Install" || text == L"&Uninstall")) {
      Press(IDOK);
      // A page being left takes a moment; pressing twice would skip one.
      Sleep(700);
    }
    return arrived();
  });
}

namespace {

HWND DetailsList(HWND wizard) {
  return Descendant(wizard, [](HWND w) {
    wchar_t name[32] = {};
    GetClassNameW(w, name, 32);
    return std::wstring_view(name) == WC_LISTVIEWW && IsWindowVisible(w);
  });
}

}  // namespace

bool Wizard::OnProgressPage() const {
  return DetailsList(window_) != nullptr;
}

std::vector<std::wstring> Wizard::Details() {
  std::vector<std::wstring> lines;
  WaitFor([&] {
    const HWND list = DetailsList(window_);
    lines = list != nullptr ? ListColumn(list, 0) : std::vector<std::wstring>{};
    return !lines.empty() && lines.back() == L"Completed";
  });
  return lines;
}

}  // namespace qx::setup::test
