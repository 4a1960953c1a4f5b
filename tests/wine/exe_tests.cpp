// Pitchwise.exe under Wine, as the operator runs it: started as a process
// of its own, driven by key presses, and read back from outside.
//
// Usage: pitchwise_exe_tests.exe PITCHWISE_EXE alone
//          no QSB on any port and no Tarvex.dll: Find QSB fails
//        pitchwise_exe_tests.exe PITCHWISE_EXE bench END_POSITION
//          a QSB on a port and Tarvex.dll beside the executable: a whole
//          mapping run from Find QSB to "Done."
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_layout.h"
#include "ui_driver.h"
#include "wine_check.h"

namespace pitchwise {

namespace {

// The resources of the executable itself, opened as data.
void CheckResources(const char* exe) {
    BeginCase("resources of Pitchwise.exe");
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!Check(module != nullptr, std::string("opens ") + exe)) return;

    char about[64] = "";
    LoadStringA(module, IDS_ABOUTBOX, about, sizeof about);
    CheckText(about, PW_ABOUT_STRING, "string 101");

    // The icon group: nine images, 48, 32 and 16 pixels at 4, 8 and 24 bits.
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14));
    if (Check(group != nullptr, "icon 128")) {
        const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
        const WORD count = *reinterpret_cast<const WORD*>(bytes + 4);
        CheckEqual(count, 9, "images in icon 128");
        int seen = 0;
        for (WORD i = 0; i < count && i < 9; ++i) {
            const BYTE* entry = bytes + 6 + 14 * i;  // GRPICONDIRENTRY
            const int size = entry[0];
            const int bits = *reinterpret_cast<const WORD*>(entry + 6);
            const int sizeIndex = size == 48 ? 0 : size == 32 ? 1 : size == 16 ? 2 : -1;
            const int bitsIndex = bits == 4 ? 0 : bits == 8 ? 1 : bits == 24 ? 2 : -1;
            if (Check(sizeIndex >= 0 && bitsIndex >= 0, "icon image " + std::to_string(size) +
                                                            " px " + std::to_string(bits) +
                                                            " bpp")) {
                seen |= 1 << (sizeIndex * 3 + bitsIndex);
            }
        }
        CheckEqual(seen, 0x1FF, "every size at every depth");
    }

    HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (Check(manifest != nullptr, "manifest 1")) {
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
        const std::string xml(text, SizeofResource(module, manifest));
        Check(xml.find("level=\"asInvoker\"") != std::string::npos, "manifest asks for asInvoker");
        Check(xml.find("Common-Controls") == std::string::npos,
              "manifest names no common-controls version");
    }

    HRSRC version = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    if (Check(version != nullptr, "version resource")) {
        const DWORD size = SizeofResource(module, version);
        std::vector<BYTE> copy(size);
        std::memcpy(copy.data(), LockResource(LoadResource(module, version)), size);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (Check(VerQueryValueA(copy.data(), "\\", reinterpret_cast<void**>(&fixed), &length) &&
                      fixed != nullptr,
                  "fixed version info")) {
            CheckEqual(fixed->dwFileVersionMS, 0x00010000, "file version 1.0");
            CheckEqual(fixed->dwFileVersionLS, 0x00000001, "file version .0.1");
            CheckEqual(fixed->dwProductVersionMS, 0x00010000, "product version 1.0");
            CheckEqual(fixed->dwProductVersionLS, 0x00000001, "product version .0.1");
        }
        WORD* translation = nullptr;
        if (Check(VerQueryValueA(copy.data(), "\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length) &&
                      length >= 4,
                  "translation")) {
            CheckEqual(translation[0], 0x0409, "language U.S. English");
            CheckEqual(translation[1], 1252, "code page 1252");
        }
        const struct {
            const char* name;
            const char* text;
        } strings[] = {{"ProductName", "Pitchwise"},
                       {"FileDescription", "Pitchwise"},
                       {"FileVersion", "1.0.0.1"},
                       {"ProductVersion", "1.0.0.1"}};
        for (const auto& entry : strings) {
            char* value = nullptr;
            const std::string path = std::string("\\StringFileInfo\\040904E4\\") + entry.name;
            if (Check(VerQueryValueA(copy.data(), path.c_str(), reinterpret_cast<void**>(&value),
                                     &length),
                      entry.name)) {
                CheckText(value, entry.text, entry.name);
            }
        }
    }
    FreeLibrary(module);
}

struct Started {
    PROCESS_INFORMATION process{};
    HWND dialog = nullptr;
};

Started Start(const char* exe) {
    Started started;
    std::string folder(exe);
    folder = folder.substr(0, folder.find_last_of("\\/"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = std::string("\"") + exe + "\"";
    if (!Check(CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &started.process) != FALSE,
               std::string("starts ") + exe)) {
        return started;
    }
    started.dialog = WaitForProcessWindow(started.process.dwProcessId, PW_MAIN_TITLE);
    if (Check(started.dialog != nullptr, "the main dialog appears")) {
        Check(BringToFront(started.dialog), "the main dialog comes to the front");
        RECT rect, work;
        GetWindowRect(started.dialog, &rect);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const POINT centre = DoubledCentre(rect);
        const POINT wanted = DoubledCentre(work);
        Check(std::abs(centre.x - wanted.x) <= 2 && std::abs(centre.y - wanted.y) <= 2,
              "the main dialog is centred in the work area");
        // The dialog is visible, and even in front, before its thread has
        // given Find QSB the keyboard; a key pressed then reaches no control
        // and is lost.
        CheckEqual(FocusOnceItIs(started.dialog, IDC_FIND_QSB), IDC_FIND_QSB,
                   "Find QSB has the keyboard");
    }
    return started;
}

// Escape ends the program; it exits with code 0.
void EndWithEscape(Started& started) {
    Check(BringToFront(started.dialog), "the window comes to the front");
    // As at the start: a control must have the keyboard, or the key is lost.
    Check(WaitFor([&] { return FocusedId(started.dialog) != 0 || !IsWindow(started.dialog); }),
          "a control of the main dialog has the keyboard");
    PressKey(VK_ESCAPE);
    const DWORD waited = WaitForSingleObject(started.process.hProcess, FAULT_LIMIT_MS);
    if (!Check(waited == WAIT_OBJECT_0, "Escape ends Pitchwise.exe")) {
        TerminateProcess(started.process.hProcess, 3);
    }
    DWORD code = 1;
    GetExitCodeProcess(started.process.hProcess, &code);
    CheckEqual(code, 0, "exit code");
    CloseHandle(started.process.hThread);
    CloseHandle(started.process.hProcess);
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void RunAlone(const char* exe) {
    BeginCase("Pitchwise.exe with no QSB");
    Started started = Start(exe);
    if (started.dialog == nullptr) return;
    PressKey(VK_RETURN);
    Check(WaitFor([&] { return ItemText(started.dialog, IDC_QSB_INFO) == "No QSB Device Found!"; }),
          "Enter right after start runs Find QSB, which finds nothing");
    Check(!Enabled(started.dialog, IDC_CREATE), "Create stays disabled");
    EndWithEscape(started);
}

// The message box of the process, read and closed with Enter.
std::string ReadMessage(DWORD processId, int milliseconds) {
    HWND box = WaitForProcessWindow(processId, "Pitchwise", milliseconds);
    if (box == nullptr) return "(no message box)";
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(ClassName(child).c_str(), "Static") == 0 && !WindowText(child).empty()) {
            text = WindowText(child);
        }
    }
    Check(BringToFront(box), "the window comes to the front");
    Check(WaitFor([&] { return FocusedId(box) != 0; }),
          "the message box's button has the keyboard");
    PressKey(VK_RETURN);
    Check(WaitFor([&] { return !IsWindow(box); }), "Enter closes the message box");
    return text;
}

void RunWithBench(const char* exe, const char* endPosition) {
    BeginCase("Pitchwise.exe: Find QSB, then Create against the bench");
    Started started = Start(exe);
    if (started.dialog == nullptr) return;
    HWND dialog = started.dialog;
    PressKey(VK_RETURN);
    const bool found = WaitFor([&] { return ItemText(dialog, IDC_QSB_INFO).rfind("COM:", 0) == 0; },
                               2 * FAULT_LIMIT_MS);
    if (!Check(found, "Find QSB finds the QSB: " + ItemText(dialog, IDC_QSB_INFO))) {
        EndWithEscape(started);
        return;
    }
    std::printf("identity line: %s\n", ItemText(dialog, IDC_QSB_INFO).c_str());
    for (int id : {IDC_SET_ZERO, IDC_TEST_READING, IDC_AXIS, IDC_START_POS, IDC_END_POS,
                   IDC_MAP_INC, IDC_DISABLE_MAPPING, IDC_CREATE}) {
        Check(Enabled(dialog, id), "control " + std::to_string(id) + " is enabled");
    }
    CheckText(ItemText(dialog, IDC_AXIS), "X", "axis");
    CheckText(ItemText(dialog, IDC_START_POS), "0.000", "start");
    CheckText(ItemText(dialog, IDC_END_POS), "1.000", "end");
    CheckText(ItemText(dialog, IDC_MAP_INC), "1.000", "increment");
    Check(SendMessageA(GetDlgItem(dialog, IDC_DISABLE_MAPPING), BM_GETCHECK, 0, 0) == BST_CHECKED,
          "Disable Mapping is checked");

    // Find QSB keeps the focus; five Tabs reach the end position, whose
    // text Tab selects, so typing replaces it.
    for (int i = 0; i < 5; ++i) PressKey(VK_TAB);
    TypeText(endPosition);
    // What the check reads once the typing has shown, or at the limit.
    WaitFor([&] { return ItemText(dialog, IDC_END_POS) == endPosition; });
    CheckText(ItemText(dialog, IDC_END_POS), endPosition, "typed end position");
    PressKey(VK_TAB);
    PressKey(VK_TAB);  // Create
    PressKey(VK_RETURN);
    CheckText(ReadMessage(started.process.dwProcessId, 180000), "Done.", "Create's message");
    EndWithEscape(started);
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: pitchwise_exe_tests PITCHWISE_EXE alone | bench END\n", stderr);
        return 2;
    }
    const std::string mode = argv[2];
    CheckResources(argv[1]);
    if (mode == "alone") {
        RunAlone(argv[1]);
    } else if (mode == "bench" && argc > 3) {
        RunWithBench(argv[1], argv[3]);
    } else {
        std::fputs("unknown mode\n", stderr);
        return 2;
    }
    return Summary();
}
