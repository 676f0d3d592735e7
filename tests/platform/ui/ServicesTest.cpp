// The desktop services: recorded in tests with the clock's time, and the unattended mode that
// prints each message box on stderr.
#include "platform/ui/Services.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/system/Clock.h"
#include "platform/ui/ServiceRecorder.h"

namespace {

TEST(Services, RecordedInOrderAndBeepTakesItsTime) {
    sys::VirtualClock clock;
    sys::ScopedClock scope(clock);
    ui::ServiceRecorder recorder;
    ui::Beep(200, 500);
    ui::MessageBox(nullptr, "Error 101 in Init_Camera", "Error 101");
    ui::ExitProcess(2);
    recorder.AnswerFileChooser("/tmp/a.jpg");
    EXPECT_EQ(ui::ChooseFile({nullptr, true, "Save As", "a.jpg", "*.jpg"}), "/tmp/a.jpg");

    const auto& e = recorder.Events();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].kind, ui::ServiceRecorder::Kind::kBeep);
    EXPECT_EQ(e[0].a, 200);
    EXPECT_EQ(e[0].atMs, 0);
    EXPECT_EQ(e[1].atMs, 500);  // a beep blocks for its duration
    EXPECT_EQ(recorder.Messages(), std::vector<std::string>{"Error 101: Error 101 in Init_Camera"});
    EXPECT_EQ(recorder.ExitCode(), 2);
}

TEST(Services, UnattendedMessagesGoToStderrWithTheDefaultCaption) {
    setenv("ZELVOCAM_MESSAGES", "stderr", 1);
    ui::SetDefaultCaption("Station");
    testing::internal::CaptureStderr();
    ui::MessageBox(nullptr, "Failure to start device", "Error 0");
    ui::MessageBox(nullptr, "Camera not found, Close and restart application ");
    const std::string printed = testing::internal::GetCapturedStderr();
    setenv("ZELVOCAM_MESSAGES", "stderr", 1);
    EXPECT_EQ(printed,
              "message: Error 0: Failure to start device\n"
              "message: Station: Camera not found, Close and restart application \n");
}

}  // namespace
