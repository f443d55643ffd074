#include "tests/tools/sample_profile.h"

#include <string>

namespace tav::testing {

namespace {

using nlohmann::json;

json Driver(const std::string& provider,
            const std::string& version,
            const std::string& date,
            const std::string& description) {
  return {{"provider", provider},   {"version", version},       {"date", date},
          {"inf_path", "oem3.inf"}, {"inf_section", "Install"}, {"description", description}};
}

// An Intel chipset function with Intel's own driver.
json Chipset(const std::string& dev, const std::string& name) {
  const std::string reduced = "PCI\\VEN_8086&DEV_" + dev;
  return {{"instance_id", reduced + "&SUBSYS_04AA1028&REV_04\\3&11583659&0&" + dev.substr(2)},
          {"class", "System"},
          {"hardware_ids",
           {reduced + "&SUBSYS_04AA1028&REV_04", reduced + "&SUBSYS_04AA1028", reduced}},
          {"compatible_ids", {"PCI\\VEN_8086&CC_060400", "PCI\\CC_0604"}},
          {"description", name},
          {"manufacturer", "Intel"},
          {"driver", Driver("Intel", "9.2.0.1030", "2011-07-27", name)}};
}

json MicrosoftDevice(const std::string& instance,
                     const std::string& id,
                     const std::string& name,
                     const std::string& manufacturer,
                     const char* cls) {
  return {{"instance_id", instance},
          {"class", cls},
          {"hardware_ids", {id}},
          {"compatible_ids", json::array()},
          {"description", name},
          {"manufacturer", manufacturer},
          {"driver", Driver("Microsoft", "6.1.7601.17514", "2006-06-21", name)}};
}

}  // namespace

json SampleCatalogProfile() {
  json devices = json::array();
  devices.push_back(
      {{"instance_id", "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\3&11583659&0&C8"},
       {"class", "Net"},
       {"hardware_ids",
        {"PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04", "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028",
         "PCI\\VEN_8086&DEV_1502"}},
       {"compatible_ids", {"PCI\\VEN_8086&CC_020000", "PCI\\CC_0200"}},
       {"description", "Intel(R) 82579LM Gigabit Network Connection"},
       {"manufacturer", "Intel"},
       {"driver", Driver("Intel", "11.15.16.0", "2011-10-21",
                         "Intel(R) 82579LM Gigabit Network Connection")}});
  devices.push_back(
      {{"instance_id",
        "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269&SUBSYS_102804AA&REV_1002\\4&2D6C8D4F&0&0001"},
       {"class", "MEDIA"},
       {"hardware_ids",
        {"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269&SUBSYS_102804AA&REV_1002",
         "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269&SUBSYS_102804AA"}},
       {"compatible_ids", {"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269", "HDAUDIO\\FUNC_01&VEN_10EC"}},
       {"description", "Realtek High Definition Audio"},
       {"manufacturer", "Realtek"},
       {"driver", Driver("Realtek Semiconductor Corp.", "6.0.1.6662", "2012-06-05",
                         "Realtek High Definition Audio")}});
  const char* chipsets[][2] = {
      {"0100", "2nd generation Intel(R) Core(TM) processor family DRAM Controller"},
      {"0101", "Xeon(R) processor E3-1200 PCI Express Root Port"},
      {"1C3A", "Intel(R) Management Engine Interface"},
      {"1C10", "Intel(R) 6 Series/C200 Series Chipset Family PCI Express Root Port 1"},
      {"1C12", "Intel(R) 6 Series/C200 Series Chipset Family PCI Express Root Port 2"},
      {"1C18", "Intel(R) 6 Series/C200 Series Chipset Family PCI Express Root Port 5"},
      {"1C26", "Intel(R) 6 Series/C200 Series Chipset Family USB Enhanced Host Controller"},
      {"1C2D", "Intel(R) 6 Series/C200 Series Chipset Family USB Enhanced Host Controller 2"},
      {"1C22", "Intel(R) 6 Series/C200 Series Chipset Family SMBus Controller"},
      {"1C4E", "Intel(R) Q67 Express Chipset Family LPC Interface Controller"},
  };
  for (const auto& c : chipsets)
    devices.push_back(Chipset(c[0], c[1]));
  devices.push_back(
      {{"instance_id", "PCI\\VEN_10DE&DEV_0DE1&SUBSYS_35251462&REV_A1\\4&2B8260C3&0&0008"},
       {"class", "Display"},
       {"hardware_ids",
        {"PCI\\VEN_10DE&DEV_0DE1&SUBSYS_35251462&REV_A1", "PCI\\VEN_10DE&DEV_0DE1"}},
       {"compatible_ids", {"PCI\\VEN_10DE&CC_030000", "PCI\\CC_0300"}},
       {"description", "NVIDIA GeForce GT 430"},
       {"manufacturer", "NVIDIA"},
       {"driver", Driver("NVIDIA", "9.18.13.697", "2012-10-02", "NVIDIA GeForce GT 430")}});
  devices.push_back(MicrosoftDevice("ACPI\\PNP0303\\4&1D401FB5&0", "ACPI\\PNP0303",
                                    "Standard PS/2 Keyboard", "(Standard keyboards)", "Keyboard"));
  devices.push_back(MicrosoftDevice("ACPI\\PNP0F13\\4&1D401FB5&0", "ACPI\\PNP0F13",
                                    "PS/2 Compatible Mouse", "Microsoft", "Mouse"));
  devices.push_back(MicrosoftDevice("ACPI\\PNP0C0C\\2&DABA3FF&1", "ACPI\\PNP0C0C",
                                    "ACPI Power Button", "(Standard system devices)", "System"));
  devices.push_back(
      {{"instance_id", "USB\\VID_0A5C&PID_5801\\0123456789ABCD"},
       {"hardware_ids", {"USB\\VID_0A5C&PID_5801&REV_0101", "USB\\VID_0A5C&PID_5801"}},
       {"compatible_ids", {"USB\\Class_FE&SubClass_00&Prot_00", "USB\\Class_FE"}},
       {"description", "Five Point Sensor"},
       {"problem", 28}});
  return {{"description", "Sample catalog PC: Windows 7 SP1 64-bit"},
          {"os",
           {{"name", "Windows 7 Professional"},
            {"major", 6},
            {"minor", 1},
            {"build", 7601},
            {"service_pack", 1},
            {"64bit", true}}},
          {"devices", devices}};
}

}  // namespace tav::testing
