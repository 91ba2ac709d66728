#include "runs/restorerun.h"

#include "backupfile/backupfile.h"
#include "backupfile/sectiontable.h"
#include "categories/categoryservices.h"
#include "runs/categories.h"
#include "statuslog/statuslog.h"

#include <QHash>

namespace {

// The category a section restores, or Count for a section that restores none.
OutcomeTally::Category categoryOfSection(qint16 iTag)
{
    static const QHash<qint16, OutcomeTally::Category> categories{
        {sections::Contacts, OutcomeTally::Phonebook},
        {sections::Calendar, OutcomeTally::Calendar},
        {sections::SmsMessages, OutcomeTally::SMS},
        {sections::SettingsDataAccount, OutcomeTally::DataAccounts},
        {sections::SettingsWap, OutcomeTally::WAP},
        {sections::Bookmarks, OutcomeTally::Bookmarks},
        {sections::SettingsProfiles, OutcomeTally::Profiles},
        {sections::SettingsLocks, OutcomeTally::Locks},
        {sections::SettingsTime, OutcomeTally::Time},
        {sections::SettingsCustomMenu, OutcomeTally::Shortcuts}};
    return categories.value(iTag, OutcomeTally::Count);
}

// The restored sections of the file in file order.
QList<qint16> sectionsOfFile(const QStringList& lines)
{
    QList<qint16> found;
    for (const sections::Placed& section : sections::sectionsOf(lines)) {
        const auto iTag = static_cast<qint16>(section.iTag);
        if (categoryOfSection(iTag) != OutcomeTally::Count)
            found.append(iTag);
    }
    return found;
}

QString counted(qsizetype count, const QString& one, const QString& many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

} // namespace

OutcomeTally::Category RestoreRun::sectionCategory(qint16 iTag)
{
    return categoryOfSection(iTag);
}

QStringList RestoreRun::verify(bool& ok)
{
    ok = true;
    const RestoreLists& lists = m_services.lists;
    if (!lists.holdsEntries())
        return {};
    StatusLog& log = m_services.log;
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
        for (const RestoreLists::FileEntry& entry : lists.entries(list.list)) {
            if (list.keys.take(entry.key))
                continue;
            log.WriteLog(QStringLiteral("Missing after the restore -> ") + entry.label);
            ++missing;
        }
        if (missing > 0) {
            lines << QStringLiteral("%1: %2 missing after the restore -> see the log")
                         .arg(name)
                         .arg(missing);
            ok = false;
        }
    }
    // A file not read whole proves only what could be read of it.
    const QString verdict = m_unreadable == 0 && m_cutShort.isEmpty()
                                ? QStringLiteral("Restore verified: %1, %2, %3 on the phone")
                                : QStringLiteral("Restore checked: %1, %2, %3 on the phone; ") +
                                      (m_unreadable == 0 ? QStringLiteral("the file is cut short")
                                                         : counted(m_unreadable, QStringLiteral("entry"),
                                                                   QStringLiteral("entries")) +
                                                               QStringLiteral(" of the file could not "
                                                                              "be read -> see the log"));
    if (ok)
        lines << QString(verdict)
                     .arg(counted(lists.entries(RestoreLists::Phonebook).size(),
                                  QStringLiteral("contact"), QStringLiteral("contacts")),
                          counted(lists.entries(RestoreLists::Calendar).size(),
                                  QStringLiteral("calendar entry"),
                                  QStringLiteral("calendar entries")),
                          counted(lists.entries(RestoreLists::SMS).size(),
                                  QStringLiteral("message"), QStringLiteral("messages")));
    return lines;
}

RunOutcome RestoreRun::stopped(bool byUser)
{
    StatusLog& log = m_services.log;
    if (byUser) {
        log.WriteLog(QStringLiteral("Restore stopped by the user"));
        log.UpdateStat(QStringLiteral("Restore stopped by the user"));
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
    if (!byUser && !started.isEmpty() && started.last() != sections::Contacts &&
        started.last() != sections::Calendar && started.last() != sections::SmsMessages)
        started.removeLast();
    for (const qint16 iTag : started)
        notReached.removeOne(iTag);
    QStringList names;
    for (const qint16 iTag : notReached) {
        const QString name = OutcomeTally::name(categoryOfSection(iTag));
        if (!names.contains(name))
            names << name;
    }
    QStringList last;
    if (!names.isEmpty())
        last << (byUser ? QStringLiteral("Not written, the run was stopped -> ")
                        : QStringLiteral("Not written, the phone went away -> ")) +
                    names.join(QStringLiteral(", "));
    finish(RunOutcome::Ended, last);
    return RunOutcome::Ended;
}
