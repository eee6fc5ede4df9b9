#include <QApplication>

#include <gtest/gtest.h>

#include <csignal>

int main(int argc, char** argv) {
    // As in the programs: a save past a file-size limit fails instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // The window tests need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
