// setup.exe under Wine, driven through its real windows: packs made with
// kestrin's core, the program started in their folder, dialogs answered
// with messages, the uninstall log and the screen read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "DialogTemplate.h"
#include "SetupDriver.h"

namespace {

using driver::countOf;
using driver::records;
using driver::Installer;

constexpr WORD kPortugal = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE);
constexpr char kAbortQuestion[] = "Did you want to abort instalation ?";


// ------------------------------------------------------------------ start-up

TEST(StartUp, NoPackExitsAtOnceWithoutWindowOrLog) {
  const std::string dir = driver::freshDir("nopack");
  Installer setup(dir);
  ASSERT_TRUE(setup.started());
  EXPECT_EQ(setup.waitExit(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST(StartUp, PacksThatCannotBeOpenedLeaveErrorOneAndExit) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
  };
  const Case cases[] = {
      {"not a pack", [](const std::string& dir) { std::ofstream(dir + "\\SETUP.i00") << "not a pack at all"; }},
      {"no script entry",
       [](const std::string& dir) {
         std::string error;
         ASSERT_TRUE(kestrin::writePack(dir + "\\SETUP", {{"readme.txt", "", {'h', 'i'}, 0}}, 0, nullptr, &error));
       }},
  };
  for (const Case& c : cases) {
    const std::string dir = driver::freshDir("badpack");
    c.make(dir);
    Installer setup(dir);
    EXPECT_EQ(setup.waitExit(), 0) << c.what;
    EXPECT_EQ(driver::fileText(dir + "\\SETUP.log"),
              std::string(driver::kHeader) + "*ERROR #1@0,Can't open install pack.*")
        << c.what;
  }
}

TEST(StartUp, DashDRunsTheScriptWithItsDialogsAndChangesNothing) {
  struct Case {
    const char* arguments;
    bool dry;
  };
  // Only the first two characters of the command line are read.
  const Case cases[] = {{"-d", true}, {"-dx anything", true}, {"", false}, {"x-d", false}};
  for (const Case& c : cases) {
    const std::string dir = driver::freshDir("dry");
    driver::pack(dir, R"(
number ok
mkdir "C:\\setup-tests\\dry\\made"
dialog message(information, "Dry", "Runs with its dialogs", okcancel, ok)
logtext "ok " + ok
)");
    Installer setup(dir, c.arguments);
    HWND box = setup.waitDialog("Dry");
    ASSERT_NE(box, nullptr) << c.arguments;
    driver::press(box, IDOK);
    EXPECT_EQ(setup.waitExit(), 0) << c.arguments;
    EXPECT_EQ(std::filesystem::exists(dir + "\\made"), !c.dry) << c.arguments;
    std::vector<std::string> expected;
    if (!c.dry) expected.push_back("[MKDIR " + dir + "\\made]");
    expected.push_back("[ok 1]");
    EXPECT_EQ(records(dir), expected) << c.arguments;
  }
}

// ----------------------------------------------------------------- resources

TEST(Resources, DialogTemplatesAsStored) {
  HMODULE exe = LoadLibraryExA((driver::programDir() + "setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP, kDefault = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP;
  constexpr DWORD kStatic = kChild | SS_LEFT | WS_GROUP, kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  struct Expected {
    int id;
    short cx, cy;
    std::vector<TemplateItem> items;
  };
  const Expected expected[] = {
      {106, 210, 194,
       {{1, "BUTTON", "OK", 99, 173, 50, 14, kDefault},
        {2, "BUTTON", "Cancel", 153, 173, 50, 14, kButton},
        {1002, "STATIC", "Static", 98, 15, 102, 150, kStatic}}},
      {107, 210, 191,
       {{1, "BUTTON", "OK", 95, 170, 50, 14, kDefault},
        {2, "BUTTON", "Cancel", 153, 170, 50, 14, kButton},
        {1004, "STATIC", "Static", 90, 15, 105, 85, kStatic},
        {1003, "EDIT", "", 87, 110, 110, 15, kEdit}}},
      {108, 186, 66,
       {{2, "BUTTON", "Cancel", 129, 45, 50, 14, kButton},
        {1005, "STATIC", "Static", 7, 7, 172, 17, kStatic},
        {1006, "MSCTLS_PROGRESS32", "", 7, 30, 166, 10, kChild | WS_BORDER}}},
      {109, 211, 191,
       {{1, "BUTTON", "OK", 95, 170, 50, 14, kDefault},
        {2, "BUTTON", "Cancel", 154, 170, 50, 14, kButton},
        {1007, "EDIT", "", 90, 114, 114, 15, kEdit},
        {1008, "BUTTON", "Browse ...", 155, 135, 51, 14, kButton},
        {1009, "STATIC", "Static", 90, 15, 110, 93, kStatic}}},
  };
  for (const Expected& e : expected) {
    const DialogTemplate d = readTemplate(exe, e.id, kPortugal);
    EXPECT_EQ(d.style, kDialog) << e.id;
    EXPECT_EQ(d.title, "Dialog") << e.id;
    EXPECT_EQ(d.cx, e.cx) << e.id;
    EXPECT_EQ(d.cy, e.cy) << e.id;
    EXPECT_EQ(d.face, "MS Sans Serif") << e.id;
    EXPECT_EQ(d.points, 8) << e.id;
    EXPECT_EQ(d.items, e.items) << e.id;
  }
  // One icon resource, found as "Setup" and as "SETUP", with a large and a
  // small image.
  HRSRC icon = FindResourceExA(exe, RT_GROUP_ICON, "Setup", kPortugal);
  ASSERT_NE(icon, nullptr);
  const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(exe, icon)));
  EXPECT_EQ(group[4], 2);  // images
  EXPECT_EQ(group[6], 32);
  EXPECT_EQ(group[6 + 14], 16);
  FreeLibrary(exe);

  // The version resource, in the same language.
  const std::string path = driver::programDir() + "setup.exe";
  std::vector<char> version(GetFileVersionInfoSizeA(path.c_str(), nullptr));
  ASSERT_FALSE(version.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
  WORD* translation = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueA(version.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size));
  EXPECT_EQ(translation[0], 0x0816);
  char* name = nullptr;
  ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\081604E4\\OriginalFilename",
                             reinterpret_cast<void**>(&name), &size));
  EXPECT_STREQ(name, "setup.exe");
}

// ------------------------------------------------------------------- dialogs

// An 8-bit bitmap file of 4 x 4 pixels of colour-table entry 1, which is
// RGB(0, 200, 50).
kestrin::Bytes pictureFile() {
  kestrin::Bytes f(1078 + 16, 1);
  std::memset(f.data(), 0, 1078);
  f[0] = 'B';
  f[1] = 'M';
  f[18] = 4;
  f[22] = 4;
  f[54 + 4] = 50;   // blue
  f[54 + 5] = 200;  // green
  f[54 + 6] = 0;    // red
  return f;
}

TEST(Dialogs, EachKindStoresItsAnswer) {
  const std::string dir = driver::freshDir("dialogs");
  kestrin::Bytes shortPicture = pictureFile();
  shortPicture.pop_back();
  driver::pack(dir, R"(
number yn, oc, info, info2
string name, name2, dir, readme, pic, bad
name = "old name"
name2 = "before"
dir = "C:\\first"
loadentry readme, @readme.txt
loadentry pic, @pic.bmp
loadentry bad, @bad.bmp
dialog message(question, "YesNo", "Answer no", yesno, yn)
logtext "yn " + yn
dialog message(information, "OkCancel", "Answer ok", okcancel, oc)
logtext "oc " + oc
dialog info(pic, "Info", entry(readme), yesno, info)
logtext "info " + info
dialog info(bad, "No picture", "Nothing on the left", okcancel, info2)
logtext "info2 " + info2
dialog input(nopicture, "Input cancel", "Type, then Cancel", okcancel, name)
logtext "input1 " + (0 - (0 - name)) + " " + name
dialog input(nopicture, "Input ok", "Type, then OK", okcancel, name2)
logtext "input2 " + (0 - (0 - name2)) + " " + name2
dialog path(nopicture, "Path", "Edit, then Cancel", okcancel, dir)
logtext "path " + (0 - (0 - dir)) + " " + dir
)",
               {{"readme.txt", "", {'R', 'e', 'a', 'd', ' ', 'm', 'e'}, 0},
                {"pic.bmp", "", pictureFile(), 0},
                {"bad.bmp", "", shortPicture, 0}});
  Installer setup(dir);
  const COLORREF picture = RGB(0, 200, 50);

  HWND box = setup.waitDialog("YesNo");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(driver::boxText(box), "Answer no");
  driver::press(box, IDNO);
  box = setup.waitDialog("OkCancel");
  ASSERT_NE(box, nullptr);
  driver::press(box, IDOK);

  // Dialog 106 with its picture stretched into (10, 10, 119 x 295), its
  // text from a pack entry and Yes/No labels.
  HWND info = setup.waitDialog("Info");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(driver::itemText(info, 1002), "Read me");
  EXPECT_EQ(driver::itemText(info, IDOK), "Yes");
  EXPECT_EQ(driver::itemText(info, IDCANCEL), "No");
  RECT placed;
  GetWindowRect(info, &placed);
  EXPECT_EQ(placed.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 100);
  EXPECT_EQ(placed.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 100);
  EXPECT_TRUE(driver::waitForPixel(info, 11, 11, picture));
  EXPECT_TRUE(driver::waitForPixel(info, 127, 303, picture));
  EXPECT_FALSE(driver::waitForPixel(info, 133, 150, picture, 200));
  driver::press(info, IDOK);

  // A picture entry too short for its rows: no picture.
  HWND noPicture = setup.waitDialog("No picture");
  ASSERT_NE(noPicture, nullptr);
  EXPECT_TRUE(driver::waitForPixel(noPicture, 60, 150, GetSysColor(COLOR_BTNFACE)));
  driver::press(noPicture, IDCANCEL);

  HWND input = setup.waitDialog("Input cancel");
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(driver::itemText(input, 1003), "old name");
  EXPECT_EQ(driver::itemText(input, 1004), "Type, then Cancel");
  driver::type(input, 1003, "typed away");
  driver::press(input, IDCANCEL);
  input = setup.waitDialog("Input ok");
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(driver::itemText(input, 1003), "before");
  driver::type(input, 1003, "new name");
  driver::press(input, IDOK);

  // Dialog 109: Browse picks a file, then an edit is cancelled.
  HWND path = setup.waitDialog("Path");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(driver::itemText(path, 1007), "C:\\first");
  driver::press(path, 1008);
  HWND open = setup.waitDialog("Select Path");
  ASSERT_NE(open, nullptr);
  const std::string chosen = dir + "\\SETUP.i00";
  // The file name entry: an edit (edt1) or a combo box (cmb13), by style.
  HWND name = GetDlgItem(open, 0x480);
  if (!name) name = GetDlgItem(open, 0x47C);
  ASSERT_NE(name, nullptr);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
  driver::press(open, IDOK);
  for (int i = 0; i < 100 && driver::itemText(path, 1007) != chosen; ++i) Sleep(50);
  EXPECT_EQ(driver::itemText(path, 1007), chosen);
  driver::type(path, 1007, "C:\\edited");
  driver::press(path, IDCANCEL);

  EXPECT_EQ(setup.waitExit(), 0);
  const std::vector<std::string> expected = {
      "[yn 0]", "[oc 1]", "[info 1]", "[info2 0]", "[input1 0 old name]", "[input2 1 new name]", "[path 0 C:\\edited]",
  };
  EXPECT_EQ(records(dir), expected);
}

// ---------------------------------------------------------------- background

TEST(Background, GradientBandsAndTitleOnTheScreen) {
  const std::string dir = driver::freshDir("background");
  // From black at the bottom toward red 256 at the top: entry i is red i,
  // so each band names its own entry, and the top band is 255, not 256.
  driver::pack(dir, R"(
number ok
background gradient(0, 0, 0, 256, 0, 0), title("Velmora", bold, 5, 255, 255, 255)
dialog message(information, "Look", "Look at the window", okcancel, ok)
)");
  Installer setup(dir);
  HWND box = setup.waitDialog("Look");
  ASSERT_NE(box, nullptr);
  HWND main = setup.find("Setup", "Setup");
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsZoomed(main));
  RECT client;
  GetClientRect(main, &client);
  const int w = client.right, h = client.bottom;
  const int x = w - w / 16;  // clear of the title and the message box
  // Wine without a window manager may draw a maximised window a few pixels
  // off its rectangle: the bands are found on the screen's column itself.
  const POINT origin = driver::onScreen(main, 0, 0);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  struct Band {
    int red, rows;
  };
  std::vector<Band> bands;
  for (int waited = 0; waited < 100; ++waited) {
    bands.clear();
    for (int y = 0; y < screenHeight; ++y) {
      const COLORREF c = driver::screenPixel(origin.x + x, y);
      if (GetGValue(c) != 0 || GetBValue(c) != 0) continue;
      if (!bands.empty() && bands.back().red == GetRValue(c)) {
        ++bands.back().rows;
      } else {
        bands.push_back({GetRValue(c), 1});
      }
    }
    if (bands.size() > 200) break;
    Sleep(50);
  }
  // Top to bottom: 255, 254, ... each one band of about h / 256 rows.
  std::size_t first = 0;
  while (first < bands.size() && bands[first].red != 255) ++first;
  ASSERT_LT(first + 250, bands.size()) << "no gradient on the screen";
  for (std::size_t i = first; i < first + 250; ++i) {
    EXPECT_EQ(bands[i].red, 255 - static_cast<int>(i - first)) << i - first;
    if (i > first) {
      EXPECT_NEAR(bands[i].rows, h / 256.0, 1.5) << "band " << bands[i].red;
    }
  }
  // The title at (w/12, h/12) in white over its grey shadow; nothing white
  // above it.
  const int slack = 8;
  int white = 0, grey = 0, whiteAbove = 0;
  for (int y = 0; y < h / 12 + h / 10; ++y)
    for (int xx = w / 12 - slack; xx < w / 12 + w / 4; xx += 2) {
      const POINT p = driver::onScreen(main, xx, y);
      const COLORREF c = driver::screenPixel(p.x, p.y);
      if (y < h / 12 - slack) whiteAbove += c == RGB(255, 255, 255);
      white += c == RGB(255, 255, 255);
      grey += c == RGB(128, 128, 128);
    }
  EXPECT_GT(white, 50);
  EXPECT_GT(grey, 20);
  EXPECT_EQ(whiteAbove, 0);
  driver::press(box, IDOK);
  EXPECT_EQ(setup.waitExit(), 0);
}

// ------------------------------------------------------------ single instance

TEST(SingleInstance, SecondStartBringsTheFirstForwardAndKeepsItsLog) {
  const std::string dir = driver::freshDir("twice");
  driver::pack(dir, R"(
number ok
background gradient(0, 128, 0, 0, 0, 0)
logtext "first"
dialog message(information, "Waiting", "The first run waits", okcancel, ok)
logtext "answered " + ok
)");
  Installer first(dir);
  HWND box = first.waitDialog("Waiting");
  ASSERT_NE(box, nullptr);
  HWND main = first.find("Setup", "Setup");
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_MINIMIZE);
  for (int i = 0; i < 100 && !IsIconic(main); ++i) Sleep(20);
  ASSERT_TRUE(IsIconic(main));
  const std::string logBefore = driver::fileText(dir + "\\SETUP.log");

  Installer second(dir);
  EXPECT_EQ(second.waitExit(), 0);
  for (int i = 0; i < 100 && IsIconic(main); ++i) Sleep(20);
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(driver::fileText(dir + "\\SETUP.log"), logBefore);

  driver::press(box, IDOK);
  EXPECT_EQ(first.waitExit(), 0);
  EXPECT_EQ(records(dir), (std::vector<std::string>{"[first]", "[answered 1]"}));
}

// ------------------------------------------------------------------ progress

TEST(Progress, ShownNearTheLowerRightWithItsRangeThenHidden) {
  const std::string dir = driver::freshDir("progress");
  driver::pack(dir, R"(
number ok
dialog progress(hide, "Nothing", "", 0)
dialog progress(show, "Installing", "Copying files", 70000)
dialog message(information, "Shown", "The progress dialog is up", okcancel, ok)
dialog progress(hide, "", "", 0)
dialog message(information, "Hidden", "The progress dialog is gone", okcancel, ok)
)");
  Installer setup(dir);
  HWND box = setup.waitDialog("Shown");
  ASSERT_NE(box, nullptr);
  HWND progress = setup.find("#32770", "Installing");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(driver::itemText(progress, 1005), "Copying files");
  HWND bar = GetDlgItem(progress, 1006);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 70000 % 65536);  // the low 16 bits
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
  RECT placed;
  GetWindowRect(progress, &placed);
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(placed.left, sw - sw / 3);
  EXPECT_EQ(placed.top, sh - sh / 5);
  driver::press(box, IDOK);
  box = setup.waitDialog("Hidden");
  ASSERT_NE(box, nullptr);
  for (int i = 0; i < 100 && setup.find("#32770", "Installing"); ++i) Sleep(20);
  EXPECT_EQ(setup.find("#32770", "Installing"), nullptr);
  driver::press(box, IDOK);
  EXPECT_EQ(setup.waitExit(), 0);
}

// A script that reports steps without end (a directory made and removed
// again) under the progress dialog. Cancel answered No, again and again:
// each time the worker stops between two statements, the question is asked
// on the progress dialog's thread, and after No the steps flow on. Then
// Cancel answered Yes ends the run.
TEST(Progress, CancelAnsweredNoManyTimesThenYes) {
  const std::string dir = driver::freshDir("cancel");
  driver::pack(dir, R"(
number i
logtext "started"
dialog progress(show, "Installing", "Working", 65535)
again:
mkdir "C:\\setup-tests\\cancel\\d"
rmdir "C:\\setup-tests\\cancel\\d"
i = i + 1
goto again
)");
  Installer setup(dir);
  HWND progress = setup.waitDialog("Installing");
  ASSERT_NE(progress, nullptr);
  HWND bar = GetDlgItem(progress, 1006);
  auto position = [&] { return static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)); };
  // Steps flow: the bar moves by itself.
  auto movesFrom = [&](int from) {
    for (int i = 0; i < 500; ++i) {
      if (position() != from) return true;
      Sleep(10);
    }
    return false;
  };
  ASSERT_TRUE(movesFrom(0)) << "no steps reach the progress dialog";
  // Each step's text: the command's message, one blank, its detail.
  const std::string step = driver::itemText(progress, 1005);
  EXPECT_TRUE(step == "Creating Directory C:\\setup-tests\\cancel\\d" ||
              step == "Removing Directory C:\\setup-tests\\cancel\\d")
      << step;
  constexpr int kRounds = 15;
  const DWORD started = GetTickCount();
  for (int round = 0; round < kRounds; ++round) {
    driver::press(progress, IDCANCEL);
    HWND question = setup.waitDialog("Abort", 10000);
    ASSERT_NE(question, nullptr) << "round " << round;
    EXPECT_EQ(driver::boxText(question), kAbortQuestion);
    // The worker is stopped while the question is open (a step already
    // on its way may still land).
    const int stopped = position();
    Sleep(round == 0 ? 300 : 20);
    EXPECT_LE(position() - stopped, 1) << "round " << round;
    driver::press(question, IDNO);
    for (int i = 0; i < 500 && setup.find("#32770", "Abort"); ++i) Sleep(10);
    ASSERT_TRUE(movesFrom(position())) << "the steps stopped after round " << round;
  }
  std::printf("%d rounds of Cancel and No in %lu ms, the bar at %d\n", kRounds,
              static_cast<unsigned long>(GetTickCount() - started), position());
  driver::press(progress, IDCANCEL);
  HWND question = setup.waitDialog("Abort", 10000);
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  EXPECT_EQ(setup.waitExit(), 0);

  const std::vector<std::string> log = records(dir);
  EXPECT_EQ(countOf(log, "[!%%% EXTERN:HALT REQUEST %%%%]"), kRounds + 1);
  EXPECT_EQ(countOf(log, "[!%%% RUNLOOP: HALT ACK ....]"), kRounds + 1);
  // No statement after the abort: the log ends with the exchange. The
  // statement that was already running when the request came (its halt
  // check passed) may still log its record before the acknowledgement.
  ASSERT_GE(log.size(), 5u);
  std::vector<std::string> tail(log.end() - 5, log.end());
  if (tail[0] != "[!%%% EXTERN:HALT REQUEST %%%%]" && log.size() >= 6 &&
      log[log.size() - 6] == "[!%%% EXTERN:HALT REQUEST %%%%]") {
    EXPECT_TRUE(tail[0].rfind("[MKDIR ", 0) == 0 || tail[0].rfind("[RMDIR ", 0) == 0 || tail[0] == "[#") << tail[0];
    tail[0] = log[log.size() - 6];
  }
  EXPECT_EQ(tail, (std::vector<std::string>{"[!%%% EXTERN:HALT REQUEST %%%%]", "[!%%% RUNLOOP: HALT ACK ....]",
                                            "[!%%% EXTERN:ABORT REQUEST %%%%]", "[!%%% RUNLOOP: ABORT ACK ....]",
                                            "[!%%% EXTERN:ABORT OK %%%%]"}));
}

// The worker replaces the gradient and asks for a repaint hundreds of
// times while the main thread paints and the progress dialog's Cancel stops
// the worker between two statements: no paint uses a gradient being
// replaced, no side waits for the other for good.
TEST(Progress, CancelWhileTheBackgroundIsRepaintedAgainAndAgain) {
  const std::string dir = driver::freshDir("repaint");
  driver::pack(dir, R"(
number i
dialog progress(show, "Repainting", "Working", 100)
again:
background gradient(i, 0, 128, 255, i, 0), title("Round " + i, bold, 5, 255, 255, 255)
i = i + 1
logtext "round " + i
goto again
)");
  Installer setup(dir);
  HWND progress = setup.waitDialog("Repainting");
  ASSERT_NE(progress, nullptr);
  auto rounds = [&] { return driver::records(dir).size(); };
  auto grows = [&](std::size_t from) {
    for (int i = 0; i < 500; ++i) {
      if (rounds() > from) return true;
      Sleep(10);
    }
    return false;
  };
  ASSERT_TRUE(grows(0));
  for (int round = 0; round < 8; ++round) {
    driver::press(progress, IDCANCEL);
    HWND question = setup.waitDialog("Abort", 10000);
    ASSERT_NE(question, nullptr) << "round " << round;
    driver::press(question, IDNO);
    for (int i = 0; i < 500 && setup.find("#32770", "Abort"); ++i) Sleep(10);
    ASSERT_TRUE(grows(rounds())) << "the script stopped after round " << round;
  }
  driver::press(progress, IDCANCEL);
  HWND question = setup.waitDialog("Abort", 10000);
  ASSERT_NE(question, nullptr);
  driver::press(question, IDYES);
  EXPECT_EQ(setup.waitExit(), 0);
  const std::vector<std::string> log = driver::records(dir);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "[!%%% EXTERN:ABORT OK %%%%]");
  EXPECT_EQ(countOf(log, "[!%%% RUNLOOP: HALT ACK ....]"), 9);
}

// -------------------------------------------------------------------- abort

TEST(Abort, StatementEndsTheRunWhateverTheAnswer) {
  for (const bool yes : {false, true}) {
    const std::string dir = driver::freshDir("abort");
    driver::pack(dir, R"(
logtext "before"
abort
logtext "after"
)");
    Installer setup(dir);
    HWND box = setup.waitDialog("Abort");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::boxText(box), kAbortQuestion);
    driver::press(box, yes ? IDYES : IDNO);
    EXPECT_EQ(setup.waitExit(), 0);
    std::vector<std::string> expected = {"[before]"};
    if (yes) expected.push_back("[!%%% EXTERN:ABORT OK %%%%]");
    EXPECT_EQ(records(dir), expected) << yes;
  }
}

}  // namespace
