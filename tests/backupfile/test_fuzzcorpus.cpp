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
        const QString last = harness.statusLines().last();
        // The closing lines of a restore come after "Restore finished".
        EXPECT_TRUE(endings.contains(last) || last.startsWith(QStringLiteral("Restore stopped")) ||
                    last.startsWith(QStringLiteral("Restore verified: ")) ||
                    last.endsWith(QStringLiteral(" -> see the log")))
            << last.toStdString();
    }
}
