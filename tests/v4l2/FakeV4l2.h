// A scripted V4L2 camera for the device tests: it answers the calls the camera code makes
// (capabilities, formats, sizes, rates, buffers, queueing, controls) from its fields, and hands
// out the frames a test lines up, with their flags and faults. Waits run on the installed clock.
#pragma once

#include <linux/videodev2.h>

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "v4l2/ControlPlan.h"
#include "v4l2/V4l2Device.h"

namespace zelvo_test {

class FakeV4l2 : public v4l2::V4l2Operations {
  public:
    // What the camera offers.
    int openError = 0;  // errno of a refused open
    uint32_t nodeCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    bool answersQueryCap = true;  // false: ENOTTY, as any file that is not a V4L2 node
    std::vector<uint32_t> formats{V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_YUYV};
    std::vector<std::pair<uint32_t, uint32_t>> sizes{{1280, 720}, {640, 480}};
    std::vector<v4l2::Interval> intervals{{1, 30}, {1, 15}};
    std::map<unsigned long, int> failWith;  // request → errno it always fails with
    uint32_t buffersGranted = 4;
    size_t bufferBytes = 640 * 480 * 2;
    // Its controls, listed in id order as a device lists them, each at its default value.
    void SetControls(std::vector<v4l2::ControlInfo> list);
    std::map<uint32_t, int64_t> values;
    std::map<uint32_t, int> refuse;  // control → errno a set of it fails with

    // What it sends: each DQBUF takes the next delivery, or fails with EAGAIN when none.
    struct Delivery {
        std::vector<uint8_t> bytes;
        uint32_t flags = 0;
        uint32_t claimed = 0;  // bytesused reported when non-zero, whatever was copied
        int error = 0;         // DQBUF fails with this instead
    };
    std::deque<Delivery> deliveries;
    int interruptions = 0;  // the next this many ioctls fail with EINTR

    // What the camera code did.
    int openFlags = 0;
    uint32_t pixelFormat = 0;
    v4l2_fract timePerFrame{};
    bool streaming = false;
    std::deque<uint32_t> queued;
    int openFds = 0;
    int mapped = 0;
    int ioctls = 0;
    std::vector<std::pair<uint32_t, int64_t>> sets;  // controls set, in order

    int Open(const std::string& path, int flags) override;
    int Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    void* Mmap(void* address, size_t length, int protection, int flags, int fd,
               off_t offset) override;
    int Munmap(void* address, size_t length) override;
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;

  private:
    int Answer(unsigned long request, void* argument);
    std::vector<std::vector<uint8_t>> buffers_;
    std::vector<v4l2::ControlInfo> controls_;
};

}  // namespace zelvo_test
