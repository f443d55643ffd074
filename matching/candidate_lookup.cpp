#include "matching/candidate_lookup.h"

#include <cstring>

#include <algorithm>
#include <set>

#include "core/format_settings.h"
#include "core/log_engine.h"
#include "core/text_utils.h"
#include "devices/device_dates.h"
#include "devices/hardware_ids.h"
#include "matching/digit_swap.h"
#include "matching/driver_database.h"
#include "matching/id_list.h"

namespace tav {

namespace {

// The prepared text of an ID is made for a double-quoted SQL string; as a
// bound value its quotes are single again.
std::string BoundValue(const std::string& prepared) {
  return ReplaceAll(prepared, "\"\"", "\"");
}

TDriverItem FromRow(const SqliteStatement& row,
                    const std::string& query,
                    const std::string& raw_id,
                    int index,
                    bool full,
                    bool regular) {
  TDriverItem c;
  c.query_id = query;
  c.HID = ReplaceAll(query, "\\", "\\\\");
  c.hid_raw = raw_id;
  c.HIDindex = index;
  c.HIDInfIndex = static_cast<int>(row.Integer("hardid_index_in_line"));
  c.Date = TextToDate(row.Text("date"), true);
  c.Version = Trim(row.Text("version"));
  c.Vendor = Trim(row.Text("vendor"));
  c.Link = FileNameFromStored(row.Text("filename"));
  c.Installer = ReplaceAll(row.Text("installer"), "/", "\\");
  c.Filehash = row.Text("filehash");
  c.FileDescription = row.Text("file_description");
  c.DeviceDescription = row.Text("device_description");
  c.IsRegularHID = regular;
  c.IsFullHID = full;
  return c;
}

// Rows with the same values are one candidate; the date counts by its value.
std::string RowKey(const TDriverItem& c) {
  char date[sizeof c.Date];
  std::memcpy(date, &c.Date, sizeof date);
  std::string key;
  key.reserve(c.Vendor.size() + c.Version.size() + c.Link.size() + c.Installer.size() +
              c.Filehash.size() + sizeof date + 5);
  key.append(c.Vendor).append(1, '\x1f').append(date, sizeof date).append(1, '\x1f');
  key.append(c.Version).append(1, '\x1f').append(c.Link).append(1, '\x1f');
  key.append(c.Installer).append(1, '\x1f').append(c.Filehash);
  return key;
}

}  // namespace

void FindDriversByHID(SqliteDatabase& db,
                      TDriverList* candidates,
                      std::string_view id_list,
                      std::string_view os_text,
                      std::vector<std::string>* seen,
                      bool no_os_filter,
                      bool full,
                      bool regular) {
  const std::vector<std::string> ids = SplitIdList(id_list);
  const std::string_view sql =
      full ? (no_os_filter ? driver_sql::kLookupFull : driver_sql::kLookupFullOs)
           : (no_os_filter ? driver_sql::kLookupReduced : driver_sql::kLookupReducedOs);
  std::string error;
  SqliteStatement* stmt = db.Prepare(sql, &error);
  if (!stmt) {
    XLog::Error("FindDriversByHID", "Prepare fail: " + error);
    return;
  }
  const int64_t os = StrToIntDef(os_text, 0);
  for (size_t i = 0; i < ids.size(); ++i) {
    const std::string& id = ids[i];
    std::string query;
    if (full) {
      query = PrepareSqlText(id);
      if (query.empty()) {
        XLog::Error("FindDriversByHID", "Empty HID 1");
        continue;
      }
    } else {
      query = ReduceHardwareId(id);
      if (query.empty()) {
        XLog::Error("FindDriversByHID", "Empty HID 2");
        continue;
      }
      if (query == PrepareSqlText(id))
        continue;  // nothing to reduce: the complete lookup covers it
    }
    if (std::find(seen->begin(), seen->end(), query) != seen->end())
      continue;
    seen->push_back(query);
    stmt->Reset();
    stmt->Bind(1, TransformHardwareId(BoundValue(query)));
    if (!no_os_filter)
      stmt->Bind(2, os);
    std::set<std::string> rows_of_id;
    while (stmt->Step()) {
      TDriverItem c = FromRow(*stmt, query, id, static_cast<int>(i), full, regular);
      if (rows_of_id.insert(RowKey(c)).second)
        candidates->push_back(std::move(c));
    }
    if (!stmt->ok())
      XLog::Error("FindDriversByHID", "Query fail: " + db.LastError(), 0, query);
  }
  stmt->Reset();
}

TDriverList FindDeviceCandidates(SqliteDatabase& db,
                                 std::string_view regular_ids,
                                 std::string_view compatible_ids,
                                 std::string_view os_text,
                                 bool no_os_filter) {
  TDriverList candidates;
  std::vector<std::string> seen_full, seen_reduced;
  FindDriversByHID(db, &candidates, regular_ids, os_text, &seen_full, no_os_filter, true, true);
  FindDriversByHID(db, &candidates, regular_ids, os_text, &seen_reduced, no_os_filter, false, true);
  FindDriversByHID(db, &candidates, compatible_ids, os_text, &seen_full, no_os_filter, true, false);
  FindDriversByHID(db, &candidates, compatible_ids, os_text, &seen_reduced, no_os_filter, false,
                   false);
  return candidates;
}

}  // namespace tav
