// The WinINet error codes the secondary stack reports and tests.
#pragma once

#include <cstdint>

namespace tav::inet_error {

inline constexpr int32_t kTimeout = 12002;
inline constexpr int32_t kInternalError = 12004;
inline constexpr int32_t kInvalidUrl = 12005;
inline constexpr int32_t kNameNotResolved = 12007;
inline constexpr int32_t kInvalidOption = 12009;
inline constexpr int32_t kInvalidOperation = 12016;
inline constexpr int32_t kOperationCancelled = 12017;
inline constexpr int32_t kCannotConnect = 12029;
inline constexpr int32_t kConnectionAborted = 12030;
inline constexpr int32_t kConnectionReset = 12031;
inline constexpr int32_t kHeaderNotFound = 12150;
inline constexpr int32_t kInvalidServerResponse = 12152;
inline constexpr int32_t kDisconnected = 12163;
inline constexpr int32_t kSecureFailure = 12175;

}  // namespace tav::inet_error
