// A recording run of the real Recorder with TezHttpGet fetching the items
// from the local test server.
#include <gtest/gtest.h>

#include <cstdlib>

#include "../recorder/RecorderRunSupport.h"

namespace {

std::string HttpItem(const std::string& path) {
  return "link=http://127.0.0.1:" + std::string(std::getenv("BRINDALE_HTTP_PORT")) + path +
         "\r\nrecStatus=1\r\nitemStatus=1\r\n";
}

SampleRuns Runs(std::initializer_list<std::pair<int, double>> parts) {
  SampleRuns runs;
  for (const auto& part : parts) runs.emplace_back(part.first, Frames(part.second));
  return runs;
}

}  // namespace

TEST(RecorderHttp, FetchedItemsPlayAndAFailedOneIsSkippedWithItsError) {
  ASSERT_NE(nullptr, std::getenv("BRINDALE_HTTP_PORT")) << "run under with_server.sh";
  RunFolder run("http");
  run.Write("TezItemOperators.inx",
            "[Entry List]\r\nnumberEntries=2\r\nentry1=TezHttpGet.dll\r\nentry2=RecPeerLog.dll\r\n"
            "[TezHttpGet.dll]\r\nid=http\r\nidentifiers=http\r\n"
            "[RecPeerLog.dll]\r\nid=log\r\nidentifiers=actLog\r\n");
  run.WriteWave("source\\a.wav", 1000, 0.2);
  run.WriteWave("source\\c.wav", 3000, 0.2);
  run.WriteItems({HttpItem("/files/http/source/a.wav"), HttpItem("/files/http/source/none.wav"),
                  HttpItem("/redirect/302?to=/files/http/source/c.wav")});
  run.Run();

  const std::string items = "data\\news\\news.inx";
  EXPECT_EQ("4", run.Key(items, "1", "recStatus"));
  EXPECT_EQ("6", run.Key(items, "2", "recStatus"));
  EXPECT_EQ("Http error [404]: Link not found", run.Key(items, "2", "errorHint"));
  EXPECT_EQ("4", run.Key(items, "3", "recStatus"));
  EXPECT_EQ(ReadRuns(run.Recording()),
            Runs({{100, 0.2}, {200, 0.2}, {1000, 0.2}, {3000, 0.2}, {300, 0.2}}));
}

TEST(RecorderHttp, AFetchedMpegItemIsDecodedIntoTheRecording) {
  ASSERT_NE(nullptr, std::getenv("BRINDALE_HTTP_PORT")) << "run under with_server.sh";
  RunFolder run("mpeg");
  run.Write("TezItemOperators.inx",
            "[Entry List]\r\nnumberEntries=2\r\nentry1=TezHttpGet.dll\r\nentry2=RecPeerLog.dll\r\n"
            "[TezHttpGet.dll]\r\nid=http\r\nidentifiers=http\r\n"
            "[RecPeerLog.dll]\r\nid=log\r\nidentifiers=actLog\r\n");
  run.WriteWave("source\\a.wav", 1000, 0.2);
  // tone.mp3 (one second of tone) is made in the working folder by the wrapper.
  run.WriteItems({HttpItem("/files/mpeg/source/a.wav"), HttpItem("/files/tone.mp3")});
  run.Run();

  // The fetched file has the temporary extension: it is played by its content.
  const std::string items = "data\\news\\news.inx";
  EXPECT_EQ("4", run.Key(items, "1", "recStatus"));
  EXPECT_EQ("4", run.Key(items, "2", "recStatus")) << run.Key(items, "2", "errorHint");
  const size_t frames = LeftSamples(run.Recording()).size();
  EXPECT_GE(frames, Frames(0.2 * 4 + 1.0));  // opening, greeting, a, the tone, closing
  EXPECT_LE(frames, Frames(0.2 * 4 + 1.08));
}
