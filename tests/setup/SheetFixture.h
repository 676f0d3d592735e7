// A main dialog with its "Adjust" sheet object as initialisation leaves it, without a camera: the
// pages' waits for the camera pass on a virtual clock, and the settings key lives in a fresh
// folder (pages save into it). And the page of a kind on a sheet, shown.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/system/Clock.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/ServiceRecorder.h"
#include "setup/AdjustSheet.h"
#include "station/ControlIds.h"
#include "station/MainDialog.h"

struct MainWithSheet {
    explicit MainWithSheet(int32_t cameraType = 0) {
        dlg.m_CameraType = cameraType;
        dlg.CreateAdjustSheet();
    }
    void PressAdjust() { dlg.Item<QPushButton>(ids::kAdjust)->click(); }
    ui::PropertySheet& Sheet() { return *PropSheetOf(dlg); }

    QTemporaryDir settings;
    bool settingsHere = setenv("XDG_CONFIG_HOME", settings.path().toUtf8().constData(), 1) == 0;
    sys::VirtualClock clock;
    sys::ScopedClock scope{clock};
    ui::ServiceRecorder services;
    CTRIPOD01Dlg dlg;
};

// The page of type Page on `sheet`, made the active page; nullptr when the sheet has none.
template <class Page>
Page* ShowPage(ui::PropertySheet& sheet) {
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        if (auto* page = qobject_cast<Page*>(sheet.GetPage(i))) {
            EXPECT_TRUE(sheet.SetActivePage(i));
            return page;
        }
    }
    return nullptr;
}
