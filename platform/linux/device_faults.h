// Failures a virtual PC's profile asks for, so that the error paths of the
// device inventory can be tried end to end. The profile's "faults" list:
//
//   {"call": "SetupDiGetDeviceRegistryProperty", "device": "<instance ID>",
//    "property": 1, "error": 5}
//   {"call": "CM_Get_DevNode_Status", "device": "...", "cr": 19}
//   {"call": "SetupDiGetClassDevs", "error": 8, "times": 1}
//
// "device" (instance ID), "property" (an SPDRP code, or "{fmtid} pid" for a
// device property), "class" (a class GUID) and "index" (an element index,
// SetupDiEnumDeviceInfo only) narrow the fault; what is left out matches
// everything. "times" limits how often it strikes in one process. "error"
// is the Windows error code (1 when left out), "cr" the CR_ code of
// CM_Get_DevNode_Status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tav::platform::vpc {

struct FaultQuery {
  std::string_view call;
  std::string_view device;
  std::string_view property;  // decimal SPDRP code or "{fmtid} pid"
  std::string_view class_guid;
  int64_t index = -1;
};

// The error code (or CR_ code) the call must fail with, when a fault strikes.
std::optional<int64_t> InjectedFault(const FaultQuery& query);

// Checks a profile's "faults" list: objects with a call the PC fails and the
// fields above. False with a reason otherwise.
bool CheckFaultList(const nlohmann::json& faults, std::string* error);

}  // namespace tav::platform::vpc
