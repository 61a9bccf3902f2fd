// The span's pictures decoded, laid out on one canvas, optionally with the
// overlay line, and encoded as H.264; the front camera's sound copied.
#include "export/ExportRun.h"
#include "export/FrameComposer.h"
#include "export/FrameReader.h"
#include "export/SpanTelemetry.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace {

// The recording whose pictures fill the canvas (the rear alone only when
// asked for, or when the minute has no front).
const std::string& MainPath(const ExportPiece& p, ExportLayout layout) {
  if (layout == ExportLayout::kRear || p.frontPath.empty()) return p.rearPath;
  return p.frontPath;
}

// The picture sizes of the first recording with each camera.
bool FirstSizes(const ExportPlan& plan, ExportLayout layout, int size[4], std::string& error) {
  const bool wantRear =
      layout == ExportLayout::kSideBySide || layout == ExportLayout::kPictureInPicture;
  size[0] = size[1] = size[2] = size[3] = 0;
  for (const ExportPiece& p : plan.pieces) {
    const std::string& main = MainPath(p, layout);
    MediaInput in;
    if (size[0] == 0) {
      if (!in.Open(main, error)) return false;
      size[0] = in.VideoStream()->codecpar->width;
      size[1] = in.VideoStream()->codecpar->height;
    }
    if (wantRear && size[2] == 0 && !p.frontPath.empty() && !p.rearPath.empty()) {
      MediaInput rear;
      std::string ignored;
      if (rear.Open(p.rearPath, ignored)) {
        size[2] = rear.VideoStream()->codecpar->width;
        size[3] = rear.VideoStream()->codecpar->height;
      }
    }
  }
  return true;
}

class ComposedWriter {
 public:
  ComposedWriter(ExportRun& run, ExportLayout layout)
      : m_run(run), m_layout(layout), m_telemetry(run.plan) {}
  bool Run();

 private:
  bool OpenEncoder(AVRational frameRate);
  bool Piece(std::size_t index);
  bool Encode(AVFrame* frame);

  ExportRun& m_run;
  ExportLayout m_layout;
  SpanTelemetry m_telemetry;
  FrameComposer m_composer;
  AvCodecPtr m_encoder;
  int m_videoOut = -1;
  AvFramePtr m_canvas = MakeFrame();
  AvFramePtr m_picture = MakeFrame();
  AvPacketPtr m_packet = MakePacket();
  std::int64_t m_lastPts = INT64_MIN;
};

bool ComposedWriter::OpenEncoder(AVRational frameRate) {
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
  m_encoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
  if (!m_encoder) {
    m_run.result.error = "no H.264 encoder";
    return false;
  }
  AVCodecContext* e = m_encoder.get();
  e->width = m_composer.Width();
  e->height = m_composer.Height();
  e->pix_fmt = AV_PIX_FMT_YUV420P;
  e->time_base = kMicroseconds;
  e->framerate = frameRate.num > 0 ? frameRate : AVRational{30, 1};
  e->thread_count = 0;
  if (m_run.out.Context()->oformat->flags & AVFMT_GLOBALHEADER)
    e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(e->priv_data, "preset", m_run.request.preset.c_str(), 0);
  av_opt_set(e->priv_data, "crf", "23", 0);
  if (avcodec_open2(e, codec, nullptr) < 0) {
    m_run.result.error = "cannot start the H.264 encoder";
    return false;
  }
  AVCodecParameters* par = avcodec_parameters_alloc();
  avcodec_parameters_from_context(par, e);
  AVStream* s = m_run.out.AddStream(par, AVRational{1, 90000});
  avcodec_parameters_free(&par);
  if (!s) return false;
  m_videoOut = s->index;
  return true;
}

bool ComposedWriter::Encode(AVFrame* frame) {
  if (avcodec_send_frame(m_encoder.get(), frame) < 0) {
    m_run.result.error = "the H.264 encoder failed";
    return false;
  }
  while (avcodec_receive_packet(m_encoder.get(), m_packet.get()) == 0) {
    const bool ok = m_run.out.Write(m_packet.get(), m_videoOut, m_run.result.error);
    av_packet_unref(m_packet.get());
    if (!ok) return false;
  }
  return true;
}

bool ComposedWriter::Piece(std::size_t index) {
  const ExportPiece& p = m_run.plan.pieces[index];
  const std::string& mainPath = MainPath(p, m_layout);
  const bool frontMain = mainPath == p.frontPath;
  const std::int64_t fromUs = p.inMs * 1000, toUs = p.outMs * 1000;
  const std::int64_t shiftUs = p.atMs * 1000 - fromUs;
  FrameReader main;
  if (mainPath.empty()) {
    m_run.result.error = "a recording of the span has no rear camera";
    return false;
  }
  if (!main.Open(mainPath, p.inMs, m_run.result.error)) return false;
  bool audioOk = true;
  if (frontMain) {
    main.onAudio = [&](AVPacket* packet) {
      audioOk = m_run.CopyAudio(main.Input(), packet, fromUs, toUs, shiftUs);
      return audioOk;
    };
  }
  RearPictures rear;
  const bool withRear = m_composer.Width() != 0 && frontMain && !p.rearPath.empty() &&
                        (m_layout == ExportLayout::kSideBySide ||
                         m_layout == ExportLayout::kPictureInPicture);
  std::string rearError;
  const bool rearOpen = withRear && rear.Open(p.rearPath, p.inMs, rearError);
  std::int64_t at = 0;
  while (main.Next(m_picture.get(), at)) {
    if (at >= toUs) break;
    // A picture that would not move the clip forward (a repeated time
    // stamp at a recording's edge) is dropped; the encoder needs rising times.
    if (at >= fromUs && at + shiftUs > m_lastPts) {
      m_lastPts = at + shiftUs;
      const AVFrame* side = rearOpen ? rear.At(at) : nullptr;
      if (!m_composer.Compose(m_picture.get(), side, m_canvas.get())) {
        m_run.result.error = "cannot lay out the pictures";
        return false;
      }
      if (m_run.request.overlay)
        m_composer.DrawLine(m_canvas.get(), m_telemetry.OverlayLine(index, at / 1000, m_run.request.mph));
      m_canvas->pts = at + shiftUs;
      if (!Encode(m_canvas.get()) || !m_run.Report(m_canvas->pts)) return false;
    }
    av_frame_unref(m_picture.get());
  }
  av_frame_unref(m_picture.get());
  m_run.result.skippedFrames += main.Skipped() + (rearOpen ? rear.Skipped() : 0);
  return audioOk;
}

bool ComposedWriter::Run() {
  int size[4];
  if (!FirstSizes(m_run.plan, m_layout, size, m_run.result.error)) return false;
  if (!m_composer.Setup(m_layout, size[0], size[1], size[2], size[3])) {
    m_run.result.error = "the recordings have no picture size";
    return false;
  }
  const ExportPiece& first = m_run.plan.pieces.front();
  const std::string& firstPath = MainPath(first, m_layout);
  MediaInput probe;
  if (firstPath.empty() || !probe.Open(firstPath, m_run.result.error)) {
    if (firstPath.empty()) m_run.result.error = "a recording of the span has no rear camera";
    return false;
  }
  if (!OpenEncoder(probe.VideoStream()->avg_frame_rate)) return false;
  if (firstPath == first.frontPath) m_run.AddAudioStream(probe);
  if (!m_run.out.Begin(m_run.result.error)) return false;
  for (std::size_t i = 0; i < m_run.plan.pieces.size(); ++i) {
    if (!Piece(i)) return false;
  }
  if (!Encode(nullptr)) return false;
  m_run.result.seconds = m_run.plan.lengthMs / 1000.0;
  return true;
}

}  // namespace

bool WriteComposedClip(ExportRun& run, ExportLayout layout) {
  ComposedWriter writer(run, layout);
  return writer.Run();
}
