// Pseudo-terminals for the port tests: the master side stands in for the
// radio, the slave is linked as <folder>/ports/COM<n>.
#pragma once

#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace tolvane::test {

// The master side of a pseudo-terminal, standing in for the radio.
class Pty {
  public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        const char* name = ptsname(master_);
        if (name != nullptr) slave_ = name;
    }
    ~Pty() { closeMaster(); }
    bool ok() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& slave() const { return slave_; }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    bool send(const std::string& text) {
        std::size_t done = 0;
        while (done < text.size()) {
            ssize_t n = ::write(master_, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    // Reads until `count` bytes came or the line stays quiet for two seconds.
    std::string receive(std::size_t count) {
        std::string got;
        char buf[512];
        while (got.size() < count) {
            struct pollfd p = {master_, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) break;
            ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - got.size()));
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }

  private:
    int master_ = -1;
    std::string slave_;
};

inline bool linkPort(const QTemporaryDir& dir, int n, const std::string& target) {
    std::string ports = dir.path().toStdString() + "/ports";
    ::mkdir(ports.c_str(), 0755);
    std::string link = ports + "/COM" + std::to_string(n);
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

inline bool unlinkPort(const QTemporaryDir& dir, int n) {
    std::string link = dir.path().toStdString() + "/ports/COM" + std::to_string(n);
    return ::unlink(link.c_str()) == 0;
}

}  // namespace tolvane::test
