// The live progress of tavrolin-cli download: one line per package. On a
// terminal every line is redrawn in place, with a summary line below them;
// otherwise each change is printed as a plain line of its own (progress at
// most once a second per package, so a log of the run stays short).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tav::cli {

class DownloadBoard {
 public:
  // labels: one per package, in the order of the lines.
  DownloadBoard(std::vector<std::string> labels, bool terminal);

  // Prints every line once.
  void Begin();
  // A new text for a line; progress texts may be skipped in plain mode.
  void Update(size_t line, const std::string& text, bool progress);
  void UpdateSummary(const std::string& text);

 private:
  std::string Compose(size_t line) const;
  void Redraw(size_t line, const std::string& composed);
  void PrintPlain(size_t line);

  std::vector<std::string> labels_;
  std::vector<std::string> texts_;
  std::vector<uint64_t> printed_at_;  // tick of the last plain progress line
  std::string summary_;
  size_t label_width_ = 0;
  size_t columns_ = 0;
  bool terminal_;
  bool begun_ = false;
};

}  // namespace tav::cli
