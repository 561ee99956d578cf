#include "nav/NAV_Actions.h"
#include "nav/NAV_Database.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using nav::Database_t;
using nav::Name_t;
using nav::Track_t;
using nav::TrackId_t;

namespace {

TrackId_t id(const char* name) {
    return TrackId_t(Name_t(name));
}

class Recorder : public nav::DatabaseListener_t {
public:
    std::vector<std::string> events;
    Database_t* reenter = nullptr;
    void trackErased(const TrackId_t& track) override { events.push_back("erased " + track.str()); }
    void trackInserted(const TrackId_t& track, const Track_t&) override {
        events.push_back("inserted " + track.str());
        if (reenter)
            reenter->insertTrack(TrackId_t(Name_t("inner")), Track_t());
    }
    void transactionStarted() override { events.push_back("started"); }
    void transactionComplete(const nav::ChangedKinds_t& kinds) override {
        events.push_back("complete " + kinds.to_string());
    }
};

std::string insertUnique(Database_t& db, const char* name) {
    TrackId_t track = id(name);
    if (db.tracks().count(track))
        db.makeUniqueTrackId(track);
    db.insertTrack(track, Track_t());
    return track.str();
}

std::vector<std::string> kindsOf(const jnl::ActionJournal_t& journal) {
    std::vector<std::string> out;
    for (const auto& action : journal.actions()) {
        if (dynamic_cast<const nav::StartTransaction_t*>(action.get()))
            out.push_back("start");
        else if (dynamic_cast<const nav::TrkInsert_t*>(action.get()))
            out.push_back("insert");
        else if (dynamic_cast<const nav::TrkErase_t*>(action.get()))
            out.push_back("erase");
        else if (dynamic_cast<const nav::TransactionComplete_t*>(action.get()))
            out.push_back("complete");
    }
    return out;
}

} // namespace

TEST(NavDatabase, StartsWithOneNameFlagEntry) {
    const Database_t db(Name_t(""), 3);
    ASSERT_EQ(db.nameFlagList().size(), 1u);
    EXPECT_EQ(db.nameFlagList()[0], (std::pair<std::string, uint8_t>("", 1)));
    EXPECT_TRUE(db.routeFlagList().empty());
    EXPECT_TRUE(db.recordSet().empty());
    EXPECT_EQ(db.trackCounter(), 1u);
}

TEST(NavDatabase, VersionBelow3IsAnAssertion) {
    EXPECT_RAISES(Database_t(Name_t(""), 2), glo::Assert_t, "NAV_Database.cpp", 170);
    EXPECT_NO_THROW(Database_t(Name_t(""), 3));
    EXPECT_NO_THROW(Database_t(Name_t(""), 4000000000u));
}

TEST(NavDatabase, TheSuffixCounterIsSharedAcrossNames) {
    Database_t db(Name_t(""), 3);
    EXPECT_EQ(insertUnique(db, "Log 1"), "Log 1");
    EXPECT_EQ(insertUnique(db, "Log 1"), "Log 1 001");
    EXPECT_EQ(insertUnique(db, "Log 1"), "Log 1 002");
    EXPECT_EQ(insertUnique(db, "Log 2"), "Log 2");
    EXPECT_EQ(insertUnique(db, "LOG 2"), "LOG 2 003");
}

TEST(NavDatabase, MakeUniqueSkipsNamesThatAreTaken) {
    Database_t db(Name_t(""), 3);
    db.insertTrack(id("Log 1"), Track_t());
    db.insertTrack(id("Log 1 001"), Track_t());
    TrackId_t track = id("Log 1");
    db.makeUniqueTrackId(track);
    EXPECT_EQ(track.str(), "Log 1 002");
    EXPECT_EQ(db.trackCounter(), 3u);

    db.setTrackCounter(1000);
    TrackId_t big = id("Log 1");
    db.makeUniqueTrackId(big);
    EXPECT_EQ(big.str(), "Log 1 1000");
}

TEST(NavDatabase, ADuplicateIsRejectedBeforeAnyTransactionOpens) {
    Database_t db(Name_t(""), 3);
    db.insertTrack(id("A"), Track_t());
    db.endTransaction();
    EXPECT_RAISES(db.insertTrack(id("a"), Track_t()), nav::KeyExists_t, "NAV_Database.cpp", 1572);
    EXPECT_TRUE(db.changedKinds().none());
    EXPECT_EQ(db.eraseTrack(id("missing")), 0u);
    EXPECT_TRUE(db.changedKinds().none());
}

TEST(NavDatabase, ATransactionIsBroadcastOnce) {
    Database_t db(Name_t(""), 3);
    Recorder recorder;
    db.broadcaster().subscribe(&recorder);
    db.insertTrack(id("A"), Track_t());
    db.insertTrack(id("B"), Track_t());
    db.insertTrack(id("C"), Track_t());
    db.endTransaction();
    db.endTransaction();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"started", "inserted A", "inserted B", "inserted C",
                                                         "complete 000100"}));
    EXPECT_TRUE(db.changedKinds().none());
}

TEST(NavDatabase, AKindAbove5IsOutOfRange) {
    Database_t db(Name_t(""), 3);
    try {
        db.markChanged(6);
        ADD_FAILURE();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid bitset<N> position");
    }
    EXPECT_TRUE(db.changedKinds().none());
}

TEST(NavDatabase, AListenerThatThrowsDoesNotLeaveTheBroadcasterBusy) {
    struct Thrower : nav::DatabaseListener_t {
        bool armed = true;
        void trackInserted(const TrackId_t&, const Track_t&) override {
            if (std::exchange(armed, false))
                throw std::runtime_error("listener failed");
        }
    } thrower;
    Database_t db(Name_t(""), 3);
    db.broadcaster().subscribe(&thrower);
    EXPECT_THROW(db.insertTrack(id("A"), Track_t()), std::runtime_error);
    EXPECT_FALSE(db.broadcaster().busy());
    db.insertTrack(id("B"), Track_t());
    EXPECT_EQ(db.tracks().size(), 2u);
}

TEST(NavDatabase, ABroadcastFromInsideAListenerIsAnAssertion) {
    Database_t db(Name_t(""), 3);
    Recorder recorder;
    recorder.reenter = &db;
    db.broadcaster().subscribe(&recorder);
    EXPECT_RAISES(db.insertTrack(id("A"), Track_t()), glo::Assert_t, "NAV_Broadcaster.cpp", 695);
}

TEST(NavDatabase, TheJournalRecordsInOrderAndUndoes) {
    Database_t db(Name_t(""), 3);
    jnl::ActionJournal_t journal;
    db.endTransaction();
    db.attachJournal(&journal);
    db.endTransaction();
    EXPECT_TRUE(journal.actions().empty());

    Track_t track;
    track.appendPoint({geo::Position_t(1, 2), {}, {}});
    db.insertTrack(id("A"), track);
    db.endTransaction();
    db.endTransaction();
    EXPECT_EQ(kindsOf(journal), (std::vector<std::string>{"start", "insert", "complete"}));

    Recorder recorder;
    db.broadcaster().subscribe(&recorder);
    db.attachJournal(nullptr);
    ASSERT_TRUE(journal.undoLastTransaction());
    EXPECT_TRUE(db.tracks().empty());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"started", "erased A", "complete 000100"}));
}

TEST(NavDatabase, UndoingAnErasureBringsTheTrackBack) {
    Database_t db(Name_t(""), 3);
    jnl::ActionJournal_t journal;
    db.attachJournal(&journal);
    Track_t track;
    track.appendPoint({geo::Position_t(1, 2), {}, {}});
    track.appendPoint({geo::Position_t(3, 4), {}, {}});
    db.insertTrack(id("A"), track);
    db.endTransaction();
    EXPECT_EQ(db.eraseTrack(id("a")), 1u);
    db.endTransaction();
    db.attachJournal(nullptr);
    ASSERT_TRUE(journal.undoLastTransaction());
    ASSERT_EQ(db.tracks().size(), 1u);
    EXPECT_EQ(db.tracks().begin()->second.summary().pointCount, 2);
}

namespace {
std::vector<std::string> names(const Database_t& db) {
    std::vector<std::string> out;
    for (const auto& [track, ignored] : db.tracks())
        out.push_back(track.str());
    return out;
}
} // namespace

TEST(NavDatabase, UndoWalksBackThroughOlderTransactionsWithTheJournalAttached) {
    Database_t db(Name_t(""), 3);
    jnl::ActionJournal_t journal;
    db.attachJournal(&journal);
    for (const char* name : {"A", "B", "C"}) {
        db.insertTrack(id(name), Track_t());
        db.endTransaction();
    }
    EXPECT_EQ(journal.actions().size(), 9u);
    ASSERT_TRUE(journal.undoLastTransaction());
    EXPECT_EQ(names(db), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(journal.actions().size(), 6u) << "the undo's own changes are not recorded";
    ASSERT_TRUE(journal.undoLastTransaction());
    ASSERT_TRUE(journal.undoLastTransaction());
    EXPECT_TRUE(db.tracks().empty());
    EXPECT_TRUE(journal.actions().empty());
    EXPECT_FALSE(journal.undoLastTransaction());
    EXPECT_TRUE(db.changedKinds().none());
}

TEST(NavDatabase, UndoIsRefusedWhileTheTransactionIsOpen) {
    Database_t db(Name_t(""), 3);
    jnl::ActionJournal_t journal;
    db.attachJournal(&journal);
    db.insertTrack(id("A"), Track_t());
    db.endTransaction();
    db.insertTrack(id("B"), Track_t());
    EXPECT_TRUE(journal.transactionOpen());
    EXPECT_RAISES(journal.undoLastTransaction(), jnl::TransactionOpen_t, "JNL_ActionJournal.cpp", 29);
    EXPECT_EQ(names(db), (std::vector<std::string>{"A", "B"}));
    db.endTransaction();
    ASSERT_TRUE(journal.undoLastTransaction());
    EXPECT_EQ(names(db), (std::vector<std::string>{"A"}));
}

TEST(NavDatabase, AnUndoThatFailsHalfWayChangesNothingAndCanBeRetried) {
    Database_t db(Name_t(""), 3);
    db.insertTrack(id("B"), Track_t());
    db.endTransaction();
    jnl::ActionJournal_t journal;
    db.attachJournal(&journal);
    db.eraseTrack(id("B"));
    db.insertTrack(id("A"), Track_t());
    db.endTransaction();
    ASSERT_EQ(journal.actions().size(), 4u);

    // Meanwhile, unrecorded, the name B is used again: putting the erased B back must fail,
    // after erasing A has already been undone.
    db.attachJournal(nullptr);
    db.insertTrack(id("B"), Track_t());
    db.endTransaction();
    db.attachJournal(&journal);
    EXPECT_RAISES(journal.undoLastTransaction(), nav::KeyExists_t, "NAV_Database.cpp", 1572);
    EXPECT_EQ(names(db), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(kindsOf(journal), (std::vector<std::string>{"start", "erase", "insert", "complete"}));
    EXPECT_TRUE(db.changedKinds().none());

    db.attachJournal(nullptr);
    db.eraseTrack(id("B"));
    db.endTransaction();
    db.attachJournal(&journal);
    ASSERT_TRUE(journal.undoLastTransaction());
    EXPECT_EQ(names(db), (std::vector<std::string>{"B"}));
    EXPECT_TRUE(journal.actions().empty());
}

namespace {
struct Follows : nav::TrackReference_t {
    explicit Follows(const char* name) : followed(Name_t(name)) {}
    const TrackId_t& track() const override { return followed; }
    TrackId_t followed;
};
} // namespace

TEST(NavDatabase, ErasingTheReferredTrackDropsTheReference) {
    Database_t db(Name_t(""), 3);
    db.insertTrack(id("A"), Track_t());
    db.insertTrack(id("B"), Track_t());
    db.setTrackReference(std::make_unique<Follows>("a"));
    db.eraseTrack(id("B"));
    EXPECT_NE(db.trackReference(), nullptr);
    db.eraseTrack(id("A"));
    EXPECT_EQ(db.trackReference(), nullptr);
}

TEST(NavDatabase, ListenersJoiningDuringABroadcastAreAddedAfterIt) {
    struct Joiner : nav::DatabaseListener_t {
        nav::Broadcaster_t* broadcaster = nullptr;
        nav::DatabaseListener_t* other = nullptr;
        void transactionStarted() override { broadcaster->subscribe(other); }
    };
    Database_t db(Name_t(""), 3);
    Recorder late;
    Joiner joiner;
    joiner.broadcaster = &db.broadcaster();
    joiner.other = &late;
    db.broadcaster().subscribe(&joiner);
    db.insertTrack(id("A"), Track_t());
    EXPECT_EQ(late.events, (std::vector<std::string>{"inserted A"}));
}
