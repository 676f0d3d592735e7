// Writes decoded frames of the simulated camera as PNG files, for people to look at: the scene
// at three zoom positions, the room either side, and a flash frame. Usage: simulator_screenshots
// [output folder]
//
// The frames go the station's way: the camera's JPEG frame, our decoder, our converter (see
// SimulatorHost.h).
#include <QImage>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/system/Clock.h"
#include "simulator/SimulatedCamera.h"
#include "tests/simulator/SimulatorHost.h"

namespace {

bool Save(simtest::Host& host, const std::string& path) {
    const std::vector<uint8_t> frame = host.Frame();
    const simtest::Picture picture = simtest::DecodeJpeg(frame);
    if (picture.width != 640 || picture.height != 480)
        return false;
    const QImage image(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                       QImage::Format_RGB888);
    std::printf("%s: %zu compressed bytes\n", path.c_str(), frame.size());
    return image.save(QString::fromStdString(path));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    sys::VirtualClock clock;
    sys::ScopedClock scoped(clock);
    SimulatedCamera camera;
    simtest::Host host{camera};
    if (!host.Open())
        return 1;
    host.Write(simtest::kStreaming, 1);

    // The home view wide, the face (centred at pan 40, tilt 60) at two longer zooms, and the room
    // either side.
    struct Shot {
        const char* name;
        int pan, tilt, zoom;
    };
    bool ok = true;
    for (const Shot& shot : {Shot{"zoom-0", 0, 0, 0}, Shot{"zoom-6000", 40, 60, 6000},
                             Shot{"zoom-15000", 40, 60, 15000}, Shot{"door", -1200, 0, 0},
                             Shot{"clock-window", 1000, 200, 0}}) {
        host.Command(160, shot.pan, shot.tilt);
        host.Command(157, shot.zoom);
        clock.AdvanceMs(2500);
        ok &= Save(host, folder + "/sim-" + shot.name + ".png");
    }
    host.Command(160, 0, 0);
    host.Command(157, 0);
    clock.AdvanceMs(2500);
    host.Command(12);
    host.Command(142, 210);
    host.Command(143, 0, 155);
    host.Command(117);  // flash level 17
    host.Command(140);
    ok &= Save(host, folder + "/sim-flash.png");
    return ok ? 0 : 1;
}
