// The shell tests run the real widgets on Qt's offscreen platform; the X11 parts talk to
// their own Xvfb server directly.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // No desktop theme or portal may show a native dialog the test cannot answer.
    ::setenv("QT_QPA_PLATFORMTHEME", "", 1);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
