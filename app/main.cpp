// The zelvocam program: the capture station.
#include <iostream>
#include <string_view>

#include "platform/system/ProgramInfo.h"
#include "platform/ui/TerminationSignals.h"
#include "setup/AdjustSheet.h"
#include "station/Application.h"
#include "station/MainDialog.h"

namespace {

constexpr std::string_view kHelp =
    "usage: zelvocam [--help | --version]\n"
    "The ZelvoCam USB capture station: the live picture, the camera's controls and still\n"
    "pictures of a face, on a USB pan-tilt-zoom camera or the simulated one.\n"
    "\n"
    "  ZELVOCAM_DEVICE=sim[:MODEL][,OPTION]...  the simulated camera\n"
    "  ZELVOCAM_DEVICE=v4l2:/dev/videoN         a UVC camera through V4L2\n"
    "  ZELVOCAM_DEVICE=v4l2-sim[:PROFILE]       the emulated UVC camera, profiles 1 to 6\n"
    "  ZELVOCAM_DEVICE=PATH                     this camera device node\n"
    "                                           (unset: the first /dev/zelvocam*, else\n"
    "                                           the first V4L2 camera)\n"
    "  ZELVOCAM_MESSAGES=stderr                 message boxes as lines on stderr\n"
    "\n"
    "Exit codes: 0 closed, 1 the camera cannot be opened, 2 camera not recognised,\n"
    "3 no display, 4 an earlier station did not close. See zelvocam(1).\n";

}  // namespace

int main(int argc, char** argv) {
    // Before anything else: a log-out in the first moments of start-up closes the station
    // cleanly instead of killing it.
    ui::CatchTerminationSignals();
    if (const std::optional<int> answered =
            AnswerProgramInfo(argc, argv, "zelvocam", kHelp, std::cout))
        return *answered;
    CTRIPOD01Dlg::SetSetupSheetMaker(&MakeAdjustSheet);
    CTRIPOD01App app;
    return app.Run(argc, argv);
}
