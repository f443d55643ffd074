// The service requests of the program:
//
//   GET  /rpc/getlastupdatecxw            {"date":"yyyy-mm-dd"}: the newest database
//   GET  /rpc/getdatabasecxw?arch=&os=    {"ok":1,"error":0,"url":"http:\/\/HOST\/...",
//                                          "file_hash":"MD5"} or an error object
//   GET  /rpc/sendinstall?partner=&build= recorded in the uploads folder
//   POST /rpc/sendsnapshot, /rpc/senddriverstats   multipart uploads, stored
#pragma once

#include <httplib.h>

#include "tools/service/content_catalogue.h"
#include "tools/service/upload_store.h"

namespace tav::service {

void RegisterRpcRoutes(httplib::Server& server, ContentCatalogue& catalogue, UploadStore& uploads);

}  // namespace tav::service
