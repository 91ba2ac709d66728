#include "programharness.h"

#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// The inputs the fuzz target (tests/fuzz) found worth keeping, minimised.
QStringList corpusFiles()
{
    QStringList files;
    const QDir data(qEnvironmentVariable("CELLARCHIVE_TEST_DATA"));
    QDirIterator it(data.filePath(QStringLiteral("fuzz/corpus")), QDir::Files);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

} // namespace

TEST(FuzzCorpus, EveryInputRestoresToAnOrderlyEnd)
{
    const QStringList files = corpusFiles();
    ASSERT_GE(files.size(), 10);
    const QStringList endings{QStringLiteral("Restore finished"),
                              QStringLiteral("Errors in the file - can not continue!!")};
    for (const QString& input : files) {
        SCOPED_TRACE(input.toStdString());
        QFile in(input);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        ProgramHarness harness;
        const QString file = harness.path(QStringLiteral("fuzz.MS"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(in.readAll());
        out.close();

        const RunOutcome outcome = harness.restore(file);
        EXPECT_NE(outcome, RunOutcome::Ended);
        EXPECT_FALSE(harness.program->runInProgress());
        EXPECT_EQ(harness.view.buttonCaption(MainView::Button::Restore), QStringLiteral("Restore"));
        QStringList lines = harness.statusLines();
        // The closing lines of a restore that lost items or read a cut file come after
        // "Restore finished"; the first that sends the user to the log is followed by the
        // log's name.
        lines.removeOne(QStringLiteral("Log -> ") + harness.program->log().LogFile());
        const QString last = lines.last();
        EXPECT_TRUE(endings.contains(last) || last.startsWith(QStringLiteral("Restore stopped")) ||
                    last.startsWith(QStringLiteral("The file is cut short -> ")) ||
                    last.startsWith(QStringLiteral("Restore verified: ")) ||
                    last.startsWith(QStringLiteral("Restore checked: ")) ||
                    last.endsWith(QStringLiteral(" -> see the log")))
            << last.toStdString();
    }
}
