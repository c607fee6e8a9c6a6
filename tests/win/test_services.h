// The real OS services for tests that run the main window inside the test
// program: everything goes to the real system, except that the command line
// is "/NOMSG" (the test program's own arguments are no document, and the
// first-run notice would wait for an answer) and nothing is ever switched off.
// Tests override what they watch or redirect.
#pragma once

#include <cstdlib>

#include "platform/os.h"

namespace wt {

class TestServices : public os::Services {
public:
    explicit TestServices(os::Services& real) : r(real) {}
    os::Services& r;
    void keybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extra) override { r.keybdEvent(vk, scan, flags, extra); }
    uint32_t sendInput(const std::vector<os::KeyInput>& records) override { return r.sendInput(records); }
    uint32_t mapVirtualKey(uint32_t code, uint32_t mapType) override { return r.mapVirtualKey(code, mapType); }
    bool sendMessageKey(os::WindowHandle h, uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        return r.sendMessageKey(h, msg, wParam, lParam);
    }
    void mouseEvent(uint32_t flags, int32_t dx, int32_t dy, uint32_t data, uintptr_t extra) override {
        r.mouseEvent(flags, dx, dy, data, extra);
    }
    bool setCursorPos(int32_t x, int32_t y) override { return r.setCursorPos(x, y); }
    os::Point getCursorPos() override { return r.getCursorPos(); }
    int16_t getAsyncKeyState(int vk) override { return r.getAsyncKeyState(vk); }
    int vkKeyScan(char16_t c) override { return r.vkKeyScan(c); }
    bool inputOnOtherDesktop() override { return r.inputOnOtherDesktop(); }
    int32_t integrityLevel(os::WindowHandle h) override { return r.integrityLevel(h); }
    uint32_t windowProcessId(os::WindowHandle h) override { return r.windowProcessId(h); }
    int addKeyObserver(os::KeyObserver o, bool injectedToo) override { return r.addKeyObserver(std::move(o), injectedToo); }
    void removeKeyObserver(int id) override { r.removeKeyObserver(id); }
    int addMouseObserver(os::MouseObserver o, bool injectedToo) override { return r.addMouseObserver(std::move(o), injectedToo); }
    void removeMouseObserver(int id) override { r.removeMouseObserver(id); }
    os::InputSettings inputSettings() override { return r.inputSettings(); }
    os::WindowHandle getWindow(os::WindowHandle h, int cmd) override { return r.getWindow(h, cmd); }
    bool isWindow(os::WindowHandle h) override { return r.isWindow(h); }
    Str getWindowText(os::WindowHandle h) override { return r.getWindowText(h); }
    Str getClassName(os::WindowHandle h) override { return r.getClassName(h); }
    os::WindowHandle windowFromPoint(os::Point p) override { return r.windowFromPoint(p); }
    os::WindowHandle getForegroundWindow() override { return r.getForegroundWindow(); }
    os::WindowHandle topLevelWindow(os::WindowHandle h) override { return r.topLevelWindow(h); }
    bool setForegroundWindow(os::WindowHandle h) override { return r.setForegroundWindow(h); }
    os::ThreadId getWindowThreadProcessId(os::WindowHandle h) override { return r.getWindowThreadProcessId(h); }
    os::ThreadId getCurrentThreadId() override { return r.getCurrentThreadId(); }
    bool attachThreadInput(os::ThreadId a, os::ThreadId b, bool on) override { return r.attachThreadInput(a, b, on); }
    bool setWindowPos(os::WindowHandle h, int64_t after, int x, int y, int cx, int cy, uint32_t flags) override {
        return r.setWindowPos(h, after, x, y, cx, cy, flags);
    }
    void appActivate(const Str& title) override { r.appActivate(title); }
    os::Rect windowRect(os::WindowHandle h) override { return r.windowRect(h); }
    os::WindowStyle windowStyle(os::WindowHandle h) override { return r.windowStyle(h); }
    bool clientOrigin(os::WindowHandle h, os::Point& out) override { return r.clientOrigin(h, out); }
    int windowDpi(os::WindowHandle h) override { return r.windowDpi(h); }
    bool restoreWindow(os::WindowHandle h) override { return r.restoreWindow(h); }
    void showPointMarker(os::Point p, uint32_t ms) override { r.showPointMarker(p, ms); }
    void showFrameMarker(const os::Rect& rc, uint32_t ms) override { r.showFrameMarker(rc, ms); }
    void hideMarkers() override { r.hideMarkers(); }
    int32_t screenWidth() override { return r.screenWidth(); }
    int32_t screenHeight() override { return r.screenHeight(); }
    os::Rect virtualScreen() override { return r.virtualScreen(); }
    os::Rect monitorOfWindow(os::WindowHandle h) override { return r.monitorOfWindow(h); }
    os::Rect monitorOfRect(const os::Rect& rc) override { return r.monitorOfRect(rc); }
    int dpi() override { return r.dpi(); }
    bool captureScreen(const os::Rect& rc, os::ScreenPixels& out) override { return r.captureScreen(rc, out); }
    void startProgram(const Str& commandLine, int showStyle) override { r.startProgram(commandLine, showStyle); }
    bool playSound(const Str& file, uint32_t flags) override { return r.playSound(file, flags); }
    void beep() override { r.beep(); }
    bool isWindowsNT() override { return r.isWindowsNT(); }
    bool enableShutdownPrivilege() override { return false; }  // never in a test
    bool exitWindowsEx(uint32_t) override { return false; }    // never in a test
    [[noreturn]] void endProcess() override {
        r.endProcess();
        std::abort();  // not reached
    }
    void sleep(uint32_t ms) override { r.sleep(ms); }
    DateTime now() override { return r.now(); }
    int64_t monotonicMs() override { return r.monotonicMs(); }
    bool fileExists(const Str& path) override { return r.fileExists(path); }
    bool fileInfo(const Str& path, os::DirEntry& out) override { return r.fileInfo(path, out); }
    std::string readFile(const Str& path) override { return r.readFile(path); }
    std::unique_ptr<os::OutFile> createFile(const Str& path) override { return r.createFile(path); }
    std::unique_ptr<os::OutFile> appendFile(const Str& path) override { return r.appendFile(path); }
    void replaceFile(const Str& source, const Str& target) override { r.replaceFile(source, target); }
    void removeFile(const Str& path) override { r.removeFile(path); }
    std::vector<os::DirEntry> listFolder(const Str& folder) override { return r.listFolder(folder); }
    std::vector<Str> drives() override { return r.drives(); }
    Str currentFolder() override { return r.currentFolder(); }
    Str programFolder() override { return r.programFolder(); }
    Str commandLine() override { return u"/NOMSG"; }
    int versionMajor() override { return r.versionMajor(); }
    int versionMinor() override { return r.versionMinor(); }
    int addKeyWatcher(os::KeyWatcher w) override { return r.addKeyWatcher(std::move(w)); }
    void removeKeyWatcher(int id) override { r.removeKeyWatcher(id); }
};

}  // namespace wt
