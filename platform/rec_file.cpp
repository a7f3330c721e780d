// The record file of the waveform recorder. Written under a temporary name
// beside its final path and renamed over it only when complete, so a crash or
// a full disk never leaves half a file behind.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "QxMsg.h"
#include "le_bytes.h"

namespace {

constexpr char kMagic[8] = {'Q', 'X', 'R', 'E', 'C', '0', '1', '\0'};
constexpr std::size_t kHeaderBytes = 24;  // magic, header size, record size, frame count, frame bytes

bool WriteAll(int fd, const void* data, std::size_t size) {
  const BYTE* p = static_cast<const BYTE*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Creates a fresh file beside `path` (mode as any new file of the process
// gets) and returns its descriptor, or -1.
int CreateTemp(const std::string& path, std::string& temp) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool SaveRecFile(LPCTSTR path, const _QX_SETUP* setup, const QxRecordData* data) {
  if (!path || !*path || !setup || !data) return false;
  const std::uint64_t frameTotal = static_cast<std::uint64_t>(data->frameCount) * data->frameBytes;
  if (frameTotal > 0 && !data->frames) return false;
  if (frameTotal > std::numeric_limits<std::size_t>::max()) return false;

  BYTE header[kHeaderBytes];
  std::memcpy(header, kMagic, sizeof kMagic);
  qx::StoreU32(header + 8, kHeaderBytes);
  qx::StoreU32(header + 12, sizeof(_QX_SETUP));
  qx::StoreU32(header + 16, data->frameCount);
  qx::StoreU32(header + 20, data->frameBytes);

  std::string temp;
  const int fd = CreateTemp(path, temp);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, header, sizeof header) && WriteAll(fd, setup, sizeof(_QX_SETUP)) &&
            WriteAll(fd, data->frames, static_cast<std::size_t>(frameTotal)) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), path) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}
