// What each emulated UVC camera is: its names, formats, frame sizes and rates, and controls.
//
// A profile is a row of data standing for one real kind of camera, as uvcvideo presents it:
//
//     1  PTZ camera with speed controls: pan/tilt speed, zoom continuous and absolute, absolute
//        pan and tilt; MJPEG 4:2:2 with the standard Huffman tables in every frame, and YUYV
//     2  PTZ camera with absolute positions only; MJPEG 4:2:2 without Huffman tables, and YUYV
//     3  PTZ camera with relative pan/tilt (write-only) and absolute zoom; as 1 for frames
//     4  plain webcam, no pan, tilt or zoom; MJPEG 4:2:2 without Huffman tables, and YUYV
//     5  webcam with MJPEG 4:2:0, its own Huffman tables and restart markers (up to 60 fps)
//     6  webcam with YUYV only
//
// Control values keep uvcvideo's units: pan and tilt positions in arc-seconds (positive is to
// the right and up), exposure in 100 us, white balance in kelvin. The rest is the camera's own
// scale, which is why the ranges differ between profiles as they do between real cameras.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sim {

// How a camera writes its MJPEG frames.
enum class UvcJpegForm : uint8_t {
    kBare422,            // 4:2:2, one DQT segment, no Huffman tables (the standard ones implied)
    kStandardTables422,  // 4:2:2, JFIF header, DQT and the standard Huffman tables written out
    kOwnTables420,       // 4:2:0, JFIF header, Huffman tables made for each frame, restart markers
};

struct UvcFrameSize {
    uint16_t width;
    uint16_t height;
    // Frames per second offered at this size, fastest first; 0 ends the list.
    uint8_t rates[4];
};

struct UvcFormat {
    uint32_t pixelFormat;                 // V4L2_PIX_FMT_MJPEG or V4L2_PIX_FMT_YUYV
    UvcJpegForm jpegForm;                 // MJPEG only
    std::span<const UvcFrameSize> sizes;  // the first is the size a camera starts with
};

struct UvcControl {
    uint32_t id;    // V4L2_CID_*
    uint32_t type;  // V4L2_CTRL_TYPE_INTEGER, _BOOLEAN or _MENU
    const char* name;
    int32_t minimum;
    int32_t maximum;
    int32_t step;
    int32_t defaultValue;
    uint32_t flags;     // fixed flags; INACTIVE is added while the control's automatic mode is on
    uint32_t menuMask;  // menus: the indices the camera offers, as bits
};

struct UvcProfile {
    int number;
    const char* card;     // VIDIOC_QUERYCAP card
    const char* busInfo;  // VIDIOC_QUERYCAP bus_info
    const char* byId;     // the name of its capture node under /dev/v4l/by-id
    std::span<const UvcFormat> formats;
    std::span<const UvcControl> controls;
};

inline constexpr int kUvcProfileCount = 6;

// The profile with this number (1 to kUvcProfileCount); nullptr for any other.
const UvcProfile* FindUvcProfile(int number);

const UvcControl* FindUvcControl(const UvcProfile& profile, uint32_t id);

// The name a menu control gives an index it offers; nullptr for one it skips.
const char* UvcMenuItemName(uint32_t id, uint32_t index);

// The horizontal field of view at the widest zoom, and how the lens narrows it: the focal length
// is proportional to the zoom control's value, so the picture spans kUvcWideFieldArcsec x
// minimum / zoom across its width, the same angle on every pixel.
inline constexpr double kUvcWideFieldArcsec = 60.0 * 3600.0;

// Everything the ZELVOCAM_DEVICE value can say about the emulated camera.
struct EmulatedUvcOptions {
    int profile = 1;
    int64_t unplugAfterUs = -1;  // after the first open, the camera vanishes; -1 never
    int64_t replugAfterUs = -1;  // after an unplug, the camera comes back; -1 never
    bool silentHead = false;     // pan, tilt and zoom controls are accepted but nothing moves
    double corruptRate = 0.0;    // share of frames delivered with flipped bits
    double shortRate = 0.0;      // share of frames delivered truncated (possibly to nothing)
    double oversizeRate = 0.0;   // share of frames larger than the buffer: flagged as errors
    uint64_t seed = 1;           // seed of the fault dice
};

// True for `v4l2-sim` and `v4l2-sim:...`.
bool NamesEmulatedUvcCamera(std::string_view value);

// Reads `v4l2-sim[:PROFILE][,OPTION]...`, the options being unplug-after=DURATION,
// replug-after=DURATION, silent-head, corrupt=SHARE, short=SHARE, oversize=SHARE, seed=N.
// False with a one-line `error` for anything not understood, never a silent default.
bool ParseEmulatedUvcSetting(std::string_view value, EmulatedUvcOptions& options,
                             std::string& error);

}  // namespace sim
