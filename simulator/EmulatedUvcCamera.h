// The emulated UVC camera: the V4L2 operations table over the simulated room.
//
// It behaves as a UVC camera behind uvcvideo does, for the V4L2 camera code to run on without
// hardware: two nodes per camera (the capture node and a metadata-only node), the capabilities,
// formats, frame sizes and rates, and controls of one of the profiles of EmulatedUvcProfiles.h,
// memory-mapped buffers that the emulation owns, frames rendered from the room at the camera's
// aim, and uvcvideo's error codes:
//
//     EINVAL  unknown control, request field or buffer; a value a menu skips
//     ERANGE  a control value outside its range (off-step values are rounded to the step)
//     EACCES  reading a write-only control; writing one whose automatic mode is on
//     EBUSY   another descriptor owns the stream (set the format or rate, or holds buffers);
//             a format change while buffers exist; a rate change while streaming
//     EAGAIN  VIDIOC_DQBUF on a descriptor opened with O_NONBLOCK when no frame is ready
//     ENODEV  every call but close and munmap on a descriptor of a camera that was unplugged
//     ENOTTY  any other request
//
// Pan and tilt motors (arc-seconds) and the zoom lens are driven by the controls and move on the
// clock of platform/system, as do the frames (30 per second, or the rate set): under a virtual
// clock everything is exact, and Poll and a blocking VIDIOC_DQBUF sleep on that clock. Frames
// are made when their time has come and a buffer is queued for them; a frame finding no buffer
// is dropped, and its sequence number skipped.
//
// Two deliberate simplifications: Poll with no time limit returns 0 at once when nothing can
// ever become ready (the system call would block for good), and a blocking VIDIOC_DQBUF with no
// buffer queued fails with EINVAL instead of blocking for good.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/EmulatedUvcProfiles.h"
#include "v4l2/V4l2Operations.h"

namespace sim {

// The camera's nodes. Its capture node is also reachable as /dev/v4l/by-id/<profile byId>.
inline constexpr char kEmulatedUvcCaptureNode[] = "/dev/video0";
inline constexpr char kEmulatedUvcMetadataNode[] = "/dev/video1";

class EmulatedUvcCamera final : public v4l2::V4l2Operations {
  public:
    // An unknown profile number is taken as profile 1.
    explicit EmulatedUvcCamera(const EmulatedUvcOptions& options = {});
    ~EmulatedUvcCamera() override;
    EmulatedUvcCamera(const EmulatedUvcCamera&) = delete;
    EmulatedUvcCamera& operator=(const EmulatedUvcCamera&) = delete;

    int Open(const std::string& path, int flags) override;
    int Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    void* Mmap(void* address, size_t length, int protection, int flags, int fd,
               off_t offset) override;
    int Munmap(void* address, size_t length) override;
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;

    // What tests, tools and demonstrations may look at or do from outside the table.
    const UvcProfile& Profile() const;
    const EmulatedUvcOptions& Options() const;
    // The nodes that exist now (none while unplugged): the capture node's by-id link, then the
    // capture and metadata nodes.
    std::vector<std::string> Nodes();
    struct Aim {
        double panArcsec = 0;   // positive is to the right
        double tiltArcsec = 0;  // positive is up
        double zoom = 0;        // on the zoom control's scale (the minimum where there is none)
    };
    Aim AimNow();  // at the clock's current time
    // The room point at a picture's centre and the room units one pixel spans, for a picture
    // `width` pixels wide taken with `aim` (the room's units are those of simulator/Scene.h).
    static void RoomView(const UvcProfile& profile, const Aim& aim, int width, double& centreX,
                         double& centreY, double& unitsPerPixel);
    void Unplug();  // the cable is pulled now; it comes back after replug-after if set
    void Replug();  // the camera is plugged in again now: a new device, controls at defaults

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The camera a `v4l2-sim[:PROFILE][,OPTION]...` value asks for; nullptr with a one-line `error`
// when the value cannot be understood (see ParseEmulatedUvcSetting).
std::unique_ptr<EmulatedUvcCamera> CreateEmulatedUvcCamera(std::string_view value,
                                                           std::string& error);

}  // namespace sim
