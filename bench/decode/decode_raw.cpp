// Decodes MPEG audio files to raw interleaved 16-bit PCM, one output file
// per input: decode_raw <in> <out.raw> [<in> <out.raw> ...]. check_output.sh
// keeps these as a reference and compares later builds against it.
#include <stdio.h>

#include "FileDecoder.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 == 0) {
    fprintf(stderr, "usage: decode_raw <in> <out.raw> [<in> <out.raw> ...]\n");
    return 2;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    DecodedPcm pcm = DecodeFileToPcm(argv[i]);
    if (pcm.report.frames == 0) {
      fprintf(stderr, "%s: no frames\n", argv[i]);
      return 1;
    }
    FILE* f = fopen(argv[i + 1], "wb");
    if (!f || fwrite(pcm.samples.data(), 2, pcm.samples.size(), f) != pcm.samples.size()) {
      fprintf(stderr, "%s: cannot write\n", argv[i + 1]);
      return 1;
    }
    fclose(f);
  }
  return 0;
}
