// The application object: sets up the toolkit, runs the main dialog
// modally, and ends when it ends.
#pragma once

namespace pitchwise {

class CPitchwiseApp {
  public:
    constexpr CPitchwiseApp() = default;

    // Returns false: there is no message loop after the dialog.
    bool InitInstance();

    // Kept as a name only: nothing is ever stored under it.
    const char* RegistryKey() const { return m_registryKey; }

  private:
    const char* m_registryKey = nullptr;
};

extern CPitchwiseApp theApp;

// The front end's own toolkit set-up (common controls on Windows).
void InitUserInterface();

}  // namespace pitchwise
