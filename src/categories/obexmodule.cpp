#include "categories/obexmodule.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "categories/categoryservices.h"
#include "core/codepage.h"
#include "core/programerror.h"
#include "phone/obextransfer.h"

struct ObexModule::Book
{
    sections::Tag iTag;
    QString section;
    QString objectName;
    QString kind;
    QString linePrefix;
    QString savedStatus;
    QString goodGet;
    QString failedGet;
    QString failedDisconnect;
    QString failedConnect;
    // Restore.
    QString newEntryName;
    QString addedStatus;
    QString allAddedStatus;
    QString entryWord;
    QString labelField;
    bool calendar;
    OutcomeTally::Category category;
};

namespace {

const QString kBr = QStringLiteral("<br/>");

const ObexModule::Book& phonebook()
{
    static const ObexModule::Book book{sections::Contacts,
                                       QStringLiteral("Contacts"),
                                       QStringLiteral("telecom/pb.vcf"),
                                       QStringLiteral("vcf"),
                                       QStringLiteral("   <Contact Value="),
                                       QStringLiteral("Saved a Contact"),
                                       QStringLiteral("Got pb.vcf"),
                                       QStringLiteral("Failed Getting pb.vcf"),
                                       QStringLiteral("Error when disconnection in bBackUpPB"),
                                       QStringLiteral("Error when making connect in bBackUpPB"),
                                       QStringLiteral("telecom/pb/luid/.vcf"),
                                       QStringLiteral("Added a contact to the MS"),
                                       QStringLiteral("All contacts has been added"),
                                       QStringLiteral("contact"),
                                       QStringLiteral("N"),
                                       false,
                                       OutcomeTally::Phonebook};
    return book;
}

const ObexModule::Book& calendar()
{
    static const ObexModule::Book book{sections::Calendar,
                                       QStringLiteral("Calendar"),
                                       QStringLiteral("telecom/cal.vcs"),
                                       QStringLiteral("vcs"),
                                       QStringLiteral("   <Calendar Value="),
                                       QStringLiteral("Saved an Appointment/Task"),
                                       QStringLiteral("Got cal.vcs"),
                                       QStringLiteral("Failed Getting cal.vcs"),
                                       QStringLiteral("Error when disconnection in bBackUpCal"),
                                       QStringLiteral("Error when making connect in bBackUpcal"),
                                       QStringLiteral("telecom/cal/luid/.vcs"),
                                       QStringLiteral("Added an Appointment/Task to the MS"),
                                       QStringLiteral("All Appointments/Tasks has been added"),
                                       QStringLiteral("calendar entry"),
                                       QStringLiteral("SUMMARY"),
                                       true,
                                       OutcomeTally::Calendar};
    return book;
}

} // namespace

ObexModule::ObexModule(CategoryServices& services, ObexTransfer& obex)
    : m_services(services), m_obex(obex)
{
}

bool ObexModule::bBackUpPB()
{
    return backUp(phonebook());
}

bool ObexModule::bBackUpCal()
{
    return backUp(calendar());
}

bool ObexModule::backUp(const Book& book)
{
    StatusLog& log = m_services.log;
    BackupFile& file = m_services.file;
    if (!m_obex.ObexConnect()) {
        log.WriteLog(book.failedConnect);
        m_services.tally.failed(book.category);
        return false;
    }
    file.AppendLine(elements::openTag(book.section));
    if (!m_obex.Obex_Get(ObexTransfer::ConvertFile(book.objectName), book.kind)) {
        log.WriteLog(book.failedGet);
        m_services.tally.failed(book.category);
        // The entries received so far stay, but the section has no end: say so.
        log.UpdateStat(QStringLiteral("The backup file is incomplete -> the %1 section has no end")
                           .arg(book.section));
        return false;
    }
    log.WriteLog(book.goodGet);
    file.AppendLine(elements::closeTag(book.section));
    // Every entry is in the file by now: a refused disconnect loses nothing.
    if (!m_obex.ObexDisconnect()) {
        log.WriteLog(book.failedDisconnect);
        return false;
    }
    return true;
}

QString ObexModule::encodeEntry(const QString& entry, const std::function<void()>& yield)
{
    const QStringList pieces = entry.split(QLatin1Char('\r'));
    qsizetype luid = -1;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        QStringView piece(pieces.at(i));
        if (piece.startsWith(QLatin1Char('\n')))
            piece = piece.mid(1);
        if (piece.startsWith(QLatin1String("X-IRMC-LUID:")))
            luid = i;
        if (yield)
            yield();
    }
    QString value;
    value.reserve(entry.size() + 4 * pieces.size());
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i != luid)
            value += pieces.at(i);
        if (yield)
            yield();
    }
    value.replace(QLatin1Char('\n'), kBr);
    return value;
}

void ObexModule::saveEntry(const QString& prefix, const QByteArray& entry, const QString& status)
{
    const QString value = encodeEntry(codepage::decode(entry), [this] { m_services.yieldOnce(); });
    m_services.file.AppendLine(prefix + value + QStringLiteral("/>"));
    m_services.log.UpdateStat(status);
}

bool ObexModule::bSaveContact(const QByteArray& entry)
{
    saveEntry(phonebook().linePrefix, entry, phonebook().savedStatus);
    return true;
}

bool ObexModule::bSaveCal(const QByteArray& entry)
{
    saveEntry(calendar().linePrefix, entry, calendar().savedStatus);
    return true;
}

int ObexModule::bDecodeContacts(int lineIndex)
{
    return restore(phonebook(), lineIndex);
}

int ObexModule::bDecodeCal(int lineIndex)
{
    return restore(calendar(), lineIndex);
}

bool ObexModule::entryOfLine(const QString& line, bool fromStartWithoutValue, QString& entry)
{
    // The line breaks go first: "<br/>" holds the "/>" that ends the value.
    QString text = line;
    text.replace(kBr, QStringLiteral("\r\n"));
    const QString valueMark = QStringLiteral("Value=");
    const qsizetype value = text.indexOf(valueMark);
    if (value < 0 && !fromStartWithoutValue)
        return false;
    const qsizetype start = value < 0 ? 0 : value + valueMark.size();
    // Every entry line ends with "/>", and an entry may hold "/>" itself: the last one ends it.
    const qsizetype end = text.lastIndexOf(QLatin1String("/>"));
    if (end < start)
        return false;
    entry = text.mid(start, end - start);
    return !entry.isEmpty();
}

QString ObexModule::calendarObjectOf(const QString& entry)
{
    if (entry.contains(QLatin1String("BEGIN:VCALENDAR")))
        return entry;
    const QString body =
        entry.startsWith(QLatin1Char('\r')) ? entry : QStringLiteral("\r\n") + entry;
    return QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:1.0") + body;
}

namespace {

// The entry's name or summary, to tell the user which one the phone refused.
QString labelOf(const QString& entry, const QString& field)
{
    for (const QString& line : entry.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(field + QLatin1Char(':')) || line.startsWith(field + QLatin1Char(';')))
            return line.section(QLatin1Char(':'), 1);
    }
    return QString();
}

} // namespace

int ObexModule::lastEntryLine(const Book& book, int lineIndex) const
{
    const QStringList& lines = m_services.file.sFileLines;
    const QString closing = QLatin1Char('<') + book.section + QStringLiteral("/>");
    const QString opening = QLatin1Char('<') + book.section + QLatin1Char('>');
    int last = lineIndex;
    for (;;) {
        if (last + 1 >= lines.size()) {
            m_services.log.WriteLog(QStringLiteral("Missing end of section -> ") + closing);
            return last;
        }
        const QString& next = lines.at(last + 1);
        if (next.contains(closing))
            return last;
        // A section without its end (a failed get leaves one) ends where the next one opens;
        // its entry lines share the tag word "<Calendar" with the calendar's opening line.
        const int iTag = sections::findTag(sections::tagWord(next));
        if ((iTag >= 0 && iTag != book.iTag) || next.trimmed().startsWith(opening)) {
            m_services.log.WriteLog(QStringLiteral("Missing end of section -> ") + closing);
            return last;
        }
        ++last;
    }
}

int ObexModule::restore(const Book& book, int lineIndex)
{
    StatusLog& log = m_services.log;
    const int last = lastEntryLine(book, lineIndex);
    // An empty section sends nothing and needs no connection.
    if (last == lineIndex)
        return lineIndex;
    OutcomeTally& tally = m_services.tally;
    const QStringList lines = m_services.file.sFileLines;
    // Without a connection the section is passed over, never read again from its start; its
    // entries are not written.
    if (!m_obex.ObexConnect()) {
        for (int index = lineIndex + 1; index <= last; ++index) {
            QString entry;
            if (lines.at(index).size() > 2 && entryOfLine(lines.at(index), book.calendar, entry))
                tally.lost(book.category);
        }
        log.WriteLog(QStringLiteral("Not written -> the %1 section (no OBEX connection)")
                         .arg(book.section));
        return last;
    }
    int refused = 0;
    for (int index = lineIndex + 1; index <= last; ++index) {
        const QString& line = lines.at(index);
        m_services.yieldOnce();
        if (line.size() <= 2)
            continue;
        QString entry;
        if (!entryOfLine(line, book.calendar, entry)) {
            log.WriteLog(QStringLiteral("No entry in the line ->") + line);
            continue;
        }
        const QString object = book.calendar ? calendarObjectOf(entry) : entry;
        try {
            m_obex.Obex_Put(book.newEntryName, codepage::encode(object));
        } catch (const ProgramError& error) {
            tally.lost(book.category);
            ++refused;
            // The phone refused this entry; the others are still worth sending.
            if (error.number() == ProgramError::EntryTooLong) {
                QString word = book.entryWord;
                word[0] = word.at(0).toUpper();
                log.WriteLog(QStringLiteral("%1 on line %2: too long for this phone -> not written")
                                 .arg(word)
                                 .arg(index + 1));
                continue;
            }
            QString which =
                QStringLiteral("%1 on line %2 of the file").arg(book.entryWord).arg(index + 1);
            const QString label = labelOf(entry, book.labelField);
            if (!label.isEmpty())
                which += QStringLiteral(" (%1)").arg(label);
            log.WriteLog(QStringLiteral("Not written -> ") + which + QStringLiteral(" -> ") +
                         error.description());
            continue;
        }
        log.UpdateStat(book.addedStatus);
    }
    if (m_obex.ObexDisconnect() && refused == 0)
        log.UpdateStat(book.allAddedStatus);
    return last;
}
