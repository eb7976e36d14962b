// Line mode: received data is collected until the line end text arrives,
// and each line (with its line end) is then presented to OnDataAvailable
// as the data to read.
#pragma once

#include "SocksSocket.h"

class TCustomLineSocket : public TCustomSocksSocket {
 public:
  explicit TCustomLineSocket(TComponent* owner) : TCustomSocksSocket(owner) {}

  bool LineMode() const { return lineMode_; }
  // Switching on with data waiting delivers the waiting lines.
  void SetLineMode(bool on);
  std::string LineEnd = "\r\n";
  bool LineEcho = false;
  bool LineEdit = false;
  // Longest line collected; beyond it OnLineTooLong fires and what was
  // collected is delivered as a line.
  int LineLimit = 65536;

  int Receive(void* buffer, int size) override;
  int RcvdCount() override;

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void TriggerDataAvailable(int error) override;
  void TriggerSessionClosed(int error) override;

 private:
  // Adds received bytes to the line buffer, editing and echoing them.
  void Collect(const char* data, int len);
  void DeliverLines(int error, bool all);
  void Deliver(std::string line, int error);

  bool lineMode_ = false;
  std::string rcvBuf_;
  std::string line_;       // the line being presented
  bool lineReady_ = false;
};
