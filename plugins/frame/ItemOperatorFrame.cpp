#include "ItemOperatorFrame.h"

#include "IniManager.h"
#include "ItemOperatorDlg.h"

namespace {
const char kRecorderMailslot[] = "\\\\.\\mailslot\\Brindale_Recorder_Mailslot";
}

CItemOperatorFrame::CItemOperatorFrame(const char* libraryFile, int version, MailLink mailLink)
    : m_libraryFile(libraryFile), m_version(version), m_mailLink(mailLink) {
  m_app.Attach(FrameModule(), "");
}

CItemOperatorFrame::~CItemOperatorFrame() { delete m_ini; }

UINT CItemOperatorFrame::StopMessage() const { return WM_TEZ_OP_STOP; }

int CItemOperatorFrame::Initialize(HWND parent, const char* mailslotName, TezMailHook hook) {
  m_params.m_parent = parent;
  m_params.m_mailslotName = mailslotName ? mailslotName : "";
  if (m_mailLink == MailLink::kByDialog && m_params.m_mailslotName.empty())
    m_params.m_mailslotName = kRecorderMailslot;
  m_params.m_hook = hook;
  m_initialised = 0;
  m_indexPath = InCurrentDirectory(m_params.m_indexFile.c_str());

  delete m_ini;
  m_ini = new CIniManager("TezIniManager.dll", 1);
  if (!m_ini->GetDllLoadState()) {
    delete m_ini;
    m_ini = nullptr;
    return 0;
  }
  if (!parent || !IsWindow(parent)) return 0;
  m_parent = parent;

  CItemOperatorDlg* dialog = m_dialog;
  bool ready = true;
  if (dialog) {
    if (IsWindowVisible(dialog->Handle())) SetActiveWindow(dialog->Handle());
    // Mail goes to the target given now, also when the dialog stays.
    if (m_mailLink == MailLink::kByInitialize)
      ready = dialog->OpenMailLink(m_params);
    else
      dialog->OpenMailLinkOrEnd();
  } else {
    dialog = NewDialog(m_parent);
    m_dialog = dialog;
    ready = dialog->Create() &&
            (m_mailLink != MailLink::kByInitialize || dialog->OpenMailLink(m_params));
  }
  if (!ready) {
    if (dialog->Handle()) DestroyWindow(dialog->Handle());  // deletes it
    else delete dialog;
    m_dialog = nullptr;
    return 0;
  }
  if (m_ini->GetInt(m_indexPath.c_str(), m_libraryFile.c_str(), "showDialog") == 1)
    ShowWindow(m_dialog->Handle(), SW_SHOWNORMAL);
  m_initialised = 1;
  return 1;
}

int CItemOperatorFrame::Initialize1(HWND parent, const char* mailslotName) {
  return Initialize(parent, mailslotName, nullptr);
}

int CItemOperatorFrame::Initialize2(HWND parent, const char* mailslotName, TezMailHook hook,
                                    int useMappedMail, int useMailslot) {
  m_params.m_useMappedMail = useMappedMail;
  m_params.m_useMailslot = useMailslot;
  return Initialize(parent, mailslotName, hook);
}

int CItemOperatorFrame::Initialize3(HWND parent, const char* mailslotName, TezMailHook hook,
                                    int useMappedMail, int useMailslot, const char* indexFile) {
  m_params.m_useMappedMail = useMappedMail;
  m_params.m_useMailslot = useMailslot;
  if (indexFile) m_params.m_indexFile = indexFile;
  return Initialize(parent, mailslotName, hook);
}

int CItemOperatorFrame::Close() {
  if (!m_initialised) return 0;
  if (m_dialog) DestroyWindow(m_dialog->Handle());
  m_parent = nullptr;
  delete m_ini;
  m_ini = nullptr;
  m_initialised = 0;
  return 0;
}

int CItemOperatorFrame::Stop() {
  CItemOperatorDlg* dialog = Dialog();
  if (!dialog) return 0;
  dialog->Post(StopMessage());
  return 1;
}

int CItemOperatorFrame::SwitchParent(const CTezDllInitParams* newParams,
                                     CTezDllInitParams* oldParams) {
  if (!m_initialised || !m_dialog || !newParams) return 0;
  if (*newParams == m_params) {
    if (oldParams) *oldParams = *newParams;
    return 1;
  }
  if (oldParams) *oldParams = m_params;
  m_params = *newParams;
  m_dialog->OpenMailLink(m_params);
  return 1;
}

void CItemOperatorFrame::DialogGone(CItemOperatorDlg* dialog) {
  if (m_dialog == dialog) m_dialog = nullptr;
}
