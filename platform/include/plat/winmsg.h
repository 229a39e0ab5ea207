// Windows message, virtual-key and flag numbers, written out so that engine code keeps the
// Windows values it was designed around.
#pragma once
#include <cstdint>

namespace plat {

constexpr uint32_t WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
                   WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
                   WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014,
                   WM_ACTIVATEAPP = 0x001C, WM_SETCURSOR = 0x0020, WM_GETMINMAXINFO = 0x0024,
                   WM_NCMOUSEMOVE = 0x00A0, WM_NCLBUTTONDOWN = 0x00A1, WM_NCRBUTTONDOWN = 0x00A4,
                   WM_NCRBUTTONUP = 0x00A5, WM_NCRBUTTONDBLCLK = 0x00A6, WM_NCMBUTTONDOWN = 0x00A7,
                   WM_NCMBUTTONUP = 0x00A8, WM_NCMBUTTONDBLCLK = 0x00A9,
                   WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_SYSKEYDOWN = 0x0104,
                   WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106,
                   WM_IME_STARTCOMPOSITION = 0x010D, WM_IME_ENDCOMPOSITION = 0x010E, WM_IME_COMPOSITION = 0x010F,
                   WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113,
                   WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
                   WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205,
                   WM_RBUTTONDBLCLK = 0x0206, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208,
                   WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A, WM_DROPFILES = 0x0233,
                   WM_IME_SETCONTEXT = 0x0281, WM_IME_NOTIFY = 0x0282, WM_IME_CHAR = 0x0286,
                   WM_INPUTLANGCHANGE = 0x0051, WM_INPUTLANGCHANGEREQUEST = 0x0050, WM_USER = 0x0400;

// Messages of the programs themselves, posted across threads.
constexpr uint32_t WM_MUSIC_EVENT = 1289;      // the music player's graph event
constexpr uint32_t WM_UPDATE_STATUS = 1147;    // updater worker status
constexpr uint32_t WM_NOTICE_VIEW = 1260;      // updater notice view
constexpr uint32_t WM_REPLAY_PROGRESS = 3029;  // replay progress to the updater's window
constexpr uint32_t WM_FATAL_HANDOVER = 0x7FF0;  // a worker thread's fatal error, for the main thread

constexpr uint32_t SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2, SIZE_MAXSHOW = 3, SIZE_MAXHIDE = 4;
constexpr uint32_t SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030,
                   SC_CLOSE = 0xF060, SC_KEYMENU = 0xF100, SC_RESTORE = 0xF120, SC_MONITORPOWER = 0xF170;
constexpr uint32_t HTNOWHERE = 0, HTCLIENT = 1;

// Input method: composition flags of WM_IME_COMPOSITION's lParam and WM_IME_NOTIFY's commands.
constexpr uint32_t GCS_COMPREADSTR = 0x0001, GCS_COMPSTR = 0x0008, GCS_CURSORPOS = 0x0080, GCS_RESULTSTR = 0x0800;
constexpr uint32_t IMN_CLOSESTATUSWINDOW = 0x0001, IMN_OPENSTATUSWINDOW = 0x0002, IMN_CHANGECANDIDATE = 0x0003,
                   IMN_CLOSECANDIDATE = 0x0004, IMN_OPENCANDIDATE = 0x0005, IMN_SETCONVERSIONMODE = 0x0006;

constexpr uint32_t MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
                   MK_MBUTTON = 0x0010;

constexpr uint8_t VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
                  VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                  VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                  VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
                  VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
                  VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
                  VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70,
                  VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
                  VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4,
                  VK_RMENU = 0xA5, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC,
                  VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0,
                  VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

// Message box styles and answers.
constexpr uint32_t MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ICONHAND = 0x10, MB_ICONQUESTION = 0x20,
                   MB_ICONEXCLAMATION = 0x30, MB_ICONINFORMATION = 0x40, MB_TOPMOST = 0x40000;
constexpr int IDOK = 1, IDCANCEL = 2;

// Show commands.
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOW = 5, SW_MINIMIZE = 6,
              SW_SHOWNOACTIVATE = 4, SW_RESTORE = 9;

// Message name for logs, event scripts and failure reports; nullptr when unknown.
const char* messageName(uint32_t message);
// Parses a message name ("WM_CLOSE") or a decimal / 0x-hex number; false when neither.
bool parseMessage(const char* text, uint32_t& out);

}  // namespace plat
