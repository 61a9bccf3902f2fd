#include "telemetry/ZelMP4Parser.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/dict.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <vector>

#include "telemetry/TelemetryUtil.h"

namespace {

// libavformat reads through this small context of our own over the
// ByteReader: with `direct` set and a few KiB of buffer, a seek over
// discarded samples really skips them instead of reading through a large
// buffer.
constexpr int kIoBufferSize = 4096;

// Bytes read ahead of libavformat: the head of the file and the movie box,
// each in one read, which libavformat then walks field by field in memory
// instead of with a read call per buffer.
struct HeldBytes {
  std::uint64_t at = 0;
  std::vector<std::uint8_t> bytes;
};

struct MovieIo {
  ByteReader* reader = nullptr;
  std::vector<HeldBytes> held;
};

// The head kept: ftyp and the box headers after it. It is less than the
// reader's block, so the walk for the movie box reads it with that call.
constexpr std::size_t kHeadBytes = 2048;
// A movie box up to this size is held whole (a one-minute recording's is a
// few KiB); a larger one is left to libavformat's own reads.
constexpr std::uint64_t kMaxHeldMovie = 48 * 1024;
// Top-level boxes looked at before the movie box; files have a handful.
constexpr int kMaxTopLevelBoxes = 32;

// Every read is bounded by the file's size first, so the reader fails on a
// failing disk alone and libavformat then reads the file itself.
std::vector<HeldBytes> HoldHeadAndMovie(ByteReader& r) {
  std::vector<HeldBytes> held(1);
  r.Seek(0);
  held[0].bytes = r.ReadBytes(static_cast<std::size_t>(std::min<std::uint64_t>(kHeadBytes, r.Size())));
  std::uint64_t at = 0;
  for (int i = 0; i < kMaxTopLevelBoxes && r.Ok() && r.Size() - at >= 16; ++i) {
    r.Seek(at);
    std::uint64_t total = r.U32Be();
    const std::uint32_t type = r.FourCC();
    std::uint64_t header = 8;
    if (total == 1) {
      total = r.U64Be();
      header = 16;
    } else if (total == 0) {
      total = r.Size() - at;
    }
    if (!r.Ok() || total < header || total > r.Size() - at) break;
    if (type == MakeFourCC("moov")) {
      if (total > kMaxHeldMovie) break;
      // With the header of the box after it, where the demuxer looks next.
      const std::uint64_t span = std::min<std::uint64_t>(total + 16, r.Size() - at);
      r.Seek(at);
      held.push_back(HeldBytes{at, r.ReadBytes(static_cast<std::size_t>(span))});
      break;
    }
    at += total;
  }
  if (!r.Ok()) return std::vector<HeldBytes>(1);
  return held;
}

// The reader is only ever asked for bytes it holds and moved to positions
// inside it, so its sticky error flag is set by a failing disk alone.
int ReadCallback(void* opaque, std::uint8_t* buf, int size) {
  auto* io = static_cast<MovieIo*>(opaque);
  ByteReader* reader = io->reader;
  if (reader->Failed()) return AVERROR(EIO);
  const std::uint64_t pos = reader->Position();
  for (const HeldBytes& h : io->held) {
    if (pos < h.at || pos - h.at >= h.bytes.size()) continue;
    const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), h.at + h.bytes.size() - pos);
    std::memcpy(buf, h.bytes.data() + (pos - h.at), static_cast<std::size_t>(n));
    reader->Seek(pos + n);
    return static_cast<int>(n);
  }
  const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), reader->Remaining());
  if (n == 0) return AVERROR_EOF;
  if (!reader->ReadUncached(buf, static_cast<std::size_t>(n))) return AVERROR(EIO);
  return static_cast<int>(n);
}

std::int64_t SeekCallback(void* opaque, std::int64_t offset, int whence) {
  auto* reader = static_cast<MovieIo*>(opaque)->reader;
  const auto size = static_cast<std::int64_t>(reader->Size());
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return size;
  std::int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<std::int64_t>(reader->Position());
  else if (whence == SEEK_END) base = size;
  else if (whence != SEEK_SET) return AVERROR(EINVAL);
  if ((offset > 0 && base > size - offset) || base + offset < 0) return AVERROR(EINVAL);
  const std::int64_t at = base + offset;
  if (at > size || !reader->Seek(static_cast<std::uint64_t>(at))) return AVERROR(EINVAL);
  return at;
}

struct IoContextDeleter {
  void operator()(AVIOContext* io) const {
    if (!io) return;
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

struct FormatCloser {
  void operator()(AVFormatContext* fmt) const {
    if (fmt) avformat_close_input(&fmt);
  }
};

struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};

bool IsAudioOrVideo(const AVStream* s) {
  const AVMediaType t = s->codecpar->codec_type;
  return t == AVMEDIA_TYPE_AUDIO || t == AVMEDIA_TYPE_VIDEO;
}

// "YYYY-MM-DD hh:mm:ss", local time.
bool StartTimeFromLocalText(const char* text, CalendarTime& out) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (std::sscanf(text, "%04d-%02d-%02d %02d:%02d:%02d", &y, &mo, &d, &h, &mi, &s) != 6)
    return false;
  if (!IsValidDateTime(y, mo, d, h, mi, s)) return false;
  return LocalDateTimeToCalendar(y, mo, d, h, mi, s, out);
}

// ISO 8601 "YYYY-MM-DDThh:mm:ss[.ffffff]Z" as libavformat reports the
// container's creation time; without a zone it is taken as local time.
bool StartTimeFromCreationTime(const char* text, CalendarTime& out) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
  if (std::sscanf(text, "%04d-%02d-%02d%*1[T ]%02d:%02d:%02d%n", &y, &mo, &d, &h, &mi, &s, &used) <
      6)
    return false;
  if (!IsValidDateTime(y, mo, d, h, mi, s) || y < 1971) return false;
  const char* rest = text + used;
  while (*rest == '.' || (*rest >= '0' && *rest <= '9')) ++rest;
  if (*rest != 'Z') return LocalDateTimeToCalendar(y, mo, d, h, mi, s, out);
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  const std::time_t t = timegm(&tm);
  if (t == static_cast<std::time_t>(-1)) return false;
  out = static_cast<CalendarTime>(t);
  return true;
}

bool HasHeaderDuration(const AVFormatContext& fmt) {
  return fmt.duration != AV_NOPTS_VALUE && fmt.duration > 0;
}

// The header's duration. A fragmented file (an empty moov, then moof/mdat
// pairs) has none there; the demuxer learns each track's end from the
// fragments' run boxes while the walk reads through them, discarded
// tracks included. The video track's end is the recording's length.
std::uint32_t DurationMs(const AVFormatContext& fmt) {
  std::int64_t ms = 0;
  if (HasHeaderDuration(fmt)) {
    ms = fmt.duration / 1000;
  } else {
    for (unsigned i = 0; i < fmt.nb_streams; ++i) {
      const AVStream* s = fmt.streams[i];
      if (s->duration == AV_NOPTS_VALUE || s->duration <= 0 || s->time_base.den <= 0) continue;
      const std::int64_t end = av_rescale_q(s->duration, s->time_base, AVRational{1, 1000});
      if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        ms = end;
        break;
      }
      ms = std::max(ms, end);
    }
  }
  return static_cast<std::uint32_t>(
      std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::uint32_t>::max()));
}

bool IsFixPacket(const AVStream& s, std::int64_t size) {
  return size == static_cast<std::int64_t>(GpsFix::kFileSize) && !IsAudioOrVideo(&s);
}

bool IsSamplePacket(const AVStream& s, std::int64_t size) {
  return size == static_cast<std::int64_t>(GSensorWideSample::kFileSize) &&
         s.codecpar->codec_type == AVMEDIA_TYPE_DATA;
}

// The data packets the sample tables list inside the file, as reading
// every packet finds them. Streams without GPS packets are discarded, so
// that a scan reads GPS packets alone.
void CountDataPackets(AVFormatContext& fmt, std::uint64_t fileSize, MediaInfo& info) {
  for (unsigned i = 0; i < fmt.nb_streams; ++i) {
    AVStream* s = fmt.streams[i];
    std::uint32_t fixes = 0;
    const int n = IsAudioOrVideo(s) ? 0 : avformat_index_get_entries_count(s);
    for (int k = 0; k < n; ++k) {
      const AVIndexEntry* e = avformat_index_get_entry(s, k);
      if (!e || e->pos < 0 || static_cast<std::uint64_t>(e->pos) > fileSize ||
          fileSize - static_cast<std::uint64_t>(e->pos) < static_cast<std::uint64_t>(e->size))
        continue;
      if (IsFixPacket(*s, e->size)) ++fixes;
      else if (IsSamplePacket(*s, e->size)) ++info.trackSampleCount;
    }
    info.trackFixCount += fixes;
    if (fixes == 0) s->discard = AVDISCARD_ALL;
  }
}

}  // namespace

ParseResult CZelMP4Parser::Walk() {
  // Whether the file claims to be ISO media: a file that starts with a
  // ftyp box but cannot be opened is a damaged recording, not another kind.
  MovieIo movieIo{m_reader, HoldHeadAndMovie(*m_reader)};
  if (m_reader->IoError()) return ReadFailure("");
  const std::vector<std::uint8_t>& head = movieIo.held.at(0).bytes;
  const bool startsWithFtyp = head.size() >= 8 && ByteReader(head.data() + 4, 4).FourCC() == MakeFourCC("ftyp");
  m_reader->Seek(0);

  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  if (!buffer) return ParseResult::Failure(ParseStatus::kIoError, std::strerror(ENOMEM));
  std::unique_ptr<AVIOContext, IoContextDeleter> io(
      avio_alloc_context(buffer, kIoBufferSize, 0, &movieIo, ReadCallback, nullptr, SeekCallback));
  if (!io) {
    av_free(buffer);
    return ParseResult::Failure(ParseStatus::kIoError, std::strerror(ENOMEM));
  }
  // The header is read through the buffer, where the demuxer's short seeks
  // back stay in memory; the samples are then read direct (below).
  io->direct = 0;

  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) return ParseResult::Failure(ParseStatus::kIoError, std::strerror(ENOMEM));
  raw->pb = io.get();
  raw->flags |= AVFMT_FLAG_CUSTOM_IO;
  AVDictionary* options = nullptr;
  // The edit list can cut the last data sample off.
  av_dict_set(&options, "ignore_editlist", "1", 0);
  // The name only steers the format probe; this parser is chosen for
  // ".mp4" names, so files and memory are probed alike.
  const int opened = avformat_open_input(&raw, "recording.mp4", nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) {  // raw is freed by the failed open
    if (m_reader->IoError()) return ReadFailure("");
    if (startsWithFtyp)
      return ParseResult::Failure(ParseStatus::kDamaged, "the movie header cannot be read");
    return ParseResult::Failure(ParseStatus::kNotThisFormat, "not a movie libavformat can open");
  }
  std::unique_ptr<AVFormatContext, FormatCloser> fmt(raw);
  io->direct = 1;

  // Only the data streams can carry telemetry: the others are skipped by
  // the demuxer, which seeks over their samples. There is no stream probe
  // (avformat_find_stream_info): it decodes pictures, which took most of a
  // card scan's time, and the demuxer's headers already give the stream
  // types, the picture size and the duration.
  for (unsigned i = 0; i < fmt->nb_streams; ++i)
    if (IsAudioOrVideo(fmt->streams[i])) fmt->streams[i]->discard = AVDISCARD_ALL;

  ParseResult result;
  MediaInfo& info = result.info;
  // A fragmented file has no length and no samples in its header: only
  // reading through its fragments tells them.
  const bool readAll = m_depth == Depth::kSeries || !HasHeaderDuration(*fmt);
  if (!readAll) CountDataPackets(*fmt, m_reader->Size(), info);

  // The recording's own clock first, as the other parsers read it: the
  // first timed fix (one fix per second), local time.
  m_startTime = 0;
  std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
  if (!packet) return ParseResult::Failure(ParseStatus::kIoError, std::strerror(ENOMEM));
  std::size_t fixIndex = 0;
  while ((readAll || !m_startTimeKnown) && av_read_frame(fmt.get(), packet.get()) >= 0) {
    const int index = packet->stream_index;
    if (index >= 0 && static_cast<unsigned>(index) < fmt->nb_streams && packet->data) {
      const AVStream& stream = *fmt->streams[index];
      if (IsFixPacket(stream, packet->size)) {
        const GpsFix fix = GpsFix::Decode(packet->data);
        bool convertFailed = false;
        if (!m_startTimeKnown) m_startTimeKnown = StartTimeFromFix(fix, fixIndex, 1, convertFailed);
        ++fixIndex;
        if (readAll) info.gpsFixes.push_back(fix);
      } else if (readAll && IsSamplePacket(stream, packet->size)) {
        info.gsensorSamples.push_back(GSensorWideSample::Decode(packet->data));
      }
    }
    av_packet_unref(packet.get());
  }
  // A demuxer stops at a broken sample table as at the end; a disk that
  // failed under it must not pass for a recording without telemetry.
  if (m_reader->IoError()) return ReadFailure("");

  m_durationMs = DurationMs(*fmt);
  for (unsigned i = 0; i < fmt->nb_streams; ++i) {
    const AVCodecParameters* par = fmt->streams[i]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_VIDEO) continue;
    m_width = static_cast<std::uint16_t>(par->width);
    m_height = static_cast<std::uint16_t>(par->height);
    break;
  }

  // Then the container's local start entry, then its creation time, which
  // is UTC.
  if (!m_startTimeKnown)
    if (const AVDictionaryEntry* e = av_dict_get(fmt->metadata, "start_time", nullptr, 0))
      m_startTimeKnown = StartTimeFromLocalText(e->value, m_startTime);
  if (!m_startTimeKnown)
    if (const AVDictionaryEntry* e = av_dict_get(fmt->metadata, "creation_time", nullptr, 0))
      m_startTimeKnown = StartTimeFromCreationTime(e->value, m_startTime);

  MediaInfo facts = Results();
  facts.gpsFixes = std::move(info.gpsFixes);
  facts.gsensorSamples = std::move(info.gsensorSamples);
  facts.trackFixCount = readAll ? static_cast<std::uint32_t>(facts.gpsFixes.size()) : info.trackFixCount;
  facts.trackSampleCount =
      readAll ? static_cast<std::uint32_t>(facts.gsensorSamples.size()) : info.trackSampleCount;
  info = std::move(facts);
  result.status = ParseStatus::kOk;
  return result;
}
