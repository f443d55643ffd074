// The install statistics: installation records (".dul" files of the core
// work folder) marked for upload are sent to the service, after an
// installation and again at every core start until they went through.
#pragma once

#include <string_view>

namespace tav {

// record_file: relative to the core work folder. A record that does not
// allow uploading, or whose database is more than 60 days old, is only
// marked "Upload" = 0; any other pending one gets its "UploadTime" and goes
// to the statistics upload thread.
void UploadToInstallStat(std::string_view record_file);

// Every "*.dul" of the core work folder still marked "Upload" = 1.
void CheckUploadToInstallStat();

}  // namespace tav
