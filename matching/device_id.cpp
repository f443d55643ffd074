#include "matching/device_id.h"

#include "core/log_engine.h"
#include "core/md5.h"
#include "devices/hardware_ids.h"
#include "matching/id_list.h"

namespace tav {

std::string GenerateDeviceID(std::string_view regular_ids) {
  std::string joined;
  for (const std::string& id : SplitIdList(regular_ids)) joined += PrepareSqlText(id);
  if (joined.empty()) {
    XLog::Error("GenerateDeviceID", "Empty", 0, "RegularHIDs=" + std::string(regular_ids));
    return {};
  }
  return MD5DigestToHex(MD5WideString(joined));
}

}  // namespace tav
