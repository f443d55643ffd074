// The registry of a virtual PC, kept in its machine database: keys as rows
// with a parent, values as rows of a key. RegistryKey, the .reg import and
// export and the machine set-up all go through this one store.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/linux/virtual_pc.h"
#include "platform/registry.h"

namespace tav::platform::vpc {

class RegistryStore {
 public:
  explicit RegistryStore(VirtualPc& pc) : pc_(pc) {}

  // Reads of several statements as one snapshot under one lock of the
  // machine database instead of one each (a path of seven keys is eight
  // lookups). Only reads may run inside; within a transaction it adds none.
  class ReadScope {
   public:
    explicit ReadScope(RegistryStore& store);
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

   private:
    VirtualPc& pc_;
    std::lock_guard<std::recursive_mutex> lock_;
    bool began_ = false;
  };

  static int64_t RootId(RegRoot root);
  // Root of a key id (walking up); false for a deleted key.
  bool RootOf(int64_t id, RegRoot* root);

  bool KeyExists(int64_t id);
  // Walks a "\"-separated path from a key. kFileNotFound when a part is missing.
  int32_t FindKey(int64_t from, std::string_view path, int64_t* id);
  int32_t CreateKey(int64_t from, std::string_view path, int64_t* id, bool* created);

  int32_t GetValue(int64_t key, std::string_view name, RegValue* value);
  int32_t SetValue(int64_t key, std::string_view name, const RegValue& value);
  int32_t DeleteValue(int64_t key, std::string_view name);

  int32_t SubKeyNames(int64_t key, std::vector<std::string>* names);
  int32_t SubKeys(int64_t key, std::vector<std::pair<int64_t, std::string>>* keys);
  int32_t ValueNames(int64_t key, std::vector<std::string>* names);
  int32_t Values(int64_t key, std::vector<std::pair<std::string, RegValue>>* values);

  // Deletes a key that has no sub-keys.
  int32_t DeleteLeafKey(int64_t key);
  // Deletes everything below a key, and the key itself when include_self.
  int32_t DeleteTree(int64_t key, bool include_self);

  std::string KeyName(int64_t key);
  // "HKEY_LOCAL_MACHINE\SOFTWARE\..." of a key.
  std::string KeyPath(int64_t key);

  // Whether this machine lets the program write below a root (an ordinary
  // user may not write below HKEY_LOCAL_MACHINE).
  bool WriteAllowed(RegRoot root) const;

  // A transaction over several changes (the .reg import). Nested calls are
  // counted; only the outermost commits.
  void Begin();
  void Commit();
  void Rollback();

 private:
  VirtualPc& pc_;
};

// Splits a registry path at "\" and drops empty parts.
std::vector<std::string_view> SplitRegistryPath(std::string_view path);

}  // namespace tav::platform::vpc
