#include "core/system_error.h"

#include "platform/error_text.h"

namespace tav {

std::string SysErrorMessage(int32_t code) {
  std::string text = platform::SystemErrorMessage(code);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

}  // namespace tav
