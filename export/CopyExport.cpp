// The span's packets copied into the clip without re-encoding: cut at the
// key frame at or before the start, recordings joined end to end.
#include "export/ExportRun.h"

namespace {

bool SameVideo(const AVCodecParameters* a, const AVCodecParameters* b) {
  return a->codec_id == b->codec_id && a->width == b->width && a->height == b->height;
}

// Copies one recording's part; `clipUs` is where it begins in the clip and
// becomes where it ends.
bool CopyPiece(ExportRun& run, const ExportPiece& piece, const std::string& path,
               std::int64_t& clipUs, int videoOut) {
  MediaInput in;
  if (!in.Open(path, run.result.error)) return false;
  const AVCodecParameters* want = run.out.Context()->streams[videoOut]->codecpar;
  if (!SameVideo(in.VideoStream()->codecpar, want)) {
    run.result.error = path + " is coded differently from the first recording of the span; "
                              "export it without --copy";
    return false;
  }
  in.SeekTo(piece.inMs);
  const std::int64_t endUs = piece.outMs * 1000;
  std::int64_t cutUs = -1;  // the key frame the piece starts at
  AvPacketPtr packet = MakePacket();
  bool videoDone = false;
  while (!videoDone && av_read_frame(in.format.get(), packet.get()) >= 0) {
    const int stream = packet->stream_index;
    bool ok = true;
    if (stream == in.video && packet->dts != AV_NOPTS_VALUE) {
      const std::int64_t dtsUs = in.OffsetUs(packet->dts, stream);
      const std::int64_t ptsUs =
          packet->pts == AV_NOPTS_VALUE ? dtsUs : in.OffsetUs(packet->pts, stream);
      if (cutUs < 0 && (packet->flags & AV_PKT_FLAG_KEY)) cutUs = std::min(ptsUs, piece.inMs * 1000);
      if (cutUs >= 0 && dtsUs >= endUs) videoDone = true;
      if (cutUs >= 0 && !videoDone) {
        packet->pts = clipUs + ptsUs - cutUs;
        packet->dts = clipUs + dtsUs - cutUs;
        packet->duration = av_rescale_q(packet->duration, in.VideoStream()->time_base, kMicroseconds);
        const std::int64_t writtenUs = packet->dts;  // Write takes the packet over
        ok = run.out.Write(packet.get(), videoOut, run.result.error) && run.Report(writtenUs);
      }
    } else if (stream == in.audio && cutUs >= 0) {
      ok = run.CopyAudio(in, packet.get(), cutUs, endUs, clipUs - cutUs);
    }
    av_packet_unref(packet.get());
    if (!ok) return false;
  }
  if (cutUs < 0) {
    run.result.error = "no key frame in " + path;
    return false;
  }
  clipUs += endUs - cutUs;
  return true;
}

}  // namespace

bool WriteCopiedClip(ExportRun& run, bool rear) {
  std::int64_t clipUs = 0;
  int videoOut = -1;
  for (const ExportPiece& piece : run.plan.pieces) {
    const std::string& path = rear || piece.frontPath.empty() ? piece.rearPath : piece.frontPath;
    if (path.empty()) {
      run.result.error = "a recording of the span has no rear camera";
      return false;
    }
    if (videoOut < 0) {
      MediaInput first;
      if (!first.Open(path, run.result.error)) return false;
      AVStream* s = run.out.AddStream(first.VideoStream()->codecpar, AVRational{1, 90000});
      if (!s) {
        run.result.error = "cannot copy the video of " + path + " into MP4";
        return false;
      }
      videoOut = s->index;
      run.AddAudioStream(first);
      if (!run.out.Begin(run.result.error)) return false;
    }
    if (!CopyPiece(run, piece, path, clipUs, videoOut)) return false;
  }
  run.result.seconds = clipUs / 1e6;
  return true;
}
