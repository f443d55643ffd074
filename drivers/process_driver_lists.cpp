#include "drivers/process_driver_lists.h"

#include <memory>

#include "core/log_engine.h"

namespace tav {

namespace {

TDriversList& Refresh(std::unique_ptr<TDriversList>& list,
                      bool rescan,
                      std::string_view folder,
                      TListMode mode) {
  const bool fresh = !list;
  if (fresh)
    list = std::make_unique<TDriversList>();
  if (rescan || fresh)
    list->ScanPreFiles(folder, mode);
  list->Sort();
  return *list;
}

}  // namespace

TDriversList& GetDriverResultList(bool rescan, std::string_view folder) {
  static std::unique_ptr<TDriversList> list;
  if (folder.empty())
    XLog::Error("GetDriverResultList", "Empty IniPath");
  return Refresh(list, rescan, folder, TListMode::Result);
}

TDriversList& GetDriverHistoryList(bool rescan, std::string_view folder) {
  static std::unique_ptr<TDriversList> list;
  return Refresh(list, rescan, folder, TListMode::History);
}

}  // namespace tav
