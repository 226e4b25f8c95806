// The port of a "host" or "host:port" build setting (PORTAL_HOST, STATS_HOST, ...), so that a
// test can serve what the launcher will ask that host for.
#pragma once

#include <cstdint>
#include <string>

// 80 when the setting names no port.
uint16_t HostPort(const std::wstring& hostAndPort);
