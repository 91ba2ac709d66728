#include "categories/obexmodule.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "categories/categoryservices.h"
#include "categories/entrytext.h"
#include "core/codepage.h"
#include "core/programerror.h"
#include "phone/obextransfer.h"

#include <QLocale>

struct ObexModule::Book
{
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
    static const ObexModule::Book book{QStringLiteral("Contacts"),
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
    static const ObexModule::Book book{QStringLiteral("Calendar"),
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
    m_entryNumber = 0;
    if (!m_obex.ObexConnect()) {
        log.WriteLog(book.failedConnect);
        m_services.tally.failed(book.category);
        return false;
    }
    file.AppendLine(elements::openTag(book.section));
    if (!m_obex.Obex_Get(ObexTransfer::ConvertFile(book.objectName), book.kind)) {
        log.WriteLog(book.failedGet);
        if (m_obex.notImplemented()) {
            // No such book on this phone: the section stays empty, and the closing line says
            // why instead of passing it off as an empty book.
            file.AppendLine(elements::closeTag(book.section));
            log.WriteLog(QStringLiteral("Not read -> the %1: not supported by this phone")
                             .arg(book.section));
            m_services.tally.unsupported(book.category);
            m_obex.ObexDisconnect();
            return true;
        }
        m_services.tally.failed(book.category);
        // The entries received so far stay, but the section has no end: say so.
        log.UpdateStat(QStringLiteral("The backup file is incomplete -> the %1 section has no end")
                           .arg(book.section));
        return false;
    }
    log.WriteLog(book.goodGet);
    // Entries the phone could not read are missing from the section; each is named.
    const QStringList skipped = m_obex.skippedEntries();
    for (const QString& entry : skipped)
        log.WriteLog(QStringLiteral("Not read -> ") + entry);
    if (!skipped.isEmpty())
        m_services.tally.lost(book.category, static_cast<int>(skipped.size()));
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

void ObexModule::saveEntry(const Book& book, const QByteArray& entry)
{
    StatusLog& log = m_services.log;
    ++m_entryNumber;
    const QString received = codepage::decode(entry);
    const QString text = entrytext::keepable(received);
    const QString why =
        entrytext::whyNotKept(text, book.calendar ? QStringLiteral("END:VEVENT|END:VTODO")
                                                  : QStringLiteral("END:VCARD"));
    QString which = QStringLiteral("%1 %2").arg(book.entryWord).arg(m_entryNumber);
    const QString label = entrytext::labelOf(text, book.labelField);
    if (!label.isEmpty())
        which += QStringLiteral(" (%1)").arg(label);
    if (!why.isEmpty()) {
        // Written as it is, the entry would come back changed or split: it stays out, named.
        log.WriteLog(QStringLiteral("Not read -> ") + which +
                     QStringLiteral(" -> the backup file cannot keep ") + why);
        QString word = book.entryWord;
        word[0] = word.at(0).toUpper();
        log.UpdateStat(QStringLiteral("%1 %2 holds text the backup file cannot keep -> see the log")
                           .arg(word)
                           .arg(m_entryNumber));
        m_services.tally.lost(book.category);
        return;
    }
    if (text != received)
        log.WriteLog(QStringLiteral("Written quoted-printable -> ") + which);
    const QString value = encodeEntry(text, [this] { m_services.yieldOnce(); });
    m_services.file.AppendLine(book.linePrefix + value + QStringLiteral("/>"));
    log.UpdateStat(book.savedStatus);
    m_services.progress(book.category, m_entryNumber);
}

bool ObexModule::bSaveContact(const QByteArray& entry)
{
    saveEntry(phonebook(), entry);
    return true;
}

bool ObexModule::bSaveCal(const QByteArray& entry)
{
    saveEntry(calendar(), entry);
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

int ObexModule::lastEntryLine(const Book& book, int lineIndex) const
{
    const sections::Extent extent = sections::extentOf(m_services.file.sFileLines, lineIndex);
    if (!extent.closed)
        m_services.log.WriteLog(QStringLiteral("Missing end of section -> <") + book.section +
                                QStringLiteral("/>"));
    return static_cast<int>(extent.end) - 1;
}

void ObexModule::memoryFull(const Book& book, int notWritten)
{
    const QLocale grouped(QLocale::English);
    QString many = book.calendar ? QStringLiteral("calendar entries") : QStringLiteral("contacts");
    int used = 0;
    int size = 0;
    const QString room = m_obex.memoryRoom(book.calendar, used, size) && size > 0
                             ? QStringLiteral(": %1 of %2 %3")
                                   .arg(grouped.toString(used), grouped.toString(size), many)
                             : QString();
    const QString line = QStringLiteral("The phone's memory is full%1 -> %2 not written")
                             .arg(room, grouped.toString(notWritten));
    m_services.log.WriteLog(line);
    m_services.log.UpdateStat(line);
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
    m_services.checkPhone();
    // Without a connection the section is passed over, never read again from its start; its
    // entries are not written. Only what the phone lacks is written, so what it holds is read
    // first; a phone whose entries cannot be read gets none rather than perhaps all twice.
    const bool connected = m_obex.ObexConnect();
    RestoreLists& lists = m_services.lists;
    const RestoreLists::List list = book.calendar ? RestoreLists::Calendar : RestoreLists::Phonebook;
    // A dry run before a master reset counts against the emptied book it would find.
    if (connected && lists.erasedFirst())
        lists.phoneRead(list, {});
    const bool read = connected && (lists.erasedFirst() || readBeforeWriting(book.calendar));
    if (connected && !read && m_obex.notImplemented()) {
        // No such book on this phone: nothing is sent, and the closing line says so, as after
        // a backup.
        log.WriteLog(QStringLiteral("Not written -> the %1 section (not supported by the phone)")
                         .arg(book.section));
        tally.unsupported(book.category);
        m_services.checkPhone();
        m_obex.ObexDisconnect();
        return last;
    }
    if (!read) {
        for (int index = lineIndex + 1; index <= last; ++index) {
            QString entry;
            if (lines.at(index).size() > 2 && entryOfLine(lines.at(index), book.calendar, entry)) {
                tally.lost(book.category);
                admit(book.calendar, index, entry);
            }
        }
        log.WriteLog(QStringLiteral("Not written -> the %1 section (%2)")
                         .arg(book.section,
                              connected
                                  ? QStringLiteral("its entries on the phone could not be read")
                                  : QStringLiteral("no OBEX connection")));
        m_services.checkPhone();
        if (connected)
            m_obex.ObexDisconnect();
        return last;
    }
    // Every entry is counted before the first write, so that a run the phone's loss cuts short
    // can still tell what it did not write.
    QList<std::pair<int, QString>> lacking;
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
        if (admit(book.calendar, index, entry))
            lacking.append({index, entry});
    }
    if (lists.preview()) {
        for (qsizetype i = 0; i < lacking.size(); ++i)
            lists.written(list);
        m_services.checkPhone();
        m_obex.ObexDisconnect();
        return last;
    }
    int refused = 0;
    qsizetype sent = 0;
    bool full = false;
    int lostToFull = 0;
    for (const auto& [index, entry] : lacking) {
        // A full memory takes nothing more: the rest are counted, not sent.
        if (full) {
            tally.lost(book.category);
            ++refused;
            ++lostToFull;
            log.WriteLog(QStringLiteral("Not written -> ") + entryLabel(book.calendar, index, entry) +
                         QStringLiteral(" -> the phone's memory is full"));
            continue;
        }
        const QString object = book.calendar ? calendarObjectOf(entry) : entry;
        m_services.progress(book.category, ++sent, lacking.size());
        m_services.checkPhone();
        try {
            m_obex.Obex_Put(book.newEntryName, codepage::encode(object));
        } catch (const ProgramError& error) {
            tally.lost(book.category);
            ++refused;
            // The phone refused this entry; the others are still worth sending.
            if (error.number() == ProgramError::MemoryFull) {
                full = true;
                ++lostToFull;
                log.WriteLog(QStringLiteral("Not written -> ") +
                             entryLabel(book.calendar, index, entry) + QStringLiteral(" -> ") +
                             error.description());
                continue;
            }
            if (error.number() == ProgramError::EntryTooLong) {
                QString word = book.entryWord;
                word[0] = word.at(0).toUpper();
                log.WriteLog(QStringLiteral("%1 on line %2: too long for this phone -> not written")
                                 .arg(word)
                                 .arg(index + 1));
                continue;
            }
            log.WriteLog(QStringLiteral("Not written -> ") +
                         entryLabel(book.calendar, index, entry) + QStringLiteral(" -> ") +
                         error.description());
            continue;
        }
        m_services.lists.written(book.calendar ? RestoreLists::Calendar : RestoreLists::Phonebook);
        log.UpdateStat(book.addedStatus);
    }
    if (full)
        memoryFull(book, lostToFull);
    m_services.checkPhone();
    if (m_obex.ObexDisconnect() && refused == 0)
        log.UpdateStat(book.allAddedStatus);
    return last;
}
