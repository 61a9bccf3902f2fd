// Writing a file image: pieces at their offsets, gaps left as holes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

#include "tools/recgen/ByteBlocks.h"

namespace recgen {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

bool WriteAllAt(int fd, const std::uint8_t* p, std::size_t n, std::uint64_t offset) {
  while (n > 0) {
    const ssize_t w = ::pwrite(fd, p, n, static_cast<off_t>(offset));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
    offset += static_cast<std::uint64_t>(w);
  }
  return true;
}

}  // namespace

Bytes FileImage::Flatten() const {
  Bytes out(size, 0);
  for (const Piece& p : pieces) std::memcpy(out.data() + p.offset, p.bytes.data(), p.bytes.size());
  return out;
}

int WriteImage(const std::filesystem::path& out, const FileImage& image, std::string* error) {
  // A read-only file left by an earlier run (locked recordings) is replaced.
  std::error_code ec;
  std::filesystem::remove(out, ec);
  Fd fd(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0) {
    SetError(error, "cannot create " + out.string() + ": " + std::strerror(errno));
    return 0;
  }
  for (const FileImage::Piece& p : image.pieces) {
    if (!WriteAllAt(fd.get(), p.bytes.data(), p.bytes.size(), p.offset)) {
      SetError(error, "cannot write " + out.string() + ": " + std::strerror(errno));
      return 0;
    }
  }
  // Extends the file over a trailing gap without writing it.
  if (::ftruncate(fd.get(), static_cast<off_t>(image.size)) != 0 || ::close(fd.Release()) != 0) {
    SetError(error, "cannot finish " + out.string() + ": " + std::strerror(errno));
    return 0;
  }
  return 1;
}

int WriteBytes(const std::filesystem::path& out, const Bytes& bytes, std::string* error) {
  FileImage img;
  img.Add(0, bytes);
  return WriteImage(out, img, error);
}

}  // namespace recgen

namespace recgen {

int PadFileTo(const std::filesystem::path& file, std::uint64_t size, bool avi, std::string* error) {
  Fd fd(::open(file.c_str(), O_RDWR | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
    SetError(error, "cannot open " + file.string() + ": " + std::strerror(errno));
    return 0;
  }
  std::uint64_t at = static_cast<std::uint64_t>(st.st_size);
  if (size < at + 8) return 1;
  if (avi && size - 8 > 0xFFFFFFFFull) {
    SetError(error, "an AVI file cannot grow beyond 4 GiB");
    return 0;
  }
  bool ok = true;
  while (ok && at + 8 <= size) {
    const std::uint64_t part = avi ? size - at : std::min<std::uint64_t>(size - at, 0xFFFFFFF0ull);
    Bytes h;
    if (avi) {
      PutCode(h, "JUNK");
      PutLe(h, part - 8, 4);
    } else {
      PutBe(h, part, 4);
      PutCode(h, "free");
    }
    ok = WriteAllAt(fd.get(), h.data(), h.size(), at);
    at += part;
  }
  if (ok && avi) {
    Bytes riffSize;
    PutLe(riffSize, static_cast<std::uint32_t>(at - 8), 4);
    ok = WriteAllAt(fd.get(), riffSize.data(), 4, 4);
  }
  if (!ok || ::ftruncate(fd.get(), static_cast<off_t>(at)) != 0) {
    SetError(error, "cannot pad " + file.string() + ": " + std::strerror(errno));
    return 0;
  }
  return 1;
}

}  // namespace recgen
