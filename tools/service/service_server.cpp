#include "tools/service/service_server.h"

#include "tools/service/admin_handlers.h"
#include "tools/service/package_download.h"
#include "tools/service/proxy_gate.h"
#include "tools/service/response_body.h"
#include "tools/service/rpc_handlers.h"
#include "tools/service/service_lifetime.h"

namespace tav::service {

namespace {

std::string StatusText(int status) {
  switch (status) {
    case 404:
      return "Not Found";
    case 407:
      return "Proxy Authentication Required";
    case 500:
      return "Internal Server Error";
    default:
      return "Injected status " + std::to_string(status);
  }
}

}  // namespace

ServiceServer::ServiceServer(const ServiceOptions& options)
    : options_(options), catalogue_(options.content), proxy_gate_(options.proxy_login) {
  const size_t threads = static_cast<size_t>(options.threads);
  server_.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    return BeforeRouting(req, res);
  });
  server_.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
    access_log_.Write(req, res);
  });
  RegisterRpcRoutes(server_, catalogue_, uploads_);
  RegisterDownloadRoutes(server_, catalogue_);
  RegisterAdminRoutes(server_, faults_);
}

httplib::Server::HandlerResponse ServiceServer::BeforeRouting(const httplib::Request& req,
                                                              httplib::Response& res) {
  BeginRequestCount();
  // The request is this thread's alone until it is answered; the library
  // only hands it over as const. Ranges are answered by the download handler
  // itself, with 416 where due (the library's would also cut error bodies).
  httplib::Request& request = const_cast<httplib::Request&>(req);
  request.ranges.clear();
  if (ProxyGate::IsProxied(req) && !proxy_gate_.Pass(request, res)) {
    return httplib::Server::HandlerResponse::Handled;
  }
  const bool admin = req.path.compare(0, 7, "/admin/") == 0;
  const std::optional<FaultRule> fault = admin ? std::nullopt : faults_.Take(req.method, req.path);
  SetRequestFault(fault);
  if (!fault)
    return httplib::Server::HandlerResponse::Unhandled;
  if (fault->delay_ms > 0 && fault->delay_after < 0)
    SleepUnlessStopping(fault->delay_ms);
  if (fault->status <= 0)
    return httplib::Server::HandlerResponse::Unhandled;
  res.status = fault->status;
  if (fault->status == 407)
    res.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
  SetTextBody(res, "<html><body>" + StatusText(fault->status) + "</body></html>", "text/html");
  return httplib::Server::HandlerResponse::Handled;
}

int ServiceServer::Bind(std::string* error) {
  if (!access_log_.Open(options_.access_log, error))
    return -1;
  if (!uploads_.Open(options_.uploads, error))
    return -1;
  if (!options_.faults.empty() && !faults_.LoadFile(options_.faults, error))
    return -1;
  if (options_.port == 0) {
    const int port = server_.bind_to_any_port(options_.bind);
    if (port <= 0)
      *error = "cannot bind a port on " + options_.bind;
    return port > 0 ? port : -1;
  }
  if (!server_.bind_to_port(options_.bind, options_.port)) {
    *error = "cannot bind " + options_.bind + ":" + std::to_string(options_.port);
    return -1;
  }
  return options_.port;
}

bool ServiceServer::Run() {
  return server_.listen_after_bind();
}

void ServiceServer::Stop() {
  SetServiceStopping();
  server_.stop();
}

}  // namespace tav::service
