// A PC file opened for positioned reads and writes, closed when it goes out
// of scope. No file stays open between commands: each operation opens what it
// needs and lets it go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

class PcFile {
 public:
  enum class Mode { Read, ReadWrite, CreateWrite /* truncate or create */ };

  PcFile() = default;
  ~PcFile();
  PcFile(const PcFile&) = delete;
  PcFile& operator=(const PcFile&) = delete;
  PcFile(PcFile&& other) noexcept;
  PcFile& operator=(PcFile&& other) noexcept;

  // Opens the file; returns false and keeps errno when it cannot.
  bool Open(const std::string& path, Mode mode);
  // Opens `name` inside the open directory `directoryFd`.
  bool OpenAt(int directoryFd, const std::string& name, Mode mode);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

  // Reads up to `length` bytes at `offset`; returns how many were read
  // (fewer at the end of the file, 0 on error).
  size_t ReadAt(uint64_t offset, void* buffer, size_t length);
  // Reads exactly `length` bytes at `offset`.
  bool ReadExact(uint64_t offset, void* buffer, size_t length);
  // Writes all `length` bytes at `offset`.
  bool WriteAt(uint64_t offset, const void* buffer, size_t length);
  bool Truncate(uint64_t size);
  bool Flush();
  // Size in bytes, or -1 when it cannot be told.
  int64_t Size();

 private:
  int fd_ = -1;
  std::string path_;
};

// Small helpers for whole PC files.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& data);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);
bool PathExists(const std::string& path);

}  // namespace korvane
