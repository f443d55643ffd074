// A virtual PC in a fresh temporary folder for one test: created from the
// bundled default profile (or a given one), made the process's current PC,
// and removed when the test ends. It reports no Internet connection unless
// the profile sets "network": {"online": true}.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tav::testing {

class TempMachine {
 public:
  // The default profile, with the given JSON object merged over it.
  explicit TempMachine(const nlohmann::json& overrides = nlohmann::json::object());
  // TempMachine pc({{"os", {{"admin", false}}}});
  explicit TempMachine(nlohmann::json::initializer_list_t overrides)
      : TempMachine(nlohmann::json(overrides)) {}
  ~TempMachine();
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;

  const std::string& root() const { return root_; }
  // Host path of a Windows path on this PC.
  std::string Host(std::string_view windows_path) const;
  // Writes a file on the PC, creating its folders; returns the Windows path.
  std::string WriteFile(std::string_view windows_path, std::string_view content) const;
  std::string ReadFile(std::string_view windows_path) const;

 private:
  std::string root_;
};

// A fresh temporary host folder, removed at destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tav::testing
