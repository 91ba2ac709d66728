#include "phone/obextransfer.h"

#include "statuslog/statuslog.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/programerror.h"
#include "phone/entrycutter.h"
#include "phone/phonelink.h"

#include <exception>
#include <optional>

namespace {

constexpr char NameHeaderId = 0x01;
constexpr char BodyHeaderId = 0x48;
constexpr char EndOfBodyHeaderId = 0x49;
// The answer to a put whose entry the phone cannot hold whole ("Request Entity Too Large").
constexpr qint32 EntityTooLargeResponse = 0xCD;
constexpr qint32 DatabaseFullResponse = 0xE0;
// A run of empty answers this long means the service no longer moves the transfer on.
constexpr int MaxEmptyAnswers = 1000;

void appendLength(QByteArray& bytes, qsizetype length)
{
    bytes.append(static_cast<char>((length >> 8) & 0xFF));
    bytes.append(static_cast<char>(length & 0xFF));
}

// The Name header as the phone reads it: UTF-16 big-endian with two terminating zero bytes.
QByteArray nameHeaderBytes(const QString& name)
{
    QByteArray header;
    header.append(NameHeaderId);
    appendLength(header, 2 * name.size() + 5);
    for (const QChar c : name) {
        header.append('\0');
        header.append(codepage::encodeChar(c));
    }
    header.append('\0');
    header.append('\0');
    return header;
}

QByteArray decodeHexHeader(const QString& hex)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        bool ok = false;
        const uint value = hex.mid(i, 2).toUInt(&ok, 16);
        if (!ok)
            throw ProgramError(ProgramError::TypeMismatch, QStringLiteral("Obex_Get"),
                               QStringLiteral("Type mismatch"));
        bytes.append(static_cast<char>(value));
    }
    // A header whose length field disagrees with its size would be misread by the phone.
    const qsizetype declared =
        bytes.size() < 3 ? -1
                         : (static_cast<uchar>(bytes.at(1)) << 8) | static_cast<uchar>(bytes.at(2));
    if (declared != bytes.size())
        throw ProgramError(ProgramError::Overflow, QStringLiteral("Obex_Get"),
                           QStringLiteral("Invalid name header"));
    return bytes;
}

ObexService* requireObex(PhoneLink& link, const QString& source)
{
    ObexService* obex = link.m_objObex.data();
    if (!obex)
        throw ProgramError(ProgramError::ObjectNotSet, source,
                           QStringLiteral("Object variable not set"));
    return obex;
}

} // namespace

ObexTransfer::ObexTransfer(PhoneLink& link, StatusLog& log, MonotonicClock& clock)
    : m_link(link), m_log(log), m_clock(clock)
{
}

void ObexTransfer::setEntryWriters(EntryWriter bSaveContact, EntryWriter bSaveCal)
{
    m_bSaveContact = std::move(bSaveContact);
    m_bSaveCal = std::move(bSaveCal);
}

void ObexTransfer::yield()
{
    m_clock.yieldOnce();
}

void ObexTransfer::pause(qint64 ms)
{
    const qint64 deadline = m_clock.nowMs() + ms;
    while (m_clock.nowMs() < deadline)
        m_clock.yieldUntil(deadline);
}

QString ObexTransfer::MakeUniCode(const QString& StringToConvert)
{
    QString result;
    result.reserve(4 * StringToConvert.size());
    for (const QChar c : StringToConvert)
        result += QStringLiteral("%1")
                      .arg(static_cast<uint>(static_cast<uchar>(codepage::encodeChar(c))), 4, 16,
                           QLatin1Char('0'))
                      .toUpper();
    return result;
}

QString ObexTransfer::ConvertFile(const QString& name)
{
    const QString body = MakeUniCode(name) + QStringLiteral("0000");
    const qsizetype length = body.size() / 2 + 3;
    return QStringLiteral("01") +
           QStringLiteral("%1").arg(length, 4, 16, QLatin1Char('0')).toUpper() + body;
}

bool ObexTransfer::ObexConnect()
{
    bool connected = false;
    try {
        CellPhone* phone = m_link.m_objCellPhone.data();
        if (!phone)
            throw ProgramError(ProgramError::ObjectNotSet, QStringLiteral("ObexConnect"),
                               QStringLiteral("No cellphone object"));
        m_link.m_objObex = phone->Obex();
        ObexService* obex = m_link.m_objObex.data();
        if (!obex)
            throw ProgramError(ProgramError::ObjectNotSet, QStringLiteral("ObexConnect"),
                               QStringLiteral("No obex object"));
        const QByteArray target = QByteArray("\x46\x00\x0C", 3) + QByteArray("IRMC-SYNC");
        QString unused;
        connected = obex->Connect(target, m_link.ObexPacketSize, unused, m_link.ResponseStatus);
        if (connected) {
            m_log.WriteLog(QStringLiteral("Made a ObexConnect"));
        } else {
            m_log.UpdateStat(QStringLiteral(
                "Failed to make a Obex Connect - Restart your phone and the program"));
            m_log.WriteLog(QStringLiteral("Failed to make a ObexConnect"));
        }
    } catch (const std::exception&) {
        m_log.WriteLog(QStringLiteral("Error in ObexConnect"));
        return false;
    }
    pause(1000);
    return connected;
}

bool ObexTransfer::ObexDisconnect()
{
    bool disconnected = false;
    try {
        ObexService* obex = requireObex(m_link, QStringLiteral("ObexDisconnect"));
        QString unused;
        disconnected = obex->Disconnect(QString(), unused, m_link.ResponseStatus);
    } catch (const std::exception&) {
        m_log.WriteLog(QStringLiteral("Error in ObexDisconnect"));
        return false;
    }
    pause(1000);
    return disconnected;
}

bool ObexTransfer::Obex_Get(const QString& strFile, const QString& TypeOfFile)
{
    return Obex_Get(strFile, TypeOfFile, EntryWriter());
}

bool ObexTransfer::Obex_Get(const QString& strFile, const QString& TypeOfFile,
                            const EntryWriter& collect)
{
    try {
        const QByteArray nameHeader = decodeHexHeader(strFile);
        bool result = true;
        std::optional<EntryCutter> cutter;
        EntryCutter::Emit emit;
        if (TypeOfFile == QLatin1String("vcf")) {
            cutter.emplace(EntryCutter::Kind::Phonebook);
            emit = collect ? collect : m_bSaveContact;
        } else if (TypeOfFile == QLatin1String("vcs")) {
            cutter.emplace(EntryCutter::Kind::Calendar);
            emit = collect ? collect : m_bSaveCal;
        }
        const auto save = [this, &emit](const QByteArray& entry) {
            if (emit)
                emit(entry);
            yield();
        };
        bool final = false;
        int emptyAnswers = 0;
        while (!final) {
            ObexService* obex = requireObex(m_link, QStringLiteral("Obex_Get"));
            QByteArray data;
            result = obex->Get(nameHeader, data, final, m_link.ResponseStatus);
            if (!result) {
                final = true;
            } else if (data.isEmpty()) {
                // Nothing arrived in this packet: nothing to strip or add.
                if (!final && ++emptyAnswers >= MaxEmptyAnswers)
                    throw ProgramError(ProgramError::ComponentFailure, QStringLiteral("Obex_Get"),
                                       QStringLiteral("No data from the phone"));
            } else {
                emptyAnswers = 0;
                const uchar first = static_cast<uchar>(data.at(0));
                if (first == 1)
                    data.remove(0, 6);
                else if (first == BodyHeaderId || first == EndOfBodyHeaderId)
                    data.remove(0, 3);
            }
            yield();
            if (cutter)
                cutter->feed(data, final, save);
        }
        // Whatever follows the last entry (the calendar's closing line) is not an entry.
        return result;
    } catch (const std::exception&) {
        m_log.WriteLog(QStringLiteral("Error in Obex_Get"));
        return false;
    }
}

bool ObexTransfer::Obex_Put(const QString& strFile, const QByteArray& strdata)
{
    const QByteArray nameHeader = nameHeaderBytes(strFile);
    if (m_link.ObexPacketSize < 1)
        m_link.ObexPacketSize = DefaultPacketSize;
    // Lengths are two bytes on the wire, so no packet can be longer than that describes.
    const qsizetype packetSize = qMin(m_link.ObexPacketSize, MaxPacketSize);
    // The Name header and an empty body header must fit into the first packet.
    if (nameHeader.size() + 3 > packetSize)
        throw ProgramError(-1, QStringLiteral("PutFile"),
                           QStringLiteral("Object name too long for one OBEX packet"));

    qsizetype nameLength = nameHeader.size();
    qsizetype offset = 0;
    bool last = false;
    while (!last) {
        const qsizetype chunkSize = packetSize - nameLength - 3;
        const qsizetype remaining = strdata.size() - offset;
        const qsizetype length = qMin(remaining, chunkSize);
        last = remaining <= chunkSize;
        QByteArray packet = nameLength > 0 ? nameHeader : QByteArray();
        packet.append(last ? EndOfBodyHeaderId : BodyHeaderId);
        appendLength(packet, length + 3);
        packet.append(strdata.constData() + offset, length);
        offset += length;
        nameLength = 0;
        yield();

        ObexService* obex = requireObex(m_link, QStringLiteral("PutFile"));
        QString unused;
        if (!obex->Put(packet, last, unused, m_link.ResponseStatus)) {
            if (m_link.ResponseStatus == EntityTooLargeResponse)
                throw ProgramError(ProgramError::EntryTooLong, QStringLiteral("PutFile"),
                                   QStringLiteral("too long for this phone"));
            if (m_link.ResponseStatus == DatabaseFullResponse)
                throw ProgramError(ProgramError::MemoryFull, QStringLiteral("PutFile"),
                                   QStringLiteral("the phone's memory is full"));
            // Only a phone reached over OBEX has an OBEX put to blame.
            throw ProgramError(-1, QStringLiteral("PutFile"),
                               obex->overObex() ? QStringLiteral("Failed during obex put")
                                                : QStringLiteral("The phone refused the entry"));
        }
        yield();
    }
    return true;
}

bool ObexTransfer::memoryRoom(bool calendar, int& used, int& size) const
{
    const ObexService* obex = m_link.m_objObex.data();
    return obex && obex->full(calendar, used, size);
}

bool ObexTransfer::notImplemented() const
{
    // The response code with its final bit, as the service reports it.
    constexpr qint32 NotImplemented = 0xD1;
    return m_link.ResponseStatus == NotImplemented;
}

KeptForm ObexTransfer::keptForm(bool calendar, const QByteArray& entry)
{
    ObexService* obex = m_link.m_objObex.data();
    return obex ? obex->keptForm(calendar, entry) : KeptForm{entry, {}, {}};
}

QStringList ObexTransfer::skippedEntries()
{
    try {
        return requireObex(m_link, QStringLiteral("skippedEntries"))->skippedEntries();
    } catch (const std::exception&) {
        return {};
    }
}
