// tavrolin-vpc device list | show ID | add FILE|- | remove ID |
//                    set ID [--present 0|1] [--status N] [--problem N]
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/linux/device_tree.h"
#include "platform/linux/registry_store.h"
#include "platform/linux/virtual_pc.h"
#include "platform/text.h"
#include "tools/vpc/commands.h"
#include "tools/vpc/console.h"
#include "tools/vpc/host_file.h"

namespace tav::vpc_tool {

namespace {

namespace vpc = platform::vpc;

int Fail(const std::string& message) {
  PrintErrorLine("tavrolin-vpc: device " + message);
  return 1;
}

std::string Hex8(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string StateText(const vpc::DeviceNode& node) {
  if (!node.present)
    return "absent";
  return "present status=" + Hex8(node.status) + " problem=" + std::to_string(node.problem);
}

std::string EnumText(vpc::RegistryStore& store, int64_t key, std::string_view name) {
  platform::RegValue value;
  return store.GetValue(key, name, &value) == 0 && value.type == platform::RegType::kSz
             ? value.AsString()
             : std::string();
}

// One line per device the PC enumerates: instance ID, class, state and the
// name Device Manager shows, separated by tabs.
int List(const Args& args) {
  if (!args.empty())
    return UsageError("device list takes no arguments");
  vpc::VirtualPc& pc = vpc::VirtualPc::Current();
  vpc::RegistryStore store(pc);
  for (const vpc::DeviceNode& node : vpc::ListDeviceNodes(&pc)) {
    int64_t key = 0;
    if (store.FindKey(vpc::RegistryStore::RootId(platform::RegRoot::kLocalMachine),
                      std::string(vpc::kEnumPath) + node.instance_id, &key) != 0) {
      continue;
    }
    std::string name = EnumText(store, key, "FriendlyName");
    if (name.empty())
      name = EnumText(store, key, "DeviceDesc");
    std::string setup_class = EnumText(store, key, "Class");
    if (setup_class.empty())
      setup_class = "-";
    PrintLine(node.instance_id + "\t" + setup_class + "\t" + StateText(node) + "\t" + name);
  }
  return 0;
}

int Show(const Args& args) {
  if (args.size() != 1)
    return UsageError("device show takes one instance ID");
  const nlohmann::json device = vpc::DescribeDevice(&vpc::VirtualPc::Current(), args[0]);
  if (device.is_null())
    return Fail("show: no device " + args[0]);
  PrintLine(device.dump(2));
  return 0;
}

int Add(const Args& args) {
  if (args.size() != 1)
    return UsageError("device add takes one JSON file, or - for standard input");
  std::string text;
  if (args[0] == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else if (!ReadHostFile(args[0], &text)) {
    return Fail("add: cannot read " + args[0]);
  }
  const nlohmann::json input = nlohmann::json::parse(text, nullptr, false);
  if (input.is_discarded())
    return Fail("add: " + (args[0] == "-" ? std::string("the input") : args[0]) +
                " is not valid JSON");
  if (!input.is_object() && !input.is_array())
    return Fail("add: give a device (a JSON object) or a list of devices");
  const nlohmann::json devices = input.is_array() ? input : nlohmann::json::array({input});
  vpc::VirtualPc& pc = vpc::VirtualPc::Current();
  vpc::RegistryStore store(pc);
  // A list goes in whole or not at all.
  store.Begin();
  for (const auto& device : devices) {
    std::string error;
    if (!vpc::AddDevice(&pc, device, &error)) {
      store.Rollback();
      return Fail("add: " + error);
    }
  }
  store.Commit();
  PrintLine("Added " + std::to_string(devices.size()) +
            (devices.size() == 1 ? " device" : " devices"));
  return 0;
}

int Remove(const Args& args) {
  if (args.size() != 1)
    return UsageError("device remove takes one instance ID");
  std::string error;
  if (!vpc::RemoveDevice(&vpc::VirtualPc::Current(), args[0], &error))
    return Fail("remove: " + error);
  PrintLine("Removed " + args[0]);
  return 0;
}

bool ParseNumber(const std::string& text, uint32_t* value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > (hex ? 8u : 10u) ||
      digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
          std::string::npos) {
    return false;
  }
  const unsigned long long n = std::stoull(digits, nullptr, hex ? 16 : 10);
  if (n > 0xFFFFFFFFull)
    return false;
  *value = static_cast<uint32_t>(n);
  return true;
}

int Set(const Args& args) {
  if (args.empty() || args[0].rfind("-", 0) == 0)
    return UsageError("device set needs an instance ID");
  bool has_present = false, has_status = false, has_problem = false;
  bool present = true;
  uint32_t status = 0, problem = 0;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option != "--present" && option != "--status" && option != "--problem")
      return UsageError("device set: unknown option \"" + option + "\"");
    if (++i >= args.size())
      return UsageError("device set: " + option + " needs a value");
    const std::string& value = args[i];
    if (option == "--present") {
      if (value != "0" && value != "1")
        return UsageError("device set: --present takes 0 or 1");
      has_present = true;
      present = value == "1";
    } else if (!ParseNumber(value, option == "--status" ? &status : &problem)) {
      return UsageError("device set: " + option + " takes a number such as 22 or 0x0180200A");
    } else {
      (option == "--status" ? has_status : has_problem) = true;
    }
  }
  if (!has_present && !has_status && !has_problem)
    return UsageError("device set needs --present, --status or --problem");
  vpc::VirtualPc& pc = vpc::VirtualPc::Current();
  vpc::DeviceNode node;
  if (!vpc::FindDeviceNode(&pc, args[0], &node))
    return Fail("set: no device " + args[0]);
  if (has_problem && !has_status)
    node.status = vpc::StatusForProblem(node.status, node.problem, problem);
  if (has_status)
    node.status = status;
  if (has_problem)
    node.problem = problem;
  if (has_present)
    node.present = present;
  std::string error;
  if (!vpc::SetDeviceNode(&pc, node, &error))
    return Fail("set: " + error);
  PrintLine(node.instance_id + "\t" + StateText(node));
  return 0;
}

}  // namespace

int RunDevice(const Args& args) {
  if (args.empty())
    return UsageError("device needs list, show, add, remove or set");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "list")
    return List(rest);
  if (args[0] == "show")
    return Show(rest);
  if (args[0] == "add")
    return Add(rest);
  if (args[0] == "remove")
    return Remove(rest);
  if (args[0] == "set")
    return Set(rest);
  return UsageError("device: unknown subcommand \"" + args[0] + "\"");
}

}  // namespace tav::vpc_tool
