// Decodes a whole MPEG audio file, every layer, as the playback thread does
// but without a device: into a sink, or into interleaved 16-bit PCM in memory.
#pragma once

#include <stdint.h>

#include <vector>

#include "FrameHeader.h"
#include "PcmSink.h"

struct FileDecodeReport {
  bool opened = false;    // the file could be opened
  int frames = 0;         // headers read
  int decoded = 0;        // frames decoded (a Layer III frame still short of main data included)
  int crcMismatches = 0;  // Layer I/II frames dropped for their check word
  int failed = 0;         // Layer III frames given up on
  FrameHeader first;      // the first header; valid when frames > 0
  int rate = 0;           // sampling rate in Hz, 0 without a frame
  int channels = 0;       // output channels, 0 without a frame
};

// All frames of the file into the sink; a single-channel stream goes out as
// channel 0 only. A file without a frame gives frames == 0; one that cannot
// be opened also shows the reader's message (see UserMessage.h).
FileDecodeReport DecodeFile(const char* path, PcmSink& sink);

struct DecodedPcm {
  FileDecodeReport report;
  std::vector<int16_t> samples;  // interleaved, report.channels per sample frame
};
DecodedPcm DecodeFileToPcm(const char* path);
