// tavrolin-service: the maker's driver service, as the program's tests and
// developers run it on 127.0.0.1. See service_options.cpp for its command line.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tools/service/service_options.h"
#include "tools/service/service_server.h"

namespace {

// Stop signals are taken by one thread with sigwait, so the server is stopped
// from ordinary code rather than from a signal handler.
sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

int Main(const std::vector<std::string>& args) {
  using namespace tav::service;
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(ServiceUsage(), stdout);
    return 0;
  }
  ServiceOptions options;
  std::string error;
  if (!ParseServiceOptions(args, &options, &error)) {
    std::fprintf(stderr, "tavrolin-service: %s\n%s", error.c_str(), ServiceUsage());
    return 2;
  }
  // A client that goes away mid-answer must not end the service.
  signal(SIGPIPE, SIG_IGN);
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // inherited by every server thread
  ServiceServer server(options);
  const int port = server.Bind(&error);
  if (port < 0) {
    std::fprintf(stderr, "tavrolin-service: %s\n", error.c_str());
    return 1;
  }
  std::printf("listening on %s:%d\n", options.bind.c_str(), port);
  std::fflush(stdout);
  std::atomic<bool> signalled{false};
  std::thread waiter([&server, &signalled, signals] {
    int signal = 0;
    sigwait(&signals, &signal);
    signalled = true;
    server.Stop();
  });
  if (options.stop_with_stdin) {
    // The end of input becomes a stop signal, taken like any other. The
    // thread is left to the end of the process: it may be blocked reading.
    std::thread([] {
      char byte = 0;
      while (read(STDIN_FILENO, &byte, 1) > 0) {
      }
      kill(getpid(), SIGTERM);
    }).detach();
  }
  const bool served = server.Run();
  // Run also ends when listening fails; the waiter then still needs its signal.
  if (!signalled)
    pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  return served ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return Main(std::vector<std::string>(argv + 1, argv + argc));
}
