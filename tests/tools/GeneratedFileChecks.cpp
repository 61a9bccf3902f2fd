#include "GeneratedFileChecks.h"

#include <cstdlib>
#include <fstream>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

std::uint32_t Be32(const FileBytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}
std::uint64_t Be64(const FileBytes& b, std::size_t at) {
  return (std::uint64_t{Be32(b, at)} << 32) | Be32(b, at + 4);
}
std::uint32_t Le32(const FileBytes& b, std::size_t at) {
  return (std::uint32_t{b[at + 3]} << 24) | (std::uint32_t{b[at + 2]} << 16) |
         (std::uint32_t{b[at + 1]} << 8) | b[at];
}
std::string Code(const FileBytes& b, std::size_t at) {
  return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

bool IsTelemetry(const std::string& t) {
  return t == "gps0" || t == "gsen" || t == "gpsa" || t == "gsea" || t == "IDIT";
}

// First child of `type` in [from, to): payload offset and size, or false.
bool Child(const FileBytes& b, std::size_t from, std::size_t to, const std::string& type,
           std::size_t& payload, std::size_t& size) {
  for (std::size_t at = from; at + 8 <= to;) {
    const std::size_t s = Be32(b, at);
    if (s < 8 || at + s > to) return false;
    if (Code(b, at + 4) == type) {
      payload = at + 8;
      size = s - 8;
      return true;
    }
    at += s;
  }
  return false;
}

void ReadMoov(const FileBytes& b, std::size_t from, std::size_t to, WalkResult& r) {
  std::size_t p = from, n = to - from;
  std::size_t trak, trakSize, mdia, mdiaSize;
  if (!Child(b, p, p + n, "trak", trak, trakSize) ||
      !Child(b, trak, trak + trakSize, "mdia", mdia, mdiaSize))
    return;
  std::size_t mdhd, mdhdSize;
  if (Child(b, mdia, mdia + mdiaSize, "mdhd", mdhd, mdhdSize)) {
    const bool v1 = b[mdhd] == 1;
    const std::uint32_t scale = Be32(b, mdhd + (v1 ? 20 : 12));
    const std::uint64_t duration = v1 ? Be64(b, mdhd + 24) : Be32(b, mdhd + 16);
    if (scale) r.durationMs = static_cast<std::uint32_t>(duration * 1000 / scale);
  }
  std::size_t minf, minfSize, stbl, stblSize, stsd, stsdSize, avc1, avc1Size;
  if (Child(b, mdia, mdia + mdiaSize, "minf", minf, minfSize) &&
      Child(b, minf, minf + minfSize, "stbl", stbl, stblSize) &&
      Child(b, stbl, stbl + stblSize, "stsd", stsd, stsdSize) &&
      Child(b, stsd + 8, stsd + stsdSize, "avc1", avc1, avc1Size) && avc1Size >= 28) {
    r.width = static_cast<std::uint16_t>((b[avc1 + 24] << 8) | b[avc1 + 25]);
    r.height = static_cast<std::uint16_t>((b[avc1 + 26] << 8) | b[avc1 + 27]);
  }
}

}  // namespace

FileBytes ReadFileBytes(const std::filesystem::path& p) {
  std::error_code ec;
  FileBytes b(static_cast<std::size_t>(std::filesystem::file_size(p, ec)));
  if (ec) return {};
  std::ifstream in(p, std::ios::binary);
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
  b.resize(static_cast<std::size_t>(in.gcount()));
  return b;
}

WalkResult WalkBoxes(const FileBytes& b) {
  WalkResult r;
  if (b.size() < 8) return r;
  r.firstType = Code(b, 4);
  r.ok = r.firstType == "ftyp";
  // The parser's walk: top-level boxes, and moov's children in line.
  std::size_t at = Be32(b, 0);
  while (at + 8 <= b.size()) {
    const std::size_t size = Be32(b, at);
    const std::string type = Code(b, at + 4);
    if (size < 8) break;
    if (type == "moov") {
      ReadMoov(b, at + 8, std::min(b.size(), at + size), r);
      at += 8;
      continue;
    }
    if (IsTelemetry(type)) r.found[type] = {at + 8, static_cast<std::uint32_t>(size - 8)};
    at += size;
  }
  return r;
}

WalkResult WalkRiff(const FileBytes& b, std::uint64_t fileSize) {
  WalkResult r;
  if (b.size() < 12) return r;
  r.firstType = Code(b, 0);
  r.ok = r.firstType == "RIFF";
  // Unknown codes move the walk by 4 bytes; an odd-sized chunk is followed
  // by a pad byte.
  std::uint64_t at = 12;
  while (at + 8 <= b.size()) {
    const std::string code = Code(b, at);
    const std::uint32_t n = Le32(b, at + 4);
    if (code == "LIST") {
      const std::string type = Code(b, at + 8);
      const std::uint64_t end = at + 8 + std::uint64_t{n};
      if (type == "movi" && end > fileSize) r.moviPastEnd = true;
      at = (type == "hdrl" || type == "strl") ? at + 12 : end;
    } else if (code == "avih") {
      r.durationMs = static_cast<std::uint32_t>(Le32(b, at + 8) * Le32(b, at + 24)) / 1000;
      at += 8 + std::min<std::uint32_t>(n, 56);
    } else if (code == "strh") {
      const std::string kind = Code(b, at + 8);
      at += 8 + std::min<std::uint32_t>(n, 64);
      if ((kind == "vids" || kind == "auds") && at + 8 <= b.size() && Code(b, at) == "strf") {
        const std::uint32_t m = Le32(b, at + 4);
        if (kind == "vids") {
          r.width = static_cast<std::uint16_t>(Le32(b, at + 12));
          r.height = static_cast<std::uint16_t>(Le32(b, at + 16));
        }
        at += 8 + (kind == "vids" ? std::min<std::uint32_t>(m, 40) : m);
      }
    } else if (code == "indx" || code == "JUNK" || code == "idx1") {
      at += 8 + std::uint64_t{n} + (n & 1);
    } else if (IsTelemetry(code)) {
      r.found[code] = {at + 8, n};
      at += 8 + std::uint64_t{n} + (n & 1);
    } else {
      at += 4;
    }
  }
  return r;
}

Probe ProbeWithLibav(const std::filesystem::path& p) {
  Probe r;
  AVFormatContext* ctx = nullptr;
  if (avformat_open_input(&ctx, p.c_str(), nullptr, nullptr) < 0) return r;
  if (avformat_find_stream_info(ctx, nullptr) < 0) {
    avformat_close_input(&ctx);
    return r;
  }
  r.opened = true;
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    const AVCodecParameters* c = ctx->streams[i]->codecpar;
    if (c->codec_type == AVMEDIA_TYPE_DATA) ++r.dataStreams;
    if (c->codec_type == AVMEDIA_TYPE_VIDEO && r.width == 0) {
      r.width = c->width;
      r.height = c->height;
    }
  }
  r.durationMs = ctx->duration / 1000;
  if (const AVDictionaryEntry* e = av_dict_get(ctx->metadata, "start_time", nullptr, 0))
    r.startTimeTag = e->value;
  AVPacket* pkt = av_packet_alloc();
  while (av_read_frame(ctx, pkt) >= 0) {
    const bool data = ctx->streams[pkt->stream_index]->codecpar->codec_type == AVMEDIA_TYPE_DATA;
    FileBytes bytes(pkt->data, pkt->data + pkt->size);
    if (pkt->size == 32) {
      if (data) r.packets32.push_back(bytes);
      else ++r.other32;
    }
    if (pkt->size == 12 && data) r.packets12.push_back(bytes);
    av_packet_unref(pkt);
  }
  av_packet_free(&pkt);
  avformat_close_input(&ctx);
  return r;
}

bool HaveFfmpeg() { return std::system("ffmpeg -hide_banner -version >/dev/null 2>&1") == 0; }
