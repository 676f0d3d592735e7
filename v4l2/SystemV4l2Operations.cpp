// The V4L2 operations as the system calls themselves, nothing added: the camera code above
// does the retrying and the error handling, so the same code runs on the emulated camera.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "v4l2/V4l2Operations.h"

namespace v4l2 {
namespace {

class SystemOperations final : public V4l2Operations {
  public:
    int Open(const std::string& path, int flags) override { return ::open(path.c_str(), flags); }
    int Close(int fd) override { return ::close(fd); }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        return ::ioctl(fd, request, argument);
    }
    void* Mmap(void* address, size_t length, int protection, int flags, int fd,
               off_t offset) override {
        return ::mmap(address, length, protection, flags, fd, offset);
    }
    int Munmap(void* address, size_t length) override { return ::munmap(address, length); }
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
        return ::poll(fds, count, timeoutMs);
    }
};

}  // namespace

V4l2Operations& SystemV4l2Operations() {
    static SystemOperations operations;
    return operations;
}

}  // namespace v4l2
