// Host stand-in for the window system: classes, windows, a message queue per
// thread, sent and posted messages, painting requests, caret, input method,
// clipboard and beep. Sent messages to another thread's window wait until
// that thread picks them up in GetMessageA, as on Windows; every wait polls
// HostCheckExit so that a simulated process end unwinds it.
#include <chrono>

#include "window_state.h"

namespace host_window {

State& state = *new State;

Window* FindWindowLocked(HWND hwnd) {
    auto it = state.windows.find((uintptr_t)hwnd);
    if (it == state.windows.end() || !it->second.info.exists) return nullptr;
    return &it->second;
}

}  // namespace host_window

using namespace host_window;

namespace {

constexpr auto kPoll = std::chrono::milliseconds(2);

struct Caret {
    HostCaretState s;
    int hideLevel = 0;
} caret;

struct Ime {
    HostImeState s;
    bool available = true;
} ime;

struct Clipboard {
    bool hasText = false;
    std::string text;
    bool open = false;
    int locks = 0;
} clipboard;

int beeps = 0;

// Runs a window procedure without the state lock.
LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        Window* w = FindWindowLocked(hwnd);
        if (!w) return 0;
        proc = w->proc;
    }
    return proc(hwnd, message, wParam, lParam);
}

}  // namespace

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.failClass) {
        state.failClass = false;
        return 0;
    }
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    if (state.classes.count(wc->lpszClassName)) return 0;  // already registered
    WNDCLASSEXA copy = *wc;
    copy.lpszClassName = nullptr;
    state.classes[wc->lpszClassName] = copy;
    return (ATOM)(0xC000 + state.classes.size());
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                            int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    HWND hwnd;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.failWindow) {
            state.failWindow = false;
            return nullptr;
        }
        auto cls = state.classes.find(className ? className : "");
        if (cls == state.classes.end()) return nullptr;
        uintptr_t id = state.nextHandle++;
        Window& w = state.windows[id];
        w.proc = cls->second.lpfnWndProc;
        w.owner = std::this_thread::get_id();
        w.info.exists = true;
        w.info.className = className;
        w.info.title = title ? title : "";
        w.info.style = style;
        w.info.exStyle = exStyle;
        w.info.x = x, w.info.y = y, w.info.width = width, w.info.height = height;
        w.info.wc = cls->second;
        w.info.backgroundIsBlackBrush = (uintptr_t)cls->second.hbrBackground == kBlackBrush;
        state.queues[w.owner];
        hwnd = (HWND)id;
    }
    // Windows sends more on the way (WM_NCCREATE, WM_SIZE, ...); the runtime
    // relies on WM_CREATE alone, and -1 from it cancels the creation.
    if (CallProc(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        Window* w = FindWindowLocked(hwnd);
        if (!w || w->owner != std::this_thread::get_id()) return FALSE;
    }
    CallProc(hwnd, WM_DESTROY, 0, 0);
    std::lock_guard<std::mutex> lock(state.mutex);
    if (Window* w = FindWindowLocked(hwnd)) {
        w->info.exists = false;
        w->info.visible = false;
        w->info.paintPending = false;
    }
    if (caret.s.owner == hwnd) caret = Caret{};
    state.changed.notify_all();
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    bool was = w->info.visible;
    w->info.visible = true;
    if (!was) w->info.paintPending = true;  // the first paint of a shown window
    state.changed.notify_all();
    return was;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT*, BOOL) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    w->info.paintPending = true;
    state.changed.notify_all();
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w || !rect) return FALSE;
    *rect = RECT{0, 0, w->clientWidth, w->clientHeight};
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    return FindWindowLocked(hwnd) != nullptr;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title) {
    std::lock_guard<std::mutex> lock(state.mutex);
    for (auto& [id, w] : state.windows) {
        if (!w.info.exists) continue;
        if (className && w.info.className != className) continue;
        if (title && w.info.title != title) continue;
        return (HWND)id;
    }
    return nullptr;
}

static int CopyName(const std::string& name, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    int n = (int)name.size() < size - 1 ? (int)name.size() : size - 1;
    memcpy(buffer, name.data(), (size_t)n);
    buffer[n] = 0;
    return n;
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    return w ? CopyName(w->info.className, buffer, size) : 0;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    return w ? CopyName(w->info.title, buffer, size) : 0;
}

LONG WINAPI GetWindowLongA(HWND hwnd, int index) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w) return 0;
    if (index == GWL_STYLE) return (LONG)(w->info.style | (w->info.visible ? WS_VISIBLE : 0));
    if (index == GWL_EXSTYLE) return (LONG)w->info.exStyle;
    return 0;
}

DWORD WINAPI GetClassLongA(HWND hwnd, int index) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    return (w && index == GCL_STYLE) ? w->info.wc.style : 0;
}

namespace {

// Runs the oldest message another thread sent to this one, with the state
// unlocked while the window procedure runs; false when none waits.
bool RunSentMessage(std::unique_lock<std::mutex>& lock, Queue& q) {
    if (q.sent.empty()) return false;
    std::shared_ptr<SentMessage> s = q.sent.front();
    q.sent.pop_front();
    lock.unlock();
    LRESULT r = CallProc(s->hwnd, s->message, s->wParam, s->lParam);
    lock.lock();
    s->result = r;
    s->done = true;
    state.changed.notify_all();
    return true;
}

}  // namespace

BOOL WINAPI GetMessageA(LPMSG msg, HWND, UINT, UINT) {
    std::unique_lock<std::mutex> lock(state.mutex);
    const auto self = std::this_thread::get_id();
    for (;;) {
        HostCheckExit();
        Queue& q = state.queues[self];
        if (RunSentMessage(lock, q)) continue;
        if (!q.posted.empty()) {
            *msg = q.posted.front();
            q.posted.pop_front();
            return TRUE;
        }
        if (q.quit) {
            q.quit = false;
            *msg = MSG{nullptr, WM_QUIT, (WPARAM)q.quitCode, 0, 0, {0, 0}};
            return FALSE;
        }
        // A paint request turns into WM_PAINT only when nothing else waits.
        for (auto& [id, w] : state.windows) {
            if (w.owner == self && w.info.exists && w.info.visible && w.info.paintPending) {
                *msg = MSG{(HWND)id, WM_PAINT, 0, 0, 0, {0, 0}};
                return TRUE;
            }
        }
        // Timers come last, as on Windows.
        const auto now = std::chrono::steady_clock::now();
        for (auto& [id, w] : state.windows) {
            if (w.owner != self || !w.info.exists) continue;
            for (Timer& t : w.timers) {
                if (t.due <= now) {
                    t.due = now + std::chrono::milliseconds(t.elapse);
                    *msg = MSG{(HWND)id, WM_TIMER, t.id, 0, 0, {0, 0}};
                    return TRUE;
                }
            }
        }
        state.changed.wait_for(lock, kPoll);
    }
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT remove) {
    std::unique_lock<std::mutex> lock(state.mutex);
    Queue& q = state.queues[std::this_thread::get_id()];
    while (RunSentMessage(lock, q)) {
    }
    if (q.posted.empty()) return FALSE;
    *msg = q.posted.front();
    if (remove & PM_REMOVE) q.posted.pop_front();
    return TRUE;
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w || !id) return 0;
    Timer timer{id, elapse, std::chrono::steady_clock::now() + std::chrono::milliseconds(elapse)};
    for (Timer& t : w->timers) {
        if (t.id == id) {
            t = timer;
            return id;
        }
    }
    w->timers.push_back(timer);
    return id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    for (size_t i = 0; i < w->timers.size(); i++) {
        if (w->timers[i].id == id) {
            w->timers.erase(w->timers.begin() + (long)i);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }  // tests send WM_CHAR directly

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::unique_lock<std::mutex> lock(state.mutex);
        Window* w = FindWindowLocked(hwnd);
        if (!w) return 0;
        if (w->owner != std::this_thread::get_id()) {
            auto s = std::make_shared<SentMessage>(SentMessage{hwnd, message, wParam, lParam});
            state.queues[w->owner].sent.push_back(s);
            state.changed.notify_all();
            // Wait for the owner's message loop. A window destroyed meanwhile
            // or a process that has ended gives 0, as a dead receiver does.
            while (!s->done) {
                HostCheckExit();
                if (HostProcessExited() || !FindWindowLocked(hwnd)) return 0;
                state.changed.wait_for(lock, kPoll);
            }
            return s->result;
        }
    }
    return CallProc(hwnd, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w) return FALSE;
    state.queues[w->owner].posted.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
    state.changed.notify_all();
    return TRUE;
}

void WINAPI PostQuitMessage(int code) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Queue& q = state.queues[std::this_thread::get_id()];
    q.quit = true;
    q.quitCode = code;
    state.changed.notify_all();
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) {
        DestroyWindow(hwnd);
    } else if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
    }
    return 0;
}

int WINAPI GetSystemMetrics(int index) {
    if (index == SM_CXSCREEN) return 1024;
    if (index == SM_CYSCREEN) return 768;
    return 0;
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR name) { return (HICON)(0x20000 + (uintptr_t)name); }
HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR name) { return (HCURSOR)(0x30000 + (uintptr_t)name); }

BOOL WINAPI MessageBeep(UINT) {
    std::lock_guard<std::mutex> lock(state.mutex);
    beeps++;
    return TRUE;
}

// ---- caret ----

BOOL WINAPI CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!FindWindowLocked(hwnd)) return FALSE;
    int created = caret.s.created + 1;
    caret = Caret{};
    caret.s.exists = true;
    caret.s.owner = hwnd;
    caret.s.width = width;
    caret.s.height = height;
    caret.s.created = created;
    caret.hideLevel = 1;  // a new caret starts hidden
    return TRUE;
}

BOOL WINAPI SetCaretPos(int x, int y) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!caret.s.exists) return FALSE;
    caret.s.x = x;
    caret.s.y = y;
    return TRUE;
}

BOOL WINAPI ShowCaret(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!caret.s.exists || caret.s.owner != hwnd) return FALSE;
    if (caret.hideLevel > 0) caret.hideLevel--;
    caret.s.visible = caret.hideLevel == 0;
    return TRUE;
}

BOOL WINAPI HideCaret(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!caret.s.exists || caret.s.owner != hwnd) return FALSE;
    caret.hideLevel++;
    caret.s.visible = false;
    return TRUE;
}

BOOL WINAPI DestroyCaret() {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!caret.s.exists) return FALSE;
    int created = caret.s.created;
    caret = Caret{};
    caret.s.created = created;
    return TRUE;
}

// ---- clipboard ----

BOOL WINAPI OpenClipboard(HWND) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (clipboard.open) return FALSE;
    clipboard.open = true;
    return TRUE;
}

BOOL WINAPI CloseClipboard() {
    std::lock_guard<std::mutex> lock(state.mutex);
    bool was = clipboard.open;
    clipboard.open = false;
    return was;
}

HANDLE WINAPI GetClipboardData(UINT format) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!clipboard.open || format != CF_TEXT || !clipboard.hasText) return nullptr;
    return &clipboard.text;
}

LPVOID WINAPI GlobalLock(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (mem != &clipboard.text) return nullptr;
    clipboard.locks++;
    return clipboard.text.data();
}

BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (mem != &clipboard.text || clipboard.locks == 0) return FALSE;
    clipboard.locks--;
    return clipboard.locks > 0;
}

// ---- input method ----

HIMC WINAPI ImmGetContext(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!ime.available || !FindWindowLocked(hwnd)) return nullptr;
    ime.s.contexts++;
    return (HIMC)(uintptr_t)0x7100;
}

BOOL WINAPI ImmReleaseContext(HWND, HIMC) {
    std::lock_guard<std::mutex> lock(state.mutex);
    ime.s.releases++;
    return TRUE;
}

BOOL WINAPI ImmSetCompositionWindow(HIMC imc, COMPOSITIONFORM* form) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!imc || !form) return FALSE;
    ime.s.form = *form;
    ime.s.windowSets++;
    return TRUE;
}

BOOL WINAPI ImmSetCompositionFontA(HIMC imc, LOGFONTA* font) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!imc || !font) return FALSE;
    ime.s.font = *font;
    ime.s.fontSets++;
    return TRUE;
}

// ---- test hooks ----

void HostWindowReset() {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.classes.clear();
    state.windows.clear();
    state.queues.clear();
    state.failFont = state.failClass = state.failWindow = false;
    ResetGdiLocked();
    caret = Caret{};
    ime = Ime{};
    clipboard = Clipboard{};
    beeps = 0;
}

void HostFailNext(HostFailure what) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (what == HostFailFont) state.failFont = true;
    if (what == HostFailClass) state.failClass = true;
    if (what == HostFailWindow) state.failWindow = true;
}

void HostSetClientSize(HWND hwnd, int width, int height) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (Window* w = FindWindowLocked(hwnd)) {
        w->clientWidth = width;
        w->clientHeight = height;
    }
}

HostWindowInfo HostGetWindowInfo(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    auto it = state.windows.find((uintptr_t)hwnd);
    return it == state.windows.end() ? HostWindowInfo{} : it->second.info;
}

HostCaretState HostGetCaret() {
    std::lock_guard<std::mutex> lock(state.mutex);
    return caret.s;
}

void HostImeAvailable(bool available) {
    std::lock_guard<std::mutex> lock(state.mutex);
    ime.available = available;
}

HostImeState HostGetIme() {
    std::lock_guard<std::mutex> lock(state.mutex);
    return ime.s;
}

void HostSetClipboardText(const char* text) {
    std::lock_guard<std::mutex> lock(state.mutex);
    clipboard.hasText = text != nullptr;
    clipboard.text = text ? text : "";
}

bool HostClipboardIsOpen() {
    std::lock_guard<std::mutex> lock(state.mutex);
    return clipboard.open;
}

int HostClipboardLocks() {
    std::lock_guard<std::mutex> lock(state.mutex);
    return clipboard.locks;
}

int HostBeepCount() {
    std::lock_guard<std::mutex> lock(state.mutex);
    return beeps;
}
