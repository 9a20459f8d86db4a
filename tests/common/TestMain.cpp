// Test main: the Qt application object exists for the whole run, as in the programs.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sondrel-tests"));
    return RUN_ALL_TESTS();
}
