#pragma once

#include "programharness.h"

#include "phonesim/simcellphone.h"
#include "phonesim/simsettingsobject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>
#include <memory>
#include <vector>


inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString goldenPath(const QString& relative)
{
    return QDir(qEnvironmentVariable("CELLARCHIVE_TEST_DATA")).filePath(QStringLiteral("categories/") + relative);
}

// Compares actual whole with the file tests/data/categories/<name>, or writes it there when
// CELLARCHIVE_UPDATE_GOLDEN is set (read the diff before committing it). Text files are
// compared line by line for a readable failure.
inline void expectGolden(const QByteArray& actual, const QString& name)
{
    QFile golden(goldenPath(name));
    if (qEnvironmentVariableIsSet("CELLARCHIVE_UPDATE_GOLDEN")) {
        QDir().mkpath(QFileInfo(golden).path());
        ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
        golden.write(actual);
        return;
    }
    const QByteArray expected = fileBytes(golden.fileName());
    if (name.endsWith(QLatin1String(".txt"))) {
        EXPECT_EQ(QString::fromUtf8(actual).split(QLatin1Char('\n')),
                  QString::fromUtf8(expected).split(QLatin1Char('\n')))
            << name.toStdString();
    } else {
        EXPECT_TRUE(actual == expected) << name.toStdString();
    }
}

// Backups and restores on the simulated phone, written down as they go: each step's outcome,
// the settings commands it took and the time it took, every backup file byte for byte, the
// phone data asked for, and the status and log lines. The record is compared whole with
// tests/data/categories/<name>/; with CELLARCHIVE_UPDATE_GOLDEN=1 it is written there instead
// (read the diff before committing it). Files to restore come from tests/data/categories/input/.
class Scenario
{
public:
    Scenario(const QString& name, const QJsonObject& phone) : m_name(name) { switchTo(phone); }

    ProgramHarness& h() { return *m_harnesses.back(); }

    // Goes on with another phone; the files written so far stay.
    void switchTo(const QJsonObject& phone)
    {
        if (!m_harnesses.empty())
            flushLines();
        m_harnesses.push_back(std::make_unique<ProgramHarness>(phone));
    }

    RunOutcome backup(const QList<MainView::Box>& boxes)
    {
        const QString name = QStringLiteral("backup%1.MS").arg(++m_backups);
        m_last = h().path(name);
        const RunOutcome outcome = step(QStringLiteral("backup"), [&] { return h().backup(boxes, m_last); });
        keepFile(m_last, name);
        return outcome;
    }

    // Restores the input file called name, or the last backup.
    RunOutcome restore(const QString& name = QString())
    {
        const QString file = name.isEmpty() ? m_last : goldenPath(QStringLiteral("input/") + name);
        return step(QStringLiteral("restore ") + (name.isEmpty() ? QStringLiteral("the last backup") : name),
                    [&] { return h().restore(file); });
    }

    void keepFile(const QString& path, const QString& name)
    {
        if (QFile::exists(path))
            m_files[name] = fileBytes(path);
        else
            note(name + QStringLiteral(": no file"));
    }

    void category(const QString& key)
    {
        const QJsonValue value = h().image->category(key);
        note(key + QStringLiteral(": ") +
             QString::fromUtf8(value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                                               : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact)));
    }
    void settings(const QString& group)
    {
        note(group + QStringLiteral(": ") +
             QString::fromUtf8(QJsonDocument(h().image->settings(group)).toJson(QJsonDocument::Compact)));
    }
    void note(const QString& line) { m_record << line; }

    void compare()
    {
        flushLines();
        QString record = m_record.join(QLatin1Char('\n')) + QLatin1Char('\n');
        for (const auto& harness : m_harnesses)
            record.replace(harness->dir.path(), QStringLiteral("%TMP%"));
        record.replace(QChar(u'\0'), QStringLiteral("\\0"));
        m_files[QStringLiteral("record.txt")] = record.toUtf8();
        const QDir dir(goldenPath(m_name));
        if (!qEnvironmentVariableIsSet("CELLARCHIVE_UPDATE_GOLDEN")) {
            EXPECT_EQ(dir.entryList(QDir::Files), QStringList(m_files.keys())) << m_name.toStdString();
        }
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
            expectGolden(it.value(), m_name + QLatin1Char('/') + it.key());
    }

private:
    template <typename Run> RunOutcome step(const QString& what, Run run)
    {
        const int before = commands();
        const qint64 start = h().clock.nowMs();
        const RunOutcome outcome = run();
        static const char* const names[] = {"Completed", "Incomplete", "Ended", "Failed"};
        note(QStringLiteral("%1 -> %2, %3 commands, %4 ms")
                 .arg(what, QLatin1String(names[static_cast<int>(outcome)]))
                 .arg(commands() - before)
                 .arg(h().clock.nowMs() - start));
        return outcome;
    }

    int commands()
    {
        const auto* phone = h().monitor ? h().monitor->phone() : nullptr;
        return phone ? phone->settingsObject()->answeredCommands() : 0;
    }

    void flushLines()
    {
        // What every start-up writes is left out.
        const QStringList status = h().statusLines();
        const QStringList log = h().logLines();
        m_record << QStringLiteral("status:");
        for (const QString& line : status.mid(status.indexOf(QStringLiteral("Known PhoneType!!")) + 1))
            m_record << QStringLiteral("  ") + line;
        m_record << QStringLiteral("log:");
        for (const QString& line : log.mid(log.indexOf(QStringLiteral("Form Loaded")) + 1))
            m_record << QStringLiteral("  ") + line;
    }

    QString m_name;
    std::vector<std::unique_ptr<ProgramHarness>> m_harnesses;
    QStringList m_record;
    QMap<QString, QByteArray> m_files;
    QString m_last;
    int m_backups = 0;
};
