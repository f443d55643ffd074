#include "tests/support/temp_machine.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_system.h"
#include "platform/linux/virtual_pc.h"

namespace tav::testing {

namespace fs = std::filesystem;

namespace {

std::string MakeTempDir(const char* prefix) {
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
  return pattern;
}

}  // namespace

TempMachine::TempMachine(const nlohmann::json& overrides) {
  root_ = MakeTempDir("tavrolin-pc-");
  nlohmann::json profile = nlohmann::json::parse(platform::vpc::VirtualPc::DefaultProfile());
  profile.merge_patch(overrides);
  // Offline unless a test says otherwise: nothing a test did not ask for
  // (the install ping) may try to leave the machine.
  if (!profile["network"].is_object())
    profile["network"] = nlohmann::json::object();
  if (!profile["network"].contains("online"))
    profile["network"]["online"] = false;
  std::string error;
  if (!platform::vpc::VirtualPc::Create(root_, profile.dump(), &error)) {
    ADD_FAILURE() << "cannot create the virtual PC: " << error;
  }
  if (!platform::vpc::VirtualPc::Use(root_, &error)) {
    ADD_FAILURE() << "cannot use the virtual PC: " << error;
  }
}

TempMachine::~TempMachine() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string TempMachine::Host(std::string_view windows_path) const {
  return platform::NativePath(windows_path);
}

std::string TempMachine::WriteFile(std::string_view windows_path, std::string_view content) const {
  const fs::path host = Host(windows_path);
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary);
  out << content;
  return std::string(windows_path);
}

std::string TempMachine::ReadFile(std::string_view windows_path) const {
  std::ifstream in(Host(windows_path), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TempFolder::TempFolder() : path_(MakeTempDir("tavrolin-tmp-")) {}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace tav::testing
