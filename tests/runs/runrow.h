#pragma once

#include "programharness.h"

#include <functional>
#include <gtest/gtest.h>

// One whole-program scenario: a phone, what the user does, the status lines the run closes
// with, its outcome and the phone or file state afterwards.
struct RunRow
{
    const char* name;
    // The phone the run works on (the demo phone unless the row needs another).
    std::function<QJsonObject()> phone;
    // Sets the scenario up and runs; returns the run's outcome.
    std::function<RunOutcome(ProgramHarness&)> run;
    // The closing status lines; %DIR% stands for the test's folder, %LOG% for the log file.
    QStringList closing;
    RunOutcome outcome;
    std::function<void(ProgramHarness&)> check;
};

inline void PrintTo(const RunRow& row, std::ostream* out)
{
    *out << row.name;
}

inline std::string rowName(const ::testing::TestParamInfo<RunRow>& info)
{
    return info.param.name;
}

inline void expectRun(const RunRow& row)
{
    ProgramHarness harness(row.phone());
    const RunOutcome outcome = row.run(harness);
    QStringList closing = row.closing;
    closing.replaceInStrings(QStringLiteral("%DIR%"), harness.dir.path());
    closing.replaceInStrings(QStringLiteral("%LOG%"), harness.program->log().LogFile());
    const QStringList status = harness.statusLines();
    EXPECT_EQ(status.mid(status.size() - closing.size()), closing);
    EXPECT_EQ(outcome, row.outcome);
    row.check(harness);
}

// A backup of the demo phone taken by a harness of its own, written into harness's folder.
inline QString demoBackup(ProgramHarness& harness, const QList<MainView::Box>& boxes,
                          const QString& name)
{
    ProgramHarness demo;
    const QString file = demo.path(name);
    EXPECT_EQ(demo.backup(boxes, file), RunOutcome::Completed);
    return harness.writeFile(name, ProgramHarness::fileLines(file));
}

inline QJsonObject blankPhone()
{
    return phonesim::blankPhone(QStringLiteral("BVT610"));
}
