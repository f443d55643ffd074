// The file downloads: driver packages under "/downloads/NAME" and the packed
// databases under "/databases/". GET and HEAD, a Content-Length, single byte
// ranges (206 with Content-Range) and 416 for a range past the end. The query
// (partner, version, nocache) is accepted and only logged.
#pragma once

#include <httplib.h>

#include "tools/service/content_catalogue.h"

namespace tav::service {

void RegisterDownloadRoutes(httplib::Server& server, ContentCatalogue& catalogue);

}  // namespace tav::service
