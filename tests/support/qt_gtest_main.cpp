#include <QApplication>
#include <gtest/gtest.h>

// GoogleTest with a QApplication alive for the whole run, for tests of Qt-backed code.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
