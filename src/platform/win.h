// The one way into the Windows headers: winsock2.h must come before windows.h,
// or iphlpapi.h leaves some functions undeclared.
#pragma once

#include <winsock2.h>
#include <windows.h>
