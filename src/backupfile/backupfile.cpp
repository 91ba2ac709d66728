#include "backupfile/backupfile.h"

#include "statuslog/statuslog.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/programerror.h"
#include "phone/phonelink.h"

#include <QFile>

#include <cerrno>
#include <cstring>

namespace {

const QString kSource = QStringLiteral("Cellarchive");

[[noreturn]] void failFileAccess(const QString& description, const QString& path,
                                 const QString& reason)
{
    throw ProgramError(BackupFile::FileAccessError, kSource,
                       description + QStringLiteral(" -> ") + path + QStringLiteral(" (") +
                           reason + QLatin1Char(')'));
}

} // namespace

BackupFile::BackupFile(StatusLog& log, MonotonicClock& clock, const PhoneLink& link)
    : m_log(log), m_clock(clock), m_link(link)
{
}

void BackupFile::yieldOnce()
{
    m_clock.yieldOnce();
}

void BackupFile::AppendLine(const QString& text)
{
    // Opened and closed for every line, so a run that stops half-way leaves complete lines.
    QFile file(sBackUpFIleName);
    // Backups hold passwords and messages: a new file is for its owner's eyes only. Unbuffered,
    // so a write that fails fails here, with nothing left in a buffer.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        failFileAccess(QStringLiteral("Can not open the backup file"), file.fileName(),
                       file.errorString());
    const qint64 before = file.size();
    const QByteArray bytes = codepage::encode(text + QStringLiteral("\r\n"));
    // Qt reports a write the disk had no room for as an unknown error: the system's reason
    // is taken as it comes.
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int systemError = errno;
        const QString reason = systemError != 0 ? QString::fromLocal8Bit(std::strerror(systemError))
                                                : file.errorString();
        // Part of the line may be on disk: the file the run keeps ends after its last whole line.
        file.resize(before);
        failFileAccess(QStringLiteral("Can not write the backup file"), file.fileName(), reason);
    }
    file.close();
}

bool BackupFile::bReadFileToArray()
{
    QFile file(sBackUpFIleName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed)
        return false;
    importNotes.clear();
    if (convertForeign)
        convertForeign(bytes, importNotes);

    // A line ends at CR LF, a lone CR or a lone LF: the format keeps line breaks inside an entry
    // as "<br/>", so a file whose line ends a text tool changed is still the same file.
    const QString text = codepage::decode(bytes);
    QStringList lines{QString()};
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        lines.last() = text.mid(start, end - start);
        lines.append(QString());
        start = end + 1;
        if (end < size && text.at(end) == QLatin1Char('\r') && start < size &&
            text.at(start) == QLatin1Char('\n'))
            ++start;
        yieldOnce();
    }

    sFileLines = lines;
    return true;
}

bool BackupFile::bCheckFile()
{
    yieldOnce();
    const QList<sections::Twice> twice = sections::openedTwice(sFileLines);
    for (const sections::Twice& section : twice)
        m_log.WriteLog(QStringLiteral("Failed to decode the file -->iTag<-->") +
                       QString::number(section.iTag));
    return twice.isEmpty();
}

bool BackupFile::registerReader(qint16 iTag, SectionReader reader)
{
    if (iTag < 0 || iTag >= sections::Count || !sections::table()[iTag].hasReader)
        return false;
    m_readers[iTag] = std::move(reader);
    return true;
}

QString BackupFile::lineAt(int index) const
{
    return index >= 0 && index < sFileLines.size() ? sFileLines.at(index) : QString();
}

void BackupFile::decodeSection(int iTag, int& lineIndex)
{
    const SectionReader& reader = m_readers[iTag];
    switch (iTag) {
    case sections::Contacts:
        if (!m_link.bPhonebookSupported) {
            // The entries of an unsupported phonebook are not restored.
            m_log.WriteLog(QStringLiteral("Not written -> the Contacts section (the phone has no phonebook)"));
            if (sectionSkipped)
                sectionSkipped(sections::Contacts);
            ++lineIndex;
            return;
        }
        break;
    case sections::Calendar:
        if (lineAt(lineIndex + 1).contains(QLatin1String("<Calendar/>"))) {
            m_log.WriteLog(QStringLiteral(
                "Incorrect string of calendar -> nothing to send, bad programming;-)"));
            ++lineIndex;
            return;
        }
        break;
    default:
        break;
    }
    if (!reader)
        return;
    // A reader never sends the walk backwards, which could otherwise restore a section twice
    // or never end.
    lineIndex = qMax(lineIndex, reader(lineIndex));
}

bool BackupFile::bDecodeFile()
{
    int lineIndex = 0;
    while (lineIndex <= sFileLines.size() - 1) {
        const QString word = sections::tagWord(sFileLines.at(lineIndex));
        const int iTag = sections::findTag(word);
        if (iTag >= 0) {
            if (beforeSection)
                beforeSection();
            decodeSection(iTag, lineIndex);
        } else {
            m_log.WriteLog(QStringLiteral("Unknown Line ->") + word);
        }
        yieldOnce();
        ++lineIndex;
    }
    return true;
}
