#include "tools/service/rpc_handlers.h"

#include <optional>

#include "tools/service/response_body.h"

namespace tav::service {

namespace {

constexpr const char* kJsonType = "application/json";

// JSON texts of the service escape every "/" (the program undoes "\/").
std::string EscapedSlashes(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '/')
      out += '\\';
    out += c;
  }
  return out;
}

std::string ErrorObject(const std::string& message) {
  return R"({"ok":0,"error":1,"message":")" + message + "\"}";
}

void LastUpdate(ContentCatalogue& catalogue, httplib::Response& res) {
  const std::string date = catalogue.NewestDatabaseDate();
  SetTextBody(res, date.empty() ? ErrorObject("no database") : R"({"date":")" + date + "\"}",
              kJsonType);
}

void DatabaseAddress(ContentCatalogue& catalogue,
                     const httplib::Request& req,
                     httplib::Response& res) {
  const std::string arch = req.get_param_value("arch");
  const std::string os = req.get_param_value("os");
  const std::optional<DatabaseFacts> facts = catalogue.Database(arch, os);
  if (!facts) {
    SetTextBody(res, ErrorObject("no database for arch=" + arch + " os=" + os), kJsonType);
    return;
  }
  std::string host = req.get_header_value("Host");
  if (host.empty())
    host = req.local_addr + ":" + std::to_string(req.local_port);
  const std::string url = EscapedSlashes("http://" + host + facts->url_path);
  SetTextBody(res, R"({"ok":1,"error":0,"url":")" + url + R"(","file_hash":")" + facts->md5 + "\"}",
              kJsonType);
}

void Upload(UploadStore& uploads,
            const std::string& kind,
            const httplib::Request& req,
            httplib::Response& res) {
  int stored = 0;
  for (const auto& [part, file] : req.files) {
    if (!uploads.StoreFile(kind, part, file.filename, file.content).empty())
      ++stored;
  }
  if (stored == 0) {
    res.status = 400;
    SetTextBody(res, "no file part");
    return;
  }
  SetTextBody(res, "OK");
}

}  // namespace

void RegisterRpcRoutes(httplib::Server& server, ContentCatalogue& catalogue, UploadStore& uploads) {
  server.Get("/rpc/getlastupdatecxw",
             [&catalogue](const httplib::Request&, httplib::Response& res) {
               LastUpdate(catalogue, res);
             });
  server.Get("/rpc/getdatabasecxw",
             [&catalogue](const httplib::Request& req, httplib::Response& res) {
               DatabaseAddress(catalogue, req, res);
             });
  server.Get("/rpc/sendinstall", [&uploads](const httplib::Request& req, httplib::Response& res) {
    uploads.RecordInstall(req.get_param_value("partner"), req.get_param_value("build"));
    SetTextBody(res, "OK");
  });
  server.Post("/rpc/sendsnapshot", [&uploads](const httplib::Request& req, httplib::Response& res) {
    Upload(uploads, "snapshots", req, res);
  });
  server.Post("/rpc/senddriverstats",
              [&uploads](const httplib::Request& req, httplib::Response& res) {
                Upload(uploads, "driverstats", req, res);
              });
}

}  // namespace tav::service
