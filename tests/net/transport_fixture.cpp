#include "tests/net/transport_fixture.h"

#include <stdlib.h>

#include "core/folders.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "core/settings.h"
#include "core/settings_access.h"
#include "net/service_hosts.h"
#include "net/transport_state.h"
#include "platform/file_system.h"
#include "tests/support/program_log.h"

namespace tav::testing {

namespace {

void ClearProxyEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    unsetenv(name);
  }
}

}  // namespace

void TransportTest::SetUp() {
  ClearProxyEnvironment();
  pc_ = std::make_unique<TempMachine>(Profile());
  MainThread::Init();
  ResolveFixedFolders();
  InitParams("Tavrolin", "", "", false);
  log_folder_ = GetFolders().work;
  XLog::Init(log_folder_);
  ResetTransportState();
  SetSystemTimeouts({5000, 5000});
  LoadServiceHosts();
  service_ = std::make_unique<ServiceProcess>(content_.root(), ServiceArgs());
  ASSERT_TRUE(service_->ok()) << "tavrolin-service did not start from " << ServicePath();
}

void TransportTest::TearDown() {
  XLog::Stop();
  service_.reset();
  pc_.reset();
}

std::vector<std::string> TransportTest::Log() {
  return ProgramLogLines(log_folder_ + "program.log");
}

int TransportTest::CountLog(std::string_view part) {
  return CountLinesWith(Log(), part);
}

std::string TransportTest::LogText() {
  return LogListing(Log());
}

void TransportTest::Faults(const nlohmann::json& rules) {
  ASSERT_TRUE(service_->SetFaults({{"rules", rules}}));
}

void TransportTest::SetSetting(std::string_view name, std::string_view value) {
  RegWriteString(kSettingsRoot, kSettingsKey, name, value);
}

void TransportTest::SetBoolSetting(std::string_view name, bool value) {
  RegWriteBool(kSettingsRoot, kSettingsKey, name, value);
}

std::string TransportTest::Download(std::string_view name) const {
  return GetFolders().download + std::string(name);
}

bool TransportTest::PcFileExists(const std::string& windows_path) const {
  return platform::FileExists(windows_path);
}

std::vector<AccessLine> TransportTest::AccessFor(const std::string& path, size_t count) {
  return service_->AccessFor(path, count);
}

}  // namespace tav::testing
