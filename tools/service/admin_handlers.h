// The tests' control of a running service: GET /admin/faults shows the fault
// rules with the uses they have left, POST /admin/faults (a faults object as
// the body) replaces them between two requests.
#pragma once

#include <httplib.h>

#include "tools/service/faults.h"

namespace tav::service {

void RegisterAdminRoutes(httplib::Server& server, FaultSet& faults);

}  // namespace tav::service
