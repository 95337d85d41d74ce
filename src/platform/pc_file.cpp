#include "platform/pc_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korvane {

PcFile::~PcFile() { Close(); }

PcFile::PcFile(PcFile&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) { other.fd_ = -1; }

PcFile& PcFile::operator=(PcFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

namespace {
int OpenFlags(PcFile::Mode mode) {
  switch (mode) {
    // O_NONBLOCK: opening a named pipe that no one writes to, or a device
    // that waits for a line, returns at once instead of waiting for ever.
    // Reads of regular files and disks are not changed by it.
    case PcFile::Mode::Read: return O_CLOEXEC | O_RDONLY | O_NONBLOCK;
    case PcFile::Mode::ReadWrite: return O_CLOEXEC | O_RDWR;
    case PcFile::Mode::CreateWrite: return O_CLOEXEC | O_RDWR | O_CREAT | O_TRUNC;
  }
  return O_CLOEXEC | O_RDONLY;
}
}  // namespace

bool PcFile::Open(const std::string& path, Mode mode) {
  return OpenAt(AT_FDCWD, path, mode) && (path_ = path, true);
}

bool PcFile::OpenAt(int directoryFd, const std::string& name, Mode mode) {
  Close();
  // Directories are refused by the read itself (EISDIR): no extra stat per
  // file, which matters when a directory of thousands of files is scanned.
  fd_ = ::openat(directoryFd, name.c_str(), OpenFlags(mode), 0666);
  if (fd_ < 0) return false;
  path_ = name;
  return true;
}

void PcFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

size_t PcFile::ReadAt(uint64_t offset, void* buffer, size_t length) {
  if (fd_ < 0) return 0;
  size_t done = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (done < length) {
    const ssize_t n = ::pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return done;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool PcFile::ReadExact(uint64_t offset, void* buffer, size_t length) {
  return ReadAt(offset, buffer, length) == length;
}

bool PcFile::WriteAt(uint64_t offset, const void* buffer, size_t length) {
  if (fd_ < 0) return false;
  size_t done = 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  while (done < length) {
    const ssize_t n = ::pwrite(fd_, in + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool PcFile::Truncate(uint64_t size) { return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

bool PcFile::Flush() { return fd_ >= 0 && ::fsync(fd_) == 0; }

int64_t PcFile::Size() {
  struct stat st;
  if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
  return st.st_size;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
  PcFile f;
  if (!f.Open(path, PcFile::Mode::Read)) return false;
  const int64_t size = f.Size();
  if (size < 0) return false;
  out.resize(static_cast<size_t>(size));
  return f.ReadExact(0, out.data(), out.size());
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& data) {
  PcFile f;
  if (!f.Open(path, PcFile::Mode::CreateWrite)) return false;
  return f.WriteAt(0, data.data(), data.size());
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace korvane
