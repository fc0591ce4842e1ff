// Host stand-in, internal: the state shared by the window system (window.cpp)
// and the drawing operations (gdi.cpp). One mutex guards all of it; it is
// never held while a window procedure runs.
#pragma once
#include <condition_variable>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform.h"

namespace host_window {

struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

struct Queue {
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quit = false;
    int quitCode = 0;
};

struct Timer {
    UINT_PTR id;
    UINT elapse;
    std::chrono::steady_clock::time_point due;
};

struct Window {
    HostWindowInfo info;
    std::vector<Timer> timers;
    WNDPROC proc = nullptr;
    std::thread::id owner;
    int clientWidth = 640, clientHeight = 400;
    // The surface's pieces by their top-left corner (y, then x).
    std::map<std::pair<int, int>, HostPiece> pieces;
    int tallestPiece = 0;
    std::vector<HostDrawCall> log;
};

enum class ObjectKind { Font, Bitmap, Brush };
struct Object {
    ObjectKind kind;
    bool stock = false;
    LOGFONTA font{};   // Font
    int cellWidth = 8, cellHeight = 16;
    int width = 0, height = 0;  // Bitmap
    bool blackFilled = false;   // Bitmap: filled by PatBlt with the black brush
    bool black = false;         // Brush
};

struct DeviceContext {
    HWND window = nullptr;   // 0: a memory context or the screen
    bool memory = false;
    uintptr_t font = 0, bitmap = 0, brush = 0;
    COLORREF textColor = 0, bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
};

struct State {
    std::mutex mutex;
    std::condition_variable changed;
    uintptr_t nextHandle = 0x1000;
    std::map<std::string, WNDCLASSEXA> classes;
    std::map<uintptr_t, Window> windows;
    std::map<std::thread::id, Queue> queues;
    std::map<uintptr_t, DeviceContext> dcs;
    std::map<uintptr_t, Object> objects;
    bool failFont = false, failClass = false, failWindow = false;
};
// Never destroyed: a console thread may still wait in GetMessageA while the
// test program ends.
extern State& state;

// Stock objects live at fixed handles so that a reset keeps them valid.
constexpr uintptr_t kSystemFont = 0x10, kBlackBrush = 0x11, kDefaultBitmap = 0x12, kWhiteBrush = 0x13;

// Both need state.mutex held.
Window* FindWindowLocked(HWND hwnd);  // live windows only
void ResetGdiLocked();

}  // namespace host_window
