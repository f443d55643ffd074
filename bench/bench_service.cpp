#include "bench/bench_service.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "bench/bench_machine.h"

extern char** environ;

namespace tav::bench {

namespace fs = std::filesystem;

bool WriteRandomFile(const std::string& host_path, uint64_t bytes) {
  std::error_code ec;
  fs::create_directories(fs::path(host_path).parent_path(), ec);
  std::ofstream out(host_path, std::ios::binary);
  std::mt19937_64 random(42);
  std::vector<uint64_t> block((4u << 20) / sizeof(uint64_t));
  for (uint64_t written = 0; written < bytes; written += block.size() * sizeof(uint64_t)) {
    for (uint64_t& word : block)
      word = random();
    out.write(reinterpret_cast<const char*>(block.data()),
              static_cast<std::streamsize>(block.size() * sizeof(uint64_t)));
  }
  return static_cast<bool>(out);
}

std::string BenchService::Path() {
  const char* tools = std::getenv("TAVROLIN_TOOLS");
  if (tools && *tools)
    return std::string(tools) + "/tavrolin-service";
  return ToolPath("tavrolin-service");
}

BenchService::BenchService(const std::string& content) {
  const std::string out = content + "/service.out";
  std::vector<std::string> args = {Path(), "--content", content, "--port", "0"};
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    return;
  }
  for (int i = 0; i < 1000 && host_.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(out);
    std::string line;
    if (std::getline(in, line) && line.rfind("listening on ", 0) == 0)
      host_ = line.substr(13);
  }
}

BenchService::~BenchService() {
  if (pid_ <= 0)
    return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

}  // namespace tav::bench
