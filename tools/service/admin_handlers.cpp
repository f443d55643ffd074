#include "tools/service/admin_handlers.h"

namespace tav::service {

void RegisterAdminRoutes(httplib::Server& server, FaultSet& faults) {
  server.Get("/admin/faults", [&faults](const httplib::Request&, httplib::Response& res) {
    res.set_content(faults.ToJson().dump(), "application/json");
  });
  server.Post("/admin/faults", [&faults](const httplib::Request& req, httplib::Response& res) {
    const nlohmann::json body = nlohmann::json::parse(req.body, nullptr, false);
    std::string error;
    if (body.is_discarded()) {
      error = "the body is not valid JSON";
    } else if (faults.Replace(body, &error)) {
      res.set_content("OK", "text/plain");
      return;
    }
    res.status = 400;
    res.set_content(error, "text/plain");
  });
}

}  // namespace tav::service
