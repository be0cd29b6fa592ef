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
