// Single-instance lock on the working folder.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tolvane {

InstanceLock::InstanceLock(std::string folder) : folder_(std::move(folder)) {}

InstanceLock::~InstanceLock() {
    release();
}

std::string InstanceLock::path() const {
    return folder_ + "/.tolvane.lock";
}

bool InstanceLock::acquire() {
    if (fd_ >= 0) return true;
    int fd = ::open(path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace tolvane
