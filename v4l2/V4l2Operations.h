// The one door from the V4L2 camera code to the kernel: open, close, ioctl, mmap, munmap, poll.
//
// Every V4L2 call of the station goes through this table, so the same camera code runs on a
// real /dev/videoN (SystemV4l2Operations, the system calls and nothing else) and, in tests and
// for trying the station without hardware, on the emulated UVC camera over the simulated room.
// The calls keep the system calls' contract exactly: a result of -1 (MAP_FAILED for Mmap) with
// the reason in errno, the ioctl argument structures of <linux/videodev2.h>, file descriptors
// that mean something only to the table that gave them.
#pragma once

#include <poll.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace v4l2 {

class V4l2Operations {
  public:
    virtual ~V4l2Operations() = default;

    // open(2): flags as for the system call (the camera code passes O_RDWR | O_NONBLOCK |
    // O_CLOEXEC). A file descriptor, or -1 with errno (ENOENT, EACCES, EBUSY, ENODEV, EISDIR...).
    virtual int Open(const std::string& path, int flags) = 0;

    // close(2).
    virtual int Close(int fd) = 0;

    // ioctl(2) with a V4L2 request (VIDIOC_*) and its argument structure.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;

    // mmap(2) of a buffer at the offset VIDIOC_QUERYBUF gave; MAP_FAILED with errno on failure.
    virtual void* Mmap(void* address, size_t length, int protection, int flags, int fd,
                       off_t offset) = 0;

    // munmap(2).
    virtual int Munmap(void* address, size_t length) = 0;

    // poll(2) on descriptors of this table; the timeout in milliseconds (-1: no limit).
    virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;
};

// The system calls themselves (a process-wide object; stateless).
V4l2Operations& SystemV4l2Operations();

}  // namespace v4l2
