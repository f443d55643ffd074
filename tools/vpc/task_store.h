// The PC's scheduled tasks, kept in the tasks table of its machine database.
// Task names compare without regard to letter case and keep the case they
// were created with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/virtual_pc.h"

namespace tav::vpc_tool {

struct ScheduledTask {
  std::string name;        // without the leading "\" of the root folder
  std::string command;     // what /TR gave
  std::string schedule;    // "ONLOGON", "DAILY", ...
  std::string start_time;  // "HH:mm"; empty for schedules that start on an event
  std::string run_level;   // "LIMITED" or "HIGHEST"
  uint64_t created = 0;    // FILETIME, UTC
};

class TaskStore {
 public:
  explicit TaskStore(platform::vpc::VirtualPc& pc) : pc_(pc) {}

  bool Find(std::string_view name, ScheduledTask* task);
  std::vector<ScheduledTask> All();  // in name order
  // Adds the task; an existing one of that name is replaced only when
  // replace is set (false otherwise, nothing changed).
  bool Save(const ScheduledTask& task, bool replace);
  bool Remove(std::string_view name);
  void RemoveAll();

 private:
  platform::vpc::VirtualPc& pc_;
};

}  // namespace tav::vpc_tool
