// A line program's use of the series editor, driven as an operator would:
// the host connects to the station's database, loads Sergen.dll by name,
// hands it the init record with that connection and opens the editor with
// ExtShow; a second thread finds the dialogs and drives them by their
// control IDs (the brand typed and chosen, the series chosen, "缺省标准" for
// the vehicle file, one limit edited, "生成", the mask dialog's "全选",
// "反选", one row checked and "保存", then "返回").
//
//   sergen_host STATION_DIR VEHICLE_FILE [SCREEN_DIR]
//
// Prints what it did as "key value" lines (UTF-8) for the caller to check
// against the database and CXmask.cfg; with SCREEN_DIR it saves a picture of
// each dialog there (windows-main.bmp, -conditions, -limit, -mask). Exit 0
// when every step was seen to take effect.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ext_family.h"
#include "generator/sergen_module.h"
#include "series_station.h"
#include "stationdb/stationdb.h"
#include "win_capture.h"

namespace {

constexpr int kWaitMs = 30000;
const wchar_t kBrandTyped[] = L"dz";
const wchar_t kBrand[] = L"大众";
const wchar_t kSeries[] = L"桑塔纳";
const wchar_t kUpper[] = L"123.45";
const wchar_t kLower[] = L"6.78";

std::string Utf8(const std::wstring &wide) {
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

std::wstring Gbk16(const char *gbk) {
    const int n = ::MultiByteToWideChar(936, 0, gbk, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    ::MultiByteToWideChar(936, 0, gbk, -1, out.data(), n);
    out.resize(out.size() - 1);
    return out;
}

std::wstring Text(HWND window) {
    wchar_t buffer[2048] = {};
    ::GetWindowTextW(window, buffer, 2048);
    return buffer;
}

[[noreturn]] void Fail(const std::string &what) {
    std::printf("FAILED %s\n", what.c_str());
    std::fflush(stdout);
    ::ExitProcess(3);
}

// Polls `find` until it gives a window (or true), at most kWaitMs.
HWND WaitFor(const std::function<HWND()> &find, const std::string &what) {
    for (int waited = 0; waited < kWaitMs; waited += 50) {
        if (HWND found = find()) return found;
        ::Sleep(50);
    }
    Fail("waiting for " + what);
}

void WaitUntil(const std::function<bool()> &done, const std::string &what) {
    WaitFor([&] { return done() ? ::GetDesktopWindow() : nullptr; }, what);
}

// Lets the editor's thread work off what was posted to it.
void Settle() {
    ::Sleep(400);
}

struct DialogSearch {
    int id;
    const wchar_t *kind;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM l) {
    auto *s = reinterpret_cast<DialogSearch *>(l);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) ||
        ::lstrcmpW(name, L"#32770") != 0)
        return TRUE;
    HWND control = ::GetDlgItem(window, s->id);
    wchar_t controlClass[64] = {};
    if (control != nullptr) ::GetClassNameW(control, controlClass, 64);
    if (control == nullptr || ::lstrcmpiW(controlClass, s->kind) != 0) return TRUE;
    s->found = window;
    return FALSE;
}

// A visible dialog of this process with control `id` of class `kind`.
HWND FindDialog(int id, const wchar_t *kind) {
    DialogSearch search{id, kind, nullptr};
    ::EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box's text is its static control 0xFFFF.
HWND FindMessageBox() {
    return FindDialog(0xFFFF, L"Static");
}

void Click(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// Answers the next message box with `button`; its text.
std::wstring AnswerBox(int button, const std::string &what) {
    HWND box = WaitFor(FindMessageBox, "the message box " + what);
    const std::wstring text = Text(::GetDlgItem(box, 0xFFFF));
    Click(box, button);
    WaitUntil([box] { return !::IsWindow(box) || !::IsWindowVisible(box); }, "the box to close");
    return text;
}

void Expect(const std::wstring &shown, const std::wstring &expected) {
    if (shown.find(expected) == std::wstring::npos)
        Fail("the box says \"" + Utf8(shown) + "\", not \"" + Utf8(expected) + "\"");
    std::printf("box %s\n", Utf8(expected).c_str());
}

void Picture(HWND window, const std::wstring &dir, const wchar_t *name) {
    if (dir.empty()) return;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(500);
    const std::wstring path = dir + L"\\" + name;
    if (!wincapture::SaveWindowBmp(window, path)) Fail("saving " + Utf8(path));
}

int ListCount(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring Cell(HWND list, int row, int column) {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return buffer;
}

bool Checked(HWND list, int row) {
    const auto state =
        ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

int CountChecked(HWND list) {
    int n = 0;
    for (int row = 0; row < ListCount(list); ++row) n += Checked(list, row) ? 1 : 0;
    return n;
}

// Chooses `text` in a combo box as a user's pick does: selection, then the
// notification a finished choice sends.
void Choose(HWND dialog, int id, const std::wstring &text, WORD notification) {
    HWND box = ::GetDlgItem(dialog, id);
    const auto index = ::SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) Fail("no \"" + Utf8(text) + "\" in box " + std::to_string(id));
    ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(box));
}

struct Vehicle {
    std::map<int, std::string> values;  // parameter ID -> text (UTF-8)
};

Vehicle ReadVehicle(const char *path) {
    Vehicle vehicle;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        vehicle.values[std::atoi(line.substr(0, equals).c_str())] = line.substr(equals + 1);
    }
    if (vehicle.values.empty()) Fail(std::string("no values in ") + path);
    return vehicle;
}

struct Drive {
    stdhost::SeriesStation *station = nullptr;
    Vehicle vehicle;
    std::wstring screens;
    bool ok = false;
};

// The conditions dialog filled from the vehicle: numbers typed, coded
// values chosen by their names.
void FillConditions(Drive &drive, HWND conditions) {
    struct Field {
        int param;
        int id;
        bool coded;
    };
    const Field fields[] = {{1088, 8008, false}, {1011, 8015, false}, {1089, 8004, false},
                            {1066, 8006, false}, {1083, 8005, false}, {1006, 8013, true},
                            {1082, 8014, true},  {1005, 8011, true},  {1009, 8010, true},
                            {1038, 8012, true},  {1048, 8009, true}};
    for (const Field &field : fields) {
        const auto value = drive.vehicle.values.find(field.param);
        if (value == drive.vehicle.values.end()) continue;
        if (!field.coded) {
            const int n = ::MultiByteToWideChar(CP_UTF8, 0, value->second.c_str(), -1, nullptr, 0);
            std::wstring text(static_cast<std::size_t>(n), L'\0');
            ::MultiByteToWideChar(CP_UTF8, 0, value->second.c_str(), -1, text.data(), n);
            ::SendMessageW(::GetDlgItem(conditions, field.id), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(text.c_str()));
            continue;
        }
        char name[PLINTH_NAME_BYTES] = {};
        if (drive.station->plinth.GetZK2IDInfo(std::atoi(value->second.c_str()), name) <= 0)
            Fail("no name for code " + value->second);
        Choose(conditions, field.id, Gbk16(name), CBN_SELCHANGE);
    }
    Settle();
}

void ChooseSeries(HWND main) {
    HWND brand = ::GetDlgItem(main, 8002);
    HWND edit = ::FindWindowExW(brand, nullptr, L"Edit", nullptr);
    if (edit == nullptr) Fail("the brand box has no edit field");
    // Typed key by key into the box's edit field.
    for (const wchar_t *key = kBrandTyped; *key != L'\0'; ++key) {
        ::PostMessageW(edit, WM_CHAR, static_cast<WPARAM>(*key), 1);
        Settle();
    }
    WaitUntil([brand] { return ::SendMessageW(brand, CB_GETCOUNT, 0, 0) > 0; },
              "the brands of \"dz\"");
    std::printf("brands-offered %d\n", static_cast<int>(::SendMessageW(brand, CB_GETCOUNT, 0, 0)));
    Choose(main, 8002, kBrand, CBN_SELENDOK);
    HWND series = ::GetDlgItem(main, 8003);
    WaitUntil([series] { return ::SendMessageW(series, CB_GETCOUNT, 0, 0) > 0; }, "the series");
    Settle();
    Choose(main, 8003, kSeries, CBN_SELENDOK);
    Settle();
    std::printf("brand %s\nseries %s\n", Utf8(Text(brand)).c_str(), Utf8(Text(series)).c_str());
}

void DefaultStandard(Drive &drive, HWND main) {
    Click(main, 8007);
    HWND conditions = WaitFor([] { return FindDialog(8013, L"ComboBox"); }, "the conditions");
    FillConditions(drive, conditions);
    Picture(conditions, drive.screens, L"windows-conditions.bmp");
    Click(conditions, IDOK);
    WaitUntil([conditions] { return !::IsWindowVisible(conditions); }, "the computation");
    Settle();
    std::printf("default-rows %d\n", ListCount(::GetDlgItem(main, 8001)));
}

// The first row's limits through the limit dialog.
void EditLimit(Drive &drive, HWND main) {
    HWND list = ::GetDlgItem(main, 8001);
    if (ListCount(list) == 0) Fail("an empty standards list");
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(list, LVM_SETSELECTIONMARK, 0, 0);
    static NMHDR doubleClick{};
    doubleClick = {list, 8001, static_cast<UINT>(NM_DBLCLK)};
    ::PostMessageW(main, WM_NOTIFY, 8001, reinterpret_cast<LPARAM>(&doubleClick));
    HWND limits = WaitFor([] { return FindDialog(8000, L"Edit"); }, "the limit dialog");
    // A limit that is not a number is refused and the dialog stays.
    ::SendMessageW(::GetDlgItem(limits, 8000), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12,5"));
    Click(limits, IDOK);
    Expect(AnswerBox(IDOK, "refusing 12,5"), L"上限 \"12,5\" 不是数字!");
    if (!::IsWindowVisible(limits)) Fail("the limit dialog closed on a refused limit");
    ::SendMessageW(::GetDlgItem(limits, 8000), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kUpper));
    ::SendMessageW(::GetDlgItem(limits, 8001), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kLower));
    Picture(limits, drive.screens, L"windows-limit.bmp");
    Click(limits, IDOK);
    WaitUntil([limits] { return !::IsWindow(limits); }, "the limit dialog to close");
    Settle();
    if (Cell(list, 0, 6) != kUpper || Cell(list, 0, 7) != kLower)
        Fail("the list shows " + Utf8(Cell(list, 0, 6)) + "/" + Utf8(Cell(list, 0, 7)));
    std::printf("edited %s=%s,%s\n", Utf8(Cell(list, 0, 8)).c_str(), Utf8(kUpper).c_str(),
                Utf8(kLower).c_str());
}

void Generate(Drive &drive, HWND main) {
    Picture(main, drive.screens, L"windows-main.bmp");
    // "返回" with edits not yet generated asks; No keeps the editor open.
    Click(main, 2);
    Expect(AnswerBox(IDNO, "about edits not generated"), L"修改尚未生成,是否放弃?");
    Settle();
    if (!::IsWindowVisible(main)) Fail("the editor closed with edits not generated");
    Click(main, 8005);
    const std::wstring report = AnswerBox(IDOK, "after 生成");
    std::printf("generated %s\n", Utf8(report.substr(0, report.find(L'\n'))).c_str());
    // "清除标准" names what it would delete; Cancel (the default) keeps it.
    Click(main, 8018);
    Expect(AnswerBox(IDCANCEL, "of 清除标准"), L"标准将全部清除!清除后将无法恢复!");
}

void Mask(Drive &drive, HWND main) {
    Click(main, 8022);
    HWND mask = WaitFor([] { return FindDialog(8023, L"SysListView32"); }, "the mask dialog");
    HWND list = ::GetDlgItem(mask, 8023);
    WaitUntil([list] { return ListCount(list) > 0; }, "the mask list");
    Click(mask, 3);  // 全选
    Settle();
    if (CountChecked(list) != ListCount(list)) Fail("全选 left rows unchecked");
    Click(mask, 4);  // 反选
    Settle();
    if (CountChecked(list) != 0) Fail("反选 left rows checked");
    LVITEMW check{};
    check.stateMask = LVIS_STATEIMAGEMASK;
    check.state = INDEXTOSTATEIMAGEMASK(2);
    ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&check));
    Picture(mask, drive.screens, L"windows-mask.bmp");
    std::printf("mask-rows %d\nmasked %s (%d rows)\n", ListCount(list),
                Utf8(Cell(list, 0, 3)).c_str(), CountChecked(list));
    Click(mask, IDOK);
    WaitUntil([mask] { return !::IsWindow(mask); }, "the mask dialog to close");
    Settle();
}

void DriveEditor(Drive &drive) {
    HWND main = WaitFor([] { return FindDialog(8001, L"SysListView32"); }, "the editor");
    HWND list = ::GetDlgItem(main, 8001);
    WaitUntil([list] { return ListCount(list) > 0; }, "the first load");
    std::printf("catalogue-rows %d\n", ListCount(list));
    Click(main, 8005);  // 生成 without a brand
    Expect(AnswerBox(IDOK, "of 生成 without a brand"), L"没有厂牌名称!");
    ChooseSeries(main);
    DefaultStandard(drive, main);
    EditLimit(drive, main);
    Generate(drive, main);
    Mask(drive, main);
    std::printf("rows-after-mask %d\n", ListCount(list));
    Click(main, 2);  // 返回
    drive.ok = true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: sergen_host STATION_DIR VEHICLE_FILE [SCREEN_DIR]\n");
        return 2;
    }
    Drive drive;
    drive.vehicle = ReadVehicle(argv[2]);
    if (argc > 3) {
        const int n = ::MultiByteToWideChar(CP_ACP, 0, argv[3], -1, nullptr, 0);
        drive.screens.assign(static_cast<std::size_t>(n), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, argv[3], -1, drive.screens.data(), n);
        drive.screens.resize(drive.screens.size() - 1);
    }
    static stdhost::SeriesStation station;
    if (stdhost::ConnectSeriesStation(argv[1], station) != stdhost::kExitOk) return 4;
    drive.station = &station;
    const uint32_t handle = stationdb_register(&station.connection);

    HMODULE sergen = ::LoadLibraryW(L"Sergen.dll");
    if (sergen == nullptr) Fail("LoadLibrary Sergen.dll: " + std::to_string(::GetLastError()));
    auto init = reinterpret_cast<int (*)(void *)>(
        reinterpret_cast<void *>(::GetProcAddress(sergen, "ExtInit")));
    auto show = reinterpret_cast<int (*)(int, ExtRect)>(
        reinterpret_cast<void *>(::GetProcAddress(sergen, "ExtShow")));
    if (init == nullptr || show == nullptr) Fail("Sergen.dll lacks ExtInit or ExtShow");

    const ExtRect rect{20, 20, 1044, 740};
    generator::InitRecord record;
    const std::vector<unsigned char> zeros(generator::kInitRecordBytes, 0);
    record.CopyFrom(zeros.data());
    record.SetRect({rect.left, rect.top, rect.right, rect.bottom});
    record.SetConnectionHandle(handle);
    std::vector<unsigned char> bytes(record.Bytes(), record.Bytes() + generator::kInitRecordBytes);
    if (int rc = init(bytes.data()); rc != EXT_DONE) Fail("ExtInit " + std::to_string(rc));

    std::thread driver([&drive] { DriveEditor(drive); });
    const int shown = show(1, rect);
    driver.join();
    stationdb_unregister(handle);
    std::printf("ExtShow %d\n", shown);
    if (shown != EXT_DONE || !drive.ok) Fail("the editor did not close as asked");
    std::printf("ok\n");
    return 0;
}
