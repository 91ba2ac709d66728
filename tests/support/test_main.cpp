#include <QApplication>
#include <gtest/gtest.h>

// Every test runs with an application object, so event loops, timers and widgets work.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
