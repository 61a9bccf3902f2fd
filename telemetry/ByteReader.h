#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

// A file opened read-only, closed when the handle goes away.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(const std::filesystem::path& path) { Open(path); }
  ~FileHandle() { Close(); }
  FileHandle(FileHandle&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // False with errno set when the path cannot be opened or is not a
  // regular file (EISDIR for a folder, ENODEV for anything else).
  bool Open(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }
  int Descriptor() const { return m_fd; }

  // Size of the open file in bytes; false when it cannot be determined.
  bool Size(std::uint64_t& size) const;
  // True when the owner's write permission bit is clear.
  bool IsReadOnly() const;
  // Reads up to `count` bytes at `offset`, retrying short reads; returns
  // the number of bytes read (less at the end of the file) or -1 on error.
  long long ReadAt(std::uint64_t offset, void* dst, std::size_t count) const;

 private:
  int m_fd = -1;
};

// Four-character code as a 32-bit value in file order ("ftyp" -> 0x66747970).
constexpr std::uint32_t MakeFourCC(const char (&s)[5]) {
  return (std::uint32_t(std::uint8_t(s[0])) << 24) | (std::uint32_t(std::uint8_t(s[1])) << 16) |
         (std::uint32_t(std::uint8_t(s[2])) << 8) | std::uint32_t(std::uint8_t(s[3]));
}

// Checked reader over a memory span or an open file. Every read is checked
// against the length first; a read that does not fit (or an I/O error)
// sets the error flag, which stays set: later reads return zero and do not
// move. Callers can therefore decode a whole record and check Ok() once.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size);
  explicit ByteReader(std::span<const std::uint8_t> data) : ByteReader(data.data(), data.size()) {}
  // The length is the file's size when the reader is made; the handle must
  // outlive the reader.
  explicit ByteReader(const FileHandle& file);

  bool Ok() const { return !m_failed; }
  bool Failed() const { return m_failed; }
  // True when the failure was an I/O error rather than a read past the end.
  bool IoError() const { return m_ioError; }
  // The system's text for the first I/O error ("Input/output error" ...);
  // empty when there was none.
  std::string IoErrorText() const;

  std::uint64_t Size() const { return m_size; }
  std::uint64_t Position() const { return m_pos; }
  std::uint64_t Remaining() const { return m_pos <= m_size ? m_size - m_pos : 0; }
  bool CanRead(std::uint64_t count) const { return !m_failed && count <= Remaining(); }

  // Moves to `position` (at most Size()); fails otherwise.
  bool Seek(std::uint64_t position);
  bool Skip(std::uint64_t count);
  // Copies `count` bytes; on failure `dst` is zero-filled.
  bool Read(void* dst, std::size_t count);
  // As Read, but a file is read with exactly one request of `count` bytes
  // and nothing is kept: for a caller with its own buffer (libavformat),
  // whose reads between seeks would otherwise grow the block.
  bool ReadUncached(void* dst, std::size_t count);
  // Reads the next `count` bytes into a vector (empty on failure). The
  // count is checked against the length before anything is allocated.
  std::vector<std::uint8_t> ReadBytes(std::size_t count);

  std::uint8_t U8();
  std::uint16_t U16Le();
  std::uint16_t U16Be();
  std::uint32_t U32Le();
  std::uint32_t U32Be();
  std::uint64_t U64Le();
  std::uint64_t U64Be();
  std::int32_t I32Le() { return static_cast<std::int32_t>(U32Le()); }
  double DoubleLe();
  // Four bytes in file order, comparable with MakeFourCC.
  std::uint32_t FourCC() { return U32Be(); }

 private:
  std::uint64_t ReadUnsigned(int width, bool bigEndian);
  bool Fail(bool ioError, int error = 0);
  // False on a read error, whose errno is then in `error`.
  bool FillCache(std::uint64_t position, int& error);

  const std::uint8_t* m_data = nullptr;  // memory mode
  const FileHandle* m_file = nullptr;    // file mode
  std::uint64_t m_size = 0;
  std::uint64_t m_pos = 0;
  bool m_failed = false;
  bool m_ioError = false;
  int m_errno = 0;  // of the first I/O error; 0 when the file shrank under us

  // File mode keeps one block so that header-by-header walks do not cost a
  // system call per field. The block starts small (a walk that jumps reads
  // little) and grows while reads run on sequentially (a scan through
  // unknown data needs few calls).
  static constexpr std::size_t kCacheSize = 4096;
  static constexpr std::size_t kMaxCacheSize = 256 * 1024;
  std::size_t m_blockSize = kCacheSize;
  std::vector<std::uint8_t> m_cache;
  std::uint64_t m_cacheStart = 0;
  std::size_t m_cacheLength = 0;
};
