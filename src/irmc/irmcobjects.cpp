#include "irmc/irmcobjects.h"

#include "core/codepage.h"

namespace irmc {

namespace {

const QByteArray Crlf("\r\n");

QByteArray field(const char* name, const QString& value)
{
    return QByteArray(name) + ':' + codepage::encode(value) + Crlf;
}

QByteArray number(const char* name, qint64 value)
{
    return QByteArray(name) + ':' + QByteArray::number(value) + Crlf;
}

QList<QByteArray> splitLines(const QByteArray& data)
{
    QList<QByteArray> lines = data.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool isLuidLine(const QByteArray& line)
{
    return line.toUpper().startsWith("X-IRMC-LUID:");
}

} // namespace

QByteArray entryWithLuid(const IrmcEntry& entry)
{
    QList<QByteArray> lines = splitLines(entry.data);
    const QByteArray luidLine = "X-IRMC-LUID:" + codepage::encode(entry.luid);
    lines.insert(lines.isEmpty() ? 0 : lines.size() - 1, luidLine);
    return lines.join(Crlf) + Crlf;
}

QByteArray phonebookObject(const QList<IrmcEntry>& entries)
{
    QByteArray object;
    for (const IrmcEntry& entry : entries)
        object += entryWithLuid(entry);
    return object;
}

QByteArray calendarObject(const QList<IrmcEntry>& entries)
{
    QByteArray object = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n";
    for (const IrmcEntry& entry : entries)
        object += entryWithLuid(entry);
    return object + "END:VCALENDAR\r\n";
}

QByteArray deviceInfo(const IrmcIdentity& identity)
{
    return field("MANU", identity.manufacturer) + field("MOD", identity.model) +
           field("SN", identity.serialNumber) + "IRMC-VERSION:1.1\r\n" +
           field("SW-VERSION", identity.softwareVersion) +
           "PB-TYPE-TX:VCARD2.1\r\nPB-TYPE-RX:VCARD2.1\r\n"
           "CAL-TYPE-TX:VCAL1.0\r\nCAL-TYPE-RX:VCAL1.0\r\n";
}

QByteArray infoLog(const IrmcStore& store, IrmcBook book)
{
    const QList<IrmcEntry> entries = store.entries(book);
    const qint64 total = entries.size();
    const qint64 maximum = qMax<qint64>(store.maximumRecords(book), total);
    // Level 4 (0x10): entries are read, added, replaced and deleted by LUID, with a change
    // counter and change log; a deleted entry is gone for good (HD).
    return field("SN", store.identity().serialNumber) + field("DID", store.databaseId()) +
           number("Total-Records", total) + number("Last-Used-Index", nextLuid(entries, 0) - 1) +
           number("Maximum-Records", maximum) + number("Free-Records", maximum - total) +
           "IEL:0x10\r\nHD:YES\r\n";
}

QByteArray changeLog(const IrmcStore& store, IrmcBook book,
                     const std::optional<QList<IrmcChange>>& changes)
{
    const qint64 total = store.entries(book).size();
    QByteArray log = field("SN", store.identity().serialNumber) + field("DID", store.databaseId()) +
                     number("Total-Records", total) +
                     number("Maximum-Records", qMax<qint64>(store.maximumRecords(book), total));
    if (!changes)
        return log + "*\r\n";
    for (const IrmcChange& change : *changes)
        log += QByteArray(1, change.type) + ':' + QByteArray::number(change.changeCounter) +
               "::" + codepage::encode(change.luid) + Crlf;
    return log;
}

bool parseEntries(IrmcBook book, const QByteArray& data, QList<QByteArray>& entries,
                  QString& error)
{
    entries.clear();
    const QList<QByteArray> kinds = book == IrmcBook::Phonebook
                                        ? QList<QByteArray>{"VCARD"}
                                        : QList<QByteArray>{"VEVENT", "VTODO"};
    QByteArray open; // the kind of the block being read, empty between blocks
    QList<QByteArray> block;
    for (const QByteArray& line : splitLines(data)) {
        const QByteArray upper = line.trimmed().toUpper();
        if (open.isEmpty()) {
            for (const QByteArray& kind : kinds) {
                if (upper == "BEGIN:" + kind)
                    open = kind;
            }
            if (!open.isEmpty())
                block = {line};
            continue;
        }
        if (upper == "BEGIN:" + open) {
            error = QStringLiteral("BEGIN:%1 inside another").arg(QLatin1String(open));
            return false;
        }
        if (!isLuidLine(line))
            block.append(line);
        if (upper == "END:" + open) {
            entries.append(block.join(Crlf));
            open.clear();
        }
    }
    if (!open.isEmpty()) {
        error = QStringLiteral("BEGIN:%1 without its END").arg(QLatin1String(open));
        return false;
    }
    if (entries.isEmpty()) {
        error = QStringLiteral("no entry in the object");
        return false;
    }
    return true;
}

} // namespace irmc
