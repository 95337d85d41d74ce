#include "platform/drive_device.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "catalog/errors.h"

namespace korvane {

namespace {

std::string ReadLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

uint64_t ReadNumber(const std::string& path, uint64_t fallback) {
  const std::string text = ReadLine(path);
  if (text.empty()) return fallback;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  return end == text.c_str() ? fallback : v;
}

std::vector<std::string> DirectoryNames(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* d = opendir(path.c_str())) {
    while (const dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The "major:minor" of a whole device and of each of its partitions
// (sysfs: /sys/block/sdb/dev, /sys/block/sdb/sdb1/dev with a "partition" file).
std::vector<std::string> DeviceNumbers(const DriveEnvironment& env, const std::string& name) {
  std::vector<std::string> numbers;
  const std::string base = env.sysBlock + "/" + name;
  const std::string own = ReadLine(base + "/dev");
  if (!own.empty()) numbers.push_back(own);
  for (const std::string& sub : DirectoryNames(base)) {
    struct stat st {};
    if (::stat((base + "/" + sub + "/partition").c_str(), &st) != 0) continue;
    const std::string part = ReadLine(base + "/" + sub + "/dev");
    if (!part.empty()) numbers.push_back(part);
  }
  return numbers;
}

struct Mount {
  std::string numbers;  // major:minor
  std::string point;
  std::string fsType;
};

// /proc/self/mountinfo: "id parent major:minor root point options ... - type source super".
std::vector<Mount> ReadMounts(const std::string& path) {
  std::vector<Mount> mounts;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, numbers, root, point, word;
    if (!(fields >> id >> parent >> numbers >> root >> point)) continue;
    std::string type;
    while (fields >> word)
      if (word == "-") {
        fields >> type;
        break;
      }
    mounts.push_back({numbers, point, type});
  }
  return mounts;
}

const Mount* FindMount(const std::vector<Mount>& mounts, const std::vector<std::string>& numbers) {
  for (const Mount& m : mounts)
    for (const std::string& n : numbers)
      if (m.numbers == n) return &m;
  return nullptr;
}

// The sysfs name of a block device node, found by its device number; "" when
// it is not a whole disk listed there.
std::string SysfsNameOf(const DriveEnvironment& env, dev_t device) {
  const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (const std::string& name : DirectoryNames(env.sysBlock))
    if (ReadLine(env.sysBlock + "/" + name + "/dev") == wanted) return name;
  return {};
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

DriveEnvironment DriveEnvironment::FromProcess() {
  DriveEnvironment env;
  if (const char* list = std::getenv("KORVANE_DRIVES"); list != nullptr && *list != '\0') {
    env.standInsGiven = true;
    std::string text = list;
    size_t start = 0;
    while (start <= text.size()) {
      const size_t colon = text.find(':', start);
      const std::string item =
          text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
      if (!item.empty()) env.standIns.push_back(item);
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
  }
  return env;
}

std::vector<DriveDevice> ListRemovableDevices(const DriveEnvironment& env, uint32_t allowedMask) {
  const std::string letters = AllowedDriveLetters(allowedMask);
  std::vector<DriveDevice> found;
  const std::vector<Mount> mounts = ReadMounts(env.mountInfo);
  if (env.standInsGiven) {
    for (const std::string& path : env.standIns) {
      DriveDevice d;
      d.path = path;
      d.deviceName = BaseName(path);
      d.standIn = true;
      struct stat st {};
      const bool exists = ::stat(path.c_str(), &st) == 0;
      if (exists && S_ISREG(st.st_mode)) {
        d.sectors = static_cast<uint64_t>(st.st_size) / kDeviceSectorSize;
      } else if (exists && S_ISBLK(st.st_mode)) {
        // A device named as a stand-in is still a device: every check applies.
        d.standIn = false;
        d.deviceName = SysfsNameOf(env, st.st_rdev);
        d.sectors = ReadNumber(env.sysBlock + "/" + d.deviceName + "/size", 0);
        d.logicalBlockSize = static_cast<uint32_t>(
            ReadNumber(env.sysBlock + "/" + d.deviceName + "/queue/logical_block_size", 512));
      }
      found.push_back(d);
    }
  } else {
    for (const std::string& name : DirectoryNames(env.sysBlock)) {
      const std::string base = env.sysBlock + "/" + name;
      if (ReadLine(base + "/removable") != "1") continue;
      DriveDevice d;
      d.deviceName = name;
      d.path = env.devDirectory + "/" + name;
      d.sectors = ReadNumber(base + "/size", 0);  // always in 512-byte units
      d.logicalBlockSize = static_cast<uint32_t>(ReadNumber(base + "/queue/logical_block_size", 512));
      if (d.sectors == 0) continue;  // a card reader without a card
      found.push_back(d);
    }
  }
  std::vector<DriveDevice> drives;
  for (size_t i = 0; i < found.size() && i < letters.size(); ++i) {
    DriveDevice d = found[i];
    d.letter = letters[i];
    if (!d.standIn && !d.deviceName.empty())
      if (const Mount* m = FindMount(mounts, DeviceNumbers(env, d.deviceName))) d.mountedFsType = m->fsType;
    drives.push_back(d);
  }
  return drives;
}

bool IsDevicePath(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode));
}

std::string WriteRefusal(const DriveEnvironment& env, const DriveDevice& drive) {
  struct stat st {};
  if (::stat(drive.path.c_str(), &st) != 0) return {};  // the open will fail and say so
  if (S_ISREG(st.st_mode)) return {};                   // a stand-in file
  if (!S_ISBLK(st.st_mode)) return fmt::sprintf("%s is neither a block device nor a file.", drive.path);
  const std::string name = SysfsNameOf(env, st.st_rdev);
  if (name.empty() || ReadLine(env.sysBlock + "/" + name + "/removable") != "1")
    return fmt::sprintf("%s is not a removable drive; only removable drives are written.", drive.path);
  const std::vector<Mount> mounts = ReadMounts(env.mountInfo);
  if (const Mount* m = FindMount(mounts, DeviceNumbers(env, name)))
    return fmt::sprintf("%s holds a mounted file system (%s on %s); unmount it first.", drive.path, m->fsType,
                        m->point);
  return {};
}

OpenDrive::~OpenDrive() { Close(); }

OpenDrive::OpenDrive(OpenDrive&& o) noexcept
    : fd_(o.fd_), letter_(o.letter_), path_(std::move(o.path_)), sectors_(o.sectors_), direct_(o.direct_) {
  o.fd_ = -1;
}

OpenDrive& OpenDrive::operator=(OpenDrive&& o) noexcept {
  if (this != &o) {
    Close();
    fd_ = o.fd_, letter_ = o.letter_, path_ = std::move(o.path_), sectors_ = o.sectors_, direct_ = o.direct_;
    o.fd_ = -1;
  }
  return *this;
}

void OpenDrive::Close() {
  if (fd_ >= 0) ::close(fd_);  // also drops a stand-in's flock
  fd_ = -1;
}

bool OpenDrive::Open(const DriveEnvironment& env, const DriveDevice& drive, DriveAccess access) {
  Close();
  letter_ = drive.letter;
  path_ = drive.path;
  const bool write = access == DriveAccess::Write;
  if (write) {
    const std::string why = WriteRefusal(env, drive);
    if (!why.empty()) {
      SetLastErrorCode(kErrOpenDrive);
      CurrentReporter().ShowError(ErrorText(kErrOpenDrive, drive.letter) + "\n\n" + why);
      return false;
    }
  }
  struct stat st {};
  const bool isDevice = ::stat(drive.path.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
  int flags = O_CLOEXEC | (write ? O_RDWR : O_RDONLY);
  // The write lock: the kernel refuses it while the device or one of its
  // partitions is mounted or held. Reading (to tell what a drive holds) needs
  // no lock and must work on a mounted stick too.
  if (isDevice && write) flags |= O_EXCL;
  fd_ = ::open(drive.path.c_str(), flags | (isDevice ? O_DIRECT : 0));
  direct_ = isDevice && fd_ >= 0;
  if (fd_ < 0 && isDevice && errno == EINVAL) fd_ = ::open(drive.path.c_str(), flags);  // no O_DIRECT here
  if (fd_ < 0) {
    ReportSystemError(errno, kErrOpenDrive, drive.letter);
    return false;
  }
  if (!isDevice && write && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int e = errno;
    Close();
    ReportSystemError(e, kErrLockDevice, drive.letter);
    return false;
  }
  uint32_t blockSize = kDeviceSectorSize;
  if (isDevice) {
    int size = 0;
    if (::ioctl(fd_, BLKSSZGET, &size) == 0) blockSize = static_cast<uint32_t>(size);
    uint64_t bytes = 0;
    sectors_ = ::ioctl(fd_, BLKGETSIZE64, &bytes) == 0 ? bytes / kDeviceSectorSize : drive.sectors;
  } else {
    blockSize = drive.logicalBlockSize;
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    sectors_ = end > 0 ? static_cast<uint64_t>(end) / kDeviceSectorSize : 0;
  }
  if (blockSize != kDeviceSectorSize) {
    Close();
    ReportError(kErrDriveSectorSize, drive.letter);
    return false;
  }
  return true;
}

namespace {
// Unbuffered transfers need an aligned buffer; others go through a copy.
bool NeedsBounce(bool direct, const void* buffer) {
  return direct && reinterpret_cast<uintptr_t>(buffer) % 4096 != 0;
}

// Moves `length` bytes at byte `offset` with `op` (pread or pwrite),
// carrying on after short transfers and interrupts. 0, or the errno of the
// failure (EIO when the device ends first).
template <typename Op>
int TransferWhole(size_t length, uint64_t offset, Op op) {
  size_t done = 0;
  while (done < length) {
    const ssize_t n = op(done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}
}  // namespace

bool OpenDrive::Read(uint64_t first, uint32_t count, uint8_t* buffer) {
  if (NeedsBounce(direct_, buffer)) {
    AlignedBuffer bounce(size_t{count} * kDeviceSectorSize);
    if (!bounce.data()) return error_ = ENOMEM, false;
    if (!Read(first, count, bounce.data())) return false;
    std::copy_n(bounce.data(), bounce.size(), buffer);
    return true;
  }
  const int e = TransferWhole(size_t{count} * kDeviceSectorSize, first * kDeviceSectorSize,
                              [&](size_t done, size_t left, off_t at) {
                                return ::pread(fd_, buffer + done, left, at);
                              });
  if (e != 0) error_ = e;
  return e == 0;
}

bool OpenDrive::Write(uint64_t first, uint32_t count, const uint8_t* buffer) {
  if (NeedsBounce(direct_, buffer)) {
    AlignedBuffer bounce(size_t{count} * kDeviceSectorSize);
    if (!bounce.data()) return error_ = ENOMEM, false;
    std::copy_n(buffer, bounce.size(), bounce.data());
    return Write(first, count, bounce.data());
  }
  const int e = TransferWhole(size_t{count} * kDeviceSectorSize, first * kDeviceSectorSize,
                              [&](size_t done, size_t left, off_t at) {
                                return ::pwrite(fd_, buffer + done, left, at);
                              });
  if (e != 0) error_ = e;
  return e == 0;
}

bool OpenDrive::Sync() {
  if (::fsync(fd_) == 0) return true;
  error_ = errno;
  return false;
}

bool ReadDeviceSectors(OpenDrive& drive, uint64_t first, uint32_t count, uint8_t* buffer) {
  if (drive.Read(first, count, buffer)) return true;
  for (uint32_t i = 0; i < count; ++i) {
    if (!drive.Read(first + i, 1, buffer + size_t{i} * kDeviceSectorSize)) {
      ReportError(kErrDriveRead, static_cast<long long>(first + i), drive.Letter(), drive.SystemError());
      return false;
    }
  }
  return true;  // the run failed as a whole but every sector read alone
}

bool WriteDeviceSectors(OpenDrive& drive, uint64_t first, uint32_t count, const uint8_t* buffer) {
  if (drive.Write(first, count, buffer)) return true;
  for (uint32_t i = 0; i < count; ++i) {
    if (!drive.Write(first + i, 1, buffer + size_t{i} * kDeviceSectorSize)) {
      ReportError(kErrDriveWrite, static_cast<long long>(first + i), drive.Letter(), drive.SystemError());
      return false;
    }
  }
  return true;
}

AlignedBuffer::AlignedBuffer(size_t size) : size_(size) {
  void* p = nullptr;
  if (::posix_memalign(&p, 4096, size ? size : 4096) != 0) p = nullptr;
  data_ = static_cast<uint8_t*>(p);
  if (!data_) size_ = 0;
}

AlignedBuffer::~AlignedBuffer() { std::free(data_); }

}  // namespace korvane
