#include "platform/registry.h"

#include "platform/linux/registry_store.h"
#include "platform/win_errors.h"

namespace tav::platform {

using vpc::RegistryStore;
using vpc::VirtualPc;

struct RegistryKey::Impl {
  int64_t id = 0;
  RegRoot root = RegRoot::kLocalMachine;
  bool writable = false;
};

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

namespace {

int32_t OpenFrom(RegRoot root, int64_t from, std::string_view path, RegAccess access,
                 std::unique_ptr<RegistryKey::Impl>* out) {
  RegistryStore store(VirtualPc::Current());
  const bool write = access != RegAccess::kRead;
  if (write && !store.WriteAllowed(root)) return win_error::kAccessDenied;
  int64_t id = 0;
  const int32_t rc = store.FindKey(from, path, &id);
  if (rc != win_error::kSuccess) return rc;
  auto impl = std::make_unique<RegistryKey::Impl>();
  impl->id = id;
  impl->root = root;
  impl->writable = write;
  *out = std::move(impl);
  return win_error::kSuccess;
}

int32_t CreateFrom(RegRoot root, int64_t from, std::string_view path, bool* created,
                   std::unique_ptr<RegistryKey::Impl>* out) {
  RegistryStore store(VirtualPc::Current());
  if (!store.WriteAllowed(root)) return win_error::kAccessDenied;
  int64_t id = 0;
  const int32_t rc = store.CreateKey(from, path, &id, created);
  if (rc != win_error::kSuccess) return rc;
  auto impl = std::make_unique<RegistryKey::Impl>();
  impl->id = id;
  impl->root = root;
  impl->writable = true;
  *out = std::move(impl);
  return win_error::kSuccess;
}

}  // namespace

int32_t RegistryKey::Open(RegRoot root, std::string_view path, RegAccess access) {
  impl_.reset();
  return OpenFrom(root, RegistryStore::RootId(root), path, access, &impl_);
}

int32_t RegistryKey::Create(RegRoot root, std::string_view path, bool* created) {
  impl_.reset();
  return CreateFrom(root, RegistryStore::RootId(root), path, created, &impl_);
}

int32_t RegistryKey::OpenSubKey(std::string_view path, RegAccess access, RegistryKey* out) const {
  if (!impl_) return win_error::kInvalidHandle;
  out->impl_.reset();
  return OpenFrom(impl_->root, impl_->id, path, access, &out->impl_);
}

int32_t RegistryKey::CreateSubKey(std::string_view path, RegistryKey* out, bool* created) const {
  if (!impl_) return win_error::kInvalidHandle;
  out->impl_.reset();
  return CreateFrom(impl_->root, impl_->id, path, created, &out->impl_);
}

void RegistryKey::Close() { impl_.reset(); }
bool RegistryKey::IsOpen() const { return impl_ != nullptr; }

int32_t RegistryKey::QueryValue(std::string_view name, RegValue* value) const {
  if (!impl_) return win_error::kInvalidHandle;
  return RegistryStore(VirtualPc::Current()).GetValue(impl_->id, name, value);
}

int32_t RegistryKey::SetValue(std::string_view name, const RegValue& value) {
  if (!impl_) return win_error::kInvalidHandle;
  if (!impl_->writable) return win_error::kAccessDenied;
  return RegistryStore(VirtualPc::Current()).SetValue(impl_->id, name, value);
}

int32_t RegistryKey::DeleteValue(std::string_view name) {
  if (!impl_) return win_error::kInvalidHandle;
  if (!impl_->writable) return win_error::kAccessDenied;
  return RegistryStore(VirtualPc::Current()).DeleteValue(impl_->id, name);
}

int32_t RegistryKey::EnumSubKeys(std::vector<std::string>* names) const {
  names->clear();
  if (!impl_) return win_error::kInvalidHandle;
  return RegistryStore(VirtualPc::Current()).SubKeyNames(impl_->id, names);
}

int32_t RegistryKey::EnumValues(std::vector<std::string>* names) const {
  names->clear();
  if (!impl_) return win_error::kInvalidHandle;
  return RegistryStore(VirtualPc::Current()).ValueNames(impl_->id, names);
}

int32_t RegistryKey::DeleteSubKey(std::string_view name) {
  if (!impl_) return win_error::kInvalidHandle;
  if (!impl_->writable) return win_error::kAccessDenied;
  RegistryStore store(VirtualPc::Current());
  int64_t id = 0;
  const int32_t rc = store.FindKey(impl_->id, name, &id);
  if (rc != win_error::kSuccess) return rc;
  return store.DeleteLeafKey(id);
}

int32_t RegistryKey::DeleteTree(std::string_view name) {
  if (!impl_) return win_error::kInvalidHandle;
  if (!impl_->writable) return win_error::kAccessDenied;
  RegistryStore store(VirtualPc::Current());
  if (name.empty()) return store.DeleteTree(impl_->id, false);
  int64_t id = 0;
  const int32_t rc = store.FindKey(impl_->id, name, &id);
  if (rc != win_error::kSuccess) return rc;
  return store.DeleteTree(id, true);
}

std::string RegistryKey::Name() const {
  if (!impl_) return {};
  // The store's path starts with the root's name, which is not part of it here.
  const std::string path = RegistryStore(VirtualPc::Current()).KeyPath(impl_->id);
  const size_t slash = path.find('\\');
  return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

}  // namespace tav::platform
