#pragma once

#include <QFile>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

namespace OV::Test {

// Makes the offscreen platform offer one screen of the given size (available geometry equal to
// it). Call before the QApplication is constructed; returns the configuration file it wrote,
// which may be removed once the application exists.
QString useOffscreenScreen(QSize size);
// The same for several screens, each at its place on the desktop; the first is the primary.
QString useOffscreenScreens(const QList<QRect>& screens);

// Applies the theme's base style sheet to the whole application, as start-up does.
void applyBaseTheme();

// Folder for screenshots from ORVEL_SCREENSHOTS, created; empty when the variable is not set.
QString screenshotDir();

} // namespace OV::Test

// A Qt Test main for widget tests that need a known screen size.
#define ORVEL_WIDGET_TEST_MAIN(TestClass, width, height)                                                               \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        const QString screenConfig = OV::Test::useOffscreenScreen(QSize(width, height));                               \
        QApplication app(argc, argv);                                                                                  \
        QFile::remove(screenConfig);                                                                                   \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
