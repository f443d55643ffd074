// The service: the HTTP server with every route, the proxy gate and the
// faults applied before routing, and the access log written after every
// answer.
#pragma once

#include <httplib.h>

#include <memory>
#include <string>

#include "tools/service/access_log.h"
#include "tools/service/content_catalogue.h"
#include "tools/service/faults.h"
#include "tools/service/proxy_gate.h"
#include "tools/service/service_options.h"
#include "tools/service/upload_store.h"

namespace tav::service {

class ServiceServer {
 public:
  explicit ServiceServer(const ServiceOptions& options);

  // Opens the logs and folders and binds the port; the bound port, or -1
  // with a reason.
  int Bind(std::string* error);
  // Serves until Stop.
  bool Run();
  void Stop();

 private:
  httplib::Server::HandlerResponse BeforeRouting(const httplib::Request& req,
                                                 httplib::Response& res);

  ServiceOptions options_;
  ContentCatalogue catalogue_;
  ProxyGate proxy_gate_;
  FaultSet faults_;
  AccessLog access_log_;
  UploadStore uploads_;
  httplib::Server server_;
};

}  // namespace tav::service
