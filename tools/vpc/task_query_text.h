// What schtasks /Query prints for tasks: a table (the default), a list or
// comma-separated values, with the verbose fields for /V.
#pragma once

#include <string>
#include <vector>

#include "tools/vpc/task_store.h"

namespace tav::vpc_tool {

enum class TaskFormat { kTable, kList, kCsv };

struct TaskQueryStyle {
  TaskFormat format = TaskFormat::kTable;
  bool verbose = false;
  bool no_header = false;
};

std::string TaskQueryText(const std::vector<ScheduledTask>& tasks, const TaskQueryStyle& style);

}  // namespace tav::vpc_tool
