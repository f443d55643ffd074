// Tavrolin: keeps a PC's device drivers current.
#include <string>
#include <vector>

#include "app/tavrolin/headless_main_window.h"
#include "core/main_thread.h"
#include "core/program_entry.h"

int main(int argc, char** argv) {
  tav::MainThread::Init();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return tav::ProgramMain(arguments, tav::RunHeadlessMainWindow);
}
