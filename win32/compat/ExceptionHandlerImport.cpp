// 64-bit code with exception handling refers to __C_specific_handler, which
// both kernel32's and msvcrt's import libraries offer; whichever the linker
// meets first after the reference wins, and for the C++ library's threads
// that is kernel32's. msvcrt.dll has had it on every 64-bit Windows, so the
// reference here, linked in before any library is searched, takes it from
// msvcrt (first among the libraries, win32/CMakeLists.txt) for all of them.

#ifdef _WIN64
extern "C" void __C_specific_handler();

namespace {

[[gnu::used]] void (*const keepSpecificHandler)() = &__C_specific_handler;

}  // namespace
#endif
