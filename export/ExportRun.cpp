#include "export/ExportRun.h"

#include <algorithm>

bool ExportRun::Report(std::int64_t clipUs) {
  if (!progress || plan.lengthMs <= 0) return true;
  const double fraction = std::clamp(clipUs / (plan.lengthMs * 1000.0), 0.0, 1.0);
  if (progress(fraction)) return true;
  result.cancelled = true;
  return false;
}

void ExportRun::AddAudioStream(const MediaInput& input) {
  const AVStream* in = input.AudioStream();
  if (!in) return;
  const AVCodecID id = in->codecpar->codec_id;
  if (avformat_query_codec(out.Context()->oformat, id, FF_COMPLIANCE_NORMAL) != 1) {
    result.notices.push_back(std::string("the sound (") + avcodec_get_name(id) +
                             ") cannot go into MP4 unchanged; the clip has no sound");
    return;
  }
  const int rate = in->codecpar->sample_rate > 0 ? in->codecpar->sample_rate : 48000;
  AVStream* s = out.AddStream(in->codecpar, AVRational{1, rate});
  if (s) audioOut = s->index;
}

bool ExportRun::CopyAudio(const MediaInput& input, AVPacket* packet, std::int64_t fromUs,
                          std::int64_t toUs, std::int64_t shiftUs) {
  if (audioOut < 0 || packet->pts == AV_NOPTS_VALUE) return true;
  const AVCodecParameters* want = out.Context()->streams[audioOut]->codecpar;
  const AVCodecParameters* have = input.AudioStream()->codecpar;
  if (have->codec_id != want->codec_id || have->sample_rate != want->sample_rate ||
      have->ch_layout.nb_channels != want->ch_layout.nb_channels) {
    if (!audioMismatchNoted) {
      result.notices.push_back("a recording's sound differs from the first one's; left out");
      audioMismatchNoted = true;
    }
    return true;
  }
  const std::int64_t at = input.OffsetUs(packet->pts, input.audio);
  if (at < fromUs || at >= toUs) return true;
  const AVRational tb = input.AudioStream()->time_base;
  packet->pts = at + shiftUs;
  packet->dts = packet->pts;
  packet->duration = av_rescale_q(packet->duration, tb, kMicroseconds);
  return out.Write(packet, audioOut, result.error);
}
