// The launcher's private window messages. WM_USER+206 is also accepted from other processes.
#pragma once

#include "platform/win.h"

constexpr UINT WM_KX_OPEN_GAME = WM_USER + 200;      // login form -> login window: open the game form
constexpr UINT WM_KX_QUIT = WM_USER + 201;           // -> login window: close it, the program ends
constexpr UINT WM_KX_TRAY_NOTIFY = WM_USER + 204;    // shell -> game window: notification-area icon
constexpr UINT WM_KX_EXIT_ASK = WM_USER + 206;       // outside -> login window: ask, then quit
constexpr UINT WM_KX_OPEN_QQLOGIN = WM_USER + 207;   // login form -> login window: open QQ login
constexpr UINT WM_KX_CLEAN_DONE = WM_USER + 208;     // cleaning thread -> game window
constexpr UINT WM_KX_CLOSE_SCAN = WM_USER + 209;     // -> scan-to-pay window: close
constexpr UINT WM_KX_OPEN_SCAN = WM_USER + 210;      // game form -> game window: open scan-to-pay
constexpr UINT WM_KX_CLOSE_QQLOGIN = WM_USER + 211;  // shell -> QQ login window: close
