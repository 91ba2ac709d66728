#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class WallClock;
class ProgramError;

// The program's two reporting channels: the status box for the user (newest line on top)
// and the day's log file for diagnostics. The two never mix.
class StatusLog : public QObject
{
    Q_OBJECT
public:
    // Fixed formats of the texts, whatever the user's regional settings.
    static constexpr const char* ShortDateFormat = "dd.MM.yyyy";
    static constexpr const char* LongTimeFormat = "HH:mm:ss";

    explicit StatusLog(const WallClock& clock, QObject* parent = nullptr);

    // Fixes the day's log file: the "log" folder in programFolder, or in fallbackFolder when
    // that one is not given (an installed program) or cannot be created or written.
    void InitLog(const QString& programFolder, const QString& fallbackFolder);
    void WriteLog(const QString& text);
    // A run begins: its first status line that sends the user to the log ("... -> see the
    // log") is followed by "Log -> PATH".
    void startRun();
    void UpdateStat(const QString& sString);
    void LogErrorDetails(const ProgramError& error);
    // Details of an error that is not one of ours (a std::exception from a library).
    void LogErrorDetails(const QString& description, qint32 number, const QString& source);

    // The status box's whole text, newest line first; "Clear" empties it, the log file is not
    // touched.
    QString statusText() const;
    void clearStatus();

    const QString& LogFile() const { return m_logFile; }
    // True while the last line reached the log file.
    bool logWritable() const { return m_logWritable; }

    // The day's file name for a short date: "/" and "." become "-", then ".txt".
    static QString logFileNameForDate(const QString& shortDate);
    // A number appended to a text: a blank before 0 or more, a minus sign before a negative.
    static QString signed_(qint64 number);

Q_SIGNALS:
    void statusCleared();
    // One new status line (time, " - ", text), for front ends that print lines as they come.
    void statusLineAdded(const QString& line);

private:
    const WallClock& m_clock;
    QString m_logFile;
    QStringList m_statusLines;
    bool m_logWritable = true;
    bool m_logNamed = false;
};
