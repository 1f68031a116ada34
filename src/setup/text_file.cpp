// Line reading, atomic whole-file writing and numeric values of text lines.
#include "setup/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cstring>

namespace tolvane {

namespace {

// Opens `path` for reading without blocking on a pipe and checks that it is a
// regular file. Returns the descriptor or -1 (errno set).
int openRegularForReading(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (!S_ISREG(st.st_mode))
        err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (err != 0) {
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

// Collects lines from a byte stream within the reader's limits.
class LineCollector {
  public:
    explicit LineCollector(std::size_t maxLines) : maxLines_(maxLines) {}

    // Feeds bytes; returns false once no further line can be taken.
    bool feed(std::string_view bytes) {
        for (char c : bytes) {
            if (full()) return false;
            if (c == '\n') {
                finishLine();
                continue;
            }
            if (current_.size() < kMaxLineBytes)
                current_.push_back(c);
            else
                overlong_ = true;
            open_ = true;
        }
        return !full();
    }

    std::vector<std::string> finish() {
        if (open_ && !full()) finishLine();
        return std::move(lines_);
    }

  private:
    bool full() const { return lines_.size() >= maxLines_; }

    void finishLine() {
        // A CR before the LF belongs to the line ending, unless the line was
        // cut (then the CR lies beyond the kept part and was never stored).
        if (!overlong_ && !current_.empty() && current_.back() == '\r') current_.pop_back();
        lines_.push_back(std::move(current_));
        current_.clear();
        open_ = false;
        overlong_ = false;
    }

    std::size_t maxLines_;
    std::vector<std::string> lines_;
    std::string current_;
    bool open_ = false;
    bool overlong_ = false;
};

WriteResult failure(int err) {
    return WriteResult{false, err, std::strerror(err)};
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool fileReadable(const std::string& path) {
    if (path.empty()) return false;
    int fd = openRegularForReading(path);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::vector<std::string> splitTextLines(std::string_view text, std::size_t maxLines) {
    if (maxLines > kMaxLines) maxLines = kMaxLines;
    if (text.size() > kMaxFileBytes) text = text.substr(0, kMaxFileBytes);
    LineCollector collector(maxLines);
    collector.feed(text);
    return collector.finish();
}

std::optional<std::vector<std::string>> readTextLines(const std::string& path,
                                                      std::size_t maxLines) {
    if (path.empty()) return std::nullopt;
    if (maxLines > kMaxLines) maxLines = kMaxLines;
    int fd = openRegularForReading(path);
    if (fd < 0) return std::nullopt;

    LineCollector collector(maxLines);
    std::size_t looked = 0;
    char buffer[16384];
    bool more = true;
    while (more && looked < kMaxFileBytes) {
        std::size_t want = sizeof buffer;
        if (kMaxFileBytes - looked < want) want = kMaxFileBytes - looked;
        ssize_t n = ::read(fd, buffer, want);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        looked += static_cast<std::size_t>(n);
        more = collector.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    ::close(fd);
    return collector.finish();
}

WriteResult atomicWriteLines(const std::string& path, const std::vector<std::string>& lines) {
    if (path.empty() || path.back() == '/') return failure(EINVAL);

    std::string data;
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    data.reserve(size);
    for (const auto& line : lines) {
        data += line;
        data += "\r\n";
    }

    // An existing file keeps its access mode; a new one gets 0666 less umask.
    struct stat old {};
    bool hadOld = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);

    // Temporary name beside the target: hidden, unique per process and call.
    static std::atomic<unsigned> counter{0};
    const auto slash = path.rfind('/');
    const std::string prefix =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = prefix + "." + base + ".tmp." + std::to_string(::getpid()) + "." +
               std::to_string(counter.fetch_add(1));
        do {
            fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno != EEXIST) return failure(errno);
    }
    if (fd < 0) return failure(EEXIST);

    auto abandon = [&](int err) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return failure(err);
    };

    if (hadOld && ::fchmod(fd, old.st_mode & 07777) != 0) return abandon(errno);
    if (!writeAll(fd, data)) return abandon(errno);
    if (::fsync(fd) != 0) return abandon(errno);
    int closing = ::close(fd);
    fd = -1;
    if (closing != 0) return abandon(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0) return abandon(errno);

    // Make the rename itself durable; a folder that refuses is no failure of
    // the write (the new file is in place).
    int dirFd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return WriteResult{};
}

std::string leftPadded(std::string_view text, std::size_t count) {
    std::string out(text.substr(0, count));
    out.resize(count, ' ');
    return out;
}

}  // namespace tolvane
