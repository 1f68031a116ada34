// Shared pieces of the fuzz targets: a failed property ends the run with a
// message (libFuzzer then keeps the input as a crash), and an in-memory file
// with a path, so that the file readers run whole, from open() on.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tolvane::fuzz {

inline void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline std::string_view bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A regular file in memory, reached as /proc/self/fd/<n>.
class MemoryFile {
  public:
    MemoryFile() : fd_(::memfd_create("fuzz-input", MFD_CLOEXEC)) {
        require(fd_ >= 0, "memfd_create");
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the file's contents; returns its path.
    const std::string& hold(std::string_view text) {
        require(::ftruncate(fd_, 0) == 0, "ftruncate");
        require(::pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()),
                "pwrite");
        return path_;
    }

  private:
    int fd_;
    std::string path_;
};

}  // namespace tolvane::fuzz
