#include "gammucodec/gammubackup.h"

#include "gammucodec/gammuentrytext.h"
#include "gammucodec/gammuguard.h"
#include "gammucodec/gammumapping.h"
#include "gammucodec/gammupdu.h"
#include "gammucodec/gammuwallclock.h"

#include <gammu.h>

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <memory>
#include <vector>

namespace gammubackup {

namespace {

const QString kNotImported = QStringLiteral("not imported (of a gammu backup, contacts, calendar "
                                            "and messages are)");

// libgammu tells the format by the file name's extension.
QString extensionOf(Format format)
{
    switch (format) {
    case Format::Lmb:
        return QStringLiteral(".lmb");
    case Format::Ldif:
        return QStringLiteral(".ldif");
    case Format::VNote:
        return QStringLiteral(".vnt");
    case Format::Backup:
    case Format::Sms:
        break;
    }
    return QStringLiteral(".backup");
}

GSM_BackupFormat gammuFormat(Format format)
{
    switch (format) {
    case Format::Lmb:
        return GSM_Backup_LMB;
    case Format::Ldif:
        return GSM_Backup_LDIF;
    case Format::VNote:
        return GSM_Backup_VNote;
    case Format::Backup:
    case Format::Sms:
        break;
    }
    return GSM_Backup_Gammu;
}

// The categories of the sections of gammu's backup that are not imported, by the section's
// name without its number.
QString categoryOfSection(const QString& name)
{
    static const QList<std::pair<QString, QString>> names{
        {QStringLiteral("Caller"), QStringLiteral("Caller groups")},
        {QStringLiteral("SMSC"), QStringLiteral("SMS centres")},
        {QStringLiteral("WAPBookmark"), QStringLiteral("WAP bookmarks")},
        {QStringLiteral("WAPSettings"), QStringLiteral("WAP settings")},
        {QStringLiteral("MMSSettings"), QStringLiteral("MMS settings")},
        {QStringLiteral("SyncMLSettings"), QStringLiteral("SyncML settings")},
        {QStringLiteral("ChatSettings"), QStringLiteral("Chat settings")},
        {QStringLiteral("Ringtone"), QStringLiteral("Ringtones")},
        {QStringLiteral("Profile"), QStringLiteral("Profiles")},
        {QStringLiteral("FMStation"), QStringLiteral("FM stations")},
        {QStringLiteral("GPRSPoint"), QStringLiteral("GPRS access points")},
        {QStringLiteral("Note"), QStringLiteral("Notes")},
        {QStringLiteral("StartupLogo"), QStringLiteral("Logos")},
        {QStringLiteral("OperatorLogo"), QStringLiteral("Logos")}};
    for (const auto& [section, category] : names) {
        if (section == name)
            return category;
    }
    return QStringLiteral("Sections [%1]").arg(name);
}

// libgammu 1.42's reader of gammu's own text format trusts the file: a text value without
// its two quotes, or longer than the field it is copied into, corrupts memory. The copy it
// reads holds only the sections that are imported, each line checked here; the others are
// counted here. False with the line's number and why when a line cannot be handed on.
struct Sanitized
{
    QByteArray bytes;
    QList<Left> left;
    QString error;
};

bool sanitize(const QByteArray& bytes, bool messages, Sanitized& out)
{
    const bool wide = bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE");
    QString text;
    if (wide) {
        QStringDecoder utf16(bytes.startsWith("\xFE") ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
        text = utf16.decode(bytes.mid(2));
    } else {
        // Byte for character: the copy is written back byte for byte.
        text = QString::fromLatin1(bytes);
    }
    static const QRegularExpression sectionLine(QStringLiteral("^\\[([A-Za-z]+)([0-9]*)\\]$"));
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]*$"));
    static const QRegularExpression token(QStringLiteral("^[A-Za-z0-9_.:+ -]*$"));
    static const QRegularExpression textKey(QStringLiteral(
        "^(Entry[0-9]+Text|Text|Description|Phone|EventLocation|LUID|Number|Name|SMSC)$"));
    static const QRegularExpression messageText(QStringLiteral("^Text[0-9]+$"));
    QStringList kept;
    QString section;   // the section's name without its number; empty outside one
    bool keep = false;
    int limit = 0;     // characters of the section's text fields
    qsizetype messageHex = 0;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        const QString where = QStringLiteral("line %1: ").arg(i + 1);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (const QRegularExpressionMatch match = sectionLine.match(line); match.hasMatch()) {
            section = match.captured(1);
            messageHex = 0;
            if (messages) {
                keep = section == QLatin1String("SMSBackup");
                limit = GSM_MAX_NUMBER_LENGTH;
            } else if (section == QLatin1String("PhonePBK") || section == QLatin1String("SIMPBK")) {
                keep = true;
                limit = GSM_PHONEBOOK_TEXT_LENGTH;
            } else if (section == QLatin1String("Calendar")) {
                keep = true;
                limit = gammu::limits::EventTextChars;
            } else if (section == QLatin1String("TODO")) {
                keep = true;
                limit = gammu::limits::TodoTextChars;
            } else if (section == QLatin1String("Backup")) {
                // libgammu wants the header; of it, only the format's version is read.
                keep = true;
                limit = 0;
            } else {
                keep = false;
                if (section != QLatin1String("Checksum"))
                    out.left.append({categoryOfSection(section), kNotImported});
            }
            if (keep)
                kept << line;
            continue;
        }
        if (!keep)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (section == QLatin1String("Backup") && key != QLatin1String("Format"))
            continue;
        if (key.endsWith(QLatin1String("Unicode")) || (messages && (messageText.match(key).hasMatch() ||
                                                                     key == QLatin1String("UDH")))) {
            const bool unicode = key.endsWith(QLatin1String("Unicode"));
            if (!hex.match(value).hasMatch() || value.size() % (unicode ? 4 : 2) != 0) {
                out.error = where + key + QStringLiteral(" is not hexadecimal, as gammu writes it");
                return false;
            }
            // A message's text parts fill one field together.
            messageHex += unicode ? 0 : value.size();
            const qsizetype most = unicode ? 4 * limit
                                  : key == QLatin1String("UDH") ? 2 * GSM_MAX_UDH_LENGTH
                                                                : 2 * GSM_MAX_SMS_LENGTH;
            if (value.size() > most || messageHex > 2 * GSM_MAX_SMS_LENGTH + 2 * GSM_MAX_UDH_LENGTH) {
                out.error = where + key + QStringLiteral(" is longer than libgammu reads");
                return false;
            }
        } else if (value.startsWith(QLatin1Char('"'))) {
            if (value.size() < 2 || !value.endsWith(QLatin1Char('"'))) {
                out.error = where + key + QStringLiteral(" has no closing quote");
                return false;
            }
            if (value.size() - 2 > limit) {
                out.error = where + key +
                            QStringLiteral(" holds %1 characters, more than libgammu reads (%2)")
                                .arg(value.size() - 2)
                                .arg(limit);
                return false;
            }
        } else if (textKey.match(key).hasMatch()) {
            out.error = where + key + QStringLiteral(" is not in quotes, as gammu writes it");
            return false;
        } else if (!token.match(value).hasMatch() || value.size() > 64) {
            out.error = where + QStringLiteral("the value of ") + key +
                        QStringLiteral(" is none that gammu writes");
            return false;
        }
        kept << key + QStringLiteral(" = ") + value;
    }
    const QString copy = kept.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    if (wide) {
        out.bytes = QByteArray("\xFE\xFF");
        for (const QChar c : copy) {
            out.bytes.append(static_cast<char>(c.unicode() >> 8));
            out.bytes.append(static_cast<char>(c.unicode() & 0xFF));
        }
    } else {
        out.bytes = copy.toLatin1();
    }
    return true;
}

template <class T, size_t N> int countOf(T* const (&items)[N])
{
    int count = 0;
    while (static_cast<size_t>(count) < N && items[count])
        ++count;
    return count;
}

void leave(Contents& contents, const QString& category, int count, const QString& what)
{
    for (int i = 0; i < count; ++i)
        contents.left.append({category, what});
}

void readEntries(GSM_Backup& backup, Contents& contents)
{
    std::vector<char> buffer(gammu::FirstBufferSize);
    QString why;
    // What the writer made goes to its list; an entry it could not write is named.
    const auto take = [&contents, &why](QStringList& list, const QString& category, const QByteArray& text) {
        if (why.isEmpty())
            list.append(QString::fromUtf8(text));
        else
            contents.left.append({category, QStringLiteral("unreadable (%1), not imported").arg(why)});
    };
    for (GSM_MemoryEntry* const* book : {backup.PhonePhonebook, backup.SIMPhonebook}) {
        for (int i = 0; book[i]; ++i)
            take(contents.contacts, QStringLiteral("Phonebook"), gammu::encodedContact(buffer, *book[i], why));
    }
    for (int i = 0; backup.Calendar[i]; ++i)
        take(contents.calendar, QStringLiteral("Calendar"), gammu::encodedEvent(buffer, *backup.Calendar[i], why));
    for (int i = 0; backup.ToDo[i]; ++i)
        take(contents.calendar, QStringLiteral("Calendar"), gammu::encodedToDo(buffer, *backup.ToDo[i], why));
    leave(contents, QStringLiteral("Caller groups"), countOf(backup.CallerLogos), kNotImported);
    leave(contents, QStringLiteral("SMS centres"), countOf(backup.SMSC), kNotImported);
    leave(contents, QStringLiteral("WAP bookmarks"), countOf(backup.WAPBookmark), kNotImported);
    leave(contents, QStringLiteral("WAP settings"), countOf(backup.WAPSettings), kNotImported);
    leave(contents, QStringLiteral("MMS settings"), countOf(backup.MMSSettings), kNotImported);
    leave(contents, QStringLiteral("SyncML settings"), countOf(backup.SyncMLSettings), kNotImported);
    leave(contents, QStringLiteral("Chat settings"), countOf(backup.ChatSettings), kNotImported);
    leave(contents, QStringLiteral("Ringtones"), countOf(backup.Ringtone), kNotImported);
    leave(contents, QStringLiteral("Profiles"), countOf(backup.Profiles), kNotImported);
    leave(contents, QStringLiteral("FM stations"), countOf(backup.FMStation), kNotImported);
    leave(contents, QStringLiteral("GPRS access points"), countOf(backup.GPRSPoint), kNotImported);
    leave(contents, QStringLiteral("Notes"), countOf(backup.Note), kNotImported);
    leave(contents, QStringLiteral("Logos"), (backup.StartupLogo ? 1 : 0) + (backup.OperatorLogo ? 1 : 0),
          kNotImported);
}

void readMessages(GSM_SMS_Backup& backup, Contents& contents)
{
    const QString category = QStringLiteral("SMS Messages");
    for (int i = 0; backup.SMS[i]; ++i) {
        const GSM_SMSMessage& sms = *backup.SMS[i];
        if (sms.PDU == SMS_Status_Report) {
            contents.left.append({category, QStringLiteral("status reports, not imported")});
            continue;
        }
        gammu::EncodedPdu pdu;
        QString error;
        if (!gammu::encodePdu(sms, pdu, error)) {
            contents.left.append({category, QStringLiteral("unreadable (%1), not imported").arg(error)});
            continue;
        }
        contents.messages.append({static_cast<qint16>(gammu::storageOfMemory(sms.Memory)),
                                  static_cast<qint16>(pdu.type), pdu.hex, pdu.length,
                                  sms.PDU == SMS_Submit ? gammu::messageTime(sms.DateTime) : QString()});
    }
}

} // namespace

Contents read(const QByteArray& bytes, Format format)
{
    Contents contents;
    Sanitized checked;
    if (format == Format::Backup || format == Format::Sms) {
        if (!sanitize(bytes, format == Format::Sms, checked)) {
            contents.error = checked.error;
            return contents;
        }
    } else {
        checked.bytes = bytes;
    }
    contents.left = checked.left;
    // libgammu reads files only; the copy holds the user's data and is the user's alone.
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/cellarchive-import-XXXXXX") +
                        extensionOf(format));
    if (!copy.open() || !copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        copy.write(checked.bytes) != checked.bytes.size() || !copy.flush()) {
        contents.error = QStringLiteral("no temporary copy can be written (%1)").arg(copy.errorString());
        return contents;
    }
    const QByteArray name = QFile::encodeName(copy.fileName());
    if (format == Format::Sms) {
        auto backup = std::make_unique<GSM_SMS_Backup>();
        GSM_ClearSMSBackup(backup.get());
        const GSM_Error error = GSM_ReadSMSBackupFile(name.constData(), backup.get());
        if (error != ERR_NONE) {
            contents.error = QStringLiteral("libgammu cannot read it (%1)").arg(gammu::errorText(error));
        } else {
            readMessages(*backup, contents);
            contents.ok = true;
        }
        GSM_FreeSMSBackup(backup.get());
        return contents;
    }
    auto backup = std::make_unique<GSM_Backup>();
    GSM_ClearBackup(backup.get());
    const GSM_Error error = GSM_ReadBackupFile(name.constData(), backup.get(), gammuFormat(format));
    if (error != ERR_NONE) {
        contents.error = QStringLiteral("libgammu cannot read it (%1)").arg(gammu::errorText(error));
    } else {
        readEntries(*backup, contents);
        contents.ok = true;
    }
    GSM_FreeBackup(backup.get());
    return contents;
}

} // namespace gammubackup
