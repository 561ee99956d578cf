// One handheld's session, whatever link it came on: who it is, the HotSync through the conduit,
// the line in the handheld's own log and EndOfSync on every path the link allows. It only ever
// reads from the handheld.
#include "host/link/SyncServer.h"

#include "host/hotsync/HotSyncWords.h"
#include "host/hotsync/SyncTypes.h"
#include "host/link/DlpLink.h"
#include "host/platform/DesktopLog.h"
#include "host/platform/HotSyncRoot.h"
#include "host/text/Utf8Text.h"

#include "dlp/DLP_Desktop.h"
#include "glo/GLO_Exception.h"
#include "plm/desktop/PLM_LinkHandheld.h"

#include <algorithm>
#include <ctime>
#include <iostream>

namespace host {

namespace {

class ProgressLine {
public:
    explicit ProgressLine(bool shown) : m_shown(shown) {}
    void update(uint16_t index, uint16_t count) {
        if (!m_shown || (index + 1u != count && (index % 16) != 0))
            return;
        std::cerr << "\rReading TrackDB: " << index + 1u << " of " << count << " records" << std::flush;
        m_drawn = true;
    }
    // The terminal's line is ended however the HotSync ends.
    ~ProgressLine() {
        if (m_drawn)
            std::cerr << "\n";
    }

private:
    bool m_shown;
    bool m_drawn = false;
};

} // namespace

SyncOutcome syncOneHandheld(Arrival_t arrival, const SyncOptions& options) {
    const std::string& peer = arrival.where;
    SyncOutcome outcome;
    dlp::DesktopSession_t session(*arrival.transport);
    DlpLink link(session, options.limits);
    // A handheld that never opened its session is sent nothing: it is dropped after the one wait
    // it was given.
    bool opened = !arrival.netSyncHandshake;
    auto finish = [&](const std::string& words, bool succeeded) {
        outcome.succeeded = succeeded;
        outcome.words = words;
        if (!link.lost() && opened) {
            try {
                session.addSyncLogEntry(
                    handheldLine(outcome.handheldWords.empty() ? words : outcome.handheldWords));
                session.endOfSync(succeeded ? 0 : 1);
            } catch (const std::exception& e) {
                outcome.words += " (and the sync could not be ended: " + std::string(e.what()) + ")";
            }
        }
        outcome.roundTrips = session.roundTrips();
        std::cerr << "pathlet: " << peer << ": " << outcome.words << "\n";
        return outcome;
    };
    // The server cuts the link itself on Ctrl-C: nothing more can be sent, and it was no fault of
    // the handheld's.
    auto interrupted = [&] { return options.interrupted && options.interrupted(); };
    auto stopped = [&] {
        outcome.succeeded = false;
        outcome.words = "stopped by Ctrl-C during the HotSync; the old file is kept";
        std::cerr << "pathlet: " << peer << ": " << outcome.words << "\n";
        return outcome;
    };
    try {
        if (arrival.netSyncHandshake && arrival.handshakeDone)
            session.continueAfterHandshake();
        else if (arrival.netSyncHandshake)
            session.handshake();
        opened = true;
        session.readSysInfo();
        const dlp::UserInfo_t who = session.readUserInfo();
        const std::string name = fromCodePage(who.name, options.codePage.value_or(kDefaultCodePage));
        outcome.user = name;
        std::cerr << "pathlet: " << localStamp(std::time(nullptr)) << " "
                  << (name.empty() ? "a handheld without a user" : name) << " on " << peer << "\n";
        if (name.empty())
            return finish("the handheld has no HotSync user yet; give it a name on the handheld first",
                          false);
        HotSyncRoot root(options.root);
        if (const auto problem = root.problemWith(name))
            return finish(*problem, false);
        if (!root.user(name)) {
            if (!options.addUsers) {
                outcome.handheldWords = name + " is not a user of this desktop";
                return finish("unknown user '" + name +
                                  "' refused (add it with 'pathlet users add', or run with --add-users)",
                              false);
            }
            std::optional<uint32_t> id;
            bool idFree = who.userId != 0;
            for (const User& user : root.users())
                idFree &= user.id != who.userId;
            if (idFree)
                id = who.userId;
            const User added = root.addUser(name, id, std::nullopt);
            std::cerr << "pathlet: added user '" << added.name << "' (id " << added.id << ", directory "
                      << added.directory << ")";
            // The handheld says its name in its own code page, which the link does not tell.
            const bool nonAscii = std::any_of(who.name.begin(), who.name.end(),
                                              [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
            if (nonAscii && !options.codePage)
                std::cerr
                    << "; its name was read as code page " << kDefaultCodePage
                    << ": if it looks wrong, remove the user and serve with --codepage (932 for Japanese)";
            std::cerr << "\n";
        }
        session.openConduit();
        HotSyncResult result;
        {
            // The handheld (and any database it holds open) is done before the sync is ended.
            ProgressLine progress(options.progress);
            plm::LinkHandheld_t handheld(
                link, [&](uint16_t index, uint16_t count) { progress.update(index, count); });
            HotSyncOptions hotsync = options.hotsync;
            hotsync.root = options.root;
            hotsync.user = name;
            result = performHotSync(hotsync, handheld, [&] { return handheld.problem(); });
            outcome.recordsRead = handheld.recordsRead();
        }
        if (options.afterHotSync)
            options.afterHotSync(result);
        if (result.succeeded && !result.didNothing)
            outcome.handheldWords = countWords(result.tracks, result.points) + " copied";
        else if (result.didNothing)
            outcome.handheldWords = "nothing done (the action is " + syncTypeWords(result.syncType) + ")";
        if (!result.succeeded && interrupted())
            return stopped();
        if (link.refused() && !result.succeeded) {
            outcome.handheldWords = *link.refused();
            return finish(*link.refused(), false);
        }
        return finish(result.words, result.succeeded);
    } catch (const dlp::LinkError_t& e) {
        if (interrupted())
            return stopped();
        return finish(std::string("the link to the handheld failed: ") + e.what(), false);
    } catch (const dlp::ProtocolError_t& e) {
        // A broken answer: nothing more is sent on a link that cannot be trusted.
        std::cerr << "pathlet: " << peer << ": the handheld broke the protocol: " << e.what() << "\n";
        outcome.words = std::string("the handheld broke the protocol: ") + e.what();
        return outcome;
    } catch (const glo::Exception_t& e) {
        // Whatever fails after the conduit (the export, the user's settings) still ends the sync.
        return finish("the HotSync failed (" + std::string(e.source()) + " line " + std::to_string(e.line()) +
                          (e.message().empty() ? ")" : "): " + e.message()),
                      false);
    } catch (const std::exception& e) {
        return finish(e.what(), false);
    } catch (...) {
        return finish("the HotSync failed for a reason it did not say", false);
    }
}

} // namespace host
