#include "tools/dbtool/sample_package.h"

#include <algorithm>

#include "core/text_utils.h"

namespace tav::dbtool {

namespace {

// A text as an INF string value: in double quotes, its quotes doubled.
std::string Quoted(const std::string& text) {
  return "\"" + ReplaceAll(text, "\"", "\"\"") + "\"";
}

// "2014-03-21" as DriverVer writes it: "03/21/2014".
std::string InfDate(const std::string& date) {
  return date.substr(5, 2) + "/" + date.substr(8, 2) + "/" + date.substr(0, 4);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.substr(0, name.rfind('.'));
}

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string Utf16File(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : Utf8ToUtf16(text)) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::string ManufacturerLines(const SampleInf& inf, std::string* strings) {
  std::string manufacturer = "[Manufacturer]\r\n";
  std::string models;
  for (size_t m = 0; m < inf.manufacturers.size(); ++m) {
    const SampleManufacturer& maker = inf.manufacturers[m];
    const std::string token = "Mfg" + std::to_string(m);
    const std::string section = "Models" + std::to_string(m);
    manufacturer += "%" + token + "% = " + section + ", " + inf.decoration + "\r\n";
    *strings += token + " = " + Quoted(maker.name) + "\r\n";
    models += "\r\n[" + section + "." + inf.decoration + "]\r\n";
    for (size_t k = 0; k < maker.models.size(); ++k) {
      const std::string device = "Device" + std::to_string(m) + "_" + std::to_string(k);
      models += "%" + device + "% = Install";
      for (size_t i = 0; i < maker.models[k].ids.size(); ++i) {
        // Long lines go on with a continuation, as vendors write them.
        models += i == 1 ? ", \\\r\n    " : ", ";
        models += maker.models[k].ids[i];
      }
      models += "\r\n";
      *strings += device + " = " + Quoted(maker.models[k].description) + "\r\n";
    }
  }
  return manufacturer + models;
}

}  // namespace

std::string InfText(const SampleInf& inf) {
  const std::string base = BaseName(inf.path);
  std::string strings = "\r\n[Strings]\r\nProvider = " + Quoted(inf.provider) + "\r\n";
  std::string text = "; " + base +
                     ".inf: sample driver package of the test catalog\r\n"
                     "; Installs the " +
                     inf.service +
                     " driver service.\r\n\r\n"
                     "[Version]\r\n"
                     "Signature   = \"$Windows NT$\"\r\n"
                     "Class       = " +
                     inf.class_name +
                     "\r\n"
                     "ClassGuid   = " +
                     inf.class_guid +
                     "\r\n"
                     "Provider    = %Provider%\r\n"
                     "CatalogFile = " +
                     base +
                     ".cat\r\n"
                     "DriverVer   = " +
                     InfDate(inf.date) + "," + inf.version +
                     "   ; mm/dd/yyyy,version\r\n\r\n"
                     "[SourceDisksNames]\r\n1 = %DiskName%,,,\"\"\r\n\r\n"
                     "[SourceDisksFiles]\r\n" +
                     inf.service + ".sys = 1\r\n" + inf.service +
                     ".dll = 1\r\n\r\n"
                     "[DestinationDirs]\r\nDefaultDestDir = 12\r\nTools.Copy     = 11\r\n\r\n" +
                     ManufacturerLines(inf, &strings) +
                     "\r\n[Install.NT]\r\nCopyFiles = Driver.Copy, Tools.Copy\r\n\r\n"
                     "[Install.NT.Services]\r\nAddService = " +
                     inf.service +
                     ", 0x00000002, Service.Install\r\n\r\n"
                     "[Service.Install]\r\n"
                     "DisplayName   = %ServiceName%\r\n"
                     "ServiceType   = 1   ; SERVICE_KERNEL_DRIVER\r\n"
                     "StartType     = 3   ; SERVICE_DEMAND_START\r\n"
                     "ErrorControl  = 1\r\n"
                     "ServiceBinary = %12%\\" +
                     inf.service +
                     ".sys\r\n\r\n"
                     "[Driver.Copy]\r\n" +
                     inf.service +
                     ".sys,,,0x00000004\r\n\r\n"
                     "[Tools.Copy]\r\n" +
                     inf.service + ".dll\r\n";
  strings += "DiskName = " + Quoted(inf.provider + " Installation Disk") + "\r\n";
  strings += "ServiceName = " + Quoted(inf.provider + " " + inf.service + " service") + "\r\n";
  return text + strings;
}

std::vector<ArchiveItem> PackageItems(const SamplePackage& package) {
  std::vector<ArchiveItem> items;
  auto dummy = [&](const std::string& path) {
    items.push_back({path, "dummy file " + path + " of " + package.file_name + "\r\n"});
  };
  if (package.setup_program)
    dummy("setup.exe");
  for (const SampleInf& inf : package.infs) {
    const std::string text = InfText(inf);
    // Text beyond ASCII is not left to a code page.
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    items.push_back({inf.path, inf.utf16 ? Utf16File(text) : ascii ? text : "\xEF\xBB\xBF" + text});
    const std::string folder = Folder(inf.path);
    dummy(folder + BaseName(inf.path) + ".cat");
    dummy(folder + inf.service + ".sys");
    dummy(folder + inf.service + ".dll");
  }
  return items;
}

}  // namespace tav::dbtool
