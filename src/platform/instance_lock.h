// One running panel per working folder: an exclusive flock on
// "<folder>/.tolvane.lock", held while the lock object lives (the kernel
// drops it when the process ends, however it ends).
#pragma once

#include <string>

namespace tolvane {

class InstanceLock {
  public:
    explicit InstanceLock(std::string folder = ".");
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates the lock file when needed and takes the lock without waiting.
    // False when another process (or another InstanceLock object on the same
    // folder) holds it, or the file cannot be created. True again when this
    // object already holds it.
    bool acquire();
    void release();
    bool held() const { return fd_ >= 0; }
    std::string path() const;

  private:
    std::string folder_;
    int fd_ = -1;
};

}  // namespace tolvane
