// What a hook procedure costs a program for a message it does not report.
// The procedures are built into this program from the library's source with
// a chaining call that only counts, so the figure is their own work; the
// system's CallNextHookEx, which every call ends in, is timed on its own.
// Prints nanoseconds per call. Usage: catchwire_bench [iterations]

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "Catchwire.h"

namespace {

long long gChained = 0;

double NsPerCall(long long iterations, LRESULT (*call)()) {
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceFrequency(&frequency);
  volatile LRESULT sink = 0;
  for (long long i = 0; i < iterations / 10 + 1; ++i)
    sink = sink + call();  // warm up
  QueryPerformanceCounter(&start);
  for (long long i = 0; i < iterations; ++i)
    sink = sink + call();
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 /
         static_cast<double>(frequency.QuadPart) / static_cast<double>(iterations);
}

CWPRETSTRUCT gPaint{0, 0, 0, WM_PAINT, nullptr};
MOUSEHOOKSTRUCT gMove{{10, 20}, nullptr, HTCLIENT, 0};

}  // namespace

extern "C" __attribute__((noinline)) LRESULT WINAPI BenchNextHook(HHOOK, int code, WPARAM, LPARAM) {
  ++gChained;
  return code;
}

int main(int argc, char** argv) {
  const long long iterations = argc > 1 ? std::atoll(argv[1]) : 20000000;
  if (iterations <= 0) {
    std::fprintf(stderr, "iterations must be a positive number\n");
    return 2;
  }
  struct Case {
    const char* name;
    LRESULT (*call)();
  };
  const Case cases[] = {
      {"chaining call alone", [] { return BenchNextHook(nullptr, HCBT_SETFOCUS, 0, 0); }},
      {"HookCBT HCBT_SETFOCUS", [] { return HookCBT(HCBT_SETFOCUS, 0, 0); }},
      {"HookCBT HCBT_CLICKSKIPPED",
       [] { return HookCBT(HCBT_CLICKSKIPPED, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&gMove)); }},
      {"HookMsg WM_PAINT", [] { return HookMsg(HC_ACTION, 0, reinterpret_cast<LPARAM>(&gPaint)); }},
      {"HookMouse WM_MOUSEMOVE",
       [] { return HookMouse(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&gMove)); }},
  };
  double baseline = 0;
  for (const Case& c : cases) {
    const double ns = NsPerCall(iterations, c.call);
    if (baseline == 0) baseline = ns;
    std::printf("%-28s %8.2f ns/call  (%+.2f ns beyond the chaining call)\n", c.name, ns,
                ns - baseline);
  }
  // The system's own call: under Wine a round trip to its server.
  const long long systemCalls = iterations < 2000 ? iterations : 2000;
  const double system =
      NsPerCall(systemCalls, [] { return CallNextHookEx(nullptr, HCBT_SETFOCUS, 0, 0); });
  std::printf("%-28s %8.0f ns/call\n", "CallNextHookEx (system)", system);
  return gChained > 0 ? 0 : 1;
}
