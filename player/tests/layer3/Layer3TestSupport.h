// Decoding Layer III files into memory, and reading the encoder's input.
#pragma once
#include <string>

#include "TestKit.h"

struct Layer3File {
  bool opened = false;
  int channels = 0;
  int rate = 0;
  int frames = 0;  // headers read
  testkit::CaptureSink sink;
};

void DecodeLayer3File(const std::string& path, Layer3File& out);

// Raw 16-bit little-endian PCM as written by make_signal.py.
testkit::Pcm ReadRawPcm(const std::string& path, int channels, int rate);
