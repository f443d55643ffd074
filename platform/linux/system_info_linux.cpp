#include "platform/system_info.h"

#include "platform/linux/virtual_pc.h"
#include "platform/linux/wow64_view.h"

namespace tav::platform {

namespace {
const vpc::MachineFacts& Facts() { return vpc::VirtualPc::Current().facts(); }
}  // namespace

bool GetVersionInfo(OsVersionInfo* info) {
  const vpc::MachineFacts& f = Facts();
  if (!f.version_available) return false;
  info->major = f.major;
  info->minor = f.minor;
  info->build = f.build;
  info->service_pack_major = f.service_pack;
  info->csd_version = f.service_pack ? "Service Pack " + std::to_string(f.service_pack) : "";
  return true;
}

bool IsWow64ProcessAvailable() { return Facts().has_wow64_call; }

bool IsWow64Process(bool* wow64) {
  if (!Facts().has_wow64_call) return false;
  *wow64 = vpc::ProcessUnderWow64();
  return true;
}

std::string GetComputerName() { return Facts().computer_name; }
std::string GetUserName() { return Facts().user_name; }
uint64_t GetTotalPhysicalMemory() { return Facts().total_memory; }
std::string GetSystemManufacturer() { return Facts().manufacturer; }
std::string GetSystemModel() { return Facts().model; }

}  // namespace tav::platform
