#include "tests/tools/dbtool_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace tav::testing {

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteHost(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

ProgramResult RunProgram(const std::string& program,
                         const std::vector<std::string>& args,
                         const std::string& machine) {
  char pattern[] = "/tmp/tavrolin-run-XXXXXX";
  const std::string folder = mkdtemp(pattern) ? pattern : "/tmp";
  const std::string out_path = folder + "/out", err_path = folder + "/err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  const char* tools = getenv("TAVROLIN_TOOLS");
  std::vector<std::string> argv_text = {std::string(tools && *tools ? tools : ".") + "/" + program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "TAVROLIN_MACHINE=", 17) != 0)
      env_text.emplace_back(*e);
  }
  if (!machine.empty())
    env_text.push_back("TAVROLIN_MACHINE=" + machine);
  std::vector<char*> env;
  for (std::string& e : env_text)
    env.push_back(e.data());
  env.push_back(nullptr);
  ProgramResult result;
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  result.out = ReadHost(out_path);
  result.err = ReadHost(err_path);
  std::filesystem::remove_all(folder);
  return result;
}

}  // namespace tav::testing
