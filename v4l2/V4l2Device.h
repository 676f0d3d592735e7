// One V4L2 capture device as the station uses it: opened, checked, set to 640 x 480 MJPEG or
// YUYV at the highest rate up to 30 frames a second, streamed through memory-mapped buffers.
//
// Every call goes through the V4l2Operations table. A call interrupted by a signal (EINTR) is
// repeated; ENODEV or EIO from any call means the camera was unplugged: the device is then
// "gone", every later call fails at once, and only Close and a new Open bring it back. Nothing
// waits longer than kFrameWaitMs: a frame that does not arrive within it fails the read.
#pragma once

#include <array>
#include <cerrno>
#include <cstdint>
#include <span>
#include <string>

#include "v4l2/V4l2Operations.h"

namespace v4l2 {

inline constexpr int kFrameWidth = 640;
inline constexpr int kFrameHeight = 480;
// The longest a frame read waits; a live camera sends many frames in that time.
inline constexpr int kFrameWaitMs = 1000;
// Buffers asked of the driver; the stream needs at least kMinBuffers to keep frames coming
// while one is being read.
inline constexpr uint32_t kWantedBuffers = 4;
inline constexpr uint32_t kMinBuffers = 3;
inline constexpr uint32_t kMaxBuffers = 8;

enum class PixelFormat { kNone, kMjpeg, kYuyv };

// Why an open failed; each has a one-line text for stderr (OpenFailureText).
enum class OpenFailure {
    kNone,
    kNoSuchDevice,
    kNotCaptureDevice,
    kBusy,
    kPermissionDenied,
    kNoUsableFormat,
    kOther,
};
std::string OpenFailureText(OpenFailure failure, const std::string& path, int error = 0);

// What VIDIOC_QUERYCAP says about the device.
struct DeviceIdentity {
    std::string card;
    std::string bus;
    std::string driver;
    uint32_t version = 0;  // the driver's KERNEL_VERSION
};

// Of the formats the device lists, the one the station takes at 640 x 480, and its frame
// interval (numerator / denominator seconds; 0 / 0 when the device names none).
struct StreamChoice {
    PixelFormat format = PixelFormat::kNone;
    uint32_t intervalNumerator = 0;
    uint32_t intervalDenominator = 0;
};

class V4l2Device {
  public:
    explicit V4l2Device(V4l2Operations& operations) : ops_(operations) {}
    ~V4l2Device() { Close(); }
    V4l2Device(const V4l2Device&) = delete;
    V4l2Device& operator=(const V4l2Device&) = delete;

    // Opens `path` (O_RDWR | O_NONBLOCK | O_CLOEXEC), checks that it captures video with
    // streaming I/O, and sets the format and rate. On failure the device is closed again and
    // the reason returned; `error` receives the errno behind it where there is one.
    OpenFailure Open(const std::string& path, int* error = nullptr);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    V4l2Operations& Operations() const { return ops_; }
    bool Gone() const { return gone_; }

    const DeviceIdentity& Identity() const { return identity_; }
    PixelFormat Format() const { return choice_.format; }
    const StreamChoice& Choice() const { return choice_; }

    // Buffers, queueing and STREAMON; false (and nothing left allocated) when any step fails.
    bool StartStreaming();
    // STREAMOFF, buffers unmapped and given back. Safe in any state.
    void StopStreaming();
    bool Streaming() const { return streaming_; }

    // The newest good frame, waiting until `deadlineUs` on the clock of platform/system at
    // most (a read gives it kFrameWaitMs). Frames that filled the queue while the station was
    // busy are old: all that are ready are taken and all but the newest queued again, so a
    // slow reader shows the latest picture, not the oldest kept. Buffers the driver marks
    // as damaged, empty frames and frames that claim more bytes than their buffer holds are
    // queued again at once and the wait goes on. The frame stays valid until ReleaseFrame.
    struct Frame {
        std::span<const uint8_t> bytes;
        uint32_t index = 0;
    };
    bool NextFrame(Frame& frame, int64_t deadlineUs);
    void ReleaseFrame(const Frame& frame);

    // One ioctl with EINTR repeated; ENODEV or EIO marks the device gone. -1 with errno as
    // the driver left it on failure. For the control code of the layer above.
    int Ioctl(unsigned long request, void* argument);

  private:
    bool Queue(uint32_t index);
    void UnmapBuffers();
    // One VIDIOC_DQBUF without waiting: a good frame; nothing ready (EAGAIN); a damaged
    // buffer, queued again; or a failure (recorded as Failed does).
    enum class Dequeued { kFrame, kNothing, kDropped, kFailed };
    Dequeued Dequeue(Frame& frame);
    // With `frame` dequeued, swaps it for newer ones while any are ready.
    bool TakeNewest(Frame& frame);
    bool Failed(int error);  // records an unplug; returns false for the caller to pass on

    struct Mapping {
        void* address = nullptr;
        size_t length = 0;
    };

    V4l2Operations& ops_;
    int fd_ = -1;
    bool gone_ = false;
    bool streaming_ = false;
    DeviceIdentity identity_;
    StreamChoice choice_;
    std::array<Mapping, kMaxBuffers> buffers_{};
    uint32_t bufferCount_ = 0;
};

// Whether `path` is a camera the station can use (what Open checks before it sets anything),
// without changing the device's settings; the identity of one that is.
OpenFailure ProbeDevice(V4l2Operations& ops, const std::string& path,
                        DeviceIdentity* identity = nullptr);

// Chooses 640 x 480 MJPEG (preferred: less to carry over USB) or YUYV and the highest rate up
// to 30 frames a second from what an open device lists. kNone when it offers neither.
StreamChoice ChooseStream(V4l2Operations& ops, int fd);

// True for an errno that means the camera is no longer there.
inline bool MeansUnplugged(int error) {
    return error == ENODEV || error == EIO;
}

// A frame interval in seconds, numerator / denominator.
struct Interval {
    uint32_t numerator = 0;
    uint32_t denominator = 0;
};
// The shortest interval of `offered` that is at least 1/30 s (the highest rate up to 30 frames
// a second), else the longest one offered; 0 / 0 for an empty list.
Interval ChooseInterval(std::span<const Interval> offered);

}  // namespace v4l2
