#pragma once

#include "categories/present.h"

#include <QString>
#include <QVariantList>
#include <functional>

struct PhoneLink;
class CommandChannel;
class StatusLog;
class BackupFile;
class MonotonicClock;
class UserInterface;

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

    // Erases CommandParams, fills it with params and sends the command. True when the command
    // was answered; the caller still looks at ResponseStatus.
    bool send(qint32 code, const QString& name, const QVariantList& params = {});
    // True when the command was answered with status 0.
    bool sendOk(qint32 code, const QString& name, const QVariantList& params = {});

    // Reads one 16-bit setting whose value the answer holds in element 0. Answered with status
    // 0: the value becomes present. Answered with another status: absent. Not answered: as it was.
    void readInt16(qint32 code, const QString& name, Present<qint16>& target);

    // One non-blocking turn of the event loop.
    void yieldOnce();

    // Writes count groups of a section, numbered from firstNumber: each gets its tags, its
    // Number line and the lines writeValues(index) adds, then the event loop turns once.
    void saveGroups(const QString& group, qsizetype count, qsizetype firstNumber,
                    const std::function<void(qsizetype index)>& writeValues);
};
