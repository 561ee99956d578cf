#ifndef GLO_GLO_IDENTITY_H
#define GLO_GLO_IDENTITY_H

#include <cstdint>

namespace glo {

// The names and numbers by which the conduit identifies itself to the host, the log and its files.
inline constexpr const char* ConduitName = "Pathlet";
inline constexpr const char* CreatorCode = "VTRK";
inline constexpr const char* TrackDatabaseName = "TrackDB"; // the handheld database the conduit reads
inline constexpr const char* ModuleFileName = "Pathlet.dll";
inline constexpr const char* LanguageLibraryFileName = "Pathlet_LANG.dll";
inline constexpr const char* VersionText = "2.3";
inline constexpr int32_t InterfaceVersion = 0x101;
inline constexpr int32_t FrameworkVersion = 0x600;
inline constexpr int32_t DefaultAction = 2; // handheld to desktop
inline constexpr const char* ReleaseLabel = "SQA";

// The language library's required file version.
inline constexpr uint16_t LanguageLibraryVersion[4] = {2, 3, 1, 0};

// The build stamp, fixed when the module is built: a label of three upper-case letters ("SQA" in
// a release), the date as "Jan 20 2004" (a blank before a one-digit day) and the time as "13:19:22".
struct BuildStamp_t {
    char label[4];
    char date[12];
    char time[9];
};
const BuildStamp_t& buildStamp();

} // namespace glo

#endif
