#ifndef APP_HOSTINTERFACE_H
#define APP_HOSTINTERFACE_H

// What a host gives the conduit besides calling its entry points (ConduitApi.h): its services,
// installed for as long as a HostContext_t lives, and the module's start-up. Both hosts, the
// Windows framework and the `pathlet` command, start the module through this.

#include "gdi/GDI_MetaFile.h"
#include "glo/GLO_NonCopyable.h"
#include "glo/GLO_StringResource.h"
#include "glo/GLO_Time.h"
#include "plm/PLM_Platform.h"
#include "plm/PLM_Settings.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <system_error>

namespace app {

// Activity codes of the entries the conduit writes in the HotSync log; -1 is the platform's plain
// text entry.
enum LogActivity : int { kLogText = -1, kLogStart = 19, kLogFinish = 20, kLogAbort = 21, kLogFailure = 22 };

// The application's modal message box (style 0: an OK button only).
using MessageBoxPresenter = void (*)(const std::string& text, unsigned style);

// The state of the configuration dialog's controls while it is shown.
struct DialogControls_t {
    bool handheldToDesktop = false; // radio 1012
    bool doNothing = false;         // radio 1013
    bool makeDefault = false;       // check box 1016
};
// Shows the dialog modally: lets the user change the controls and returns true for OK, false for
// Cancel.
using DialogPresenter = bool (*)(DialogControls_t& controls);

// What one OpenConduit call did, as values. The HotSync log tells the user the same in its entries;
// a host that words the outcome itself reads it here instead of parsing those texts back.

// How the call ended.
enum class HotSyncEnd_t {
    NoCallback,      // no progress callback: nothing was logged and -1 returned
    RegisterRefused, // the Sync Manager refused to register the conduit; the result is its code
    NothingToDo,     // the sync type was not the handheld-to-desktop action: no file was touched
    Finished,        // the handheld was read and the desktop file written
    Failed,          // a failure ended the run (HotSyncOutcome_t::failure)
};
// NothingToDo and Finished return unregistering's result: when it is not 0 the Sync Manager
// refused to end the sync and the log's last entry is an abort, though the work was done.

// What kind of exception ended a failed run.
enum class FailureKind_t {
    SyncManager,    // a Sync Manager call failed: HotSyncFailure_t::syncManagerCode
    OutOfRange,     // a value outside its range, mostly one from the handheld
    InvalidText,    // text that is not text of the code page
    Assertion,      // a broken invariant of the module
    Module,         // any other failure of the module's own (the user's data, settings, system calls)
    System,         // a failure of the runtime with a system error code (the desktop file, mostly)
    ProcessorFault, // a processor fault turned into an exception (Windows)
    Standard,       // another standard exception, such as running out of memory: `detail`
    Unknown,        // an exception that is not even a standard one
};

// Which value of the handheld decoding refused.
enum class RefusedField_t {
    None,       // no value: a record could not be read, or something else failed there
    Latitude,   // `raw` in semicircles (2^31 = 180 degrees), beyond -2^30..2^30 (the poles)
    ColourCode, // `raw` is the log's colour code, which has no database colour
    Time,       // `raw` in seconds after 1989-12-31 00:00:00 UTC, past 2038-01-19 03:14:07 UTC
    NameText,   // the log's name (`trackLog`) is not text of the code page; `raw` is 0
};

// Where in the handheld's TrackDB a failure arose, and the value it refused.
struct HandheldPlace_t {
    // The log's name as the handheld stores it, in its code page (the host converts it), without
    // trailing blanks as every name is kept; empty when no log's name had been read yet.
    std::string trackLog;
    uint32_t logRecord = 0; // index of the log's first record, which holds its header and name
    uint32_t record = 0;    // index of the record being read or decoded: where the value lies
    // 0-based index of the point within its log, as the log's header counts them (segments do not
    // restart it), like record indices; none when the failure is not a point's.
    std::optional<uint32_t> point;
    RefusedField_t field = RefusedField_t::None;
    int64_t raw = 0;      // the refused value as the handheld has it
    double degrees = 0.0; // Latitude: `raw` in degrees
};

// The failure that ended a failed run.
struct HotSyncFailure_t {
    FailureKind_t kind = FailureKind_t::Unknown;
    // Exactly what went into the failure line: the source file as the exception named it (the
    // line upper-cases it), its line, its message (empty: the line has no text part).
    std::string source;
    int line = 0;
    std::string message;
    int32_t syncManagerCode = 0;             // SyncManager: the Sync Manager's error code (also the result)
    std::error_code systemError;             // System: the code, whose message() says why
    std::string detail;                      // System, ProcessorFault, Standard: the exception's own text
    std::optional<HandheldPlace_t> handheld; // when reading or decoding the handheld failed
};

// What one OpenConduit call did; the host gives one in HostServices_t::outcome.
struct HotSyncOutcome_t {
    int32_t result = 0; // what OpenConduit returned
    HotSyncEnd_t end = HotSyncEnd_t::NoCallback;
    std::optional<HotSyncFailure_t> failure; // exactly when `end` is Failed
    // The desktop file's path once it was worked out: the file written, or the one that could not
    // be; empty before that.
    std::string desktopFile;
    // Finished: what the file holds, counted from the database written (no reading back).
    uint64_t tracks = 0;
    uint64_t points = 0;
};

// Every seam of the module, as a host fills it. A null entry is the default named beside it.
struct HostServices_t {
    plm::Platform_t platform;                       // missing services fail every call
    MessageBoxPresenter messageBox = nullptr;       // the text on standard error
    DialogPresenter dialog = nullptr;               // no dialog: it ends without OK
    glo::Time_t::Clock clock = nullptr;             // the system clock
    glo::ModuleLoader resourceLoader = nullptr;     // no language library
    gdi::DeleteMetaFileFn deleteMetaFile = nullptr; // pictures need no deleting
    uint32_t ansiCodePage = 1252;                   // POSIX only: the code page of the names
    HotSyncOutcome_t* outcome = nullptr;            // nobody listens; when given, each OpenConduit fills it
};

// Installs a host's services, with the caches of the module (desktop paths, settings writers,
// the loaded language library, the default locale) empty, for the life of the object; then puts
// back whatever was installed before. Contexts nest; destroy them in reverse order.
class HostContext_t : private glo::NonCopyable_t {
public:
    explicit HostContext_t(const HostServices_t& services);
    ~HostContext_t();

private:
    HostServices_t m_previous;
    glo::ResourceModuleState_t m_resources;
    uint32_t m_codePage;
    std::map<uint32_t, std::string> m_paths;
    plm::SettingsWriters_t m_writers;
};

// The module's start-up in the installed context: the language library (when the host gave a
// loader), the translation of processor faults, and the locale of the system's code page.
enum class StartUp_t {
    Ready,
    NoLanguageLibrary, // the library is missing or has the wrong version
    NoLocale,          // no locale can be built for the system's code page
};
StartUp_t startUpModule();

} // namespace app

#endif
