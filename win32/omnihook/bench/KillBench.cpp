// How soon a window that a window rule condemns is gone: another program
// makes the windows one at a time (hook_helper.exe bench), this one hosts the
// control and, as the program does, closes each window whose caption report
// the rule matches. Timed from the window's creation, and from the change
// of its caption, to its destruction; once with the control's own library
// hooking the program, once through the hook host (its stand-in of this
// bitness where 32-bit programs cannot run). Also what an install costs
// when it starts the host.
//
// Usage: kill_bench [windows [host folder]] (the host's folder defaults to
// ..\hookhost-standin; ..\hookhost-wow64 holds the real 32-bit host and a
// 32-bit maker). The maker is the hook_helper.exe of each series' folder.
// Exits 1 when a window outlived its rule.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "RuleKill.h"
#include "win32/com/NoTypeInfo.h"

namespace qx::win::test {
namespace {

// The control's events: captions go to the rule, as in the program.
class KillSink final : public NoTypeInfo<ComObjectWith<StaticLifetime, IDispatch>> {
 public:
  explicit KillSink(RuleKill& rules) : rules_(rules) {}
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (id == kGetTextMsg && params != nullptr && params->cArgs == 1 &&
        params->rgvarg[0].vt == (VT_BYREF | VT_I4)) {
      rules_.Check(*params->rgvarg[0].plVal);
    }
    return S_OK;
  }

 private:
  void* OtherInterface(REFIID riid) override {
    return riid == DIID___OmnihookControl ? static_cast<IDispatch*>(this) : nullptr;
  }
  RuleKill& rules_;
};

struct Series {
  std::vector<double> micros;
  int missed = 0;
  int painted = 0;
};

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

Series ReadSeries(const std::wstring& file) {
  Series series;
  FILE* in = _wfopen(file.c_str(), L"r");
  if (in == nullptr) return series;
  double micros = 0;
  int painted = 0;
  while (std::fscanf(in, "%lf %d", &micros, &painted) == 2) {
    if (micros < 0) {
      ++series.missed;
    } else {
      series.micros.push_back(micros);
    }
    series.painted += painted;
  }
  std::fclose(in);
  return series;
}

// Runs the window maker to its end, delivering the control's messages.
Series Make(const std::wstring& folder, int count, const char* mode) {
  const std::wstring file = TestFolder() + L"\\kill_bench.out";
  std::wstring command = L"\"" + folder + L"\\hook_helper.exe\" bench \"" + file + L"\" " +
                         std::to_wstring(count) + L" " + std::wstring(mode, mode + strlen(mode));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION maker{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &maker)) {
    return {};
  }
  PumpUntil([&] { return WaitForSingleObject(maker.hProcess, 0) == WAIT_OBJECT_0; },
            std::chrono::minutes(5));
  CloseHandle(maker.hThread);
  CloseHandle(maker.hProcess);
  Series series = ReadSeries(file);
  DeleteFileW(file.c_str());
  return series;
}

// Answers whether the rule killed every window.
bool Report(const char* what, const char* mode, const Series& s) {
  std::printf(
      "%-22s from %-8s median %8.1f us  p99 %8.1f us  (%zu killed, %d missed, %d painted)\n", what,
      mode, Percentile(s.micros, 0.5), Percentile(s.micros, 0.99), s.micros.size(), s.missed,
      s.painted);
  return !s.micros.empty() && s.missed == 0;
}

// One control from `folder`, with the message hook, killing `count` windows
// of each kind.
bool RunWith(const char* what, const std::wstring& folder, int count) {
  ComPtr<IDispatch> control = CreateControl(LoadControlFile(folder + L"\\Omnihook.ocx"));
  if (control == nullptr) return false;
  RuleKill rules(L"bench popup");
  KillSink sink(rules);
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  if (FAILED(control.As(&container)) ||
      FAILED(container->FindConnectionPoint(DIID___OmnihookControl, &point)) ||
      FAILED(point->Advise(&sink, &cookie))) {
    return false;
  }
  Call(control.Get(), 0x60030005);  // Initialize
  const auto start = std::chrono::steady_clock::now();
  Call(control.Get(), 0x60030007);  // InstallMsgHook
  const auto installed = std::chrono::steady_clock::now() - start;
  std::printf("%-22s InstallMsgHook %.1f ms\n", what,
              std::chrono::duration<double, std::milli>(installed).count());
  bool all = true;
  for (const char* mode : {"create", "caption"})
    all = Report(what, mode, Make(folder, count, mode)) && all;
  // Not a kill: the maker destroys each window itself at once, for what a
  // window costs under this system anyway.
  Report(what, "self", Make(folder, count, "self"));
  Call(control.Get(), 0x6003000C);  // Uninitialize
  point->Unadvise(cookie);
  return all;
}

}  // namespace
}  // namespace qx::win::test

int main(int argc, char** argv) {
  using namespace qx::win::test;
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  if (FAILED(OleInitialize(nullptr))) return 2;
  std::printf("%d windows each, %d-bit\n", count, static_cast<int>(sizeof(void*) * 8));
  bool ran = RunWith("in-process library", TestFolder(), count);
  std::wstring host = TestFolder() + L"\\..\\hookhost-standin";
  if (argc > 2) {
    const std::string folder = argv[2];
    host = std::wstring(folder.begin(), folder.end());
  }
  ran = RunWith("through the hook host", host, count) && ran;
  OleUninitialize();
  return ran ? 0 : 1;
}
