#include "telemetry/ByteReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = other.m_fd;
    other.m_fd = -1;
  }
  return *this;
}

bool FileHandle::Open(const std::filesystem::path& path) {
  Close();
  // Non-blocking, so that a FIFO under a recording's name cannot hold the
  // open until some writer comes along; it is refused below anyway.
  do {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (m_fd < 0 && errno == EINTR);
  if (m_fd < 0) return false;
  // A directory opens read-only too, but is no recording.
  struct stat st {};
  if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
    Close();
    errno = error;
    return false;
  }
  return true;
}

void FileHandle::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

bool FileHandle::Size(std::uint64_t& size) const {
  struct stat st {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || st.st_size < 0) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool FileHandle::IsReadOnly() const {
  struct stat st {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return false;
  return (st.st_mode & S_IWUSR) == 0;
}

long long FileHandle::ReadAt(std::uint64_t offset, void* dst, std::size_t count) const {
  if (m_fd < 0) return -1;
  auto* out = static_cast<std::uint8_t*>(dst);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(m_fd, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(done);
}

ByteReader::ByteReader(const std::uint8_t* data, std::size_t size)
    : m_data(data), m_size(data ? size : 0) {}

ByteReader::ByteReader(const FileHandle& file) : m_file(&file) {
  if (!file.Size(m_size)) Fail(true, file.IsOpen() ? errno : EBADF);
}

bool ByteReader::Fail(bool ioError, int error) {
  m_failed = true;
  if (ioError && !m_ioError) m_errno = error;
  m_ioError = m_ioError || ioError;
  return false;
}

std::string ByteReader::IoErrorText() const {
  if (!m_ioError) return {};
  if (m_errno == 0) return "the file became shorter while it was read";
  return std::strerror(m_errno);
}

bool ByteReader::Seek(std::uint64_t position) {
  if (m_failed) return false;
  if (position > m_size) return Fail(false);
  m_pos = position;
  return true;
}

bool ByteReader::Skip(std::uint64_t count) {
  if (m_failed) return false;
  if (count > Remaining()) return Fail(false);
  m_pos += count;
  return true;
}

bool ByteReader::FillCache(std::uint64_t position, int& error) {
  const bool sequential = m_cacheLength && position >= m_cacheStart &&
                          position <= m_cacheStart + m_cacheLength;
  m_blockSize = sequential ? std::min(m_blockSize * 2, kMaxCacheSize) : kCacheSize;
  if (m_cache.size() < m_blockSize) m_cache.resize(m_blockSize);
  const std::uint64_t left = m_size - position;
  const std::size_t want = left < m_blockSize ? static_cast<std::size_t>(left) : m_blockSize;
  const long long got = m_file->ReadAt(position, m_cache.data(), want);
  m_cacheStart = position;
  m_cacheLength = got > 0 ? static_cast<std::size_t>(got) : 0;
  error = got < 0 ? errno : 0;
  return got >= 0;
}

bool ByteReader::Read(void* dst, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(dst);
  if (m_failed || count > Remaining()) {
    if (count) std::memset(out, 0, count);
    return m_failed ? false : Fail(false);
  }
  if (count == 0) return true;
  if (m_data) {
    std::memcpy(out, m_data + m_pos, count);
    m_pos += count;
    return true;
  }
  // Large reads go straight to the file; small ones through the block.
  if (count >= kCacheSize) return ReadUncached(dst, count);
  const bool cached =
      m_cacheLength && m_pos >= m_cacheStart && m_pos + count <= m_cacheStart + m_cacheLength;
  if (!cached) {
    int error = 0;
    if (!FillCache(m_pos, error) || m_cacheLength < count) {
      m_cacheLength = 0;
      std::memset(out, 0, count);
      return Fail(true, error);
    }
  }
  std::memcpy(out, m_cache.data() + (m_pos - m_cacheStart), count);
  m_pos += count;
  return true;
}

bool ByteReader::ReadUncached(void* dst, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(dst);
  if (m_failed || count > Remaining() || m_data) return Read(dst, count);
  if (count == 0) return true;
  const long long got = m_file->ReadAt(m_pos, out, count);
  if (got != static_cast<long long>(count)) {
    std::memset(out, 0, count);
    return Fail(true, got < 0 ? errno : 0);  // the file failed or shrank under us
  }
  m_pos += count;
  return true;
}

std::vector<std::uint8_t> ByteReader::ReadBytes(std::size_t count) {
  if (!CanRead(count)) {
    if (!m_failed) Fail(false);
    return {};
  }
  std::vector<std::uint8_t> out(count);
  if (!Read(out.data(), count)) return {};
  return out;
}

std::uint64_t ByteReader::ReadUnsigned(int width, bool bigEndian) {
  std::uint8_t b[8];
  if (!Read(b, static_cast<std::size_t>(width))) return 0;
  std::uint64_t v = 0;
  for (int i = 0; i < width; ++i) {
    const int k = bigEndian ? i : width - 1 - i;
    v = (v << 8) | b[k];
  }
  return v;
}

std::uint8_t ByteReader::U8() { return static_cast<std::uint8_t>(ReadUnsigned(1, false)); }
std::uint16_t ByteReader::U16Le() { return static_cast<std::uint16_t>(ReadUnsigned(2, false)); }
std::uint16_t ByteReader::U16Be() { return static_cast<std::uint16_t>(ReadUnsigned(2, true)); }
std::uint32_t ByteReader::U32Le() { return static_cast<std::uint32_t>(ReadUnsigned(4, false)); }
std::uint32_t ByteReader::U32Be() { return static_cast<std::uint32_t>(ReadUnsigned(4, true)); }
std::uint64_t ByteReader::U64Le() { return ReadUnsigned(8, false); }
std::uint64_t ByteReader::U64Be() { return ReadUnsigned(8, true); }

double ByteReader::DoubleLe() {
  const std::uint64_t bits = U64Le();
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
