// Waits, so that a test can find it among the running processes, then ends on its own
// should the test never end it. A GUI program: it gets no console (and no console host
// that could hold the test runner's output pipe open).
#include "platform/win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ::Sleep(120000);
  return 0;
}
