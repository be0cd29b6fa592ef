// The window at 96, 120, 144 and 192 DPI: the client area and every control
// are the layout scaled, all inside the client area, and every text fits its
// control. The prefix's DPI is set for each run and put back afterwards.
#include <algorithm>
#include <vector>

#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

const char DesktopKey[] = "Control Panel\\Desktop";

// The prefix's LogPixels while it lives; the earlier value (or none) after.
class LogPixelsOverride {
public:
    explicit LogPixelsOverride(DWORD dpi) {
        DWORD size = sizeof old_;
        hadOld_ = RegGetValueA(HKEY_CURRENT_USER, DesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
                  ERROR_SUCCESS;
        Set(dpi);
    }
    ~LogPixelsOverride() {
        if (hadOld_) {
            Set(old_);
            return;
        }
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        RegDeleteValueA(key, "LogPixels");
        RegCloseKey(key);
    }
    LogPixelsOverride(const LogPixelsOverride&) = delete;
    LogPixelsOverride& operator=(const LogPixelsOverride&) = delete;

private:
    static void Set(DWORD dpi) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        RegCloseKey(key);
    }
    DWORD old_ = 0;
    bool hadOld_ = false;
};

struct Child {
    HWND window;
    RECT rect;  // client coordinates of the main window
};

std::vector<Child> Children(HWND main) {
    std::vector<Child> children;
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
        children.push_back({child, rect});
    }
    return children;
}

bool Near(int a, int b, int slack) { return std::abs(a - b) <= slack; }

// An etched line takes the system's size for a line (2 high, its edges
// included in the width), whatever it was given.
bool Matches(const RECT& rect, const ControlTemplate& control, int dpi) {
    Rect want = ScaleRect(control.rect, dpi);
    bool line = (control.style & SS_TYPEMASK) == SS_ETCHEDHORZ;
    return Near(rect.left, want.x, 1) && Near(rect.top, want.y, 1) &&
           Near(rect.right - rect.left, want.width, line ? 2 : 1) && (line || Near(rect.bottom - rect.top, want.height, 1));
}

// The controls that hold texts measured in one of the two fonts, as the
// program makes them at that DPI.
HFONT MakeFont(FontKind kind, int dpi) {
    bool title = kind == FontKind::Title;
    return CreateFontA(ScaleLength(title ? 13 : -11, dpi), 0, 0, 0, title ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                       DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
}

// Checks the page on the screen against `expected` at `dpi`.
void CheckPage(HWND main, int dpi, const std::vector<const ControlTemplate*>& expected) {
    RECT client;
    GetClientRect(main, &client);
    EXPECT_TRUE(Near(client.right, ScaleLength(Layout::ClientWidth, dpi), 2)) << client.right;
    EXPECT_TRUE(Near(client.bottom, ScaleLength(Layout::ClientHeight, dpi), 2)) << client.bottom;
    if (dpi == DesignDpi) {  // the window is sized from its client area, not from guessed frame widths
        EXPECT_EQ(client.right, Layout::ClientWidth);
        EXPECT_EQ(client.bottom, Layout::ClientHeight);
    }
    // The page's controls are made one after another: wait until the last is there.
    std::vector<Child> children;
    WaitFor([&] {
        children = Children(main);
        return std::all_of(expected.begin(), expected.end(), [&](const ControlTemplate* control) {
            return std::any_of(children.begin(), children.end(),
                               [&](const Child& child) { return Matches(child.rect, *control, dpi); });
        });
    });
    HDC dc = CreateCompatibleDC(nullptr);
    for (const ControlTemplate* control : expected) {
        auto shown = std::find_if(children.begin(), children.end(),
                                  [&](const Child& child) { return Matches(child.rect, *control, dpi); });
        EXPECT_NE(shown, children.end()) << "no control at the scaled " << control->rect.x << "," << control->rect.y;
    }
    for (const Child& child : children) {
        std::string text = WindowText(child.window);
        EXPECT_TRUE(child.rect.left >= 0 && child.rect.top >= 0 && child.rect.right <= client.right &&
                    child.rect.bottom <= client.bottom)
            << "outside the client area: " << text;
        const ControlTemplate* control = nullptr;
        for (const ControlTemplate* candidate : expected) {
            if (Matches(child.rect, *candidate, dpi)) control = candidate;
        }
        EXPECT_NE(control, nullptr) << "a control that is not the layout scaled: \"" << text << "\" at "
                                    << child.rect.left << "," << child.rect.top << " to " << child.rect.right << ","
                                    << child.rect.bottom;
        if (!control || text.empty() || control->font == FontKind::None) continue;
        HFONT font = MakeFont(control->font, dpi);
        SelectObject(dc, font);
        int width = child.rect.right - child.rect.left, height = child.rect.bottom - child.rect.top;
        bool button = lstrcmpiA(ClassOf(child.window).c_str(), "button") == 0;
        bool wraps = lstrcmpiA(ClassOf(child.window).c_str(), "edit") == 0 || control == &Layout::HeaderLabel;
        RECT needed{0, 0, button ? 0 : width, 0};
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &needed,
                  DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        int margin = button ? ScaleLength(4, dpi) : 0;  // a button's frame and focus rectangle
        if (!wraps || control == &Layout::HeaderLabel) {
            EXPECT_LE(needed.bottom, height) << "too high for its control: " << text;
        }
        EXPECT_LE(needed.right + 2 * margin, width) << "too wide for its control: " << text;
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
    }
    DeleteDC(dc);
}

const std::vector<const ControlTemplate*> Permanent = {
    &Layout::BottomRule, &Layout::VersionLabel, &Layout::Banner,     &Layout::TitleFrame, &Layout::TitlePanel,
    &Layout::PackageTitle, &Layout::HeaderLabel, &Layout::BackButton, &Layout::NextButton, &Layout::ExitButton};

std::vector<const ControlTemplate*> With(const ControlTemplate& frame, const ControlTemplate& control) {
    std::vector<const ControlTemplate*> all = Permanent;
    all.push_back(&frame);
    all.push_back(&control);
    return all;
}

}  // namespace

TEST_F(WizardRun, TheWindowScalesWithTheScreensDpi) {
    UseDemoLanguages();
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        LogPixelsOverride pixels(dpi);
        SetupProcess run;
        StartSetup(run, setup.path);
        HWND window = WaitForTopWindow(run.pid(), "myWindow");
        ASSERT_NE(window, nullptr);
        HWND list = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (list = GetDlgItem(window, CmdLanguageList)) && IsWindowVisible(window); }));
        CheckPage(window, dpi, With(Layout::LanguageFrame, Layout::LanguageList));
        // The list's rows follow its font: the hover tip takes their height from it.
        int row = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
        EXPECT_GE(row, ScaleLength(13, dpi) - 1);

        ClickListItem(window, CmdLanguageList, 0);
        ClickButton(window, CmdNext);
        ASSERT_TRUE(WaitFor([&] { return GetDlgItem(window, CmdLanguageList) == nullptr && Children(window).size() == 12; }));
        CheckPage(window, dpi, With(Layout::TextFrame, Layout::TextBox));

        ClickButton(window, CmdExit);
        AnswerBox(run.pid(), IDYES);
        EXPECT_EQ(run.waitExit(), 0);
    }
}

namespace {

// The window as the screen shows it, in 24-bit rows bottom-up as a BMP keeps them.
std::string WindowPixels(HWND window, int& width, int& height) {
    RECT rect;
    GetWindowRect(window, &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    std::string pixels(static_cast<const char*>(bits), static_cast<size_t>((width * 3 + 3) & ~3) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Saves the box once its grabs have stayed the same for half a second (the
// screen shows a window, and its painting, a moment after it is done).
void SaveShot(HWND window, const std::string& path) {
    int width = 0, height = 0;
    std::string last;
    std::string pixels;
    DWORD sameSince = GetTickCount();
    WaitFor([&] {
        pixels = WindowPixels(window, width, height);
        if (pixels != last) sameSince = GetTickCount();
        last = pixels;
        return GetTickCount() - sameSince >= 500;
    });
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    WriteBytes(path, std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                         std::string(reinterpret_cast<const char*>(&header), sizeof header) + pixels);
}

// The box now up, shot under `name`, then answered with `buttonId`.
void ShootBox(DWORD pid, const std::string& name, int dpi, int buttonId) {
    HWND box = WaitForTextBox(pid);
    ASSERT_NE(box, nullptr) << name;
    SaveShot(box, std::string(TEST_BIN_DIR) + "\\shots\\failure\\" + std::to_string(dpi) + "dpi\\" + name + ".bmp");
    PressDialogButton(box, buttonId);
    ASSERT_TRUE(WaitGone(box)) << name;
}

// Takes a run past the about page (found by its controls: the header's
// place scales) and the folder-found box of the one recorded copy.
void BeginInstallAtAnyDpi(SetupProcess& run, const std::string& setupFolder, HWND& window) {
    StartSetup(run, setupFolder);
    window = WaitForTopWindow(run.pid(), "myWindow");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window) && Children(window).size() == 12; }));
    ClickButton(window, CmdNext);
    AnswerBox(run.pid(), IDOK);
}

}  // namespace

// Each box that says what went wrong, shot at 96 and 144 DPI into the build
// folder's shots\failure: the package missing, a file in use, the failed run
// with its file and reason, access denied with what to do, too little room.
TEST_F(WizardRun, TheFailureBoxesAreShotAt96And144Dpi) {
    std::string copy = MakeRecordedCopy("Shots");
    for (int dpi : {96, 144}) {
        LogPixelsOverride pixels(dpi);
        ScratchDir alone;
        SetupProcess lone;
        StartSetup(lone, alone.path);
        ShootBox(lone.pid(), "package-missing", dpi, IDOK);
        EXPECT_EQ(lone.waitExit(), 1);

        HANDLE held = CreateFileA((copy + "\\Resource\\Uninstall.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        BeginInstallAtAnyDpi(process, setup.path, main);
        ShootBox(process.pid(), "file-in-use", dpi, IDCANCEL);
        ShootBox(process.pid(), "install-failed", dpi, IDOK);
        CloseHandle(held);
        ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
        ClickButton(main, CmdExit);
        AnswerBox(process.pid(), IDYES);
        AnswerBox(process.pid(), IDNO);
        EXPECT_EQ(process.waitExit(), 0);

        std::string readOnly = copy + "\\Resource\\DemoPack.cfg";
        WriteBytes(readOnly, "the user's own\r\n");
        SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
        BeginInstallAtAnyDpi(process, setup.path, main);
        ShootBox(process.pid(), "access-denied", dpi, IDOK);
        SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(readOnly.c_str());
        ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
        ClickButton(main, CmdExit);
        AnswerBox(process.pid(), IDYES);
        AnswerBox(process.pid(), IDNO);
        EXPECT_EQ(process.waitExit(), 0);

        // A package file larger than any drive, sparse on the host: the space box.
        std::string huge = setup / "Source\\PACK\\Data\\huge.dat";
        HANDLE file = CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 1LL << 42;
        SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
        std::string script = setup / "Source\\Script_Copy.ini";
        std::string lines = ReadBytes(script);
        WriteBytes(script, lines + "Data\\huge.dat\r\n");
        BeginInstallAtAnyDpi(process, setup.path, main);
        ShootBox(process.pid(), "disk-space", dpi, IDOK);
        EXPECT_EQ(process.waitExit(), 0);
        WriteBytes(script, lines);
        DeleteFileA(huge.c_str());
    }
}
