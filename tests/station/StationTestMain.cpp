// Runs the station's widget tests inside one QApplication on the offscreen platform, with the
// settings and the hand-off folder kept in a fresh temporary folder and no message box ever
// waiting for a click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#if defined(ZELVOCAM_TEST_SETUP_SHEET)
#include "setup/AdjustSheet.h"
#include "station/MainDialog.h"
#endif

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ZELVOCAM_MESSAGES", "stderr", 1);
    QTemporaryDir settings;
    setenv("XDG_CONFIG_HOME", settings.path().toUtf8().constData(), 1);
    // The host hand-off folder too: start-up makes it.
    setenv("XDG_DATA_HOME", settings.path().toUtf8().constData(), 1);
#if defined(ZELVOCAM_TEST_SETUP_SHEET)
    // The setup tests run the main dialog with its "Adjust" sheet, as the program does.
    CTRIPOD01Dlg::SetSetupSheetMaker(&MakeAdjustSheet);
#endif
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
