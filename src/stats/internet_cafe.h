// Internet-cafe detection: traces of cafe management products in the registry and among the
// running processes.
#pragma once

#include <cstdint>
#include <span>

enum class CafeProbeKind { Registry, Process };

struct CafeProbe {
  CafeProbeKind kind;
  const wchar_t* text;  // key under HKEY_LOCAL_MACHINE, or an executable name (case-sensitive)
  int32_t code;
};

// The probes in the order they are tried.
std::span<const CafeProbe> CafeProbes();

// The code of the first probe that matches, or -1. Code 0 is a match like any other.
int32_t DetectInternetCafe();

// The key under HKEY_LOCAL_MACHINE can be opened; a leading backslash is skipped.
bool RegistryKeyExists(const wchar_t* key);
bool IsProcessRunning(const wchar_t* exeName);
