#include "e2e/wizard_fixture.h"

#include <stdexcept>

#include "support/test_registry.h"
#include "ui/layout.h"

static const char RecordsKey[] = "Software\\Torvane\\QuillsetPatch";

void CopyTree(const std::string& from, const std::string& to) {
    MakeFolders(to);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot list " + from);
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(from + "\\" + name, to + "\\" + name);
        } else if (!CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE)) {
            FindClose(find);
            throw std::runtime_error("cannot copy " + from + "\\" + name);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

void ClearCopyRecords() { DeleteRegistryTree(HKEY_CURRENT_USER, RecordsKey); }

static void SetString(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

int CopyRecordCount() {
    DWORD count = 0, size = sizeof count;
    if (RegGetValueA(HKEY_CURRENT_USER, RecordsKey, "QuillsetPatchCount", RRF_RT_REG_DWORD, nullptr, &count, &size) !=
        ERROR_SUCCESS) {
        return 0;
    }
    return static_cast<int>(count);
}

void AddCopyRecord(const std::string& exePath, const std::string& version, const std::string& programName) {
    DWORD count = static_cast<DWORD>(CopyRecordCount()) + 1;
    std::string recordKey = std::string(RecordsKey) + "\\QuillsetPatch" + std::to_string(count);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, recordKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        throw std::runtime_error("cannot create " + recordKey);
    }
    SetString(key, "ExePatch", exePath);
    SetString(key, "Version", version);
    SetString(key, "ProgramName", programName);
    RegCloseKey(key);
    RegCreateKeyExA(HKEY_CURRENT_USER, RecordsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "QuillsetPatchCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    RegCloseKey(key);
}

std::string PackageFolder(const std::string& copy) { return copy + "\\Addons\\DemoPack"; }

void WizardRun::SetUp() {
    ClearCopyRecords();
    CopyTree(std::string(DEMO_PACKAGE_DIR) + "\\Source", setup / "Source");
}

void WizardRun::UseDemoLanguages() { CopyTree(std::string(DEMO_PACKAGE_DIR) + "\\Language", setup / "Language"); }

void WizardRun::TearDown() { ClearCopyRecords(); }

std::string WizardRun::MakeCopy(const std::string& name, const std::string& program) {
    std::string folder = copies / name;
    MakeCopyAt(folder, program);
    return folder;
}

void WizardRun::MakeCopyAt(const std::string& folder, const std::string& program) {
    MakeFolders(folder + "\\Resource");
    std::string exe = folder + "\\quill.exe";
    if (!CopyFileA((std::string(TEST_BIN_DIR) + "\\demo\\" + program).c_str(), exe.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy the target program to " + exe);
    }
    WriteBytes(folder + "\\Resource\\Uninstall.ini", "[Files]\r\nquill.exe\r\nData\\old_demo.map\r\n");
    WriteBytes(folder + "\\Resource\\InstallComponents.ini", "Base/1.0\r\n");
    WriteBytes(folder + "\\Data\\old_demo.map", "old\r\n");
}

std::string WizardRun::MakeRecordedCopy(const std::string& name) {
    std::string folder = MakeCopy(name);
    AddCopyRecord(folder + "\\quill.exe");
    return folder;
}

void WizardRun::StampCopy(const std::string& folder, const std::string& file, const std::string& version) {
    WriteBytes(PackageFolder(folder) + "\\" + file, version + "\r\n");
}

void WizardRun::WriteLanguage(const std::string& fileName, const std::string& lines) {
    WriteBytes(setup / ("Language\\" + fileName), lines);
}

void WizardRun::Start() {
    StartSetup(process, setup.path);
    main = WaitForTopWindow(process.pid(), "myWindow");
    if (!main) throw std::runtime_error("the main window did not appear");
}

std::string WizardRun::Header() {
    HWND label = ChildAt(main, 80, 76, 340, 28);
    return label ? WindowText(label) : "<no header>";
}

std::string WizardRun::Text(int id) { return WindowText(GetDlgItem(main, id)); }
bool WizardRun::Enabled(int id) { return IsWindowEnabled(GetDlgItem(main, id)) != 0; }

bool WizardRun::WaitForHeader(const std::string& header) {
    return WaitFor([&] { return Header() == header; });
}

std::string WizardRun::PageText() {
    HWND edit = ChildAt(main, 75, 107, 340, 152);
    return edit ? WindowText(edit) : "";
}

HWND WizardRun::List(int id) { return GetDlgItem(main, id); }

bool WizardRun::PickEntry(int listId, const std::string& entry) {
    auto items = ListItems(List(listId));
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == entry) {
            ClickListItem(main, listId, static_cast<int>(i));
            return true;
        }
    }
    return false;
}

void WizardRun::FinishAfterInstall(bool otherCopiesNotice, bool launch) {
    BoxSeen result = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(result.text, "Пакет установлен успешно!");
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
    EXPECT_FALSE(Enabled(CmdNext));
    EXPECT_FALSE(Enabled(CmdBack));
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    if (otherCopiesNotice) {
        BoxSeen notice = AnswerBox(process.pid(), IDOK);
        EXPECT_EQ(notice.text, "Для установки пакета в другую копию программы Quillset запустите программу установки ещё раз!");
    }
    BoxSeen question = AnswerBox(process.pid(), launch ? IDYES : IDNO);
    EXPECT_EQ(question.text, "Запустить программу Quillset?");
    EXPECT_EQ(question.caption, "Подтверждение...");
    EXPECT_EQ(process.waitExit(), 0);
}

void WizardRun::PickListedCopy(int index, const std::string& folder) {
    Start();
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitFor([&] { return List(CmdCopyList) != nullptr; }));
    ClickListItem(main, CmdCopyList, index);
    ClickButton(main, CmdNext);
    EXPECT_NE(AnswerBox(process.pid(), IDOK).text.find(folder), std::string::npos);
}

void WizardRun::CancelAtReinstallQuestion() {
    BoxSeen question = AnswerBox(process.pid(), IDCANCEL);
    EXPECT_EQ(question.text, "Этот компонент уже установлен в программу, перезаписать его ещё раз?");
    EXPECT_EQ(process.waitExit(), 0);
}

void WizardRun::BeginInstall(SetupProcess& run, const std::string& setupFolder, bool reinstall, bool settle) {
    StartSetup(run, setupFolder);
    main = WaitForTopWindow(run.pid(), "myWindow");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    HWND found = WaitForTextBox(run.pid());
    ASSERT_NE(found, nullptr);
    PressDialogButton(found, IDOK);
    ASSERT_TRUE(WaitGone(found));
    if (settle) {
        EXPECT_EQ(AnswerBox(run.pid(), IDYES).caption, "Подтверждение...");
        EXPECT_EQ(AnswerBox(run.pid(), IDOK).caption, "Сообщение...");
    }
    if (reinstall) AnswerBox(run.pid(), IDOK);
}

std::string WizardRun::InstallAndFinish(bool reinstall, bool settle) {
    BeginInstall(process, setup.path, reinstall, settle);
    return FinishFromResultBox();
}

std::string WizardRun::InstallCancellingFileInUse(bool reinstall, bool settle) {
    BeginInstall(process, setup.path, reinstall, settle);
    BoxSeen inUse = AnswerBox(process.pid(), IDCANCEL);
    EXPECT_EQ(FirstLine(inUse.text), FileInUseText) << inUse.text;
    return FinishFromResultBox();
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

bool CancelFileInUseBox(DWORD pid) {
    HWND box = WaitForTextBox(pid, 0);
    if (!box || !GetDlgItem(box, IDRETRY)) return false;
    PressDialogButton(box, IDCANCEL);
    return true;
}

std::string WizardRun::FinishFromResultBox() {
    std::string result = AnswerBox(process.pid(), IDOK).text;
    EXPECT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(AnswerBox(process.pid(), IDNO).text, "Запустить программу Quillset?");
    EXPECT_EQ(process.waitExit(), 0);
    return result;
}

static std::wstring WidePath(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return L"\\\\?\\" + wide;
}

static std::string Narrow(const std::wstring& wide) {
    std::string text(wide.size() * 2, '\0');
    text.resize(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                                    static_cast<int>(text.size()), nullptr, nullptr));
    return text;
}

static void AddTree(const std::wstring& folder, const std::string& relative, TreeBytes& tree) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::string path = relative.empty() ? Narrow(name) : relative + "\\" + Narrow(name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path] = "<folder>";
            AddTree(folder + L"\\" + name, path, tree);
            continue;
        }
        std::string bytes;
        HANDLE file = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            bytes = "<unreadable>";
        } else {
            char chunk[65536];
            DWORD got = 0;
            while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got) bytes.append(chunk, got);
            CloseHandle(file);
        }
        tree[path] = bytes;
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

TreeBytes TreeOf(const std::string& folder) {
    TreeBytes tree;
    AddTree(WidePath(folder), "", tree);
    return tree;
}

std::string TreeDifference(const TreeBytes& expected, const TreeBytes& actual) {
    std::string text;
    for (const auto& [path, bytes] : expected) {
        auto it = actual.find(path);
        if (it == actual.end()) text += "missing: " + path + "\n";
        else if (it->second != bytes) text += "changed: " + path + " (" + std::to_string(it->second.size()) + " bytes)\n";
    }
    for (const auto& [path, bytes] : actual) {
        if (!expected.count(path)) text += "extra: " + path + "\n";
    }
    return text;
}
