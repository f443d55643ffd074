// XInternet::LoadInternetPage and LoadInternetPageByUrl: small answers of
// the service fetched into memory and split into lines.
#include <string>

#include "net/internet.h"
#include "net/transport_state.h"
#include "platform/text.h"

namespace tav {

namespace {

constexpr size_t kLongestPath = 1000;

// Lines end at CR LF, LF or CR; a final line end adds no empty line. A
// UTF-8 byte-order mark is not part of the first line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  const size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      ++i;
    lines.push_back(std::move(line));
    line.clear();
  }
  if (!line.empty())
    lines.push_back(std::move(line));
  return lines;
}

}  // namespace

bool XInternet::LoadInternetPage(std::string_view agent,
                                 std::string_view host,
                                 std::string_view path,
                                 int32_t timeout_ms,
                                 const TransferProgress& progress,
                                 bool https,
                                 std::vector<std::string>* lines) {
  Transport().request_timeout_ms = timeout_ms;
  MemoryStream stream;
  lines->clear();
  if (LoadInternetData(agent, host, path, stream, https, progress, false)) {
    *lines = SplitLines(stream.data());
  }
  return !lines->empty();
}

bool LoadInternetPageByUrl(std::string_view url,
                           std::vector<std::string>* lines,
                           int32_t timeout_ms,
                           const TransferProgress& progress) {
  const bool https = StartsWithIgnoreCase(url, "https://");
  const size_t scheme = url.find("://");
  const std::string_view rest = scheme == std::string_view::npos ? url : url.substr(scheme + 3);
  const size_t slash = rest.find('/');
  const std::string_view host = rest.substr(0, slash);
  const std::string_view path =
      slash == std::string_view::npos ? std::string_view() : rest.substr(slash, kLongestPath);
  return XInternet::LoadInternetPage(kBrowserAgent, host, path, timeout_ms, progress, https, lines);
}

}  // namespace tav
