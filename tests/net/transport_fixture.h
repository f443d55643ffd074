// What every transport test needs: a virtual PC with the program's folders
// and log, a fresh transport state, and tavrolin-service on 127.0.0.1 with
// its own content folder. The proxy environment variables are cleared, so
// nothing leaves the machine.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "net/internet.h"
#include "tests/net/service_content.h"
#include "tests/net/service_process.h"
#include "tests/support/temp_machine.h"

namespace tav::testing {

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Profile entries merged over the default PC's.
  virtual nlohmann::json Profile() const { return nlohmann::json::object(); }
  virtual std::vector<std::string> ServiceArgs() const { return {}; }

  // The lines of "program.log" so far, without their times.
  std::vector<std::string> Log();
  int CountLog(std::string_view part);
  bool HasLog(std::string_view part) { return CountLog(part) > 0; }
  // The log lines, for a failure message.
  std::string LogText();

  void Faults(const nlohmann::json& rules);
  void SetSetting(std::string_view name, std::string_view value);
  void SetBoolSetting(std::string_view name, bool value);

  std::string host() const { return service_->host(); }
  // A Windows path in the download folder.
  std::string Download(std::string_view name) const;
  std::string ReadPcFile(const std::string& windows_path) const {
    return pc_->ReadFile(windows_path);
  }
  bool PcFileExists(const std::string& windows_path) const;
  // Access lines for a path, once at least count are there.
  std::vector<AccessLine> AccessFor(const std::string& path, size_t count);

  std::unique_ptr<TempMachine> pc_;
  ServiceContent content_;
  std::unique_ptr<ServiceProcess> service_;
  std::string log_folder_;
};

// A progress callback that records its calls and may decline after a
// position.
struct ProgressRecord {
  std::vector<std::pair<int32_t, int32_t>> calls;
  int64_t stop_after = -1;     // declines once the position passes this
  bool decline_first = false;  // declines the very first call
  TransferProgress Callback() {
    return [this](int32_t position, int32_t total) {
      calls.emplace_back(position, total);
      if (decline_first)
        return false;
      return stop_after < 0 || position <= stop_after;
    };
  }
};

}  // namespace tav::testing
