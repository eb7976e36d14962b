// Runs of the real Recorder.exe whose channel holds MPEG audio items beside
// wave items: the encoders made tone.mp3 and tone.mp2 (a 1 kHz sine at half
// scale, one second) in the working folder.
#include <gtest/gtest.h>

#include <cmath>

#include "RecorderRunSupport.h"

namespace {

void CopyEncoded(const RunFolder& run, const char* name) {
  ASSERT_TRUE(CopyFileA(name, run.File(std::string("items\\") + name).c_str(), FALSE)) << name;
}

// Where the constant run (value, frames) starts in the recording, or -1.
long RunStart(const SampleRuns& runs, int value, uint32_t frames) {
  long at = 0;
  for (const auto& run : runs) {
    if (run.first == value && run.second == frames) return at;
    at += long(run.second);
  }
  return -1;
}

struct Tone {
  double seconds;
  double rms;
  double hertz;
};

// The tone between two samples, measured away from its edges.
Tone Measure(const std::vector<int16_t>& left, long begin, long end) {
  Tone tone = {double(end - begin) / 44100, 0, 0};
  const long from = begin + 4410, to = end - 4410;
  if (to - from < 4410) return tone;
  double sum = 0;
  int crossings = 0;
  for (long i = from; i < to; ++i) {
    sum += double(left[i]) * left[i];
    crossings += i > from && (left[i - 1] < 0) != (left[i] < 0);
  }
  tone.rms = std::sqrt(sum / double(to - from));
  tone.hertz = crossings / 2.0 / (double(to - from) / 44100);
  return tone;
}

}  // namespace

TEST(RecorderMpegRun, WaveAndMpegItemsAreRecordedInOrder) {
  RunFolder run("mpeg");
  run.WriteWave("items\\a.wav", 1000, 0.3);
  CopyEncoded(run, "tone.mp3");
  run.WriteWave("items\\b.wav", 2000, 0.2);
  CopyEncoded(run, "tone.mp2");
  run.WriteItems({LocalItem("a.wav"), LocalItem("tone.mp3"), LocalItem("b.wav"),
                  LocalItem("tone.mp2")});
  RunReports reports = run.Run();

  int last = -1;
  for (int item = 1; item <= 4; ++item) {
    const int at = reports.Find(ItemReport(4, item));
    ASSERT_GT(at, last) << item;
    last = at;
    EXPECT_EQ(run.Key("data\\news\\news.inx", std::to_string(item), "recStatus"), "4") << item;
  }
  EXPECT_EQ(reports.lines.back(), "EXIT 0");

  const std::string recording = run.Recording();
  ASSERT_FALSE(recording.empty());
  const SampleRuns runs = ReadRuns(recording);
  const std::vector<int16_t> left = LeftSamples(recording);
  const long a = RunStart(runs, 1000, Frames(0.3));
  const long b = RunStart(runs, 2000, Frames(0.2));
  const long bye = RunStart(runs, 300, Frames(0.2));
  ASSERT_GE(a, 0);
  ASSERT_GT(b, a);
  ASSERT_GT(bye, b);
  EXPECT_EQ(bye + long(Frames(0.2)), long(left.size()));  // the closing ends the recording

  // Each tone lasts its second plus the encoder's delay and last frame,
  // at its level (half scale: RMS 16384 / sqrt 2) and its pitch.
  struct Part {
    const char* name;
    long begin, end;
  };
  for (const Part& part : {Part{"mp3", a + long(Frames(0.3)), b},
                           Part{"mp2", b + long(Frames(0.2)), bye}}) {
    const Tone tone = Measure(left, part.begin, part.end);
    EXPECT_GE(tone.seconds, 1.0) << part.name;
    EXPECT_LE(tone.seconds, 1.08) << part.name;
    EXPECT_NEAR(tone.rms, 11585, 600) << part.name;
    EXPECT_NEAR(tone.hertz, 1000, 10) << part.name;
  }
}

TEST(RecorderMpegRun, UndecodableMpegItemIsInErrorAndTheNextOnePlays) {
  RunFolder run("badmpeg");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.Write("items\\bad.mp3", std::string(4000, 'x'));
  run.WriteWave("items\\c.wav", 3000, 0.2);
  run.WriteItems({LocalItem("a.wav"), LocalItem("bad.mp3"), LocalItem("c.wav")});
  RunReports reports = run.Run();

  EXPECT_TRUE(reports.Has(ItemReport(6, 2)));
  EXPECT_FALSE(reports.Has(ItemReport(4, 2)));
  EXPECT_TRUE(reports.Has(ItemReport(4, 3)));
  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "2", "recStatus"), "6");
  EXPECT_NE(run.Key("data\\news\\news.inx", "2", "errorHint").find("Not an MPEG audio file."),
            std::string::npos);
  EXPECT_NE(run.Read("Recorder.log").find("Item Player : Error : Not an MPEG audio file."),
            std::string::npos);  // the error came by mail
  EXPECT_EQ(run.Key("data\\news\\news.inx", "3", "recStatus"), "4");
  const SampleRuns expected = {{100, Frames(0.2)}, {200, Frames(0.2)}, {1000, Frames(0.2)},
                               {3000, Frames(0.2)}, {300, Frames(0.2)}};
  EXPECT_EQ(ReadRuns(run.Recording()), expected);
}
