#include "sim/SimWindowManager.h"

#include <algorithm>

namespace qx::sim {
namespace {

std::wstring Cut(const std::wstring& text, int bufferChars) {
  if (bufferChars <= 0) return {};
  const auto limit = static_cast<std::size_t>(bufferChars - 1);
  return text.size() > limit ? text.substr(0, limit) : text;
}

}  // namespace

const SimWindow* SimWindowManager::Live(Hwnd window) const {
  const auto it = windows_.find(window);
  return it != windows_.end() && it->second.open ? &it->second : nullptr;
}

std::wstring SimWindowManager::WindowText(Hwnd window, int bufferChars) {
  failures_.Check("Desktop.WindowText");
  const SimWindow* w = Live(window);
  return w ? Cut(w->text, bufferChars) : std::wstring();
}

std::wstring SimWindowManager::ClassName(Hwnd window, int bufferChars) {
  failures_.Check("Desktop.ClassName");
  const SimWindow* w = Live(window);
  return w ? Cut(w->className, bufferChars) : std::wstring();
}

Hwnd SimWindowManager::Parent(Hwnd window) {
  failures_.Check("Desktop.Parent");
  const SimWindow* w = Live(window);
  if (w == nullptr) return 0;
  // As GetParent: the parent of a child window, or the owner of a top-level
  // one.
  return w->parent != 0 ? w->parent : w->owner;
}

std::uint32_t SimWindowManager::ExStyle(Hwnd window) {
  failures_.Check("Desktop.ExStyle");
  const SimWindow* w = Live(window);
  return w ? w->exStyle : 0;
}

ProcessId SimWindowManager::WindowProcessId(Hwnd window) {
  failures_.Check("Desktop.WindowProcessId");
  const SimWindow* w = Live(window);
  return w ? w->process : 0;
}

std::wstring SimWindowManager::WindowModuleFileName(Hwnd window, int bufferChars) {
  failures_.Check("Desktop.WindowModuleFileName");
  const SimWindow* w = Live(window);
  if (w == nullptr) return {};
  const auto it = processes_.find(w->process);
  if (it == processes_.end()) return {};
  // The 9x call counts the terminating NUL in the length it reports.
  std::wstring name = it->second.programFile;
  name.push_back(L'\0');
  return Cut(name, bufferChars);
}

std::wstring SimWindowManager::ProcessFirstModuleFileName(ProcessId process, int bufferChars) {
  failures_.Check("Desktop.ProcessFirstModuleFileName");
  const auto it = processes_.find(process);
  if (it == processes_.end() || !it->second.running || it->second.accessDenied) return {};
  return Cut(it->second.programFile, bufferChars);
}

void SimWindowManager::PostCloseMessage(Hwnd window) {
  failures_.Check("Desktop.PostCloseMessage");
  if (Live(window) != nullptr) posted_.push_back(window);
}

OsVersionInfo SimWindowManager::Version() {
  failures_.Check("Desktop.Version");
  return version_;
}

ProcessId SimWindowManager::CurrentProcessId() {
  failures_.Check("Desktop.CurrentProcessId");
  return current_;
}

Hwnd SimWindowManager::CreateOwnWindow(std::wstring_view caption, std::wstring_view className) {
  failures_.Check("Desktop.CreateOwnWindow");
  return CreateWindow(current_, std::wstring(caption), std::wstring(className));
}

void SimWindowManager::DestroyOwnWindow(Hwnd window) {
  DestroyWindow(window);
}

void SimWindowManager::SetForegroundWindow(Hwnd window) {
  failures_.Check("Desktop.SetForegroundWindow");
  if (IsOpen(window)) foreground_ = window;
}

void SimWindowManager::PostNullMessage(Hwnd /*window*/) {
  failures_.Check("Desktop.PostMessage");
}

void SimWindowManager::CursorPos(int& x, int& y) {
  failures_.Check("Desktop.CursorPos");
  x = cursorX_;
  y = cursorY_;
}

bool SimWindowManager::PreviousInstance() {
  failures_.Check("Desktop.PreviousInstance");
  const auto self = processes_.find(current_);
  if (self == processes_.end()) return false;
  for (const auto& [id, p] : processes_) {
    if (id != current_ && p.running && p.programFile == self->second.programFile) return true;
  }
  return false;
}

ProcessId SimWindowManager::StartProcess(std::wstring programFile) {
  const ProcessId id = nextProcess_;
  nextProcess_ += 4;
  processes_[id] = SimProcess{id, std::move(programFile), true, false};
  return id;
}

void SimWindowManager::EndProcess(ProcessId process) {
  const auto it = processes_.find(process);
  if (it == processes_.end()) return;
  it->second.running = false;
  std::vector<Hwnd> gone;
  for (auto& [handle, w] : windows_) {
    if (w.process == process && w.open) {
      w.open = false;
      gone.push_back(handle);
    }
  }
  for (const Hwnd h : gone) {
    closeHandlers_.erase(h);
    if (const SimWindow* w = Find(h)) {
      listeners_.ForEach([w](WindowListener& l) { l.WindowDestroyed(*w); });
    }
  }
}

void SimWindowManager::EndWindowlessProcesses(std::wstring_view programFile) {
  std::vector<ProcessId> idle;
  for (const auto& [id, p] : processes_) {
    if (!p.running || p.programFile != programFile) continue;
    const bool windowless =
        std::none_of(windows_.begin(), windows_.end(),
                     [id = id](const auto& w) { return w.second.open && w.second.process == id; });
    if (windowless) idle.push_back(id);
  }
  for (const ProcessId id : idle)
    EndProcess(id);
}

void SimWindowManager::ForgetClosed() {
  std::erase_if(windows_, [](const auto& w) { return !w.second.open; });
  std::erase_if(processes_, [this](const auto& p) {
    return !p.second.running &&
           std::none_of(windows_.begin(), windows_.end(),
                        [id = p.first](const auto& w) { return w.second.process == id; });
  });
}

SimProcess* SimWindowManager::FindProcess(ProcessId process) {
  const auto it = processes_.find(process);
  return it == processes_.end() ? nullptr : &it->second;
}

Hwnd SimWindowManager::CreateWindow(ProcessId process, std::wstring text, std::wstring className,
                                    Hwnd parent, std::uint32_t exStyle, Hwnd owner) {
  const Hwnd handle = nextWindow_;
  nextWindow_ += 0x10;
  windows_[handle] = SimWindow{
      handle, std::move(text), std::move(className), parent, owner, exStyle, process, true};
  const SimWindow& created = windows_[handle];
  listeners_.ForEach([&created](WindowListener& l) { l.WindowCreated(created); });
  return handle;
}

void SimWindowManager::SetText(Hwnd window, std::wstring text) {
  SimWindow* w = Find(window);
  if (w == nullptr || !w->open) return;
  w->text = std::move(text);
  listeners_.ForEach([w](WindowListener& l) { l.CaptionChanged(*w); });
}

void SimWindowManager::Activate(Hwnd window) {
  const SimWindow* w = Live(window);
  if (w == nullptr) return;
  foreground_ = window;
  listeners_.ForEach([w](WindowListener& l) { l.WindowActivated(*w); });
}

void SimWindowManager::DestroyWindow(Hwnd window) {
  // Child windows go with their parent, and owned windows (a web page
  // dialog) with their owner.
  std::vector<Hwnd> doomed{window};
  for (std::size_t i = 0; i < doomed.size(); ++i) {
    for (auto& [handle, w] : windows_) {
      if (w.open && (w.parent == doomed[i] || w.owner == doomed[i]) &&
          std::find(doomed.begin(), doomed.end(), handle) == doomed.end()) {
        doomed.push_back(handle);
      }
    }
  }
  std::vector<Hwnd> closed;
  for (const Hwnd h : doomed) {
    SimWindow* w = Find(h);
    if (w != nullptr && w->open) {
      w->open = false;
      closed.push_back(h);
    }
    closeHandlers_.erase(h);
    if (foreground_ == h) foreground_ = 0;
  }
  for (const Hwnd h : closed) {
    const SimWindow* w = Find(h);
    listeners_.ForEach([w](WindowListener& l) { l.WindowDestroyed(*w); });
  }
}

void SimWindowManager::SetCloseHandler(Hwnd window, std::function<void()> handler) {
  if (handler) {
    closeHandlers_[window] = std::move(handler);
  } else {
    closeHandlers_.erase(window);
  }
}

const SimWindow* SimWindowManager::Find(Hwnd window) const {
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

SimWindow* SimWindowManager::Find(Hwnd window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

bool SimWindowManager::IsOpen(Hwnd window) const {
  return Live(window) != nullptr;
}

std::vector<Hwnd> SimWindowManager::DeliverPostedCloses() {
  std::vector<Hwnd> closed;
  const std::vector<Hwnd> posted = std::move(posted_);
  posted_.clear();
  for (const Hwnd h : posted) {
    if (!IsOpen(h)) continue;
    const auto handler = closeHandlers_.find(h);
    if (handler != closeHandlers_.end()) {
      // A window that handles the message itself (a browser window runs its
      // own closing); copied, as closing may drop the handler.
      const std::function<void()> run = handler->second;
      run();
    } else {
      DestroyWindow(h);
    }
    if (!IsOpen(h)) closed.push_back(h);
  }
  return closed;
}

}  // namespace qx::sim
