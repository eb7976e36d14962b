#include "TezApp.h"

static CTezApp* g_app = nullptr;

CTezApp::CTezApp() { g_app = this; }

CTezApp::~CTezApp() {
  if (g_app == this) g_app = nullptr;
}

CTezApp* CTezApp::Current() { return g_app; }

void CTezApp::Attach(HINSTANCE instance, const char* commandLine) {
  m_instance = instance;
  m_commandLine = commandLine ? commandLine : "";
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  CTezApp* app = CTezApp::Current();
  if (!app) return 1;
  app->Attach(instance, commandLine);
  app->InitInstance();
  return app->ExitInstance();
}
