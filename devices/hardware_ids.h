// Hardware IDs as the device list stores them and the matching queries them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Prepares a text for use inside a double-quoted SQL string the way the
// stored IDs were prepared: every double quote doubled, every "&&" made "&".
std::string PrepareSqlText(std::string_view text);

// The vendor-and-device part of an ID, upper-cased and SQL-prepared:
// PCI\VEN_8086&DEV_1C3A&SUBSYS_04AA1028&REV_04 → PCI\VEN_8086&DEV_1C3A,
// USB\VID_046D&PID_C52B&MI_00 → USB\VID_046D&PID_C52B; any other ID whole.
std::string ReduceHardwareId(std::string_view id);

struct HardwareIdLists {
  std::string raw;      // every ID, joined by ","
  std::string reduced;  // every new reduced ID, joined by ","
};

// Walks a REG_MULTI_SZ buffer of `length` characters: each NUL ends an ID,
// two NULs in a row end the list. `seen` is cleared first and collects the
// reduced IDs, so the reduced list holds each once. Both lists upper-cased.
HardwareIdLists ParseHardwareIdList(std::u16string_view buffer, size_t length,
                                    std::vector<std::string>* seen);

}  // namespace tav
