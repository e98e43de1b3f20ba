#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

// Every suite runs under an offscreen QApplication; discovery runs the binary without the
// CTest environment, so the platform is chosen here when nothing else chose it.
int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
