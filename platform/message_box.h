// Modal message boxes. Where no user can answer (no window system, no
// terminal), the box answers with its default button without waiting.
#pragma once

#include <cstdint>
#include <string_view>

namespace tav::platform {

namespace mb {
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kYesNo = 0x4;
inline constexpr uint32_t kIconError = 0x10;
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconWarning = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;
inline constexpr uint32_t kDefButton2 = 0x100;
}  // namespace mb

namespace mb_result {
inline constexpr int kOk = 1;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace mb_result

int MessageBox(std::string_view text, std::string_view caption, uint32_t flags);

// Beep(frequency, duration).
void Beep(uint32_t frequency, uint32_t duration_ms);

}  // namespace tav::platform
