// The recording double of the console's front end (see front_double.h).
#include "front_double.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "con_front.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kFrame = std::chrono::milliseconds(16);
constexpr int32_t kCell = 8, kCellHeight = 16;

struct Task {
    std::function<void()> run;
    bool done = false;
};

struct Cell {
    char byte = 0;
    FrontCellColours colours;
    char16_t uni = 0;
};

// Mutex guards every field but Copies (the window thread's) and the
// counters (atomic). It is never held while a task or a pass runs.
struct FrontDoubleState {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<std::shared_ptr<Task>> Tasks;
    bool HasWindowThread = false;
    std::thread::id WindowThread;
    bool Closing = false, Closed = false;
    bool DrawWanted = false, PaintWanted = false;
    Clock::time_point LastPassEnd{};
    int32_t ClientWidth = 640, ClientHeight = 400;
    std::vector<Cell> Screen[ConRows];
    std::vector<FrontDrawnRow> Log;
    FrontCaret Caret;
    int32_t Beeps = 0;
    bool HasClip = false;
    std::string Clip;
    std::u16string ClipWide;
    int32_t ClipPuts = 0;
    ConViewInfo View{};
    ConRowCopy Copies[ConRows];
    std::atomic<uint64_t> Passes{0}, Rows{0}, Runs{0};
};
FrontDoubleState Front;

bool OnWindowThread() { return !Front.HasWindowThread || std::this_thread::get_id() == Front.WindowThread; }

// Window thread: a pass, as the real front draws one (paint: the screen
// erased and every row drawn, else the rows due).
void Pass(bool paint) {
    int32_t first = -1, last = 0;
    if (!paint && !ConTakeDueRows(&first, &last)) return;
    int32_t width, height;
    {
        std::lock_guard<std::mutex> lock(Front.Mutex);
        width = Front.ClientWidth, height = Front.ClientHeight;
        if (paint)
            for (std::vector<Cell>& row : Front.Screen) row.clear();
    }
    ConViewInfo info{};
    const int32_t count = ConCopyRows(width, height, first, last, Front.Copies, &info);
    ConRun runs[ConCols];
    std::unique_lock<std::mutex> lock(Front.Mutex);
    if (count > 0) Front.View = info;
    for (int32_t i = 0; i < count; i++) {
        const ConRowCopy& c = Front.Copies[i];
        const int32_t cols = width > 0 ? (width + kCell - 1) / kCell : 0;
        const int32_t n = ConRowRuns(c, cols, runs);
        // The screen keeps what the system would show: the characters of
        // each run that start inside the client area.
        std::vector<Cell>& shown = Front.Screen[c.row];
        shown.clear();
        for (int32_t k = 0; k < n; k++) {
            const int32_t end = runs[k].Col + runs[k].Length;
            for (int32_t col = runs[k].Col; col < end && col < cols;) {
                const int32_t len = ConCellsAt(c.text, c.uni, col, end);
                for (int32_t b = 0; b < len; b++)
                    shown.push_back(Cell{c.text[col + b], {runs[k].Fore, runs[k].Back}, (char16_t)c.uni[col + b]});
                col += len;
            }
        }
        Front.Log.push_back(FrontDrawnRow{c.row, std::vector<ConRun>(runs, runs + n)});
        Front.Rows.fetch_add(1, std::memory_order_relaxed);
        Front.Runs.fetch_add((uint64_t)n, std::memory_order_relaxed);
    }
    Front.Passes.fetch_add(1, std::memory_order_relaxed);
    Front.LastPassEnd = Clock::now();
    lock.unlock();
    if (paint) ConsoleWindowSetReady(1);
    if (count > 0 && info.Moved) ConLinePlaceCaret();
}

void OpenWindow() {
    ConGridOpen();
    ConDueRowsReset();
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        ConsoleBuffer.CellWidth = kCell;
        ConsoleBuffer.CellHeight = kCellHeight;
    }
    ConLineForget();
    Pass(true);
}

// Window thread: the next task, a paint or a due pass; false once closing.
bool RunNext() {
    std::unique_lock<std::mutex> lock(Front.Mutex);
    for (;;) {
        if (Front.Closing) return false;
        if (!Front.Tasks.empty()) {
            std::shared_ptr<Task> task = Front.Tasks.front();
            Front.Tasks.pop_front();
            lock.unlock();
            task->run();
            lock.lock();
            task->done = true;
            Front.Changed.notify_all();
            return true;
        }
        if (Front.PaintWanted) {
            Front.PaintWanted = false;
            lock.unlock();
            Pass(true);
            return true;
        }
        if (Front.DrawWanted && Clock::now() >= Front.LastPassEnd + kFrame) {
            Front.DrawWanted = false;
            lock.unlock();
            Pass(false);
            return true;
        }
        if (Front.DrawWanted) Front.Changed.wait_until(lock, Front.LastPassEnd + kFrame);
        else Front.Changed.wait(lock);
    }
}

}  // namespace

DWORD WINAPI ConsoleThreadMain(LPVOID) {
    {
        std::lock_guard<std::mutex> lock(Front.Mutex);
        Front.HasWindowThread = true;
        Front.WindowThread = std::this_thread::get_id();
    }
    OpenWindow();
    while (RunNext()) {
    }
    {
        std::lock_guard<std::mutex> lock(Front.Mutex);
        Front.Closed = true;
        for (const std::shared_ptr<Task>& task : Front.Tasks) task->done = true;  // never run
        Front.Tasks.clear();
        Front.Changed.notify_all();
    }
    ConGridRelease();
    RtBeforeExit();
    ExitProcess(RtExitCode());
    return 0;
}

void FrontRun(const std::function<void()>& task) {
    std::unique_lock<std::mutex> lock(Front.Mutex);
    if (OnWindowThread()) {
        lock.unlock();
        task();
        return;
    }
    if (Front.Closed || Front.Closing) return;
    auto queued = std::make_shared<Task>();
    queued->run = task;
    Front.Tasks.push_back(queued);
    Front.Changed.notify_all();
    while (!queued->done && !Front.Closed) {
        Front.Changed.wait_for(lock, std::chrono::milliseconds(5));
        lock.unlock();
        HostCheckExit();  // a thread of a process that has ended unwinds here
        lock.lock();
    }
}

void FrontClose() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.Closing = true;
    Front.Changed.notify_all();
}

void FrontOpenHere() {
    FrontReset();
    {
        std::lock_guard<std::mutex> lock(Front.Mutex);
        Front.HasWindowThread = true;
        Front.WindowThread = std::this_thread::get_id();
    }
    OpenWindow();
}

void FrontPump() {
    // As the window thread would, without the frame's wait: what was asked,
    // then what waits drawn at once, then a paint the system asked for.
    bool paint;
    for (;;) {
        std::shared_ptr<Task> task;
        {
            std::lock_guard<std::mutex> lock(Front.Mutex);
            if (Front.Tasks.empty()) break;
            task = Front.Tasks.front();
            Front.Tasks.pop_front();
        }
        task->run();
        task->done = true;
    }
    {
        std::lock_guard<std::mutex> lock(Front.Mutex);
        Front.DrawWanted = false;
        paint = Front.PaintWanted;
        Front.PaintWanted = false;
    }
    Pass(false);
    if (paint) Pass(true);
}

void FrontSetClient(int32_t width, int32_t height) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.ClientWidth = width, Front.ClientHeight = height;
}

void FrontRepaint() {
    FrontRun([] { Pass(true); });
}

std::string FrontScreenRow(int32_t row) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    std::string shown;
    for (const Cell& c : Front.Screen[row]) shown.push_back(c.byte);
    return shown;
}

std::u16string FrontScreenUnits(int32_t row) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    std::u16string shown;
    for (const Cell& c : Front.Screen[row]) shown.push_back(c.uni ? c.uni : (char16_t)(BYTE)c.byte);
    return shown;
}

FrontCellColours FrontScreenCell(int32_t row, int32_t col) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    const std::vector<Cell>& cells = Front.Screen[row];
    return col < (int32_t)cells.size() ? cells[(size_t)col].colours : FrontCellColours{};
}

void FrontScreenClear() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    for (std::vector<Cell>& row : Front.Screen) row.clear();
}

std::vector<FrontDrawnRow> FrontDrawLog() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    return Front.Log;
}

void FrontDrawLogClear() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.Log.clear();
}

FrontCaret FrontGetCaret() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    return Front.Caret;
}

int32_t FrontBeeps() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    return Front.Beeps;
}

void FrontSetClipboard(const char* text) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.HasClip = text != nullptr;
    Front.Clip = text ? text : "";
}

std::string FrontClipboard(int32_t* puts) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    if (puts) *puts = Front.ClipPuts;
    return Front.Clip;
}

std::u16string FrontClipboardWide() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    return Front.ClipWide;
}

ConViewInfo FrontViewInfo() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    return Front.View;
}

FrontCounts FrontGetCounts() {
    return FrontCounts{Front.Passes.load(std::memory_order_relaxed), Front.Rows.load(std::memory_order_relaxed),
                       Front.Runs.load(std::memory_order_relaxed)};
}

void FrontCountsReset() {
    Front.Passes.store(0);
    Front.Rows.store(0);
    Front.Runs.store(0);
}

void FrontReset() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.Tasks.clear();
    Front.HasWindowThread = false;
    Front.WindowThread = std::thread::id();
    Front.Closing = Front.Closed = false;
    Front.DrawWanted = Front.PaintWanted = false;
    Front.LastPassEnd = Clock::time_point{};
    Front.ClientWidth = 640, Front.ClientHeight = 400;
    for (std::vector<Cell>& row : Front.Screen) row.clear();
    Front.Log.clear();
    Front.Caret = FrontCaret{};
    Front.Beeps = 0;
    Front.HasClip = false;
    Front.Clip.clear();
    Front.ClipPuts = 0;
    Front.View = ConViewInfo{};
    FrontCountsReset();
}

// ---- the front end's calls (con_front.h) ----

void ConFrontBeep() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.Beeps++;
}

void ConFrontRedrawAll() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.PaintWanted = true;
    Front.Changed.notify_all();
}

void ConFrontDrawNow() { Pass(false); }

void ConFrontCaretHide() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.Caret.shown = false;
}

void ConFrontCaretShow(int32_t col, int32_t row) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.Caret.shown = true;
    Front.Caret.col = col, Front.Caret.row = row;
    Front.Caret.shows++;
}

int32_t ConFrontClipboardText(char* out, int32_t most) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    if (!Front.HasClip) return -1;
    int32_t n = 0;
    while (n < most && n < (int32_t)Front.Clip.size() && Front.Clip[(size_t)n]) out[n] = Front.Clip[(size_t)n], n++;
    return n;
}

void ConFrontClipboardPut(const uint16_t* text, int32_t length) {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.HasClip = true;
    Front.ClipWide.assign((const char16_t*)text, (size_t)length);
    // What a program asking for the code page's text would get.
    const WCHAR* wide = (const WCHAR*)text;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    Front.Clip.assign((size_t)bytes, 0);
    WideCharToMultiByte(CP_ACP, 0, wide, length, Front.Clip.data(), bytes, nullptr, nullptr);
    Front.ClipPuts++;
}

void ConFrontDrawSoon() {
    std::lock_guard<std::mutex> lock(Front.Mutex);
    Front.DrawWanted = true;
    Front.Changed.notify_all();
}

void ConFrontFlush() {
    FrontRun([] { Pass(false); });
}

void ConFrontLineRequested() { FrontRun(ConLineShowCaret); }

void ConFrontLineTaken() { FrontRun(ConFrontCaretHide); }

void ConFrontKeepTypeAhead(bool keep) {
    FrontRun([keep] { ConTypeAheadKeep(keep); });
}
