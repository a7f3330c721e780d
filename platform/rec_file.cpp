// The record file of the waveform recorder. Written under a temporary name
// beside its final path and renamed over it only when complete, so a crash or
// a full disk never leaves half a file behind.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "QxMsg.h"
#include "le_bytes.h"

namespace {

bool WriteAll(int fd, const void* data, std::size_t size) {
  const BYTE* p = static_cast<const BYTE*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool SaveRecFile(LPCTSTR path, const _QX_SETUP* setup, const QxRecordData* data) {
  if (!path || !*path || !setup || !data) return false;
  const unsigned long long frameTotal = static_cast<unsigned long long>(data->frameCount) * data->frameBytes;
  if (frameTotal > 0 && !data->frames) return false;

  BYTE header[24];
  std::memcpy(header, "QXREC01\0", 8);
  qx::StoreU32(header + 8, sizeof header);
  qx::StoreU32(header + 12, sizeof(_QX_SETUP));
  qx::StoreU32(header + 16, data->frameCount);
  qx::StoreU32(header + 20, data->frameBytes);

  std::string temp = std::string(path) + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, header, sizeof header) && WriteAll(fd, setup, sizeof(_QX_SETUP)) &&
            WriteAll(fd, data->frames, static_cast<std::size_t>(frameTotal)) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), path) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}
