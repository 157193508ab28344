// The fallbacks for what Windows XP lacks, forced through their seams.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "win32/compat/LocaleFormat.h"
#include "win32/compat/Lock.h"
#include "win32/compat/ProcessImage.h"
#include "win32/compat/RegistryTree.h"
#include "win32/compat/SecureRandom.h"
#include "win32/compat/TickCount.h"

namespace qx::win::compat {
namespace {

constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;

TEST(TickCountTest, ExtendsAcrossTheWrap) {
  struct Case {
    std::uint64_t last;
    std::uint32_t now;
    std::uint64_t expected;
  } cases[] = {
      {0, 5000, 5000},                                      // from the start
      {5000, 5016, 5016},                                   // time goes on
      {0xFFFFFFF0u, 0x10u, kWrap + 0x10u},                  // the 49.7-day wrap
      {3 * kWrap + 0xFFFFFF00u, 0x20u, 4 * kWrap + 0x20u},  // a later wrap
      {kWrap + 0x10u, 0xFFFFFFF0u, kWrap + 0x10u},          // a stale reading from before it
      {5016, 5000, 5016},                                   // another thread answered first
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExtendTickCount(c.last, c.now), c.expected) << c.last << " " << c.now;
}

// GetTickCount's stand-in: readings the test sets.
std::uint32_t fakeReading = 0;
DWORD WINAPI FakeTicks32() {
  return fakeReading;
}

TEST(TickCountTest, FallbackCountsOnPastTheWrapAndNeverGoesBack) {
  // The first reading comes from a system up for 49 days, close to the wrap.
  TickExtender extender;
  std::uint64_t previous = 0;
  for (std::uint64_t t = 0xFFFF0000u; t < kWrap + 0x30000u; t += 0x8000u) {
    fakeReading = static_cast<std::uint32_t>(t);
    const std::uint64_t now = TickCountWith(nullptr, &FakeTicks32, extender);
    EXPECT_EQ(now, t);
    EXPECT_GE(now, previous);
    previous = now;
  }
}

TEST(TickCountTest, SystemCounterAgreesWithGetTickCount) {
  const std::uint64_t before = GetTickCount();
  const std::uint64_t now = TickCount64();
  // The low 32 bits are GetTickCount's, give or take the time between.
  EXPECT_LE(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(before), 1000u);
}

// BCryptGenRandom and RtlGenRandom stand-ins that count their calls.
int bcryptCalls = 0;
int rtlCalls = 0;
LONG WINAPI RefusingBcrypt(void*, UCHAR*, ULONG, ULONG) {
  ++bcryptCalls;
  return static_cast<LONG>(0xC000000Du);  // STATUS_INVALID_PARAMETER, as Vista before SP2
}
LONG WINAPI FillingBcrypt(void*, UCHAR* buffer, ULONG size, ULONG flags) {
  ++bcryptCalls;
  EXPECT_EQ(flags, 2u);  // the system's preferred generator
  std::memset(buffer, 0xB7, size);
  return 0;
}
BOOLEAN WINAPI FillingRtl(void* buffer, ULONG size) {
  ++rtlCalls;
  std::memset(buffer, 0x3C, size);
  return TRUE;
}
BOOLEAN WINAPI FailingRtl(void*, ULONG) {
  ++rtlCalls;
  return FALSE;
}

TEST(SecureRandomTest, FallsBackWhereBcryptIsAbsentOrRefuses) {
  struct Case {
    const char* name;
    RandomSources sources;
    bool filled;
    unsigned char byte;
    int bcrypt;
    int rtl;
  } cases[] = {
      {"bcrypt answers", {&FillingBcrypt, &FillingRtl}, true, 0xB7, 1, 0},
      {"bcrypt refuses the flag", {&RefusingBcrypt, &FillingRtl}, true, 0x3C, 1, 1},
      {"no bcrypt (XP)", {nullptr, &FillingRtl}, true, 0x3C, 0, 1},
      {"both fail", {&RefusingBcrypt, &FailingRtl}, false, 0, 1, 1},
      {"neither there", {nullptr, nullptr}, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    bcryptCalls = rtlCalls = 0;
    unsigned char buffer[8] = {};
    EXPECT_EQ(FillSecureRandom(c.sources, buffer, sizeof buffer), c.filled) << c.name;
    if (c.filled) {
      EXPECT_EQ(buffer[7], c.byte) << c.name;
    }
    EXPECT_EQ(bcryptCalls, c.bcrypt) << c.name;
    EXPECT_EQ(rtlCalls, c.rtl) << c.name;
  }
}

TEST(SecureRandomTest, SystemSourcesDraw) {
  const RandomSources sources = SystemRandomSources();
  ASSERT_NE(sources.rtl, nullptr);  // every Windows from XP on
  std::uint64_t a = 0, b = 0;
  ASSERT_TRUE(FillSecureRandom(sources, &a, sizeof a));
  ASSERT_TRUE(FillSecureRandom({nullptr, sources.rtl}, &b, sizeof b));
  EXPECT_NE(a, b);  // equal with chance 2^-64
}

struct Counting {
  Lock* lock;
  volatile long count;
};

DWORD WINAPI CountUnderLock(void* arg) {
  auto* shared = static_cast<Counting*>(arg);
  for (int i = 0; i < 20000; ++i) {
    LockHeld held(*shared->lock);
    // Read, yield now and then, write: without exclusion, updates get lost.
    const long seen = shared->count;
    if (i % 64 == 0) SwitchToThread();
    shared->count = seen + 1;
  }
  return 0;
}

TEST(LockTest, BothKindsExclude) {
  for (const bool slim : {true, false}) {
    Lock lock(slim ? SystemSlimLockApi() : SlimLockApi{});
    EXPECT_EQ(lock.Slim(), slim);  // Wine has slim locks, as Vista on does
    Counting shared{&lock, 0};
    HANDLE threads[4];
    for (HANDLE& thread : threads)
      thread = CreateThread(nullptr, 0, &CountUnderLock, &shared, 0, nullptr);
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE thread : threads)
      CloseHandle(thread);
    EXPECT_EQ(shared.count, 4 * 20000) << (slim ? "slim" : "critical section");
  }
}

TEST(ProcessImageTest, BothWaysReadTheSameProgram) {
  wchar_t own[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
  for (const ImagePathApi& api : {SystemImagePathApi(), ImagePathApi{}}) {
    const HANDLE process = OpenProcess(ImagePathAccess(api), FALSE, GetCurrentProcessId());
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(_wcsicmp(ImagePath(api, process).c_str(), own), 0) << (api.queryFull != nullptr);
    CloseHandle(process);
  }
  EXPECT_EQ(ProcessImagePath(GetCurrentProcessId()).size(), length);
  EXPECT_EQ(ProcessImagePath(0xFFFFFFF0u), L"");  // no such process
}

TEST(LocaleFormatTest, TheUsersFormsNeedNoNamedLocale) {
  const SYSTEMTIME time{2004, 6, 2, 1, 13, 5, 9, 0};
  wchar_t system[128] = {}, fallback[128] = {}, named[128] = {};
  const LocaleFormatApi api = SystemLocaleFormatApi();
  ASSERT_GT(
      api.dateEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, system, 128, nullptr),
      0);
  // Before Vista: the user's own forms the same way, a named locale not at all.
  EXPECT_GT(FormatDate({}, L"", DATE_SHORTDATE, time, fallback, 128), 0);
  EXPECT_STREQ(fallback, system);
  EXPECT_EQ(FormatTime({}, L"en-US", 0, time, named, 128), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_GT(FormatTime(api, L"en-US", 0, time, named, 128), 0);
  EXPECT_STREQ(named, L"1:05:09 PM");
}

TEST(RegistryTreeTest, BothWaysDeleteAKeyWithWhatItHolds) {
  const wchar_t* root = L"Software\\QuellixCompatTest";
  for (const DeleteTreeFn deleteTree : {SystemDeleteTree(), ShellDeleteTree()}) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QuellixCompatTest\\a\\b", 0, nullptr,
                              0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    RegSetValueExW(key, L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    EXPECT_EQ(deleteTree(HKEY_CURRENT_USER, root), ERROR_SUCCESS);
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, root, 0, KEY_READ, &key), ERROR_SUCCESS);
    // The callers take this answer for "nothing to delete".
    EXPECT_EQ(deleteTree(HKEY_CURRENT_USER, root), ERROR_FILE_NOT_FOUND);
  }
}

}  // namespace
}  // namespace qx::win::compat
