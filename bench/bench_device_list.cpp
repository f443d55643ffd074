// The device list of a 500-device virtual PC: GenerateDevicesList end to end,
// next to the bare platform reads it is made of (enumerating the devices and
// reading their registry properties), measured in the same run.
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "bench/bench_machine.h"
#include "core/log_engine.h"
#include "devices/device_list.h"
#include "platform/device_manager.h"
#include "platform/linux/virtual_pc.h"

namespace {

constexpr int kDevices = 500;

std::string Profile() {
  nlohmann::json profile = nlohmann::json::parse(tav::platform::vpc::VirtualPc::DefaultProfile());
  const char* classes[] = {"Net", "MEDIA", "USB", "HIDClass", "System", "Display", "DiskDrive"};
  nlohmann::json devices = nlohmann::json::array();
  for (int i = 0; i < kDevices; ++i) {
    char dev[8];
    std::snprintf(dev, sizeof dev, "%04X", i);
    const std::string id = std::string("PCI\\VEN_8086&DEV_") + dev + "&SUBSYS_04AA1028&REV_04";
    devices.push_back({{"instance_id", id + "\\3&11583659&0&" + std::to_string(i)},
                       {"class", classes[i % 7]},
                       {"hardware_ids", {id, std::string("PCI\\VEN_8086&DEV_") + dev}},
                       {"compatible_ids", {"PCI\\VEN_8086&CC_020000", "PCI\\VEN_8086"}},
                       {"description", "Device number " + std::to_string(i)},
                       {"manufacturer", "Intel"},
                       {"present", i % 10 != 0},
                       {"driver",
                        {{"provider", "Intel"},
                         {"version", "1.2.3." + std::to_string(i)},
                         {"date", "2014-05-01"},
                         {"inf_path", "oem" + std::to_string(i) + ".inf"},
                         {"inf_section", "Install"},
                         {"description", "Device number " + std::to_string(i)}}},
                       {"properties", {{"install_date", "2015-01-01 10:00:00"}}}});
  }
  profile["devices"] = devices;
  return profile.dump();
}

double BareReads() {
  const double start = tav::bench::Seconds();
  tav::platform::DeviceInfoSet set;
  set.CreateForAllDevices();
  for (uint32_t i = 0;; ++i) {
    tav::platform::DeviceInfoData element;
    if (!set.EnumDeviceInfo(i, &element)) break;
    std::string id;
    set.GetDeviceInstanceId(element, &id);
    tav::platform::PropertyValue value;
    for (uint32_t p = 0; p <= 0x22; ++p) set.GetDeviceRegistryProperty(element, p, &value);
    uint32_t status = 0, problem = 0;
    tav::platform::GetDevNodeStatus(element.dev_inst, &status, &problem);
  }
  return tav::bench::Seconds() - start;
}

}  // namespace

int main() {
  std::printf("building a virtual PC with %d devices...\n", kDevices);
  tav::bench::BenchMachine machine(Profile());
  if (!machine.ok()) return 1;
  constexpr int kRuns = 5;
  double list = 0, bare = 0;
  for (int run = 0; run < kRuns; ++run) {
    const double start = tav::bench::Seconds();
    tav::GenerateDevicesList("Devices.ini");
    list += tav::bench::Seconds() - start;
    bare += BareReads();
  }
  tav::XLog::Stop();
  std::printf("GenerateDevicesList, %d devices: %.1f ms per list (%.0f devices/s)\n", kDevices,
              list / kRuns * 1000, kDevices / (list / kRuns));
  std::printf("bare platform reads of the same devices: %.1f ms   ratio %.2f\n", bare / kRuns * 1000,
              list / bare);
  return 0;
}
