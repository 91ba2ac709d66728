#pragma once

#include "categories/outcometally.h"
#include "categories/present.h"
#include "categories/restorelists.h"
#include "phone/phonecommands.h"

#include <QString>
#include <QVariantList>
#include <exception>
#include <functional>

struct PhoneLink;
class CommandChannel;
class StatusLog;
class BackupFile;
class MonotonicClock;
class UserInterface;

// The phone went away during a restore: the run stops before it sends anything more.
class PhoneLost : public std::exception
{
public:
    const char* what() const noexcept override { return "The phone went away"; }
};

// What every category works with: the phone link and its command channel, the reporting
// channels, the backup file and the clock.
struct CategoryServices
{
    PhoneLink& link;
    CommandChannel& channel;
    StatusLog& log;
    BackupFile& file;
    MonotonicClock& clock;
    UserInterface& ui;
    // What the run in progress could not read or write.
    OutcomeTally tally{};
    // What the restore in progress did with the file's contacts, calendar entries and messages.
    RestoreLists lists{};
    // Set while a restore runs: once the phone went away, checkPhone() stops it.
    bool stopWhenPhoneLost = false;

    // Throws PhoneLost when a restore runs and its phone went away; every command of a
    // restore is preceded by it, so nothing reaches a phone that came back meanwhile.
    void checkPhone() const;

    // Erases CommandParams, fills it with params and sends the command. True when the command
    // was answered; the caller still looks at ResponseStatus.
    bool send(Command command, const QVariantList& params = {});
    // True when the command was answered with status 0.
    bool sendOk(Command command, const QVariantList& params = {});

    // A phone status as the log shows it: "status 0x88880042".
    static QString statusText(qint32 status);

    // Sends a write of a restore: true when the phone took it. A refused or unanswered write
    // is logged with the command's name and counted as not written for the category.
    bool write(OutcomeTally::Category category, Command command, const QVariantList& params = {});
    // Sends a read of a backup: true when answered with status 0. Otherwise the read is logged
    // and counted as not read, unless the phone does not know the command (it then has no such
    // setting).
    bool read(OutcomeTally::Category category, Command command, const QVariantList& params = {});
    // Counts a read that failed as read() does, for callers that send on their own.
    void readFailed(OutcomeTally::Category category, Command command);
    // As readFailed, for the read that lists the whole category: the category failed.
    void listNotRead(OutcomeTally::Category category, Command command);

    // Reads one 16-bit setting whose value the answer holds in element 0. Answered with status
    // 0: the value becomes present. Otherwise it is absent and counted as not read.
    void readInt16(OutcomeTally::Category category, Command command, Present<qint16>& target);

    // One non-blocking turn of the event loop.
    void yieldOnce();

    // Tells the user how many items of category are done, of total when it is known (else
    // negative); at most a few times a second, and always for the last item.
    void progress(OutcomeTally::Category category, qsizetype count, qsizetype total = -1);
    // The time of the last progress shown, so a long list costs no flood of redraws.
    qint64 lastProgressMs = -1;

    // Writes count groups of a section, numbered from firstNumber: each gets its tags, its
    // Number line and the lines writeValues(index) adds, then the event loop turns once.
    void saveGroups(const QString& group, qsizetype count, qsizetype firstNumber,
                    const std::function<void(qsizetype index)>& writeValues);
};
