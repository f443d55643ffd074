// Named mutexes of the log-on session: the program tests whether one exists
// (OpenMutex) and creates one that it keeps until the process ends.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tav::platform {

class NamedMutex {
 public:
  NamedMutex();
  ~NamedMutex();
  NamedMutex(NamedMutex&&) noexcept;
  NamedMutex& operator=(NamedMutex&&) noexcept;

  // OpenMutex: true when some process holds a mutex of that name.
  static bool Exists(std::string_view name);
  // CreateMutex: holds a handle to the mutex until Close or destruction.
  // *already_existed tells whether another handle existed before.
  bool Create(std::string_view name, bool* already_existed = nullptr, int32_t* error = nullptr);
  void Close();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace tav::platform
