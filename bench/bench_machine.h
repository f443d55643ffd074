// What every benchmark needs: a virtual PC in a fresh temporary folder with
// the program's folders resolved, removed at the end, and a few timing and
// process helpers.
#pragma once

#include <string>
#include <string_view>

namespace tav::bench {

class BenchMachine {
 public:
  // A PC from the bundled default profile, or from the given profile text.
  explicit BenchMachine(std::string_view profile_json = {});
  ~BenchMachine();
  BenchMachine(const BenchMachine&) = delete;
  BenchMachine& operator=(const BenchMachine&) = delete;

  bool ok() const { return ok_; }
  // Host path of a Windows path on the PC.
  std::string Host(std::string_view windows_path) const;

 private:
  std::string root_;
  bool ok_ = false;
};

// Seconds of wall time since an arbitrary start.
double Seconds();

// Runs a host command; its standard output, or empty on failure.
std::string RunCommand(const std::string& command);

// A program of the build's bin folder (beside bench/).
std::string ToolPath(std::string_view name);

}  // namespace tav::bench
