#include "statuslog/statuslog.h"

#include "core/clock.h"
#include "core/programerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include "core/codepage.h"

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The log names contacts and numbers: its folder is the owner's alone, also when an earlier
// version created it open to everyone.
bool folderIsWritable(const QString& folder)
{
    constexpr QFileDevice::Permissions OwnerFolder = kOwnerOnly | QFileDevice::ExeOwner;
    if (!QDir().mkpath(QFileInfo(folder).absolutePath()))
        return false;
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder, OwnerFolder))
        return false;
    // Fails harmlessly on a folder of someone else's.
    QFile::setPermissions(folder, OwnerFolder);
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

// Texts from the phone (a name, a bookmark title) may hold line breaks and other control
// characters: written as they are they would split a line of the log or the status box, or
// forge one. Each becomes a blank.
QString printable(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return result;
}

} // namespace

StatusLog::StatusLog(const WallClock& clock, QObject* parent) : QObject(parent), m_clock(clock) {}

QString StatusLog::logFileNameForDate(const QString& shortDate)
{
    QString day = shortDate;
    day.replace(QLatin1Char('/'), QLatin1Char('-'));
    day.replace(QLatin1Char('.'), QLatin1Char('-'));
    return day + QStringLiteral(".txt");
}

QString StatusLog::signed_(qint64 number)
{
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

void StatusLog::InitLog(const QString& programFolder, const QString& fallbackFolder)
{
    const QString day =
        logFileNameForDate(m_clock.now().date().toString(QLatin1String(ShortDateFormat)));
    QString folder = QDir(programFolder).filePath(QStringLiteral("log"));
    if ((programFolder.isEmpty() || !folderIsWritable(folder)) && !fallbackFolder.isEmpty()) {
        folder = QDir(fallbackFolder).filePath(QStringLiteral("log"));
        folderIsWritable(folder);
    }
    m_logFile = QDir(folder).filePath(day);
    // A day's file an earlier version created readable by everyone.
    if (QFileInfo::exists(m_logFile))
        QFile::setPermissions(m_logFile, kOwnerOnly);
}

void StatusLog::startRun()
{
    m_logNamed = false;
}

void StatusLog::WriteLog(const QString& text)
{
    const QDateTime now = m_clock.now();
    const QString line = now.date().toString(QLatin1String(ShortDateFormat)) + QLatin1Char('\t') +
                         now.time().toString(QLatin1String(LongTimeFormat)) + QLatin1Char('\t') +
                         printable(text) + QStringLiteral("\r\n");
    // Opened and closed for every line, so each line is on disk when this returns. A log that
    // cannot be written must never end the program: the line is dropped.
    QFile file(m_logFile);
    if (m_logFile.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Append, kOwnerOnly)) {
        m_logWritable = false;
        return;
    }
    const QByteArray bytes = codepage::encode(line);
    m_logWritable = file.write(bytes) == bytes.size();
}

void StatusLog::UpdateStat(const QString& sString)
{
    const QString line =
        m_clock.now().time().toString(QLatin1String(LongTimeFormat)) + QStringLiteral(" - ") +
        printable(sString);
    // Kept oldest first, so a line costs the same however long the run has been.
    m_statusLines.append(line);
    Q_EMIT statusLineAdded(line);
    // The user who is sent to the log is told where it is, once per run.
    if (!m_logNamed && sString.contains(QLatin1String("see the log"))) {
        m_logNamed = true;
        UpdateStat(QStringLiteral("Log -> ") + m_logFile);
    }
}

QString StatusLog::statusText() const
{
    QString text;
    for (auto line = m_statusLines.crbegin(); line != m_statusLines.crend(); ++line)
        text += *line + QStringLiteral("\r\n");
    return text;
}

void StatusLog::clearStatus()
{
    m_statusLines.clear();
    Q_EMIT statusCleared();
}

void StatusLog::LogErrorDetails(const ProgramError& error)
{
    LogErrorDetails(error.description(), error.number(), error.source());
}

void StatusLog::LogErrorDetails(const QString& description, qint32 number, const QString& source)
{
    WriteLog(QStringLiteral("#################"));
    WriteLog(QStringLiteral("Desc-->") + description);
    WriteLog(QStringLiteral("Number-->") + signed_(number));
    WriteLog(QStringLiteral("Source-->") + source);
}
