#ifndef PLM_PLM_SYNCERRORS_H
#define PLM_PLM_SYNCERRORS_H

#include <cstdint>

namespace plm {

// Result codes of the Sync Manager implementations of our own (the in-memory and the file-backed
// handheld). 0 is success; the conduit passes any other code on to the host unchanged.
enum SyncError : int32_t {
    kSyncOk = 0,
    kSyncNotFound = 0x4004,      // no database of that name
    kSyncBadDatabase = 0x4005,   // the database's file is inconsistent and is not served
    kSyncBadHandle = 0x4006,     // no open database with that handle
    kSyncBadIndex = 0x4007,      // no record at that index
    kSyncRecordTooLong = 0x4008, // the record does not fit the caller's buffer
    kSyncIoError = 0x4009,       // the file could not be read
    kSyncTooManyOpen = 0x400A,   // every database handle is in use
    kSyncUnavailable = 0x4010,   // the host provides no such service
};

} // namespace plm

#endif
