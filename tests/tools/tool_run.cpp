#include "tests/tools/tool_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace tav::testing {

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Temporary files for the three streams, removed at the end.
struct Streams {
  std::string folder;
  Streams() {
    char pattern[] = "/tmp/tavrolin-tool-XXXXXX";
    folder = mkdtemp(pattern) ? pattern : "/tmp";
  }
  ~Streams() {
    for (const char* name : {"/in", "/out", "/err"})
      unlink((folder + name).c_str());
    rmdir(folder.c_str());
  }
};

}  // namespace

std::string ToolsFolder() {
  const char* tools = getenv("TAVROLIN_TOOLS");
  return tools && *tools ? tools : ".";
}

std::string ToolPath() {
  return ToolsFolder() + "/tavrolin-vpc";
}

ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options) {
  return RunProgram("tavrolin-vpc", args, options);
}

ToolResult RunProgram(const std::string& name,
                      const std::vector<std::string>& args,
                      const ToolOptions& options) {
  Streams streams;
  std::ofstream(streams.folder + "/in", std::ios::binary) << options.input;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (streams.folder + "/in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (streams.folder + "/out").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (streams.folder + "/err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> argv_text = {ToolsFolder() + "/" + name};
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
  if (!options.machine.empty())
    env_text.push_back("TAVROLIN_MACHINE=" + options.machine);
  std::vector<char*> env;
  for (std::string& e : env_text)
    env.push_back(e.data());
  env.push_back(nullptr);

  ToolResult result;
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
    return result;
  int status = 0;
  waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadAll(streams.folder + "/out");
  result.err = ReadAll(streams.folder + "/err");
  return result;
}

}  // namespace tav::testing
