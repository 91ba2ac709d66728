#include "export/showlisting.h"

#include "backupfile/sectiontable.h"
#include "categories/categorytable.h"
#include "export/cards.h"
#include "export/exporttext.h"
#include "export/messages.h"
#include "gammucodec/gammucodec.h"

namespace backupexport {

namespace {

const QString kIndent = QStringLiteral("  ");

QString problemLine(const Problem& problem)
{
    return QStringLiteral("! ") + problemText(problem);
}

QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    text.replace(QLatin1Char('\n'), QStringLiteral(" / "));
    text.replace(QLatin1Char('\r'), QStringLiteral(" / "));
    // A control character would act on the terminal instead of being shown.
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return text;
}

// A date-only time is shown as the date alone.
QString shownTime(const QDateTime& time, const SourceTime& source)
{
    return source.form == SourceTime::Form::Date && time.isValid()
               ? time.date().toString(QStringLiteral("yyyy-MM-dd"))
               : listingTime(time);
}

int listContacts(const Section& section, QStringList& lines, QList<Problem>& problems)
{
    QList<QStringList> rows;
    for (const Entry& entry : section.entries) {
        const gammucodec::Contact contact = gammucodec::decodeContact(entry.text);
        if (!contact.ok) {
            problems.append({entry.line, contact.error});
            continue;
        }
        QStringList numbers;
        for (const gammucodec::PhoneNumber& number : contact.numbers)
            numbers.append(number.kind.isEmpty() ? number.number
                                                 : number.kind + QLatin1Char(' ') + number.number);
        QString name = oneLine(displayName(entry.text, contact));
        rows.append({name.isEmpty() ? QStringLiteral("(no name)") : name, numbers.join(QStringLiteral(", ")),
                     contact.emails.join(QStringLiteral(", "))});
    }
    lines.append(alignRows(rows, kIndent));
    return static_cast<int>(rows.size());
}

int listCalendar(const Section& section, QStringList& lines, QList<Problem>& problems)
{
    QList<QStringList> rows;
    for (const Entry& entry : section.entries) {
        const QList<gammucodec::CalendarItem> items = gammucodec::decodeCalendar(entry.text);
        const QList<CalendarSource> sources = calendarSources(entry.text);
        for (qsizetype i = 0; i < items.size(); ++i) {
            const gammucodec::CalendarItem& item = items.at(i);
            const CalendarSource source = i < sources.size() ? sources.at(i) : CalendarSource();
            if (!item.ok) {
                problems.append({entry.line, item.error});
                continue;
            }
            if (item.todo)
                rows.append({QStringLiteral("to-do"),
                             item.end.isValid() ? QStringLiteral("due ") +
                                                      shownTime(item.end, source.time(QStringLiteral("DUE")))
                                                : QString(),
                             item.completed ? QStringLiteral("done") : QStringLiteral("open"),
                             oneLine(calendarText(item, QStringLiteral("SUMMARY"))),
                             oneLine(calendarText(item, QStringLiteral("LOCATION")))});
            else
                rows.append({QStringLiteral("event"),
                             shownTime(item.start, source.time(QStringLiteral("DTSTART"))),
                             shownTime(item.end, source.time(QStringLiteral("DTEND"))),
                             oneLine(calendarText(item, QStringLiteral("SUMMARY"))),
                             oneLine(calendarText(item, QStringLiteral("LOCATION")))});
        }
    }
    lines.append(alignRows(rows, kIndent));
    return static_cast<int>(rows.size());
}

int listMessages(const Section& section, QStringList& lines, QList<Problem>& problems)
{
    QList<QStringList> rows;
    for (const Message& message : readMessages(section, problems)) {
        const QString part = message.sms.reference >= 0
                                 ? QStringLiteral("(part %1/%2) ").arg(message.sms.part).arg(
                                       message.sms.parts)
                                 : QString();
        rows.append({storageName(message.storage), statusName(message.type), message.sms.number,
                     listingTime(message.time), part + oneLine(message.sms.text)});
    }
    lines.append(alignRows(rows, kIndent));
    return static_cast<int>(rows.size());
}

int listSettings(const Section& section, bool showPasswords, QStringList& lines)
{
    int count = 0;
    for (const Group& group : section.groups) {
        const Element* number = group.find(QStringLiteral("Number"));
        QString indent = kIndent;
        if (!group.name.isEmpty() || number) {
            QString heading = group.name.isEmpty() ? QStringLiteral("Item") : group.name;
            if (number)
                heading += QLatin1Char(' ') + number->value;
            lines.append(kIndent + heading);
            indent += kIndent;
            ++count;
        }
        QList<QStringList> rows;
        for (const Element& element : group.elements) {
            if (&element == number)
                continue;
            const bool secret = element.key.contains(QLatin1String("password"), Qt::CaseInsensitive);
            rows.append({element.key + QLatin1Char(':'),
                         secret && !showPasswords && !element.value.isEmpty() ? QStringLiteral("***")
                                                                              : element.value});
        }
        lines.append(alignRows(rows, indent));
        if (group.name.isEmpty() && !number)
            count += static_cast<int>(rows.size());
    }
    return count;
}

} // namespace

QString problemText(const Problem& problem)
{
    return problem.line > 0 ? QStringLiteral("line %1: %2").arg(problem.line).arg(problem.reason)
                            : problem.reason;
}

Listing showListing(const BackupContents& contents, int onlyTag, bool showPasswords)
{
    Listing listing;
    for (const Problem& problem : contents.problems) {
        listing.lines.append(problemLine(problem));
        listing.unreadable.append({-1, problem});
    }
    listing.problems += static_cast<int>(contents.problems.size());
    for (const Section& section : contents.sections) {
        if (onlyTag >= 0 && section.iTag != onlyTag)
            continue;
        QStringList body;
        QList<Problem> problems = section.problems;
        int count = 0;
        if (section.iTag == sections::Contacts)
            count = listContacts(section, body, problems);
        else if (section.iTag == sections::Calendar)
            count = listCalendar(section, body, problems);
        else if (section.iTag == sections::SmsMessages)
            count = listMessages(section, body, problems);
        else
            count = listSettings(section, showPasswords, body);
        std::sort(problems.begin(), problems.end(),
                  [](const Problem& a, const Problem& b) { return a.line < b.line; });
        if (!listing.lines.isEmpty())
            listing.lines.append(QString());
        listing.lines.append(QStringLiteral("%1 (%2)").arg(section.name).arg(count));
        listing.lines.append(body);
        for (const Problem& problem : problems) {
            listing.lines.append(kIndent + problemLine(problem));
            listing.unreadable.append({section.iTag, problem});
        }
        listing.problems += static_cast<int>(problems.size());
    }
    return listing;
}

int sectionTagForName(const QString& name)
{
    // The categories as the command line names them, else the sections' own names.
    if (const categorytable::Row* row = categorytable::rowOfCliName(name))
        return row->section;
    for (const sections::Section& section : sections::table()) {
        if (name.compare(QLatin1String(section.tagWord + 1), Qt::CaseInsensitive) == 0)
            return section.iTag;
    }
    return -1;
}

} // namespace backupexport
