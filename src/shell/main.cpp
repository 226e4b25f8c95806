#include "platform/win.h"

int LauncherMain(HINSTANCE instance);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return LauncherMain(instance); }
