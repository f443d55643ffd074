// Facts about the running Windows system.
#pragma once

#include <cstdint>
#include <string>

namespace tav::platform {

struct OsVersionInfo {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint16_t service_pack_major = 0;
  std::string csd_version;  // "Service Pack 1"
};

// GetVersionEx as the program sees it (it carries a compatibility manifest up
// to the system the PC says). False when the information is unavailable.
bool GetVersionInfo(OsVersionInfo* info);

// IsWow64Process for this process: a 32-bit program on 64-bit Windows. The
// second form tells whether the call exists at all (it does not on old XP).
bool IsWow64ProcessAvailable();
bool IsWow64Process(bool* wow64);

std::string GetComputerName();
std::string GetUserName();
uint64_t GetTotalPhysicalMemory();  // bytes
std::string GetSystemManufacturer();
std::string GetSystemModel();

}  // namespace tav::platform
