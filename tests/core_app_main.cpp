#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>

// For the tests of the libraries that need no more of Qt than its core.
int main(int argc, char** argv) {
    // As in the programs: a write past a file-size limit fails instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
