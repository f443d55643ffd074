#include "matching/candidate_ranking.h"

#include <algorithm>

#include "core/text_utils.h"
#include "matching/version_compare.h"

namespace tav {

namespace {

size_t Dots(std::string_view s) { return static_cast<size_t>(std::count(s.begin(), s.end(), '.')); }

int IdKindRank(const TDriverItem& c) {
  if (c.IsFullHID) return c.IsRegularHID ? 0 : 2000;
  return c.IsRegularHID ? 4000 : 6000;
}

int VendorReasonRank(const TDriverItem& c) {
  if (c.FoundByManufacturer) return 0;
  if (c.FoundByProvider) return 1;
  if (c.FoundByHidVendor) return 2;
  if (c.FoundByNameVendor) return 3;
  if (c.inbox_manufacturer_match) return 4;
  if (c.inbox_provider_match) return 5;
  if (c.FoundByNoneVendor) return 6;
  return 7;
}

void Rank(TDriverItem& c, const DeviceFacts& device) {
  c.Rank = IdKindRank(c) + c.HIDindex + c.HIDInfIndex + VendorReasonRank(c);
  if (!c.FoundByHidVendor) ++c.Rank;
  if (!c.FoundByNameVendor) ++c.Rank;
  if (c.Vendor == "MICROSOFT") ++c.Rank;
  if (device.failed) return;
  const std::string d = ToLowerAscii(device.device_description);
  const std::string b = ToLowerAscii(device.bus_description);
  const std::string cd = ToLowerAscii(c.DeviceDescription);
  if ((!d.empty() && cd == d) || (!b.empty() && cd == b)) return;
  if ((!d.empty() && StartsWith(d, cd)) || (!b.empty() && StartsWith(b, cd)) ||
      (d.size() > 20 && Contains(cd, d))) {
    ++c.Rank;
    return;
  }
  c.Rank += 2;
  const std::string& v = device.installed_version;
  if (v.empty() || IsInboxDriver(v, device.installed_provider) || SameDotFormat(v, c.Version)) return;
  if (c.Rank >= 2010) {
    if (!SimilarDescriptions(d, cd)) {
      c.IsDecline = true;
      c.DeclineReason = "VerDots";
    }
  } else {
    ++c.Rank;
  }
}

}  // namespace

bool SameDotFormat(std::string_view installed, std::string_view candidate) {
  const size_t v_dots = Dots(installed), w_dots = Dots(candidate);
  if (v_dots == w_dots) return true;
  if (w_dots > v_dots) return false;
  std::string v(installed);
  while (v.size() >= 3 && EndsWith(v, ".0")) v.resize(v.size() - 2);
  return w_dots >= Dots(v);
}

bool SimilarDescriptions(std::string_view d, std::string_view c) {
  const std::string_view shorter = d.size() <= c.size() ? d : c;
  const std::string_view longer = d.size() <= c.size() ? c : d;
  const size_t m = shorter.size(), big = longer.size();
  if (big == 0) return false;
  size_t same = 0;
  for (size_t i = 0; i < m; ++i) same += shorter[i] == longer[i] ? 1 : 0;
  const size_t offset = big - m;
  for (size_t i = 0; i < m; ++i) same += shorter[i] == longer[offset + i] ? 1 : 0;
  return same * 100 / big > 80;
}

void RankCandidates(TDriverList* candidates, const DeviceFacts& device) {
  for (auto it = candidates->rbegin(); it != candidates->rend(); ++it) Rank(*it, device);
}

void MarkNewerCandidates(TDriverList* candidates, const DeviceFacts& device) {
  const std::string& v = device.installed_version;
  for (TDriverItem& c : *candidates) {
    c.FoundByDate = c.Date - device.installed_date > 1 &&
                    ((device.inbox && c.Vendor != "MICROSOFT") || v != c.Version);
    c.FoundByVersion = !device.inbox && !v.empty() && VersionLess(v, c.Version, device.installed_provider);
  }
}

int ChooseWinner(const TDriverList& candidates) {
  auto eligible = [](const TDriverItem& c) { return !c.IsDecline && (c.FoundByDate || c.FoundByVersion); };
  int best = 10000;
  for (const TDriverItem& c : candidates) {
    if (eligible(c)) best = std::min(best, c.Rank);
  }
  int winner = -1;
  for (int i = static_cast<int>(candidates.size()) - 1; i >= 0; --i) {
    const TDriverItem& c = candidates[static_cast<size_t>(i)];
    if (!eligible(c) || c.Rank != best) continue;
    if (winner < 0) {
      winner = i;
      continue;
    }
    const TDriverItem& w = candidates[static_cast<size_t>(winner)];
    // On nearly equal dates the lower version takes the place.
    if (c.Date > w.Date || (w.Date - c.Date <= 1 && VersionLess(c.Version, w.Version, ""))) winner = i;
  }
  return winner;
}

}  // namespace tav
