#include "tools/service/package_download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "tools/service/byte_range.h"
#include "tools/service/faults.h"
#include "tools/service/response_body.h"

namespace tav::service {

namespace {

constexpr const char* kPackageType = "application/octet-stream";

using SharedFd = std::shared_ptr<int>;

SharedFd OpenShared(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return nullptr;
  return SharedFd(new int(fd), [](int* p) {
    close(*p);
    delete p;
  });
}

BodyReader FileReader(SharedFd fd, uint64_t start) {
  return [fd, start](uint64_t offset, char* out, size_t size) {
    size_t done = 0;
    while (done < size) {
      const ssize_t got =
          pread(*fd, out + done, size - done, static_cast<off_t>(start + offset + done));
      if (got <= 0)
        return false;
      done += static_cast<size_t>(got);
    }
    return true;
  };
}

void ServeFile(const httplib::Request& req, httplib::Response& res, const std::string& file) {
  SharedFd fd = OpenShared(file);
  struct stat st;
  if (!fd || fstat(*fd, &st) != 0) {
    res.status = 500;
    SetTextBody(res, "cannot read " + req.path);
    return;
  }
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  // A server that sends no length cannot answer a part either.
  const ByteRange range = RequestFault().no_content_length
                              ? ByteRange()
                              : ParseByteRange(req.get_header_value("Range"), size);
  res.set_header("Accept-Ranges", "bytes");
  if (range.kind == ByteRange::kUnsatisfiable) {
    res.status = 416;
    res.set_header("Content-Range", "bytes */" + std::to_string(size));
    return;
  }
  if (range.kind == ByteRange::kPart) {
    res.status = 206;
    res.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                        std::to_string(range.last) + "/" + std::to_string(size));
    SetBody(res, range.last - range.first + 1, kPackageType, FileReader(fd, range.first));
    return;
  }
  res.status = 200;
  SetBody(res, size, kPackageType, FileReader(fd, 0));
}

}  // namespace

void RegisterDownloadRoutes(httplib::Server& server, ContentCatalogue& catalogue) {
  const auto handler = [&catalogue](const httplib::Request& req, httplib::Response& res) {
    const std::string file = catalogue.FileForPath(req.path);
    if (file.empty()) {
      res.status = 404;
      SetTextBody(res, "Not Found");
      return;
    }
    ServeFile(req, res, file);
  };
  server.Get(R"(/downloads/.+)", handler);
  server.Get(R"(/databases/.+)", handler);
}

}  // namespace tav::service
