#include "core/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A program logs beside itself only while it runs from inside the build folder it was built in.
TEST(ProgramFolder, OnlyFoldersInsideTheBuildFolderAreInIt)
{
    QTemporaryDir dir;
    const QDir root(dir.path());
    for (const char* folder : {"build/src/app", "build2/src/app", "usr/bin"})
        ASSERT_TRUE(root.mkpath(QLatin1String(folder)));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("build")),
                            root.filePath(QStringLiteral("linked"))));
    const struct
    {
        const char* program;
        const char* build;
        bool inside;
    } cases[] = {
        {"build/src/app", "build", true},
        {"build", "build", true},
        {"linked/src/app", "build", true},
        {"build2/src/app", "build", false}, // a sibling whose name begins alike
        {"usr/bin", "build", false},
        {"build/src/app", "gone", false}, // the build folder was deleted
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isInBuildFolder(root.filePath(QLatin1String(c.program)),
                                  root.filePath(QLatin1String(c.build))),
                  c.inside)
            << c.program << " in " << c.build;
    }
    // This test runs from the build folder.
    EXPECT_EQ(programLogFolder(), QCoreApplication::applicationDirPath());
}
