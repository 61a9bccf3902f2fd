// Recordings with real video made by the ffmpeg CLI.
//
// Box and AVI files: ffmpeg writes the movie (for MOV/MP4/3GP with moov as the
// last top-level box), then the telemetry is added where no media offset can
// move: after moov, appended to moov's children, after movi (before idx1).
// Chunks placed before movi shift movi, so the absolute offsets of the
// OpenDML super index (indx in strl) are moved along.
//
// Data-track MP4 files (found by experiment with ffmpeg 5.1):
//  - the raw 32-byte fixes and 12-byte readings come in as two inputs of the
//    "data" demuxer (-raw_packet_size); those packets carry no timestamps,
//    and then every sample of the track lands at time 0, the default edit
//    list handling of libavformat returns only one packet per track;
//  - the setts bitstream filter gives each packet N / rate seconds and a
//    duration of 1 / rate, after which every packet reads back in order;
//  - the mp4 muxer refuses a data stream with tag gpmd ("incompatible with
//    output codec id 0"), the mov muxer takes it; the .mov is then remuxed
//    with -c copy into .mp4, which keeps both data tracks;
//  - -movflags use_metadata_tags stores "start_time" as a metadata key that
//    the demuxer returns in the format context's metadata.
// Video and audio packets of exactly 32 bytes look like fixes to a reader
// that does not check the stream type, so each result is counted with
// libavformat and encoded again at another bitrate when one turns up. Our
// own reader takes fixes only from data streams, so after a few tries the
// file is kept as it is (tiny silent audio frames can stay at 32 bytes).
#include "tools/recgen/RealVideo.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>

extern "C" {
#include <libavformat/avformat.h>
}

#include "tools/recgen/ProgramRunner.h"

namespace recgen {

namespace {

namespace fs = std::filesystem;

std::string Seconds(std::uint32_t ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%u.%03u", ms / 1000, ms % 1000);
  return buf;
}

DateTime VideoStart(const RecordingRecipe& recipe) {
  for (std::size_t i = 0; i < recipe.route.size(); ++i) {
    const GpsFix& f = recipe.route[i];
    if (f.year == 0) continue;
    const int rate = recipe.gpsRate ? recipe.gpsRate : 1;
    return DateTime{2000 + f.year, f.month, f.day, f.hour, f.minute, f.second}.Plus(
        -static_cast<std::int64_t>(i) / rate);
  }
  return recipe.videoStart;
}

// The moving test picture with the label and the running local time.
std::string VideoFilter(const RecordingRecipe& recipe) {
  const int big = std::max(12, recipe.height / 12);
  const int small = std::max(10, recipe.height / 16);
  const std::string font = "fontfile=" + recipe.fontFile;
  std::string label;
  for (char c : recipe.label)  // the label goes into a quoted filter argument
    if (std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-') label += c;
  std::string vf = recipe.mirrored ? "hflip," : "";
  vf += "drawtext=" + font + ":text='" + label + "':fontsize=" +
                   std::to_string(big) + ":fontcolor=white:box=1:boxcolor=black@0.5:x=10:y=10";
  // Quoted so the filter graph keeps the colons of the time expansion.
  vf += ",drawtext=" + font + ":text='%{pts\\:gmtime\\:" +
        std::to_string(VideoStart(recipe).ToUtcSeconds()) +
        "\\:%Y-%m-%d %H\\\\\\:%M\\\\\\:%S}':fontsize=" + std::to_string(small) +
        ":fontcolor=yellow:box=1:boxcolor=black@0.5:x=10:y=h-th-10";
  return vf;
}

void AddVideoInputs(const RecordingRecipe& recipe, std::vector<std::string>& a, bool withAudio) {
  const std::string size = std::to_string(recipe.width) + "x" + std::to_string(recipe.height);
  const std::string dur = Seconds(recipe.durationMs);
  a.insert(a.end(), {"-f", "lavfi", "-i",
                     "testsrc=size=" + size + ":rate=" + std::to_string(recipe.fps) +
                         ":duration=" + dur});
  if (withAudio)
    a.insert(a.end(), {"-f", "lavfi", "-i",
                       "anoisesrc=color=brown:amplitude=0.02:sample_rate=22050:duration=" + dur});
}

void AddVideoCodec(const RecordingRecipe& recipe, std::vector<std::string>& a, int kbps) {
  const std::string rate = std::to_string(kbps) + "k";
  const std::string peak = std::to_string(2 * kbps) + "k";
  a.insert(a.end(), {"-vf", VideoFilter(recipe), "-c:v", "libx264", "-preset", "veryfast",
                     "-pix_fmt", "yuv420p", "-b:v", rate, "-maxrate", peak, "-bufsize", peak,
                     "-g", std::to_string(2 * recipe.fps)});
}

std::vector<std::string> FfmpegHead(const RecordingRecipe& recipe) {
  return {recipe.ffmpegPath, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
}

int ReadWhole(const fs::path& p, Bytes& out, std::string* error) {
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    SetError(error, "cannot read " + p.string());
    return 0;
  }
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return 1;
}

struct TopItem {
  std::size_t at = 0;
  std::uint64_t size = 0;  // whole box or chunk, header included
  std::string code;        // box type, or list type for RIFF lists
};

std::vector<TopItem> TopBoxes(const Bytes& b) {
  std::vector<TopItem> items;
  std::size_t at = 0;
  while (at + 8 <= b.size()) {
    const std::uint64_t size = PeekBe32(b, at);
    if (size < 8 || at + size > b.size()) break;
    items.push_back({at, size, std::string(b.begin() + at + 4, b.begin() + at + 8)});
    at += size;
  }
  return items;
}

std::vector<TopItem> TopChunks(const Bytes& b) {
  std::vector<TopItem> items;
  std::size_t at = 12;
  while (at + 8 <= b.size()) {
    std::string code(b.begin() + at, b.begin() + at + 4);
    const std::uint64_t size = 8 + static_cast<std::uint64_t>(PeekLe32(b, at + 4));
    if (code == "LIST" && at + 12 <= b.size()) code = std::string(b.begin() + at + 8, b.begin() + at + 12);
    items.push_back({at, size, code});
    at += size + (size & 1);
  }
  return items;
}

// Moves the absolute offsets of OpenDML super indexes (hdrl/strl/indx) by delta.
void ShiftSuperIndexes(Bytes& b, std::size_t from, std::size_t to, std::int64_t delta) {
  std::size_t at = from;
  while (at + 8 <= to) {
    const std::string code(b.begin() + at, b.begin() + at + 4);
    const std::size_t size = PeekLe32(b, at + 4);
    if (code == "LIST") {
      ShiftSuperIndexes(b, at + 12, std::min(to, at + 8 + size), delta);
    } else if (code == "indx" && size >= 24 && b[at + 8 + 3] == 0 /* index of indexes */) {
      const std::uint32_t entries = PeekLe32(b, at + 8 + 4);
      for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t e = at + 8 + 24 + 16 * static_cast<std::size_t>(i);
        if (e + 8 > at + 8 + size) break;
        std::uint64_t off = 0;
        for (int k = 7; k >= 0; --k) off = (off << 8) | b[e + k];
        if (off == 0) continue;
        off += static_cast<std::uint64_t>(delta);
        for (int k = 0; k < 8; ++k) b[e + k] = static_cast<std::uint8_t>(off >> (8 * k));
      }
    }
    at += 8 + size + (size & 1);
  }
}

int PatchBoxes(const RecordingRecipe& recipe, Bytes& b, RecordingLayout* layout, std::string* error) {
  const std::vector<TopItem> top = TopBoxes(b);
  if (top.empty() || top.back().code != "moov") {
    SetError(error, "ffmpeg output does not end with moov");
    return 0;
  }
  const TelemetryBlock tel = MakeTelemetry(recipe, Framing::kBox);
  const TopItem& moov = top.back();
  if (recipe.placement == Placement::kInsideMoov || recipe.placement == Placement::kInsideUdta) {
    const Bytes child = recipe.placement == Placement::kInsideUdta ? Box("udta", tel.bytes) : tel.bytes;
    const std::size_t base = b.size() + (recipe.placement == Placement::kInsideUdta ? 8 : 0);
    Append(b, child);
    PokeBe32(b, moov.at, static_cast<std::uint32_t>(moov.size + child.size()));
    PlaceTelemetry(tel, base, layout);
    return 1;
  }
  PlaceTelemetry(tel, b.size(), layout);
  Append(b, tel.bytes);
  return 1;
}

int PatchAvi(const RecordingRecipe& recipe, Bytes& b, RecordingLayout* layout, std::string* error) {
  const std::vector<TopItem> top = TopChunks(b);
  const TopItem* movi = nullptr;
  const TopItem* hdrl = nullptr;
  for (const TopItem& t : top) {
    if (t.code == "movi") movi = &t;
    if (t.code == "hdrl") hdrl = &t;
  }
  if (!movi || !hdrl) {
    SetError(error, "ffmpeg output has no hdrl or movi list");
    return 0;
  }
  const TelemetryBlock tel = MakeTelemetry(recipe, Framing::kChunk);
  const bool before =
      recipe.placement == Placement::kBeforeMovi || recipe.placement == Placement::kInsideInfo;
  Bytes insert = recipe.placement == Placement::kInsideInfo ? List("INFO", tel.bytes) : tel.bytes;
  const std::size_t at = before ? movi->at : movi->at + movi->size + (movi->size & 1);
  if (before) ShiftSuperIndexes(b, hdrl->at + 12, hdrl->at + hdrl->size, static_cast<std::int64_t>(insert.size()));
  b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), insert.begin(), insert.end());
  PlaceTelemetry(tel, at + (recipe.placement == Placement::kInsideInfo ? 12 : 0), layout);
  PokeLe32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
  return 1;
}

// Padding after everything, as free boxes or a JUNK chunk, left as a hole.
void AddTrailingPadding(const RecordingRecipe& recipe, bool avi, FileImage& img) {
  std::uint64_t left = recipe.mdatPadding;
  while (left >= 8) {
    const std::uint64_t part = std::min<std::uint64_t>(left, 0xFFFFFFF0ull);
    Bytes h;
    if (avi) {
      PutCode(h, "JUNK");
      PutLe(h, part - 8, 4);
    } else {
      PutBe(h, part, 4);
      PutCode(h, "free");
    }
    const std::uint64_t at = img.Push(std::move(h));
    img.size = at + part;
    left -= part;
    if (avi) break;  // one RIFF holds at most 4 GiB
  }
}

const char* FormatName(Container c) {
  switch (c) {
    case Container::kMov: return "mov";
    case Container::kMp4Boxes: return "mp4";
    case Container::kThreeGp: return "3gp";
    case Container::kAvi: return "avi";
    case Container::kMp4DataTrack: return "mp4";
  }
  return "mov";
}

fs::path TempBeside(const fs::path& out, const std::string& suffix) {
  return out.parent_path() / ("." + out.filename().string() + suffix);
}

// Removes the named temp files however the function leaves.
struct TempFiles {
  std::vector<fs::path> paths;
  ~TempFiles() {
    std::error_code ec;
    for (const fs::path& p : paths) fs::remove(p, ec);
  }
};

}  // namespace

int WriteRealVideoRecording(const RecordingRecipe& recipe, const fs::path& out,
                            RecordingLayout* layout, std::string* error) {
  const bool avi = recipe.container == Container::kAvi;
  TempFiles temp;
  const fs::path movie = TempBeside(out, std::string(".tmp.") + FormatName(recipe.container));
  temp.paths.push_back(movie);
  std::vector<std::string> a = FfmpegHead(recipe);
  AddVideoInputs(recipe, a, recipe.audio);
  AddVideoCodec(recipe, a, recipe.videoKbps);
  if (recipe.audio) {
    if (avi)
      a.insert(a.end(), {"-c:a", "libmp3lame", "-b:a", "24k", "-ac", "1"});
    else
      a.insert(a.end(), {"-c:a", "aac", "-b:a", "24k", "-ac", "1"});
  }
  a.insert(a.end(), {"-f", FormatName(recipe.container), movie.string()});
  if (!RunProgram(a, error)) return 0;

  Bytes b;
  if (!ReadWhole(movie, b, error)) return 0;
  if (layout) *layout = {};
  if (!(avi ? PatchAvi(recipe, b, layout, error) : PatchBoxes(recipe, b, layout, error))) return 0;
  FileImage img;
  img.Push(std::move(b));
  AddTrailingPadding(recipe, avi, img);
  if (avi && img.size - 8 > 0xFFFFFFFFull) {
    SetError(error, "AVI padding beyond 4 GiB");
    return 0;
  }
  if (avi) {
    Bytes riffSize;
    PutLe(riffSize, static_cast<std::uint32_t>(img.size - 8), 4);
    img.Add(4, riffSize);
  }
  if (layout) layout->fileSize = img.size;
  return WriteImage(out, img, error);
}

int CountPackets(const fs::path& file, PacketCensus& census, std::string* error) {
  census = {};
  AVFormatContext* ctx = nullptr;
  if (avformat_open_input(&ctx, file.c_str(), nullptr, nullptr) < 0) {
    SetError(error, "libavformat cannot open " + file.string());
    return 0;
  }
  struct Closer {
    AVFormatContext** c;
    ~Closer() { avformat_close_input(c); }
  } closer{&ctx};
  if (avformat_find_stream_info(ctx, nullptr) < 0) {
    SetError(error, "libavformat finds no stream info in " + file.string());
    return 0;
  }
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    const AVCodecParameters* p = ctx->streams[i]->codecpar;
    if (p->codec_type == AVMEDIA_TYPE_DATA) ++census.dataStreams;
    if (p->codec_type == AVMEDIA_TYPE_VIDEO && census.width == 0) {
      census.width = p->width;
      census.height = p->height;
    }
  }
  if (ctx->duration != AV_NOPTS_VALUE) census.durationMs = ctx->duration / 1000;
  AVPacket* pkt = av_packet_alloc();
  while (av_read_frame(ctx, pkt) >= 0) {
    const bool data = ctx->streams[pkt->stream_index]->codecpar->codec_type == AVMEDIA_TYPE_DATA;
    if (pkt->size == 32) ++(data ? census.fixes : census.strayFixSized);
    if (pkt->size == 12 && data) ++census.wideSamples;
    av_packet_unref(pkt);
  }
  av_packet_free(&pkt);
  return 1;
}

int WriteDataTrackRecording(const RecordingRecipe& recipe, const fs::path& out, std::string* error) {
  TempFiles temp;
  const fs::path fixes = TempBeside(out, ".fixes.bin");
  const fs::path samples = TempBeside(out, ".gsensor.bin");
  const fs::path movie = TempBeside(out, ".tmp.mov");
  temp.paths = {fixes, samples, movie};

  const bool withFixes = (recipe.payloads & kPayloadGps) && !recipe.route.empty();
  const std::vector<GSensorWideSample> wide =
      recipe.gsensorWide.empty() ? WidenGSensor(recipe.gsensor) : recipe.gsensorWide;
  const bool withSamples = (recipe.payloads & kPayloadGSensor) && !wide.empty();
  if (withFixes && !WriteBytes(fixes, EncodeGpsPayload(recipe.route), error)) return 0;
  if (withSamples && !WriteBytes(samples, EncodeWideGSensor(wide), error)) return 0;

  const int gpsRate = recipe.gpsRate ? recipe.gpsRate : 1;
  const int sampleRate = recipe.gsensorRate ? recipe.gsensorRate : 10;
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::vector<std::string> a = FfmpegHead(recipe);
    // Without real video a plain 1 fps picture keeps the file small and fast.
    RecordingRecipe video = recipe;
    if (!recipe.realVideo) video.fps = 1;
    AddVideoInputs(video, a, recipe.realVideo && recipe.audio);
    int input = (recipe.realVideo && recipe.audio) ? 2 : 1;
    std::vector<std::string> maps = {"-map", "0:v"};
    if (recipe.realVideo && recipe.audio) maps.insert(maps.end(), {"-map", "1:a"});
    std::vector<std::string> bsf;
    int dataIndex = 0;
    auto addData = [&](const fs::path& file, int packetSize, int rate) {
      a.insert(a.end(), {"-f", "data", "-raw_packet_size", std::to_string(packetSize), "-i",
                         file.string()});
      maps.insert(maps.end(), {"-map", std::to_string(input++)});
      bsf.insert(bsf.end(), {"-bsf:d:" + std::to_string(dataIndex++),
                             "setts=ts=N/TB/" + std::to_string(rate) +
                                 ":duration=1/TB/" + std::to_string(rate)});
    };
    if (withFixes) addData(fixes, 32, gpsRate);
    if (withSamples) addData(samples, 12, sampleRate);
    a.insert(a.end(), maps.begin(), maps.end());
    AddVideoCodec(video, a, recipe.videoKbps + 7 * attempt);
    if (recipe.realVideo && recipe.audio) a.insert(a.end(), {"-c:a", "aac", "-b:a", "24k", "-ac", "1"});
    if (withFixes || withSamples) a.insert(a.end(), {"-c:d", "copy", "-tag:d", "gpmd"});
    a.insert(a.end(), bsf.begin(), bsf.end());
    if (!recipe.mp4StartTimeMeta.empty())
      a.insert(a.end(), {"-metadata", "start_time=" + recipe.mp4StartTimeMeta});
    a.insert(a.end(), {"-movflags", "use_metadata_tags", "-f", "mov", movie.string()});
    if (!RunProgram(a, error)) return 0;

    std::vector<std::string> remux = FfmpegHead(recipe);
    remux.insert(remux.end(), {"-i", movie.string(), "-map", "0", "-c", "copy", "-movflags",
                               "use_metadata_tags", "-f", "mp4", out.string()});
    std::error_code ec;
    fs::remove(out, ec);
    if (!RunProgram(remux, error)) return 0;

    PacketCensus census;
    if (!CountPackets(out, census, error)) return 0;
    if (census.strayFixSized == 0) return 1;
  }
  return 1;
}

}  // namespace recgen
