// TezFtpGet.dll: the FTP fetch plug-in, whose exports are all the common
// item-operator ones.
#include "FtpGetDlg.h"
#include "ItemOperatorFrame.h"

namespace {

class CFtpGetFrame : public CItemOperatorFrame {
 public:
  CFtpGetFrame() : CItemOperatorFrame("TezFtpGet.dll", 280498, MailLink::kByDialog) {}

 protected:
  CItemOperatorDlg* NewDialog(HWND parent) override { return new CFtpGetDlg(*this, parent); }
};

CFtpGetFrame g_frame;

}  // namespace

CItemOperatorFrame& PluginFrame() { return g_frame; }
