// The emulated UVC camera through the V4L2 operations table, as the V4L2 camera code meets it:
// the request contract of every profile, buffers and frame pacing on the virtual clock, unplug
// and replug, the frame forms, and the picture following the PTZ and picture controls.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <linux/videodev2.h>
#include <sys/mman.h>

#include <fcntl.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "platform/system/Clock.h"
#include "simulator/EmulatedUvcCamera.h"

namespace {

using sim::EmulatedUvcCamera;
using sim::EmulatedUvcOptions;

// The errno of a failed call, 0 for success.
template <typename Argument>
int Call(EmulatedUvcCamera& camera, int fd, unsigned long request, Argument& argument) {
    errno = 0;
    return camera.Ioctl(fd, request, &argument) == 0 ? 0 : errno;
}

// A zeroed request argument for the capture queue, its buffers in mapped memory.
template <typename T>
T Capture() {
    T t{};
    t.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if constexpr (requires { t.memory; })
        t.memory = V4L2_MEMORY_MMAP;
    return t;
}

// A camera on the virtual clock, its capture node opened and streaming into mapped buffers.
class UvcFixture {
  public:
    explicit UvcFixture(int profile)
        : UvcFixture(("v4l2-sim:" + std::to_string(profile)).c_str()) {}
    explicit UvcFixture(const char* setting = "v4l2-sim") {
        std::string error;
        camera = sim::CreateEmulatedUvcCamera(setting, error);
        EXPECT_NE(camera, nullptr) << error;
        fd = camera->Open(sim::kEmulatedUvcCaptureNode, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    }
    ~UvcFixture() {
        for (void* m : maps)
            camera->Munmap(m, 1);
    }

    // The request on this fixture's descriptor.
    template <typename Argument>
    int Do(unsigned long request, Argument& argument) {
        return Call(*camera, fd, request, argument);
    }
    int SetFormat(uint32_t pixelFormat, uint32_t width = 640, uint32_t height = 480) {
        auto f = Capture<v4l2_format>();
        f.fmt.pix.pixelformat = pixelFormat;
        f.fmt.pix.width = width;
        f.fmt.pix.height = height;
        return Do(VIDIOC_S_FMT, f);
    }
    int Stream(uint32_t count = 4) {
        auto r = Capture<v4l2_requestbuffers>();
        r.count = count;
        if (const int error = Do(VIDIOC_REQBUFS, r))
            return error;
        for (uint32_t i = 0; i < r.count; ++i) {
            auto b = Capture<v4l2_buffer>();
            b.index = i;
            EXPECT_EQ(Do(VIDIOC_QUERYBUF, b), 0);
            void* m = camera->Mmap(nullptr, b.length, PROT_READ, MAP_SHARED, fd, b.m.offset);
            EXPECT_NE(m, MAP_FAILED);
            maps.push_back(static_cast<uint8_t*>(m));
            EXPECT_EQ(Do(VIDIOC_QBUF, b), 0);
        }
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        return Do(VIDIOC_STREAMON, type);
    }
    // The format set and streaming into four buffers: 0, or the first error.
    int Start(uint32_t pixelFormat) {
        const int error = SetFormat(pixelFormat);
        return error != 0 ? error : Stream();
    }
    // Polls for a frame; the events land in `events`.
    int Poll(int timeoutMs, short* events = nullptr) {
        pollfd p{fd, POLLIN, 0};
        const int ready = camera->Poll(&p, 1, timeoutMs);
        if (events != nullptr)
            *events = p.revents;
        return ready;
    }
    // The next frame taken from now on: older frames waiting in buffers are skipped.
    std::vector<uint8_t> Grab(v4l2_buffer* taken = nullptr) {
        auto b = Capture<v4l2_buffer>();
        while (Do(VIDIOC_DQBUF, b) == 0)
            Do(VIDIOC_QBUF, b);
        EXPECT_EQ(Poll(1000), 1);
        b = Capture<v4l2_buffer>();
        EXPECT_EQ(Do(VIDIOC_DQBUF, b), 0);
        std::vector<uint8_t> bytes(maps[b.index], maps[b.index] + b.bytesused);
        if (taken != nullptr)
            *taken = b;
        Do(VIDIOC_QBUF, b);
        return bytes;
    }
    int Set(uint32_t id, int32_t value) {
        v4l2_control c{id, value};
        return Do(VIDIOC_S_CTRL, c);
    }
    int32_t Get(uint32_t id) {
        v4l2_control c{id, 0};
        EXPECT_EQ(Do(VIDIOC_G_CTRL, c), 0);
        return c.value;
    }

    sys::VirtualClock clock;
    sys::ScopedClock scoped{clock};
    std::unique_ptr<EmulatedUvcCamera> camera;
    int fd = -1;
    std::vector<uint8_t*> maps;
};

// The setting.

TEST(EmulatedUvcSetting, ReadsProfileAndFaultsAndRefusesTheRest) {
    struct Row {
        const char* value;
        bool ok;
        int profile;
        int64_t unplugUs, replugUs;
        const char* errorPart;
    };
    const Row rows[] = {
        {"v4l2-sim", true, 1, -1, -1, ""},
        {"v4l2-sim:5", true, 5, -1, -1, ""},
        {"v4l2-sim:2,unplug-after=1.5s,replug-after=250ms", true, 2, 1'500'000, 250'000, ""},
        {"v4l2-sim:unplug-after=2s", true, 1, 2'000'000, -1, ""},
        {"v4l2-sim:7", false, 0, 0, 0, "not between 1 and 6"},
        {"v4l2-sim:0", false, 0, 0, 0, "not between 1 and 6"},
        {"v4l2-sim:1,replug-after=3", false, 0, 0, 0, "replug-after needs a duration"},
        {"v4l2-sim:1,,short=0.1", false, 0, 0, 0, "empty item"},
        {"v4l2-sim:1,corrupt=1.5", false, 0, 0, 0, "share of frames"},
        {"v4l2-sim:1,flash", false, 0, 0, 0, "unknown option 'flash'"},
        {"v4l2-simx", false, 0, 0, 0, "does not select"},
    };
    for (const Row& row : rows) {
        EmulatedUvcOptions options;
        std::string error;
        ASSERT_EQ(sim::ParseEmulatedUvcSetting(row.value, options, error), row.ok) << row.value;
        if (row.ok) {
            EXPECT_EQ(options.profile, row.profile) << row.value;
            EXPECT_EQ(options.unplugAfterUs, row.unplugUs) << row.value;
            EXPECT_EQ(options.replugAfterUs, row.replugUs) << row.value;
        } else {
            EXPECT_NE(error.find(row.errorPart), std::string::npos) << row.value << ": " << error;
        }
    }
}

// The request contract of every profile.

class EmulatedUvcProfile : public ::testing::TestWithParam<int> {
  protected:
    UvcFixture host{GetParam()};
    EmulatedUvcCamera& camera = *host.camera;
};

TEST_P(EmulatedUvcProfile, NodesDescribeThemselvesAsUvcvideoDoes) {
    v4l2_capability cap{};
    ASSERT_EQ(host.Do(VIDIOC_QUERYCAP, cap), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(cap.driver), "uvcvideo");
    EXPECT_STREQ(reinterpret_cast<const char*>(cap.card), camera.Profile().card);
    EXPECT_EQ(cap.device_caps,
              V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT);
    EXPECT_NE(cap.capabilities & V4L2_CAP_DEVICE_CAPS, 0u);

    const int meta = camera.Open(sim::kEmulatedUvcMetadataNode, O_RDWR | O_NONBLOCK);
    ASSERT_EQ(Call(camera, meta, VIDIOC_QUERYCAP, cap), 0);
    EXPECT_EQ(cap.device_caps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE),
              V4L2_CAP_META_CAPTURE)
        << "a metadata-only node, which camera discovery must skip";
    v4l2_queryctrl q{};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    EXPECT_EQ(Call(camera, meta, VIDIOC_QUERYCTRL, q), ENOTTY);
    EXPECT_EQ(host.Do(0xdeadu, q), ENOTTY);
}

// Every advertised format, size and rate is one S_FMT and S_PARM land on exactly, and sizes and
// rates not offered land on the nearest.
TEST_P(EmulatedUvcProfile, FormatsSizesAndRatesAgreeWithWhatTheyEnumerate) {
    auto desc = Capture<v4l2_fmtdesc>();
    for (; host.Do(VIDIOC_ENUM_FMT, desc) == 0; ++desc.index) {
        v4l2_frmsizeenum size{};
        size.pixel_format = desc.pixelformat;
        for (; host.Do(VIDIOC_ENUM_FRAMESIZES, size) == 0; ++size.index) {
            const auto [width, height] = size.discrete;
            ASSERT_EQ(host.SetFormat(desc.pixelformat, width, height), 0);
            auto f = Capture<v4l2_format>();
            ASSERT_EQ(host.Do(VIDIOC_G_FMT, f), 0);
            EXPECT_EQ(f.fmt.pix.width, width);
            EXPECT_EQ(f.fmt.pix.pixelformat, desc.pixelformat);
            v4l2_frmivalenum ival{};
            ival.pixel_format = desc.pixelformat;
            ival.width = width;
            ival.height = height;
            for (; host.Do(VIDIOC_ENUM_FRAMEINTERVALS, ival) == 0; ++ival.index) {
                auto p = Capture<v4l2_streamparm>();
                p.parm.capture.timeperframe = ival.discrete;
                ASSERT_EQ(host.Do(VIDIOC_S_PARM, p), 0);
                EXPECT_EQ(p.parm.capture.timeperframe.denominator, ival.discrete.denominator);
            }
            EXPECT_GT(ival.index, 0u);
        }
        EXPECT_GT(size.index, 0u);
    }
    EXPECT_EQ(desc.index, camera.Profile().formats.size());

    // A format the camera lacks becomes its first; 650 x 470 becomes 640 x 480; 14 fps the
    // nearest rate offered there.
    ASSERT_EQ(host.SetFormat(v4l2_fourcc('H', '2', '6', '4'), 650, 470), 0);
    auto f = Capture<v4l2_format>();
    ASSERT_EQ(host.Do(VIDIOC_G_FMT, f), 0);
    EXPECT_EQ(f.fmt.pix.pixelformat, camera.Profile().formats[0].pixelFormat);
    EXPECT_EQ(f.fmt.pix.width * 1000 + f.fmt.pix.height, 640'480u);
    auto p = Capture<v4l2_streamparm>();
    p.parm.capture.timeperframe = {1, 14};
    ASSERT_EQ(host.Do(VIDIOC_S_PARM, p), 0);
    EXPECT_EQ(p.parm.capture.timeperframe.denominator, 15u);
}

// The controls enumerate in id order, agree between the two query requests, and refuse what
// uvcvideo refuses, with its error codes.
TEST_P(EmulatedUvcProfile, ControlsEnumerateAndRefuseWithUvcvideoErrors) {
    int found = 0;
    v4l2_query_ext_ctrl ext{};
    ext.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    for (uint32_t last = 0; host.Do(VIDIOC_QUERY_EXT_CTRL, ext) == 0; ++found) {
        EXPECT_GT(ext.id, last);
        last = ext.id;
        v4l2_queryctrl q{};
        q.id = ext.id;
        ASSERT_EQ(host.Do(VIDIOC_QUERYCTRL, q), 0);
        EXPECT_EQ(q.maximum, ext.maximum);
        EXPECT_LE(ext.minimum, ext.default_value);
        EXPECT_LE(ext.default_value, ext.maximum);
        v4l2_control c{ext.id, 0};
        if ((ext.flags & V4L2_CTRL_FLAG_WRITE_ONLY) != 0) {
            EXPECT_EQ(host.Do(VIDIOC_G_CTRL, c), EACCES) << ext.name;
        }
        if (ext.type == V4L2_CTRL_TYPE_INTEGER && (ext.flags & V4L2_CTRL_FLAG_INACTIVE) == 0) {
            EXPECT_EQ(host.Set(ext.id, static_cast<int32_t>(ext.maximum) + 1), ERANGE) << ext.name;
        }
        ext.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    EXPECT_EQ(found, static_cast<int>(camera.Profile().controls.size()));

    v4l2_control unknown{V4L2_CID_HUE, 0};
    EXPECT_EQ(host.Do(VIDIOC_G_CTRL, unknown), EINVAL);
    // Exposure: shutter priority is skipped by the menu; the exposure time belongs to the
    // camera until manual exposure is chosen, in the same request or before.
    v4l2_querymenu menu{};
    menu.id = V4L2_CID_EXPOSURE_AUTO;
    menu.index = V4L2_EXPOSURE_SHUTTER_PRIORITY;
    EXPECT_EQ(host.Do(VIDIOC_QUERYMENU, menu), EINVAL);
    EXPECT_EQ(host.Set(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_SHUTTER_PRIORITY), EINVAL);
    EXPECT_EQ(host.Set(V4L2_CID_EXPOSURE_ABSOLUTE, 200), EACCES);
    v4l2_ext_control pair[2] = {{}, {}};
    pair[0].id = V4L2_CID_EXPOSURE_ABSOLUTE;
    pair[0].value = 200;
    pair[1].id = V4L2_CID_EXPOSURE_AUTO;
    pair[1].value = V4L2_EXPOSURE_MANUAL;
    v4l2_ext_controls list{};
    list.which = V4L2_CTRL_WHICH_CUR_VAL;
    list.count = 2;
    list.controls = pair;
    EXPECT_EQ(host.Do(VIDIOC_S_EXT_CTRLS, list), 0);

    // All or nothing: a bad second control leaves the first unset, and error_idx says so.
    pair[0].value = 300;
    pair[1].id = V4L2_CID_BRIGHTNESS;
    pair[1].value = 100000;
    EXPECT_EQ(host.Do(VIDIOC_TRY_EXT_CTRLS, list), ERANGE);
    EXPECT_EQ(list.error_idx, 1u);
    EXPECT_EQ(host.Do(VIDIOC_S_EXT_CTRLS, list), ERANGE);
    EXPECT_EQ(list.error_idx, 2u) << "count: nothing was set";
    EXPECT_EQ(host.Get(V4L2_CID_EXPOSURE_ABSOLUTE), 200);
}

INSTANTIATE_TEST_SUITE_P(Profiles, EmulatedUvcProfile, ::testing::Range(1, 7),
                         [](const auto& row) { return "Profile" + std::to_string(row.param); });

// Buffers, pacing and ownership.

TEST(EmulatedUvcStream, FramesComeOnTheClockAtTheSetRateAndWaitForBuffers) {
    UvcFixture host;
    short events = 0;
    EXPECT_EQ(host.Poll(1000, &events), 1);
    EXPECT_EQ(events, POLLERR) << "nothing to wait for before streaming";
    ASSERT_EQ(host.Start(V4L2_PIX_FMT_YUYV), 0);
    EXPECT_EQ(host.Poll(1000), 1);
    EXPECT_EQ(host.clock.NowUs(), 33'333) << "the first frame, one interval after STREAMON";
    auto b = Capture<v4l2_buffer>();
    ASSERT_EQ(host.Do(VIDIOC_DQBUF, b), 0);
    EXPECT_EQ(b.sequence, 0u);
    EXPECT_EQ(b.bytesused, 640u * 480 * 2);
    EXPECT_EQ(b.timestamp.tv_usec, 33'333);
    EXPECT_EQ(host.Do(VIDIOC_DQBUF, b), EAGAIN) << "non-blocking, none ready";

    // Three buffers still queued take the next three frames; the frames of the following second
    // find none and are dropped, which the sequence numbers show.
    host.clock.AdvanceMs(1000);
    for (uint32_t expected = 1; expected <= 3; ++expected) {
        ASSERT_EQ(host.Do(VIDIOC_DQBUF, b), 0);
        EXPECT_EQ(b.sequence, expected);
    }
    EXPECT_EQ(host.Poll(500), 0);
    EXPECT_EQ(host.clock.NowUs(), 1'533'333) << "no buffer queued: the poll runs out";
    ASSERT_EQ(host.Do(VIDIOC_QBUF, b), 0);
    EXPECT_EQ(host.Poll(1000), 1);
    ASSERT_EQ(host.Do(VIDIOC_DQBUF, b), 0);
    EXPECT_EQ(b.sequence, 46u);
    EXPECT_EQ(host.clock.NowUs(), 1'566'666);

    // At 15 frames per second, after a stream off and on.
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    ASSERT_EQ(host.Do(VIDIOC_STREAMOFF, type), 0);
    auto parm = Capture<v4l2_streamparm>();
    parm.parm.capture.timeperframe = {1, 15};
    ASSERT_EQ(host.Do(VIDIOC_S_PARM, parm), 0);
    ASSERT_EQ(host.Do(VIDIOC_QBUF, b), 0);
    ASSERT_EQ(host.Do(VIDIOC_STREAMON, type), 0);
    const int64_t on = host.clock.NowUs();
    EXPECT_EQ(host.Poll(1000), 1);
    EXPECT_EQ(host.clock.NowUs() - on, 66'666);
}

TEST(EmulatedUvcStream, AnotherDescriptorCannotTakeTheStream) {
    UvcFixture host;
    ASSERT_EQ(host.Stream(), 0);
    EmulatedUvcCamera& camera = *host.camera;
    const int other = camera.Open(sim::kEmulatedUvcCaptureNode, O_RDWR | O_NONBLOCK);
    ASSERT_GE(other, 0);
    auto f = Capture<v4l2_format>();
    EXPECT_EQ(Call(camera, other, VIDIOC_S_FMT, f), EBUSY);
    auto r = Capture<v4l2_requestbuffers>();
    r.count = 2;
    EXPECT_EQ(Call(camera, other, VIDIOC_REQBUFS, r), EBUSY);
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    EXPECT_EQ(Call(camera, other, VIDIOC_STREAMON, type), EBUSY);
    EXPECT_EQ(host.Do(VIDIOC_S_FMT, f), EBUSY) << "buffers exist";
    EXPECT_EQ(Call(camera, other, VIDIOC_G_FMT, f), 0) << "looking is allowed";

    // Closing the owner frees the stream; the closed owner's mappings stay readable.
    ASSERT_EQ(camera.Close(host.fd), 0);
    EXPECT_EQ(host.maps[0][0], 0);
    EXPECT_EQ(Call(camera, other, VIDIOC_REQBUFS, r), 0);
    EXPECT_EQ(r.count, 2u);
}

TEST(EmulatedUvcStream, UnplugFailsEveryCallUntilTheReplugOpensANewDevice) {
    UvcFixture host("v4l2-sim:1,unplug-after=1s,replug-after=2s");
    EmulatedUvcCamera& camera = *host.camera;
    ASSERT_EQ(host.Stream(), 0);
    ASSERT_EQ(host.Set(V4L2_CID_BRIGHTNESS, 200), 0);
    host.clock.AdvanceMs(500);

    // With nothing queued a poll waits for the unplug, and from then on every call fails with
    // ENODEV.
    auto b = Capture<v4l2_buffer>();
    while (host.Do(VIDIOC_DQBUF, b) == 0) {
    }
    short events = 0;
    EXPECT_EQ(host.Poll(1000, &events), 1);
    EXPECT_EQ(host.clock.NowUs(), 1'000'000);
    EXPECT_EQ(events, POLLERR | POLLHUP);
    v4l2_capability cap{};
    EXPECT_EQ(host.Do(VIDIOC_QUERYCAP, cap), ENODEV);
    EXPECT_EQ(host.Do(VIDIOC_DQBUF, b), ENODEV);
    EXPECT_EQ(camera.Mmap(nullptr, 4096, PROT_READ, MAP_SHARED, host.fd, 0), MAP_FAILED);
    EXPECT_EQ(camera.Open(sim::kEmulatedUvcCaptureNode, O_RDWR), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(camera.Nodes().empty());

    host.clock.AdvanceMs(2000);
    EXPECT_EQ(camera.Nodes().size(), 3u);
    const int fresh = camera.Open(camera.Nodes()[0], O_RDWR | O_NONBLOCK);
    ASSERT_GE(fresh, 0);
    EXPECT_EQ(host.Do(VIDIOC_QUERYCAP, cap), ENODEV) << "the old descriptor";
    v4l2_control c{V4L2_CID_BRIGHTNESS, 0};
    ASSERT_EQ(Call(camera, fresh, VIDIOC_G_CTRL, c), 0);
    EXPECT_EQ(c.value, 128) << "a power cycle returns the controls to their defaults";
    EXPECT_EQ(camera.Close(host.fd), 0);
}

// Frames.

struct JpegShape {
    bool huffmanTables;
    bool restartMarkers;
    int lumaVertical;  // 1: 4:2:2, 2: 4:2:0
};

JpegShape ShapeOf(const std::vector<uint8_t>& frame) {
    JpegShape shape{false, false, 0};
    for (size_t i = 2; i + 4 < frame.size() && frame[i] == 0xFF;) {
        const uint8_t marker = frame[i + 1];
        shape.huffmanTables |= marker == 0xC4;
        shape.restartMarkers |= marker == 0xDD;
        if (marker == 0xC0)
            shape.lumaVertical = frame[i + 11] & 0x0F;
        if (marker == 0xDA)
            break;
        i += 2 + (frame[i + 2] << 8 | frame[i + 3]);
    }
    return shape;
}

// libjpeg reads the frame whole, at the size the format says.
bool DecodesAs(const std::vector<uint8_t>& frame, unsigned width, unsigned height) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, frame.data(), frame.size());
    bool ok = jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK;
    if (ok) {
        jpeg_start_decompress(&cinfo);
        std::vector<uint8_t> row(cinfo.output_width * cinfo.output_components);
        JSAMPROW rows[1] = {row.data()};
        while (cinfo.output_scanline < cinfo.output_height)
            jpeg_read_scanlines(&cinfo, rows, 1);
        ok = cinfo.output_width == width && cinfo.output_height == height &&
             errors.num_warnings == 0;
        jpeg_finish_decompress(&cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

TEST(EmulatedUvcFrames, EachProfileWritesItsMjpegForm) {
    for (const auto& [profile, expected] :
         {std::pair{1, JpegShape{true, false, 1}}, std::pair{2, JpegShape{false, false, 1}},
          std::pair{4, JpegShape{false, false, 1}}, std::pair{5, JpegShape{true, true, 2}}}) {
        UvcFixture host(profile);
        ASSERT_EQ(host.Start(V4L2_PIX_FMT_MJPEG), 0);
        const std::vector<uint8_t> frame = host.Grab();
        const JpegShape shape = ShapeOf(frame);
        EXPECT_EQ(shape.huffmanTables, expected.huffmanTables) << profile;
        EXPECT_EQ(shape.restartMarkers, expected.restartMarkers) << profile;
        EXPECT_EQ(shape.lumaVertical, expected.lumaVertical) << profile;
        EXPECT_TRUE(DecodesAs(frame, 640, 480)) << profile;
    }
}

// The picture follows the controls.

// Luminance of a YUYV frame, and the mean of a channel byte (0 Y, 1 Cb, 3 Cr) over it.
int LumaAt(const std::vector<uint8_t>& f, int x, int y) {
    return f[(static_cast<size_t>(y) * 640 + x) * 2];
}
double Mean(const std::vector<uint8_t>& f, size_t channel) {
    double sum = 0;
    for (size_t i = channel; i < f.size(); i += 4)
        sum += f[i];
    return sum / (f.size() / 4.0);
}

// How badly `after` matches `before` moved by (dx, dy) pixels and grown `scale` times about the
// picture's centre (the mean difference of luminance over a grid of points).
double Mismatch(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after, double dx,
                double dy, double scale) {
    double sum = 0;
    int n = 0;
    for (int y = 40; y < 440; y += 4) {
        for (int x = 40; x < 600; x += 4) {
            const int bx = static_cast<int>(std::lround(319.5 + (x - 319.5 - dx) / scale));
            const int by = static_cast<int>(std::lround(239.5 + (y - 239.5 - dy) / scale));
            if (bx < 0 || bx >= 640 || by < 0 || by >= 480)
                continue;
            sum += std::abs(LumaAt(after, x, y) - LumaAt(before, bx, by));
            ++n;
        }
    }
    return n > 0 ? sum / n : 1e9;
}

// The value near `guess` (within `reach`, in `step`s) that makes `mismatch` least.
template <typename Mismatch>
double BestFit(double guess, double reach, double step, Mismatch mismatch) {
    double best = guess;
    for (double v = guess - reach; v <= guess + reach + 1e-9; v += step) {
        if (mismatch(v) < mismatch(best))
            best = v;
    }
    return best;
}

struct Motion {
    int profile;
    uint32_t control;
    int32_t value;
    int64_t holdMs;  // speed controls run this long and are set back to 0
    double dx, dy, scale;
    friend void PrintTo(const Motion& m, std::ostream* os) {
        *os << "profile " << m.profile << ", control 0x" << std::hex << m.control << std::dec
            << " = " << m.value;
    }
};

class EmulatedUvcMotion : public ::testing::TestWithParam<Motion> {};

TEST_P(EmulatedUvcMotion, MovesThePictureTheWayTheControlPoints) {
    const Motion& m = GetParam();
    UvcFixture host(m.profile);
    ASSERT_EQ(host.Start(V4L2_PIX_FMT_YUYV), 0);
    const std::vector<uint8_t> before = host.Grab();
    ASSERT_EQ(host.Set(m.control, m.value), 0);
    host.clock.AdvanceMs(m.holdMs);
    if (m.holdMs < 1000)
        ASSERT_EQ(host.Set(m.control, 0), 0);
    else
        host.clock.AdvanceMs(1000);
    const std::vector<uint8_t> after = host.Grab();

    // Searched around the expected transform, the best match lies within half a pixel of its
    // shift and 1 % of its scale.
    const double dx =
        BestFit(m.dx, 4, 0.25, [&](double v) { return Mismatch(before, after, v, m.dy, m.scale); });
    const double dy =
        BestFit(m.dy, 4, 0.25, [&](double v) { return Mismatch(before, after, m.dx, v, m.scale); });
    const double scale = BestFit(m.scale, 0.1 * m.scale, 0.0025 * m.scale,
                                 [&](double v) { return Mismatch(before, after, m.dx, m.dy, v); });
    EXPECT_NEAR(dx, m.dx, 0.5);
    EXPECT_NEAR(dy, m.dy, 0.5);
    EXPECT_NEAR(scale, m.scale, 0.01 * m.scale);
    EXPECT_LT(Mismatch(before, after, dx, dy, scale), 1.0) << "the pictures agree there";
}

// One pixel of a 640-wide picture is 337.5 arc-seconds at the widest zoom; the picture shows the
// room moving against the camera's turn: a pan to the right moves it left, a tilt up moves it
// down. Speeds: 16875 arc-seconds per second per step; zoom continuous at full speed crosses
// the range in 2.5 s.
INSTANTIATE_TEST_SUITE_P(
    Controls, EmulatedUvcMotion,
    ::testing::Values(Motion{1, V4L2_CID_PAN_SPEED, 8, 250, -100, 0, 1},
                      Motion{1, V4L2_CID_TILT_SPEED, -4, 250, 0, -50, 1},
                      Motion{1, V4L2_CID_ZOOM_CONTINUOUS, 7, 500, 0, 0, 1.8},
                      Motion{2, V4L2_CID_PAN_ABSOLUTE, -33750, 1000, 100, 0, 1},
                      Motion{2, V4L2_CID_TILT_ABSOLUTE, 16875, 1000, 0, 50, 1},
                      Motion{2, V4L2_CID_ZOOM_ABSOLUTE, 250, 1000, 0, 0, 2.5},
                      Motion{3, V4L2_CID_PAN_RELATIVE, 33750, 1000, -100, 0, 1},
                      Motion{3, V4L2_CID_TILT_RELATIVE, -16875, 1000, 0, -50, 1},
                      Motion{3, V4L2_CID_ZOOM_ABSOLUTE, 150, 1000, 0, 0, 1.5}),
    [](const auto& row) {
        return "Profile" + std::to_string(row.param.profile) + "_" + std::to_string(row.index);
    });

// The absolute controls read where the motors are, during and after a move, whatever moved
// them; a silent head takes the command and stays.
TEST(EmulatedUvcMotors, PositionsReadWhereTheMotorsAre) {
    struct Row {
        const char* setting;
        uint32_t control;
        int32_t value;
        int64_t stopAfterMs;  // read then (a speed set back to 0 then); -1: long after
        uint32_t read;
        int32_t expected;
    };
    const Row rows[] = {
        // 8 x 16875 arc-seconds per second for a quarter second, read on the grid of 36.
        {"v4l2-sim:1", V4L2_CID_PAN_SPEED, 8, 250, V4L2_CID_PAN_ABSOLUTE, 33768},
        {"v4l2-sim:1", V4L2_CID_PAN_SPEED, -24, -1, V4L2_CID_PAN_ABSOLUTE, -612000},
        {"v4l2-sim:1", V4L2_CID_ZOOM_CONTINUOUS, 7, 500, V4L2_CID_ZOOM_ABSOLUTE, 180},
        {"v4l2-sim:1", V4L2_CID_ZOOM_CONTINUOUS, -7, -1, V4L2_CID_ZOOM_ABSOLUTE, 100},
        // Half-way through a drive at 540000 arc-seconds per second.
        {"v4l2-sim:2", V4L2_CID_TILT_ABSOLUTE, -100000, 100, V4L2_CID_TILT_ABSOLUTE, -54000},
        {"v4l2-sim:2", V4L2_CID_TILT_ABSOLUTE, 100000, -1, V4L2_CID_TILT_ABSOLUTE, 100000},
        {"v4l2-sim:2", V4L2_CID_ZOOM_ABSOLUTE, 777, -1, V4L2_CID_ZOOM_ABSOLUTE, 777},
        {"v4l2-sim:2,silent-head", V4L2_CID_PAN_ABSOLUTE, 100000, -1, V4L2_CID_PAN_ABSOLUTE, 0},
    };
    for (const Row& row : rows) {
        UvcFixture host(row.setting);
        ASSERT_EQ(host.Set(row.control, row.value), 0) << row.setting;
        if (row.stopAfterMs < 0) {
            host.clock.AdvanceMs(20'000);
        } else {
            host.clock.AdvanceMs(row.stopAfterMs);
            if (row.control != row.read) {
                ASSERT_EQ(host.Set(row.control, 0), 0);
                host.clock.AdvanceMs(1000);  // and stays there
            }
        }
        EXPECT_EQ(host.Get(row.read), row.expected)
            << row.setting << " control " << std::hex << row.control;
    }
}

// Frames with faults: an oversize frame fills the buffer and carries the error flag, a short one
// is cut (possibly to nothing), a corrupt one has the full length but other bytes.
TEST(EmulatedUvcFaults, FaultyFramesArriveAsTheOptionsSay) {
    auto grab = [](const char* setting, v4l2_buffer& b) {
        UvcFixture host(setting);
        EXPECT_EQ(host.Start(V4L2_PIX_FMT_MJPEG), 0);
        return host.Grab(&b);
    };
    v4l2_buffer clean{}, b{};
    const std::vector<uint8_t> healthy = grab("v4l2-sim:4", clean);
    EXPECT_EQ(clean.flags & V4L2_BUF_FLAG_ERROR, 0u);

    grab("v4l2-sim:4,oversize=1", b);
    EXPECT_NE(b.flags & V4L2_BUF_FLAG_ERROR, 0u);
    EXPECT_EQ(b.bytesused, b.length);

    for (const char* seed : {"1", "2", "3"}) {
        grab((std::string("v4l2-sim:4,short=1,seed=") + seed).c_str(), b);
        EXPECT_LT(b.bytesused, clean.bytesused) << seed;
        EXPECT_EQ(b.flags & V4L2_BUF_FLAG_ERROR, 0u);
    }
    const std::vector<uint8_t> corrupt = grab("v4l2-sim:4,corrupt=1", b);
    EXPECT_EQ(corrupt.size(), healthy.size());
    EXPECT_NE(corrupt, healthy);
}

TEST(EmulatedUvcPicture, ExposureBrightnessAndWhiteBalanceShowInThePicture) {
    struct Row {
        const char* name;
        std::vector<std::pair<uint32_t, int32_t>> controls;
        size_t channel;  // 0 luminance, 3 red difference
        int direction;   // +1 the mean rises, -1 it falls
    };
    constexpr uint32_t kAutoExposure = V4L2_CID_EXPOSURE_AUTO,
                       kExposure = V4L2_CID_EXPOSURE_ABSOLUTE;
    constexpr uint32_t kAutoWhite = V4L2_CID_AUTO_WHITE_BALANCE;
    constexpr uint32_t kTemperature = V4L2_CID_WHITE_BALANCE_TEMPERATURE;
    const Row rows[] = {
        {"brightness up", {{V4L2_CID_BRIGHTNESS, 50}}, 0, +1},
        {"brightness down", {{V4L2_CID_BRIGHTNESS, -50}}, 0, -1},
        {"longer exposure", {{kAutoExposure, 1}, {kExposure, 400}}, 0, +1},
        {"gain", {{V4L2_CID_GAIN, 100}}, 0, +1},
        {"bluer light assumed", {{kAutoWhite, 0}, {kTemperature, 6500}}, 3, +1},
        {"warmer light assumed", {{kAutoWhite, 0}, {kTemperature, 3000}}, 3, -1},
    };
    for (const Row& row : rows) {
        UvcFixture host("v4l2-sim:4");
        ASSERT_EQ(host.Start(V4L2_PIX_FMT_YUYV), 0);
        const double before = Mean(host.Grab(), row.channel);
        for (const auto& [id, value] : row.controls)
            ASSERT_EQ(host.Set(id, value), 0) << row.name;
        const double after = Mean(host.Grab(), row.channel);
        EXPECT_GT((after - before) * row.direction, 2.0)
            << row.name << ": " << before << " -> " << after;
    }
}

}  // namespace
