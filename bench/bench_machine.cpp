#include "bench/bench_machine.h"

#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <iostream>

#include "core/folders.h"
#include "core/main_thread.h"
#include "platform/file_system.h"
#include "platform/linux/virtual_pc.h"

namespace tav::bench {

namespace fs = std::filesystem;

BenchMachine::BenchMachine(std::string_view profile_json) {
  std::string pattern = (fs::temp_directory_path() / "tavrolin-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::cerr << "mkdtemp failed\n";
    return;
  }
  root_ = pattern;
  std::string error;
  const std::string pc = root_ + "/pc";
  const std::string_view profile =
      profile_json.empty() ? platform::vpc::VirtualPc::DefaultProfile() : profile_json;
  if (!platform::vpc::VirtualPc::Create(pc, profile, &error) ||
      !platform::vpc::VirtualPc::Use(pc, &error)) {
    std::cerr << "cannot set up the virtual PC: " << error << "\n";
    return;
  }
  MainThread::Init();
  InitParams("Tavrolin", "", "", false);
  ResolveFixedFolders();
  ok_ = true;
}

BenchMachine::~BenchMachine() {
  if (root_.empty())
    return;
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string BenchMachine::Host(std::string_view windows_path) const {
  return platform::NativePath(windows_path);
}

double Seconds() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

std::string RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return {};
  std::string output;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    output.append(buffer, got);
  return pclose(pipe) == 0 ? output : std::string();
}

std::string ToolPath(std::string_view name) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return (self.parent_path().parent_path() / "bin" / std::string(name)).string();
}

}  // namespace tav::bench
