// Windows system error codes that cross the platform interface. Every platform
// call reports failures with these numbers, as GetLastError() would, so the
// logic above can test and log them the same way on every implementation.
#pragma once

#include <cstdint>

namespace tav::win_error {

inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kInvalidFunction = 1;
inline constexpr int32_t kFileNotFound = 2;
inline constexpr int32_t kPathNotFound = 3;
inline constexpr int32_t kAccessDenied = 5;
inline constexpr int32_t kInvalidHandle = 6;
inline constexpr int32_t kNotEnoughMemory = 8;
inline constexpr int32_t kInvalidData = 13;
inline constexpr int32_t kNoMoreFiles = 18;
inline constexpr int32_t kWriteFault = 29;
inline constexpr int32_t kReadFault = 30;
inline constexpr int32_t kSharingViolation = 32;
inline constexpr int32_t kLockViolation = 33;
inline constexpr int32_t kHandleEof = 38;
inline constexpr int32_t kNotSupported = 50;
inline constexpr int32_t kFileExists = 80;
inline constexpr int32_t kInvalidParameter = 87;
inline constexpr int32_t kInsufficientBuffer = 122;
inline constexpr int32_t kInvalidName = 123;
inline constexpr int32_t kDirNotEmpty = 145;
inline constexpr int32_t kAlreadyExists = 183;
inline constexpr int32_t kEnvVarNotFound = 203;
inline constexpr int32_t kMoreData = 234;
inline constexpr int32_t kNoMoreItems = 259;
inline constexpr int32_t kDirectory = 267;
inline constexpr int32_t kNotAllAssigned = 1300;
inline constexpr int32_t kNoSuchPrivilege = 1313;
inline constexpr int32_t kPrivilegeNotHeld = 1314;
inline constexpr int32_t kInvalidWindowHandle = 1400;
inline constexpr int32_t kKeyDeleted = 1018;
inline constexpr int32_t kBadPathname = 161;
inline constexpr int32_t kNotFound = 1168;
inline constexpr int32_t kTimeout = 1460;
inline constexpr int32_t kMrMidNotFound = 317;
inline constexpr int32_t kClassDoesNotExist = 1411;

// HRESULT-style failure that reports an unspecified error (E_FAIL).
inline constexpr int32_t kUnspecified = static_cast<int32_t>(0x80004005u);

}  // namespace tav::win_error
