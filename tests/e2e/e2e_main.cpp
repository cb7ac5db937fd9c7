#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "The end-to-end tests need an X display (run them through run-e2e.sh).\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
