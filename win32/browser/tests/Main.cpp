// The browser adapters' tests: one single-threaded OLE apartment, as the
// program's user-interface thread has.
#include <gmock/gmock.h>
#include <ole2.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  if (FAILED(OleInitialize(nullptr))) return 1;
  const int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
