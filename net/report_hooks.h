// Connects the reports to the places below the network layer that start
// them: the snapshot collector's uploader, and the core start's resend of
// pending installation records. The program calls it before CoreInit.
#pragma once

#include "core/core_hooks.h"

namespace tav {

void ConnectReports(CoreHooks* hooks);

}  // namespace tav
