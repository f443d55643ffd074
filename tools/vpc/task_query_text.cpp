#include "tools/vpc/task_query_text.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/clock.h"
#include "platform/system_info.h"
#include "tools/vpc/local_time_text.h"
#include "tools/vpc/task_schedule.h"

namespace tav::vpc_tool {

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

std::string ScheduleTypeText(const std::string& kind) {
  static const std::map<std::string, std::string> kTexts = {{"MINUTE", "Minute"},
                                                            {"HOURLY", "Hourly"},
                                                            {"DAILY", "Daily"},
                                                            {"WEEKLY", "Weekly"},
                                                            {"MONTHLY", "Monthly"},
                                                            {"ONCE", "One Time Only"},
                                                            {"ONSTART", "At system start up"},
                                                            {"ONLOGON", "At logon time"},
                                                            {"ONIDLE", "At idle time"},
                                                            {"ONEVENT", "When an event occurs"}};
  auto it = kTexts.find(kind);
  return it == kTexts.end() ? kind : it->second;
}

std::string Folder(const ScheduledTask& task) {
  const size_t slash = task.name.rfind('\\');
  return slash == std::string::npos ? "\\" : "\\" + task.name.substr(0, slash);
}

std::string Leaf(const ScheduledTask& task) {
  const size_t slash = task.name.rfind('\\');
  return slash == std::string::npos ? task.name : task.name.substr(slash + 1);
}

Fields FieldsOf(const ScheduledTask& task, bool verbose, bool full_name) {
  uint64_t now = 0;
  platform::FileTimeToLocalFileTime(platform::GetSystemTimeAsFileTime(), &now);
  const uint64_t next = NextRunTime(task, now);
  Fields f = {{"TaskName", full_name ? "\\" + task.name : Leaf(task)},
              {"Next Run Time", next ? LocalDateTimeText(next) : "N/A"},
              {"Status", "Ready"}};
  if (!verbose)
    return f;
  const std::string user = platform::GetComputerName() + "\\" + platform::GetUserName();
  f.insert(f.begin(), {"HostName", platform::GetComputerName()});
  const Fields more = {{"Logon Mode", "Interactive only"},
                       {"Last Run Time", "N/A"},
                       {"Author", user},
                       {"Task To Run", task.command},
                       {"Scheduled Task State", "Enabled"},
                       {"Run As User", user},
                       {"Schedule Type", ScheduleTypeText(task.schedule)},
                       {"Start Time", task.start_time.empty() ? "N/A" : task.start_time}};
  f.insert(f.end(), more.begin(), more.end());
  return f;
}

std::string Pad(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string Csv(const Fields& fields, bool labels) {
  std::string line;
  for (const auto& [label, value] : fields) {
    if (!line.empty())
      line += ',';
    line += "\"" + (labels ? label : value) + "\"";
  }
  return line + "\n";
}

std::string ListText(const std::vector<ScheduledTask>& tasks, bool verbose) {
  std::string out;
  for (const ScheduledTask& task : tasks) {
    const Fields fields = FieldsOf(task, verbose, true);
    size_t width = 0;
    for (const auto& field : fields)
      width = std::max(width, field.first.size() + 2);
    out += "\nFolder: " + Folder(task) + "\n";
    for (const auto& [label, value] : fields)
      out += Pad(label + ":", width) + value + "\n";
  }
  return out;
}

// One table per folder, as schtasks groups them.
std::string TableText(const std::vector<ScheduledTask>& tasks, const TaskQueryStyle& style) {
  static constexpr size_t kWidths[] = {40, 22, 15};
  std::string out, folder;
  for (const ScheduledTask& task : tasks) {
    const Fields fields = FieldsOf(task, style.verbose, false);
    if (Folder(task) != folder || out.empty()) {
      folder = Folder(task);
      out += "\nFolder: " + folder + "\n";
      if (!style.no_header) {
        std::string header, rule;
        for (size_t i = 0; i < fields.size(); ++i) {
          const size_t width = i < 3 && !style.verbose ? kWidths[i] : fields[i].first.size() + 2;
          header += Pad(fields[i].first, width) + " ";
          rule += std::string(width, '=') + " ";
        }
        out += header.substr(0, header.size() - 1) + "\n" + rule.substr(0, rule.size() - 1) + "\n";
      }
    }
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i) {
      const size_t width = i < 3 && !style.verbose ? kWidths[i] : fields[i].first.size() + 2;
      row += Pad(fields[i].second, width) + " ";
    }
    out += row.substr(0, row.size() - 1) + "\n";
  }
  return out;
}

}  // namespace

std::string TaskQueryText(const std::vector<ScheduledTask>& tasks, const TaskQueryStyle& style) {
  std::vector<ScheduledTask> sorted = tasks;
  std::stable_sort(
      sorted.begin(), sorted.end(),
      [](const ScheduledTask& a, const ScheduledTask& b) { return Folder(a) < Folder(b); });
  switch (style.format) {
    case TaskFormat::kList:
      return ListText(sorted, style.verbose);
    case TaskFormat::kCsv: {
      std::string out;
      for (const ScheduledTask& task : sorted) {
        const Fields fields = FieldsOf(task, style.verbose, true);
        if (out.empty() && !style.no_header)
          out += Csv(fields, true);
        out += Csv(fields, false);
      }
      return out;
    }
    case TaskFormat::kTable:
      break;
  }
  return TableText(sorted, style);
}

}  // namespace tav::vpc_tool
