// Host stand-in: window system, drawing, caret, input method and clipboard.
// Windows of a registered class, a message queue per thread, messages sent
// across threads that wait for the owning thread's message loop, and a
// recording drawing surface per window from which tests read the screen.
// Functions named Host... are hooks for tests only.
#pragma once
#include <string>
#include <vector>

#include "host_kernel.h"

typedef struct HWND__* HWND;
typedef struct HDC__* HDC;
typedef void* HGDIOBJ;
typedef struct HFONT__* HFONT;
typedef struct HBITMAP__* HBITMAP;
typedef struct HBRUSH__* HBRUSH;
typedef struct HICON__* HICON;
typedef struct HICON__* HCURSOR;
typedef struct HMENU__* HMENU;
typedef struct HIMC__* HIMC;
typedef void* HGLOBAL;
typedef void* HLOCAL;
typedef WORD ATOM;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
    LONG x, y;
};
struct RECT {
    LONG left, top, right, bottom;
};
struct SIZE {
    LONG cx, cy;
};
typedef SIZE* LPSIZE;
typedef RECT* LPRECT;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

#define LF_FACESIZE 32
struct LOGFONTA {
    LONG lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
    BYTE lfItalic, lfUnderline, lfStrikeOut, lfCharSet;
    BYTE lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICA {
    LONG tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading;
    LONG tmAveCharWidth, tmMaxCharWidth, tmWeight, tmOverhang;
    LONG tmDigitizedAspectX, tmDigitizedAspectY;
    BYTE tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar;
    BYTE tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore, fIncUpdate;
    BYTE rgbReserved[32];
};

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra, cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};

struct COMPOSITIONFORM {
    DWORD dwStyle;
    POINT ptCurrentPos;
    RECT rcArea;
};

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_KEYDOWN 0x0100
#define WM_CHAR 0x0102
#define WM_DROPFILES 0x0233

// Virtual keys of WM_KEYDOWN.
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_DELETE 0x2E
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define WM_APP 0x8000

// Classes and windows.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define WS_OVERLAPPEDWINDOW 0x00CF0000
#define WS_VISIBLE 0x10000000
#define WS_EX_CLIENTEDGE 0x00000200
#define WS_EX_ACCEPTFILES 0x00000010
#define CW_USEDEFAULT ((int)0x80000000)
#define SW_SHOW 5
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GCL_STYLE (-26)
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)(WORD)(i))
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_WINLOGO MAKEINTRESOURCEA(32517)
#define IDC_ARROW MAKEINTRESOURCEA(32512)

// Drawing.
#define BLACK_BRUSH 4
#define SRCCOPY 0x00CC0020
#define PATCOPY 0x00F00021
#define TRANSPARENT 1
#define OPAQUE 2
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define SHIFTJIS_CHARSET 128
#define FIXED_PITCH 1
#define FW_DONTCARE 0

// Clipboard, input method, beep.
#define CF_TEXT 1
#define CFS_POINT 0x0002

// USER32: classes, windows, messages.
ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param);
BOOL WINAPI DestroyWindow(HWND hwnd);
BOOL WINAPI ShowWindow(HWND hwnd, int cmd);
BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect);
BOOL WINAPI IsWindow(HWND hwnd);
HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title);
int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size);
int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size);
LONG WINAPI GetWindowLongA(HWND hwnd, int index);
DWORD WINAPI GetClassLongA(HWND hwnd, int index);
BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last);
// Takes (PM_REMOVE) the calling thread's next posted message, if any, after
// running the messages sent to it; never waits and never makes WM_PAINT.
#define PM_REMOVE 0x0001
BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove);
BOOL WINAPI TranslateMessage(const MSG* msg);
LRESULT WINAPI DispatchMessageA(const MSG* msg);
LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int code);
LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
int WINAPI GetSystemMetrics(int index);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
BOOL WINAPI MessageBeep(UINT type);
// Timers: WM_TIMER comes from GetMessageA once the time is due and nothing
// else waits, and again every elapse milliseconds until KillTimer.
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id);

// USER32: device contexts of windows.
HDC WINAPI GetDC(HWND hwnd);
int WINAPI ReleaseDC(HWND hwnd, HDC dc);
HDC WINAPI BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

// USER32: caret (one per process here; per thread on Windows).
BOOL WINAPI CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL WINAPI SetCaretPos(int x, int y);
BOOL WINAPI ShowCaret(HWND hwnd);
BOOL WINAPI HideCaret(HWND hwnd);
BOOL WINAPI DestroyCaret();

// USER32 and KERNEL32: clipboard and the global memory it hands out.
BOOL WINAPI OpenClipboard(HWND owner);
BOOL WINAPI CloseClipboard();
HANDLE WINAPI GetClipboardData(UINT format);
LPVOID WINAPI GlobalLock(HGLOBAL mem);
BOOL WINAPI GlobalUnlock(HGLOBAL mem);

// GDI32. Fonts made by CreateFontIndirectA are fixed-pitch with a cell of
// 8 pixels per byte and a height of |lfHeight| (16 when 0); a device
// context starts with a system font of 6 by 12, so text measured without
// selecting the console font comes out visibly wrong.
HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lf);
HGDIOBJ WINAPI GetStockObject(int index);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
HDC WINAPI CreateCompatibleDC(HDC dc);
BOOL WINAPI DeleteDC(HDC dc);
HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height);
BOOL WINAPI PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
BOOL WINAPI BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
COLORREF WINAPI SetBkColor(HDC dc, COLORREF color);
int WINAPI SetBkMode(HDC dc, int mode);
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
// Without dx every byte advances by the font's cell; with it, byte i by dx[i].
BOOL WINAPI ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
                        const INT* dx);
BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size);
BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA* tm);

// IMM32.
HIMC WINAPI ImmGetContext(HWND hwnd);
BOOL WINAPI ImmReleaseContext(HWND hwnd, HIMC imc);
BOOL WINAPI ImmSetCompositionWindow(HIMC imc, COMPOSITIONFORM* form);
BOOL WINAPI ImmSetCompositionFontA(HIMC imc, LOGFONTA* font);

// ---- Test hooks (host build only) ----

// Forgets every class, window, queue, device context, object, the caret,
// the input method and clipboard state and the counters. A simulated
// process (HostProcessBegin) starts with this.
void HostWindowReset();

// Makes the next CreateFontIndirectA, RegisterClassExA or CreateWindowExA fail.
enum HostFailure { HostFailFont, HostFailClass, HostFailWindow };
void HostFailNext(HostFailure what);

// Client area of a window (windows are created with 640 by 400). Resizing
// does not repaint; InvalidateRect asks for that.
void HostSetClientSize(HWND hwnd, int width, int height);

// What a window was created with.
struct HostWindowInfo {
    bool exists = false;     // created and not destroyed
    bool visible = false;
    std::string className, title;
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;  // as passed to CreateWindowExA
    WNDCLASSEXA wc{};        // the class as registered (name pointer not kept)
    bool backgroundIsBlackBrush = false;
    bool paintPending = false;
};
HostWindowInfo HostGetWindowInfo(HWND hwnd);

// The screen: text drawn into a window, kept as pieces at their pixel
// position. A piece covers its bytes' cells; drawing over a piece or
// copying the erase bitmap over it removes it. Pieces whose corner lies
// outside the client area are clipped away.
struct HostPiece {
    int x = 0, y = 0;
    std::string bytes;
    COLORREF fore = 0, back = 0;
    bool opaque = false;
    int width = 0, height = 0;
};
std::vector<HostPiece> HostScreenPieces(HWND hwnd);  // top to bottom, left to right
void HostScreenClear(HWND hwnd);                     // forget every piece

// Every drawing call made into a window's device contexts since the last
// clear (not into memory contexts).
struct HostDrawCall {
    enum Kind { Text, Erase, Blit } kind = Text;  // Erase: a copy from a black bitmap
    int x = 0, y = 0, width = 0, height = 0;
    std::string bytes;
    COLORREF fore = 0, back = 0;
    bool opaque = false;
};
std::vector<HostDrawCall> HostDrawLog(HWND hwnd);
void HostDrawLogClear(HWND hwnd);
// Device contexts from GetDC/BeginPaint/CreateCompatibleDC not yet given back.
int HostOpenDCCount();

// Caret state.
struct HostCaretState {
    bool exists = false, visible = false;
    HWND owner = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
    int created = 0;  // CreateCaret calls so far
};
HostCaretState HostGetCaret();

// Input method state. Without a context (HostImeAvailable(false)),
// ImmGetContext gives 0.
struct HostImeState {
    int contexts = 0;   // ImmGetContext calls that gave a context
    int releases = 0;   // ImmReleaseContext calls
    int windowSets = 0;
    COMPOSITIONFORM form{};
    LOGFONTA font{};
    int fontSets = 0;
};
void HostImeAvailable(bool available);
HostImeState HostGetIme();

// Clipboard: the CF_TEXT a test puts there (nullptr: no text at all).
void HostSetClipboardText(const char* text);
bool HostClipboardIsOpen();
int HostClipboardLocks();  // GlobalLock calls not yet undone

int HostBeepCount();

// Dropped files (shell.cpp): an HDROP holds wide paths; HostMakeDrop makes
// one as the system does for a drop, to be sent as WM_DROPFILES.
typedef struct HostDrop* HDROP;
UINT WINAPI DragQueryFileW(HDROP drop, UINT index, LPWSTR path, UINT size);
void WINAPI DragFinish(HDROP drop);
HDROP HostMakeDrop(const std::vector<std::u16string>& paths);
int HostOpenDrops();  // made and not yet finished

// The command line (shell.cpp): what HostSetCommandLine set, split as the
// system splits it; GetShortPathNameW knows no short forms (it fails).
LPWSTR WINAPI GetCommandLineW();
LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR line, int* argc);
HLOCAL WINAPI LocalFree(HLOCAL mem);
DWORD WINAPI GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size);
void HostSetCommandLine(const std::u16string& line);
