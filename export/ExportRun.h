#pragma once

#include <cstdint>
#include <string>

#include "export/AvHandles.h"
#include "export/ClipExport.h"
#include "export/ExportPlan.h"
#include "export/MuxOutput.h"

// State shared by the two ways of writing a clip (copied streams,
// composed pictures) while one export runs.
struct ExportRun {
  const ExportRequest& request;
  const ExportPlan& plan;
  const ExportProgress& progress;
  ExportResult& result;
  MuxOutput& out;
  int audioOut = -1;  // output stream of the front camera's sound; -1 none
  bool audioMismatchNoted = false;

  // Reports the clip time written; false (and `cancelled`) when the
  // callback asks to stop.
  bool Report(std::int64_t clipUs);
  // Adds the sound stream after `input`'s audio when an MP4 file can hold
  // it without re-encoding; a notice otherwise.
  void AddAudioStream(const MediaInput& input);
  // Copies one audio packet of `input` whose recording offset lies in
  // [fromUs, toUs), moved by `shiftUs` onto the clip's time line. Packets
  // outside, or of a recording whose sound differs from the first one's,
  // are dropped. False on a write failure.
  bool CopyAudio(const MediaInput& input, AVPacket* packet, std::int64_t fromUs,
                 std::int64_t toUs, std::int64_t shiftUs);
};

// The span's pictures copied without re-encoding from one camera.
bool WriteCopiedClip(ExportRun& run, bool rear);
// The span decoded, laid out (and with the overlay) and encoded as H.264.
bool WriteComposedClip(ExportRun& run, ExportLayout layout);
