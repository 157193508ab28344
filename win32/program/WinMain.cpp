// Quellix.exe: the resident program.

#include <windows.h>
// windows.h first: ole2.h needs its types.
#include <ole2.h>

#include "win32/program/ComSecurity.h"
#include "win32/program/CommandLine.h"
#include "win32/program/ResidentProgram.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The hook control is an ActiveX control: the thread is a single-threaded
  // apartment with OLE.
  const HRESULT ole = OleInitialize(nullptr);
  // Before any object crosses an apartment: the browser's Protected Mode
  // tabs may call the program's event sinks.
  if (SUCCEEDED(ole)) qx::win::AllowCallsFromTheBrowsersTabs();
  int code = 0;
  try {
    qx::win::ResidentProgram program(instance);
    code = program.Run(qx::win::CommandArguments(GetCommandLineW()));
  } catch (...) {
    code = 1;
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return code;
}
