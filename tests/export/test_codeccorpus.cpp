#include "codecinput.h"

#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// The inputs the codec fuzz target (tests/fuzz/fuzz_codecs.cpp) started from or found worth
// keeping: each goes through show, export and the store's decoding to its end.
TEST(CodecCorpus, EveryInputIsListedExportedAndDecodedToItsEnd)
{
    const QDir data(qEnvironmentVariable("CELLARCHIVE_TEST_DATA"));
    QStringList files;
    QDirIterator it(data.filePath(QStringLiteral("fuzz/codecs")), QDir::Files);
    while (it.hasNext())
        files << it.next();
    files.sort();
    ASSERT_GE(files.size(), 7);
    for (const QString& input : files) {
        SCOPED_TRACE(input.toStdString());
        QFile in(input);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        EXPECT_GE(runCodecInput(in.readAll()), 0);
    }
}

} // namespace
