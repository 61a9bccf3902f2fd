#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "telemetry/TelemetryTypes.h"

class CZelVideoParser;

// A private scratch folder on a memory file system (/dev/shm when there is
// one) where each input is written as a real file under a real name, so
// the code under test opens it exactly as it opens recordings on a card.
// Removed with everything in it when the process ends normally.
class FuzzScratch {
 public:
  FuzzScratch();
  ~FuzzScratch();
  FuzzScratch(const FuzzScratch&) = delete;
  FuzzScratch& operator=(const FuzzScratch&) = delete;

  // Ends in '/'.
  const std::string& Folder() const { return m_folder; }
  // Replaces Folder() + name with the bytes; returns the full path.
  std::string Write(const std::string& name, const std::uint8_t* data, std::size_t size);

 private:
  std::string m_folder;
};

// Stops the run with a message when a promise of the code under test is
// broken: libFuzzer reports it like a crash and keeps the input.
void FuzzCheck(bool condition, const char* what);

// Parses the bytes in memory with `parser` and checks its contract: the
// status is one of the four, and never an I/O error (memory cannot fail);
// a failed parse carries an all-zero MediaInfo; a box or AVI parse that
// passes has a picture size and a duration; the file size reported is the
// input's.
void ParseWithContract(CZelVideoParser& parser, const std::uint8_t* data, std::size_t size,
                       bool needsPictureFacts);

// Runs the catalogue over the file as the player does after a scan: adds
// it in single-file mode, makes it current, loads its telemetry, follows
// playback to a few times and exports the route as KML into the scratch
// folder. Checks that the exported document is complete when it is written.
void RunCatalogue(const FuzzScratch& scratch, const std::string& name);
