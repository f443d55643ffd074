// The PC's schtasks.exe: /Create, /Delete and /Query of scheduled tasks,
// kept in the machine database. Answers and exit codes are schtasks': 0 with
// "SUCCESS: ...", 1 with "ERROR: ...".
#include <string>

#include "platform/clock.h"
#include "platform/linux/virtual_pc.h"
#include "platform/text.h"
#include "tools/vpc/commands.h"
#include "tools/vpc/console.h"
#include "tools/vpc/switch_options.h"
#include "tools/vpc/switches.h"
#include "tools/vpc/task_query_text.h"
#include "tools/vpc/task_schedule.h"
#include "tools/vpc/task_store.h"

namespace tav::vpc_tool {

namespace {

constexpr const char* kUsage =
    "SCHTASKS /Create /TN TaskName /TR TaskRun /SC Schedule [/ST HH:mm] [/RL LIMITED|HIGHEST] "
    "[/F]\n"
    "SCHTASKS /Delete /TN TaskName [/F]\n"
    "SCHTASKS /Query [/TN TaskName] [/FO TABLE|LIST|CSV] [/NH] [/V]\n"
    "\n"
    "  Schedule  MINUTE, HOURLY, DAILY, WEEKLY, MONTHLY, ONCE, ONSTART, ONLOGON, ONIDLE, ONEVENT";

int Error(const std::string& message) {
  PrintErrorLine("ERROR: " + message);
  return 1;
}

int InvalidOption(const std::string& option, const std::string& operation) {
  PrintErrorLine("ERROR: Invalid argument/option - '" + option + "'.");
  PrintErrorLine("Type \"SCHTASKS " + operation + " /?\" for usage.");
  return 1;
}

int NotFound() {
  return Error("The system cannot find the file specified.");
}

TaskStore Store() {
  return TaskStore(platform::vpc::VirtualPc::Current());
}

// "\Tavrolin\Update" and "Tavrolin\Update" name the same task.
bool TaskName(const std::string& given, std::string* name) {
  *name = given.size() > 1 && given[0] == '\\' ? given.substr(1) : given;
  return !name->empty() && name->find_first_of("/:*?\"<>|") == std::string::npos &&
         name->back() != '\\';
}

bool Parse(const Args& args,
           const std::set<std::string>& with_argument,
           const std::set<std::string>& flags,
           const std::string& operation,
           SwitchOptions* o,
           int* exit_code) {
  std::string bad;
  if (!ParseSwitches(args, with_argument, flags, o, &bad) || !o->positional.empty()) {
    *exit_code = InvalidOption(bad.empty() ? o->positional[0] : bad, operation);
    return false;
  }
  return true;
}

int Missing(const std::string& option) {
  return Error("Invalid syntax. Mandatory option '" + option + "' is missing.");
}

// The schedule and start time of a new task; false after the error is shown.
bool ReadSchedule(const SwitchOptions& o, ScheduledTask* task, int* exit_code) {
  if (!ParseScheduleKind(o.Value("sc"), &task->schedule)) {
    *exit_code = Error("Invalid value for /SC option.");
    return false;
  }
  const bool timed = ScheduleRunsAtTime(task->schedule);
  if (o.Has("st")) {
    if (!timed) {
      *exit_code =
          Error("Invalid syntax. /ST is not allowed for the " + task->schedule + " schedule type.");
      return false;
    }
    if (!ParseStartTime(o.Value("st"), &task->start_time)) {
      *exit_code = Error("Invalid Start Time.");
      return false;
    }
  } else if (task->schedule == "ONCE") {
    *exit_code = Error("Invalid syntax. /ST is mandatory for the ONCE schedule type.");
    return false;
  } else if (timed) {
    uint64_t now = 0;
    platform::FileTimeToLocalFileTime(task->created, &now);
    task->start_time = StartTimeOf(now);
  }
  return true;
}

bool ReadRunLevel(const SwitchOptions& o, ScheduledTask* task, int* exit_code) {
  task->run_level = o.Has("rl") ? ToUpperAscii(o.Value("rl")) : "LIMITED";
  if (task->run_level != "LIMITED" && task->run_level != "HIGHEST") {
    *exit_code = Error("Invalid value for /RL option.");
    return false;
  }
  // Only an administrator may make a task that runs with the highest rights.
  if (task->run_level == "HIGHEST" && !platform::vpc::VirtualPc::Current().facts().is_admin) {
    *exit_code = Error("Access is denied.");
    return false;
  }
  return true;
}

int Create(const Args& args) {
  SwitchOptions o;
  int exit_code = 1;
  if (!Parse(args, {"tn", "tr", "sc", "st", "rl"}, {"f"}, "/CREATE", &o, &exit_code)) {
    return exit_code;
  }
  for (const char* mandatory : {"sc", "tn", "tr"}) {
    if (!o.Has(mandatory))
      return Missing(mandatory);
  }
  ScheduledTask task;
  if (!TaskName(o.Value("tn"), &task.name)) {
    return Error("The filename, directory name, or volume label syntax is incorrect.");
  }
  task.command = o.Value("tr");
  task.created = platform::GetSystemTimeAsFileTime();
  if (!ReadSchedule(o, &task, &exit_code) || !ReadRunLevel(o, &task, &exit_code)) {
    return exit_code;
  }
  if (!Store().Save(task, o.Has("f"))) {
    return Error("Cannot create a file when that file already exists.");
  }
  PrintLine("SUCCESS: The scheduled task \"" + o.Value("tn") + "\" has successfully been created.");
  return 0;
}

int Delete(const Args& args) {
  SwitchOptions o;
  int exit_code = 1;
  if (!Parse(args, {"tn"}, {"f"}, "/DELETE", &o, &exit_code))
    return exit_code;
  if (!o.Has("tn"))
    return Missing("tn");
  const std::string given = o.Value("tn");
  const bool all = given == "*";
  std::string name;
  ScheduledTask task;
  if (!all && (!TaskName(given, &name) || !Store().Find(name, &task)))
    return NotFound();
  const std::string question =
      all ? "WARNING: Are you sure you want to remove all the tasks"
          : "WARNING: Are you sure you want to remove the task \"" + given + "\"";
  if (!o.Has("f") && !Confirm(question, "(Y/N)"))
    return 0;
  if (all) {
    Store().RemoveAll();
  } else if (!Store().Remove(name)) {
    return NotFound();
  }
  PrintLine("SUCCESS: The scheduled task \"" + given + "\" was successfully deleted.");
  return 0;
}

bool ReadFormat(const SwitchOptions& o, TaskQueryStyle* style) {
  const std::string format = ToUpperAscii(o.Has("fo") ? o.Value("fo") : "TABLE");
  style->verbose = o.Has("v");
  style->no_header = o.Has("nh");
  if (format == "TABLE")
    style->format = TaskFormat::kTable;
  else if (format == "LIST")
    style->format = TaskFormat::kList;
  else if (format == "CSV")
    style->format = TaskFormat::kCsv;
  else
    return false;
  // A list has no header to leave out.
  return !(style->no_header && style->format == TaskFormat::kList);
}

int Query(const Args& args) {
  SwitchOptions o;
  int exit_code = 1;
  if (!Parse(args, {"tn", "fo"}, {"v", "nh"}, "/QUERY", &o, &exit_code))
    return exit_code;
  TaskQueryStyle style;
  if (!ReadFormat(o, &style))
    return Error("Invalid syntax. Use /FO TABLE, LIST or CSV (/NH not with LIST).");
  std::vector<ScheduledTask> tasks;
  if (o.Has("tn")) {
    std::string name;
    ScheduledTask task;
    if (!TaskName(o.Value("tn"), &name) || !Store().Find(name, &task))
      return NotFound();
    tasks.push_back(task);
  } else {
    tasks = Store().All();
  }
  if (tasks.empty()) {
    PrintLine("INFO: There are no scheduled tasks presently available at your access level.");
    return 0;
  }
  std::fputs(TaskQueryText(tasks, style).c_str(), stdout);
  return 0;
}

}  // namespace

int RunSchtasks(const Args& args) {
  if (args.empty())
    return Query(args);
  const Args rest(args.begin() + 1, args.end());
  if (IsSwitch(args[0], "?")) {
    PrintLine(kUsage);
    return 0;
  }
  if (IsSwitch(args[0], "create"))
    return Create(rest);
  if (IsSwitch(args[0], "delete"))
    return Delete(rest);
  if (IsSwitch(args[0], "query"))
    return Query(rest);
  return InvalidOption(args[0], "");
}

}  // namespace tav::vpc_tool
