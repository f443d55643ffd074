// Steps of the core start that belong to higher layers (device access,
// installation, uploads). The program registers them before CoreInit; a step
// that nobody registered is skipped.
#pragma once

#include <functional>

namespace tav {

struct CoreHooks {
  std::function<void()> load_device_api;            // the Setup API tables
  std::function<void()> after_reboot_check;         // confirm installations after a reboot
  std::function<void()> resend_install_statistics;  // pending installation records
  std::function<void()> register_startup_task;      // the log-on task, when a schedule is on
};

void SetCoreHooks(CoreHooks hooks);
const CoreHooks& GetCoreHooks();

}  // namespace tav
