// The library-wide state and the common exports of an item-operator
// plug-in. Each library keeps one frame object; its exports forward here.
// Every export but the Initialize variants does nothing (returns 0 or
// null) while the library is not initialised.
#pragma once

#include <windows.h>

#include <string>

#include "TezApp.h"
#include "TezDllInitParams.h"

class CIniManager;
class CItemOperatorDlg;

class CItemOperatorFrame {
 public:
  // How the dialog gets its mail link: opened by Initialize right after the
  // window is made (a failure fails Initialize), or by the dialog's own
  // initialisation, with an empty mailslot name standing for the
  // Recorder's (a failure hides the dialog; Initialize still succeeds and
  // the library's mail goes nowhere).
  enum class MailLink { kByInitialize, kByDialog };

  // libraryFile: the section of the index file ("TezHttpGet.dll").
  CItemOperatorFrame(const char* libraryFile, int version,
                     MailLink mailLink = MailLink::kByInitialize);
  CItemOperatorFrame(const CItemOperatorFrame&) = delete;
  CItemOperatorFrame& operator=(const CItemOperatorFrame&) = delete;
  virtual ~CItemOperatorFrame();

  int Initialize(HWND parent, const char* mailslotName, TezMailHook hook);
  int Initialize1(HWND parent, const char* mailslotName);
  int Initialize2(HWND parent, const char* mailslotName, TezMailHook hook, int useMappedMail,
                  int useMailslot);
  int Initialize3(HWND parent, const char* mailslotName, TezMailHook hook, int useMappedMail,
                  int useMailslot, const char* indexFile);
  int Close();
  // Posts the library's stop message to the dialog: 1, or 0 without one.
  int Stop();
  int GetVersion() const { return m_initialised ? m_version : 0; }
  int GetState() const { return m_initialised; }
  int GetLinkEnabled() const { return m_initialised ? 1 : 0; }
  const char* GetOutputType(const char* type) const { return m_initialised ? type : nullptr; }
  int SwitchParent(const CTezDllInitParams* newParams, CTezDllInitParams* oldParams);

  // The dialog when the library is initialised and has one, else null.
  CItemOperatorDlg* Dialog() const { return m_initialised ? m_dialog : nullptr; }
  const CTezDllInitParams& Params() const { return m_params; }
  const std::string& IndexPath() const { return m_indexPath; }
  CIniManager* Ini() const { return m_ini; }
  // Called by the dialog as its window goes away.
  void DialogGone(CItemOperatorDlg* dialog);

 protected:
  virtual CItemOperatorDlg* NewDialog(HWND parent) = 0;
  virtual UINT StopMessage() const;

 private:
  // The library's own application object: its dialogs come from its own
  // resources.
  class CLibraryApp : public CTezApp {
   public:
    BOOL InitInstance() override { return TRUE; }
  };

  CLibraryApp m_app;
  std::string m_libraryFile;
  int m_version;
  MailLink m_mailLink;
  int m_initialised = 0;
  CTezDllInitParams m_params;
  std::string m_indexPath;
  CIniManager* m_ini = nullptr;
  HWND m_parent = nullptr;
  CItemOperatorDlg* m_dialog = nullptr;
};

// The library's one frame: each plug-in library defines it.
CItemOperatorFrame& PluginFrame();
