#include "tools/service/service_options.h"

#include <charconv>

namespace tav::service {

namespace {

bool ParseNumber(const std::string& text, int low, int high, int* value) {
  int parsed = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) {
    return false;
  }
  *value = parsed;
  return true;
}

bool TakeOption(const std::string& name,
                const std::string& value,
                ServiceOptions* options,
                std::string* error) {
  if (name == "--content") {
    options->content = value;
  } else if (name == "--bind") {
    options->bind = value;
  } else if (name == "--faults") {
    options->faults = value;
  } else if (name == "--uploads") {
    options->uploads = value;
  } else if (name == "--proxy-login") {
    options->proxy_login = value;
  } else if (name == "--access-log") {
    options->access_log = value;
  } else if (name == "--port") {
    if (!ParseNumber(value, 0, 65535, &options->port)) {
      *error = "--port needs a number from 0 to 65535";
      return false;
    }
  } else if (name == "--threads") {
    if (!ParseNumber(value, 1, 256, &options->threads)) {
      *error = "--threads needs a number from 1 to 256";
      return false;
    }
  } else {
    *error = "unknown option \"" + name + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool ParseServiceOptions(const std::vector<std::string>& args,
                         ServiceOptions* options,
                         std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--stop-with-stdin") {
      options->stop_with_stdin = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = "\"" + args[i] + "\" needs a value";
      return false;
    }
    if (!TakeOption(args[i], args[i + 1], options, error))
      return false;
    ++i;
  }
  if (options->content.empty()) {
    *error = "--content is required";
    return false;
  }
  if (options->uploads.empty())
    options->uploads = options->content + "/uploads";
  if (options->access_log.empty())
    options->access_log = options->content + "/access.log";
  return true;
}

const char* ServiceUsage() {
  return "usage: tavrolin-service --content DIR [--port N] [--bind ADDRESS] [--faults FILE]\n"
         "                        [--uploads DIR] [--access-log FILE] [--threads N]\n"
         "                        [--proxy-login USER:PASSWORD] [--stop-with-stdin]\n"
         "\n"
         "Serves the driver databases (DIR/databases/ARCH/OS/Drivers.7z), the driver\n"
         "packages (DIR/downloads/NAME) and the upload endpoints. --port 0 picks a free\n"
         "port; the first line of output is \"listening on ADDRESS:PORT\".\n"
         "Requests sent to it as a proxy (absolute form) get 407, or are served when\n"
         "they carry the --proxy-login. A faults file holds {\"rules\": [...]}, each rule\n"
         "with \"path\" and any of \"method\", \"times\", \"delay_ms\", \"delay_after\",\n"
         "\"status\", \"drop_after\", \"no_content_length\", \"corrupt\"; POST /admin/faults\n"
         "replaces them while running. --stop-with-stdin stops the service when its\n"
         "standard input ends, so it never outlives a test that holds the other end.\n";
}

}  // namespace tav::service
