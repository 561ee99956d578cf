#ifndef APP_CONDUITAPI_H
#define APP_CONDUITAPI_H

// The conduit's entry points, exported under their plain names. The host passes its records as
// raw memory; the layouts the conduit relies on are given with each function.

#include <cstdint>

#if defined(_WIN32)
#define PATHLET_EXPORT extern "C" __declspec(dllexport)
#else
#define PATHLET_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The host's progress callback; the conduit only tests that one was given.
typedef void (*PathletProgressFn)(const char*);

// Sync-properties record: i32 sync type at offset 0 (2: handheld to desktop), the user's name as
// zero-terminated text at offset 516.
constexpr int kSyncTypeOffset = 0;
constexpr int kUserNameOffset = 516;
constexpr int32_t kActionHandheldToDesktop = 2;
constexpr int32_t kActionDoNothing = 6;

// Runs one HotSync. Returns 0 on success, -1 for a missing callback or a failure, or the Sync
// Manager's error code.
PATHLET_EXPORT int32_t OpenConduit(PathletProgressFn progress, const void* syncProperties);
// Copies the conduit's name into buffer (at most length - 1 characters, zero-filled); returns 0.
PATHLET_EXPORT int32_t GetConduitName(char* buffer, uint16_t length);
// 0x101.
PATHLET_EXPORT uint32_t GetConduitVersion();
// Kind 0: the name (request record: u32 1, u32 80); kind 1: the framework version; kind 2: the
// default action. The output size is read, never written.
PATHLET_EXPORT int32_t GetConduitInfo(int32_t kind, const void* request, void* output,
                                      const uint32_t* outputSize);
// Does nothing.
PATHLET_EXPORT int32_t ConfigureConduit(void* preferences);
// Shows the configuration dialog over the host's 352-byte configuration record: u32 version 1 at
// 0, the current action at 340; on OK the chosen action goes to 344 and the preference (1 default,
// 2 next HotSync only) to 348.
PATHLET_EXPORT int32_t CfgConduit(int32_t kind, void* record, const uint32_t* recordSize);

// Results of GetConduitInfo and CfgConduit for bad arguments.
enum PathletConduitError : int32_t {
    kErrUnknownInfoKind = 0x1070,
    kErrNoOutput = 0x1071,
    kErrBadOutputSize = 0x1073,
    kErrNoRecord = 0x1074,
    kErrBadRequest = 0x1075,
    kErrNoOutputSize = 0x1077,
    kErrNoRecordSize = 0x1078,
    kErrBadConfigKind = 0x1079,
    kErrBadRecordSize = 0x107A,
    kErrBadRecordVersion = 0x107B,
};

constexpr uint32_t kConfigRecordSize = 352;

#endif
