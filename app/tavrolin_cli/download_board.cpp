#include "app/tavrolin_cli/download_board.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/clock.h"

namespace tav::cli {

namespace {

constexpr size_t kWidestLabel = 40;
constexpr uint64_t kPlainProgressMs = 1000;

size_t TerminalColumns() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    return size.ws_col;
  return 80;
}

// A line that wraps would break the cursor movements of the redraw.
std::string Fit(const std::string& text, size_t columns) {
  if (columns == 0 || text.size() < columns)
    return text;
  return text.substr(0, columns - 1);
}

}  // namespace

DownloadBoard::DownloadBoard(std::vector<std::string> labels, bool terminal)
    : labels_(std::move(labels)),
      texts_(labels_.size()),
      printed_at_(labels_.size(), 0),
      terminal_(terminal) {
  for (const std::string& label : labels_)
    label_width_ = std::max(label_width_, std::min(label.size(), kWidestLabel));
  if (terminal_)
    columns_ = TerminalColumns();
}

std::string DownloadBoard::Compose(size_t line) const {
  std::string label = labels_[line].substr(0, kWidestLabel);
  label.resize(label_width_, ' ');
  return Fit("  " + label + "  " + texts_[line], columns_);
}

void DownloadBoard::Begin() {
  begun_ = true;
  if (!terminal_) {
    for (size_t line = 0; line < labels_.size(); ++line)
      PrintPlain(line);
    return;
  }
  for (size_t line = 0; line < labels_.size(); ++line)
    std::printf("%s\n", Compose(line).c_str());
  std::printf("%s\n", Fit(summary_, columns_).c_str());
  std::fflush(stdout);
}

void DownloadBoard::Update(size_t line, const std::string& text, bool progress) {
  if (line >= texts_.size() || texts_[line] == text)
    return;
  texts_[line] = text;
  if (!begun_)
    return;
  if (terminal_) {
    Redraw(line, Compose(line));
    return;
  }
  const uint64_t now = platform::GetTickCount64();
  if (progress && now - printed_at_[line] < kPlainProgressMs)
    return;
  printed_at_[line] = progress ? now : 0;
  PrintPlain(line);
}

void DownloadBoard::UpdateSummary(const std::string& text) {
  if (summary_ == text)
    return;
  summary_ = text;
  if (begun_ && terminal_)
    Redraw(labels_.size(), Fit(summary_, columns_));
}

// The cursor rests below the summary line; the board's line n sits
// (lines + 1 - n) rows above it.
void DownloadBoard::Redraw(size_t line, const std::string& composed) {
  const size_t up = labels_.size() + 1 - line;
  std::printf("\033[%zuA\r\033[K%s\033[%zuB\r", up, composed.c_str(), up);
  std::fflush(stdout);
}

void DownloadBoard::PrintPlain(size_t line) {
  std::printf("%s: %s\n", labels_[line].c_str(), texts_[line].c_str());
  std::fflush(stdout);
}

}  // namespace tav::cli
