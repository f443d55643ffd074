#include "devices/hardware_ids.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace tav {
namespace {

TEST(HardwareIdsTest, Reduction) {
  struct Row {
    const char* id;
    const char* reduced;
  };
  const Row rows[] = {
      {"PCI\\VEN_8086&DEV_1C3A&SUBSYS_04AA1028&REV_04", "PCI\\VEN_8086&DEV_1C3A"},
      {"pci\\ven_8086&dev_1c3a&cc_0780", "PCI\\VEN_8086&DEV_1C3A"},
      {"USB\\VID_046D&PID_C52B&MI_00", "USB\\VID_046D&PID_C52B"},
      {"USB\\VID_046D&PID_C52B&REV_1200", "USB\\VID_046D&PID_C52B"},
      {"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0887&SUBSYS_102804AA&REV_1003",
       "HDAUDIO\\VEN_10EC&DEV_0887"},
      {"ACPI\\PNP0A08", "ACPI\\PNP0A08"},
      {"*PNP0F13", "*PNP0F13"},
      {"VEN_8086&DEV_1C3A", "VEN_8086&DEV_1C3A"},  // no "\": nothing before the vendor part
      // Always eight characters from each tag, whatever follows.
      {"PCI\\VEN_80&DEV_1", "PCI\\VEN_80&D&DEV_1"},
      {"ROOT\\\"QUOTED\"", "ROOT\\\"\"QUOTED\"\""},
      {"SW\\A&&B", "SW\\A&B"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ReduceHardwareId(row.id), row.reduced) << row.id;
  }
}

std::u16string MultiSz(std::initializer_list<const char*> ids) {
  std::u16string buffer;
  for (const char* id : ids) {
    buffer += Utf8ToUtf16(id);
    buffer.push_back(0);
  }
  buffer.push_back(0);
  return buffer;
}

TEST(HardwareIdsTest, ListParseKeepsRawIdsAndReducesOnce) {
  const std::u16string buffer = MultiSz({"USB\\VID_046D&PID_C52B&REV_1200", "usb\\vid_046d&pid_c52b&mi_01",
                                         "USB\\Class_03&SubClass_01", "USB\\Class_03"});
  std::vector<std::string> seen = {"stale"};
  const HardwareIdLists lists = ParseHardwareIdList(buffer, buffer.size(), &seen);
  EXPECT_EQ(lists.raw,
            "USB\\VID_046D&PID_C52B&REV_1200,USB\\VID_046D&PID_C52B&MI_01,USB\\CLASS_03&SUBCLASS_01,"
            "USB\\CLASS_03");
  EXPECT_EQ(lists.reduced, "USB\\VID_046D&PID_C52B,USB\\CLASS_03&SUBCLASS_01,USB\\CLASS_03");
  EXPECT_EQ(seen.size(), 3u) << "the caller's list is cleared first";
}

TEST(HardwareIdsTest, ListParseStopsAtTheLengthAndAtADoubleNul) {
  std::u16string buffer = MultiSz({"ACPI\\PNP0A08", "*PNP0A03"});
  std::vector<std::string> seen;
  EXPECT_EQ(ParseHardwareIdList(buffer, 5, &seen).raw, "") << "an ID cut by the length is not ended";
  EXPECT_EQ(ParseHardwareIdList(buffer, 13, &seen).raw, "ACPI\\PNP0A08");
  buffer = MultiSz({"A\\B"}) + MultiSz({"NOT\\SEEN"});
  EXPECT_EQ(ParseHardwareIdList(buffer, buffer.size(), &seen).raw, "A\\B");
  EXPECT_EQ(ParseHardwareIdList(u"", 0, &seen).raw, "");
}

}  // namespace
}  // namespace tav
