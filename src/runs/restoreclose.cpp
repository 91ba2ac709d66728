#include "runs/restorerun.h"

#include "backupfile/backupfile.h"
#include "backupfile/sectiontable.h"
#include "categories/categoryservices.h"
#include "categories/categories.h"
#include "statuslog/statuslog.h"


#include <algorithm>

namespace {

// The restored sections of the file in file order.
QList<qint16> sectionsOfFile(const QStringList& lines)
{
    QList<qint16> found;
    for (const sections::Placed& section : sections::sectionsOf(lines)) {
        const auto iTag = static_cast<qint16>(section.iTag);
        if (Categories::categoryOfSection(iTag) != OutcomeTally::Count)
            found.append(iTag);
    }
    return found;
}

QString counted(qsizetype count, const QString& one, const QString& many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

QString nameOfOne(RestoreLists::List list)
{
    return list == RestoreLists::Phonebook  ? QStringLiteral("contact")
           : list == RestoreLists::Calendar ? QStringLiteral("calendar entry")
                                            : QStringLiteral("message");
}

QString nameOfMany(RestoreLists::List list)
{
    return list == RestoreLists::Phonebook  ? QStringLiteral("contacts")
           : list == RestoreLists::Calendar ? QStringLiteral("calendar entries")
                                            : QStringLiteral("messages");
}

} // namespace

QStringList RestoreRun::verify(bool& ok)
{
    ok = true;
    m_keptInPart = false;
    RestoreLists& lists = m_services.lists;
    if (!lists.holdsEntries())
        return {};
    StatusLog& log = m_services.log;
    // What the phone keeps of an entry may have come to light with the writes.
    for (const bool calendar : {false, true})
        lists.reform(calendar ? RestoreLists::Calendar : RestoreLists::Phonebook,
                     [this, calendar](RestoreLists::FileEntry& entry) {
                         m_categories.obex.reform(calendar, entry);
                     });
    log.UpdateStat(QStringLiteral("Reading the phone's lists back"));
    ObexModule::PhoneBooks books;
    books.wantContacts = lists.holdsEntries(RestoreLists::Phonebook);
    books.wantCalendar = lists.holdsEntries(RestoreLists::Calendar);
    m_categories.obex.readBooks(books);
    entrymatch::Multiset messages;
    const bool messagesRead =
        lists.holdsEntries(RestoreLists::SMS) && m_categories.sms.phoneMessages(messages);
    // Lists read while the phone went away are no proof of anything missing.
    m_services.checkPhone();
    struct Found
    {
        RestoreLists::List list;
        bool read;
        entrymatch::Multiset& keys;
    };
    const Found found[] = {{RestoreLists::Phonebook, books.contactsRead, books.contacts},
                           {RestoreLists::Calendar, books.calendarRead, books.calendar},
                           {RestoreLists::SMS, messagesRead, messages}};
    QStringList lines;
    QStringList partly;
    for (const Found& list : found) {
        if (!lists.holdsEntries(list.list))
            continue;
        const QString name = RestoreLists::name(list.list);
        if (!list.read) {
            lines << name + QStringLiteral(": not verified, the phone's list could not be read "
                                           "-> see the log");
            ok = false;
            continue;
        }
        int missing = 0;
        // Entries on the phone in the form it keeps, counted by what differs.
        FirstSeenCounts kept;
        int keptCount = 0;
        for (const RestoreLists::FileEntry& entry : lists.entries(list.list)) {
            const RestoreLists::Match match = RestoreLists::take(list.keys, entry);
            if (match == RestoreLists::Match::None) {
                log.WriteLog(QStringLiteral("Missing after the restore -> ") + entry.label);
                ++missing;
                continue;
            }
            const bool also = match == RestoreLists::Match::Also;
            const QString& summary = also ? entry.alsoSummary : entry.summary;
            if (match == RestoreLists::Match::Whole || summary.isEmpty())
                continue;
            log.WriteLog(QStringLiteral("Kept in part -> ") + entry.label + QStringLiteral(" -> ") +
                         (also ? entry.alsoDetail : entry.detail));
            ++keptCount;
            kept.add(summary);
        }
        for (const auto& [summary, count] : kept.rows())
            lines << QStringLiteral("%1: %2 %3 -> see the log").arg(name).arg(count).arg(summary);
        if (keptCount > 0) {
            m_keptInPart = true;
            partly << counted(keptCount, nameOfOne(list.list), nameOfMany(list.list));
        }
        if (missing > 0) {
            lines << QStringLiteral("%1: %2 missing after the restore -> see the log")
                         .arg(name)
                         .arg(missing);
            ok = false;
        }
    }
    if (ok) {
        // A file not read whole proves only what could be read of it.
        const bool whole = m_unreadable == 0 && m_cutShort.isEmpty();
        QString last = QStringLiteral("%1: %2, %3, %4 on the phone")
                           .arg(whole ? QStringLiteral("Restore verified")
                                      : QStringLiteral("Restore checked"),
                                counted(lists.entries(RestoreLists::Phonebook).size(),
                                        nameOfOne(RestoreLists::Phonebook),
                                        nameOfMany(RestoreLists::Phonebook)),
                                counted(lists.entries(RestoreLists::Calendar).size(),
                                        nameOfOne(RestoreLists::Calendar),
                                        nameOfMany(RestoreLists::Calendar)),
                                counted(lists.entries(RestoreLists::SMS).size(),
                                        nameOfOne(RestoreLists::SMS), nameOfMany(RestoreLists::SMS)));
        if (!partly.isEmpty())
            last += QStringLiteral("; kept in part: ") + partly.join(QStringLiteral(", "));
        if (!whole)
            last += QStringLiteral("; ") +
                    (m_unreadable == 0
                         ? QStringLiteral("the file is cut short")
                         : counted(m_unreadable, QStringLiteral("entry"), QStringLiteral("entries")) +
                               QStringLiteral(" of the file could not be read -> see the log"));
        lines << last;
    }
    return lines;
}

RunOutcome RestoreRun::stopped(Stop why)
{
    StatusLog& log = m_services.log;
    if (why == Stop::ByUser) {
        log.WriteLog(QStringLiteral("Restore stopped by the user"));
        log.UpdateStat(QStringLiteral("Restore stopped by the user"));
    } else if (why == Stop::AtOnce) {
        log.WriteLog(QStringLiteral("Restore stopped at once by the user"));
        log.UpdateStat(
            QStringLiteral("Restore stopped at once by the user, nothing more was sent"));
    } else {
        log.WriteLog(QStringLiteral("Restore stopped -> the phone went away"));
        log.UpdateStat(
            QStringLiteral("Restore stopped -> the phone went away, nothing more was sent"));
    }
    // The sections whose restore never began, and a settings section in progress; a list in
    // progress speaks in its counts. A stop by the user comes between sections: every section
    // begun was finished.
    QList<qint16> notReached = sectionsOfFile(m_services.file.sFileLines);
    QList<qint16> started = m_services.lists.sectionsStarted();
    if (why != Stop::ByUser && !started.isEmpty() && started.last() != sections::Contacts &&
        started.last() != sections::Calendar && started.last() != sections::SmsMessages)
        started.removeLast();
    for (const qint16 iTag : started)
        notReached.removeOne(iTag);
    QStringList names;
    for (const qint16 iTag : notReached) {
        const QString name = OutcomeTally::name(Categories::categoryOfSection(iTag));
        if (!names.contains(name))
            names << name;
    }
    QStringList last;
    if (!names.isEmpty())
        last << (why == Stop::PhoneLost ? QStringLiteral("Not written, the phone went away -> ")
                                        : QStringLiteral("Not written, the run was stopped -> ")) +
                    names.join(QStringLiteral(", "));
    finish(RunOutcome::Ended, last);
    return RunOutcome::Ended;
}
