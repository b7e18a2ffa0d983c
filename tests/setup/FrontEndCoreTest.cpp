// The front end's portable part: the gradient's colour table, pictures
// taken from pack entries, and the background and dialog requests read
// from compiled scripts run by the real engine.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Compiler.h"
#include "EngineFixture.h"
#include "frontend/BackgroundItems.h"
#include "frontend/DialogRequest.h"
#include "frontend/Gradient.h"
#include "frontend/Picture.h"

namespace {

using setup::BackgroundChange;

TEST(Gradient, ColourTableWalksTowardTheEndColourWithoutReachingIt) {
  struct Case {
    setup::ScriptColour start, end;
    int index;
    std::uint8_t red, green, blue;
  };
  const Case cases[] = {
      {{0, 0, 128}, {0, 0, 0}, 0, 0, 0, 128},        // the start colour at the bottom
      {{0, 0, 128}, {0, 0, 0}, 1, 0, 0, 127},        // 127.5 truncated
      {{0, 0, 128}, {0, 0, 0}, 255, 0, 0, 0},        // 0.5 truncated: black at the top
      {{0, 0, 0}, {255, 255, 255}, 255, 254, 254, 254},  // never pure white
      {{0, 0, 0}, {255, 255, 255}, 128, 127, 127, 127},
      {{10, 200, 0}, {20, 100, 255}, 100, 13, 160, 99},  // 10 + 100 * 10/256 = 13.9; 200 - 39.06 = 160.9
      {{300, 0, 0}, {300, 0, 0}, 7, 44, 0, 0},            // only the low 8 bits are kept (300 & 255)
      {{0, 0, 0}, {-256, 0, 0}, 1, 255, 0, 0},            // -1 keeps its low 8 bits
  };
  for (const Case& c : cases) {
    platform::BitmapInfo256 info;
    setup::fillGradientInfo(c.start, c.end, &info);
    EXPECT_EQ(info.width, 64);
    EXPECT_EQ(info.height, 256);
    EXPECT_EQ(info.bitCount, 8);
    EXPECT_EQ(info.colours[c.index][2], c.red) << c.index;
    EXPECT_EQ(info.colours[c.index][1], c.green) << c.index;
    EXPECT_EQ(info.colours[c.index][0], c.blue) << c.index;
    EXPECT_EQ(info.colours[c.index][3], 0);
  }
}

TEST(Gradient, RowRHoldsIndexR) {
  platform::BitmapInfo256 info;
  setup::fillGradientInfo({0, 0, 0}, {255, 0, 0}, &info);
  platform::DibSection section = setup::makeGradientSection(info);
  ASSERT_NE(section.bits, nullptr);
  for (int row : {0, 1, 128, 255}) {
    EXPECT_EQ(section.bits[row * 64], row);
    EXPECT_EQ(section.bits[row * 64 + 63], row);
  }
  platform::releaseDibSection(section.handle);
}

// An 8-bit bitmap file of w x h whose pixels are all `index`.
std::vector<std::uint8_t> bitmapFile(std::int32_t w, std::int32_t h, std::uint8_t index = 1) {
  const std::size_t stride = (static_cast<std::size_t>(w) + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> file(1078 + (w > 0 && h > 0 ? stride * h : 0), 0);
  file[0] = 'B';
  file[1] = 'M';
  std::memcpy(&file[18], &w, 4);
  std::memcpy(&file[22], &h, 4);
  for (int i = 0; i < 256; ++i) {
    file[54 + 4 * i] = static_cast<std::uint8_t>(i);
    file[54 + 4 * i + 1] = 200;
    file[54 + 4 * i + 2] = 50;
    file[54 + 4 * i + 3] = 99;  // not carried over
  }
  for (std::size_t i = 1078; i < file.size(); ++i) file[i] = index;
  return file;
}

TEST(Picture, TakesSizeColoursAndRowsFromTheFile) {
  const auto file = bitmapFile(5, 3, 7);
  platform::BitmapInfo256 info;
  std::span<const std::uint8_t> rows;
  ASSERT_TRUE(setup::readPicture(file, &info, &rows));
  EXPECT_EQ(info.width, 5);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(info.colours[7][0], 7);
  EXPECT_EQ(info.colours[7][1], 200);
  EXPECT_EQ(info.colours[7][2], 50);
  EXPECT_EQ(info.colours[7][3], 0);
  EXPECT_EQ(rows.size(), 8u * 3);  // rows aligned to 4 bytes
  EXPECT_EQ(rows.data(), file.data() + 1078);
}

// Each file is copied into a block of exactly its size, so a read past it
// is caught by the address sanitizer.
TEST(Picture, FilesThatDoNotHoldTheirOwnPictureGiveNone) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
  };
  auto shortBy = [](std::vector<std::uint8_t> f, std::size_t n) {
    f.resize(f.size() - n);
    return f;
  };
  const std::vector<Case> cases = {
      {"one byte short of its rows", shortBy(bitmapFile(5, 3), 1)},
      {"shorter than the colour table", std::vector<std::uint8_t>(1077, 0)},
      {"empty", {}},
      {"zero width", bitmapFile(0, 4)},
      {"negative height", bitmapFile(4, -4)},
      {"negative width", bitmapFile(-4, 4)},
      {"huge", [] {
         auto f = bitmapFile(4, 4);
         const std::int32_t big = 0x40000000;
         std::memcpy(&f[18], &big, 4);
         std::memcpy(&f[22], &big, 4);
         return f;
       }()},
      {"width x height past 32 bits", [] {
         auto f = bitmapFile(4, 4);
         const std::int32_t side = 65536;
         std::memcpy(&f[18], &side, 4);
         std::memcpy(&f[22], &side, 4);
         return f;
       }()},
  };
  for (const Case& c : cases) {
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[c.file.size() ? c.file.size() : 1]);
    if (!c.file.empty()) std::memcpy(exact.get(), c.file.data(), c.file.size());
    setup::DialogPicture picture;
    setup::replacePicture(&picture, {exact.get(), c.file.size()});
    EXPECT_EQ(picture.section.handle, nullptr) << c.what;
  }
  // A good one after them is taken.
  const auto good = bitmapFile(4, 4);
  setup::DialogPicture picture;
  setup::replacePicture(&picture, good);
  ASSERT_NE(picture.section.bits, nullptr);
  EXPECT_EQ(picture.section.bits[0], 1);
  // ...and a bad one replaces it with none.
  setup::replacePicture(&picture, shortBy(bitmapFile(4, 4), 1));
  EXPECT_EQ(picture.section.handle, nullptr);
}

TEST(StepText, MessageBlankDetailCutTo127) {
  EXPECT_EQ(setup::stepText("Copy file ", "a.txt"), "Copy file  a.txt");
  EXPECT_EQ(setup::stepText("Creating Directory", "C:\\x"), "Creating Directory C:\\x");
  const std::string longDetail(300, 'd');
  const std::string text = setup::stepText("Running ", longDetail.c_str());
  EXPECT_EQ(text.size(), 127u);
  EXPECT_EQ(text.substr(0, 9), "Running  ");
}

// Scripts compiled with kestrin and run by the engine; the front end's
// readers are the hooks.
class Requests : public EngineTest {
 protected:
  void run(const std::string& source, std::vector<kestrin::PackInput> more = {}) {
    kestrin::Bytes entry;
    std::string error;
    ASSERT_TRUE(kestrin::compileScript(source, "t.kes", &entry, &error)) << error;
    std::vector<kestrin::PackInput> inputs;
    inputs.push_back({"script", "", entry, 0});
    for (auto& m : more) inputs.push_back(std::move(m));
    ASSERT_TRUE(kestrin::writePack("inst", inputs, 0, nullptr, &error)) << error;
    ASSERT_EQ(setup::startEngine(), 0);
    ASSERT_EQ(setup::createLog(setup::engineState().baseName), 1);
    auto& hooks = setup::engineState().frontEnd;
    hooks.setBackground = [this](std::span<const std::uint8_t> s) {
      for (const auto& c : setup::readBackground(s)) changes.push_back(c);
    };
    hooks.dialogRequest = [this](std::uint8_t kind, std::span<const std::uint8_t> elements) {
      // The elements in a block of their own size: reading past them is caught.
      std::vector<std::uint8_t> exact(elements.begin(), elements.end());
      setup::readDialogRequest(kind, exact, &request, &progress, &picture);
      requests.push_back(request);
      progresses.push_back(progress);
    };
    runToEnd();
  }
  std::vector<BackgroundChange> changes;
  setup::DialogRequest request;
  setup::ProgressRequest progress;
  setup::DialogPicture picture;
  std::vector<setup::DialogRequest> requests;
  std::vector<setup::ProgressRequest> progresses;
};

TEST_F(Requests, BackgroundItemsInOrderWithFontsAndColours) {
  run(R"(
background gradient(0, 0, 128, 0, 0, 0), title("Velmora", bold | italic, 5, 255, 255, 255)
background subtitle(12345, times, 3, 256, 0, 0), footer("x", default_face, 2, 1, 2, 3), title("T", system, 1, 0, 0, 1)
)");
  ASSERT_EQ(changes.size(), 5u);
  EXPECT_TRUE(changes[0].gradient);
  EXPECT_EQ(changes[0].start.blue, 128);
  EXPECT_EQ(changes[0].end.blue, 0);
  EXPECT_EQ(changes[1].slot, setup::kTitleSlot);
  EXPECT_STREQ(changes[1].text, "Velmora");
  EXPECT_EQ(changes[1].style, 3);
  EXPECT_STREQ(setup::styleFace(changes[1].style), "Arial");
  EXPECT_EQ(setup::styleWeight(changes[1].style), 700);
  EXPECT_TRUE(setup::styleItalic(changes[1].style));
  EXPECT_EQ(setup::fontHeight(changes[1].size, 800), 40);
  EXPECT_EQ(changes[1].colour, 0xFFFFFFu);
  // A number shows as its decimal text; 256 red spills into green.
  EXPECT_EQ(changes[2].slot, setup::kSubtitleSlot);
  EXPECT_STREQ(changes[2].text, "12345");
  EXPECT_STREQ(setup::styleFace(changes[2].style), "Time New Roman");
  EXPECT_EQ(changes[2].colour, 0x000100u);
  EXPECT_EQ(changes[3].slot, setup::kFooterSlot);
  EXPECT_STREQ(setup::styleFace(changes[3].style), "");
  EXPECT_EQ(setup::styleWeight(changes[3].style), 400);
  EXPECT_EQ(changes[3].colour, 0x030201u);
  EXPECT_STREQ(setup::styleFace(changes[4].style), "System");
}

TEST_F(Requests, BackgroundTextLongerThanItsSlotIsCut) {
  run("background title(\"" + std::string(200, 'a') + "\", arial, 5, 0, 0, 0)");
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(std::strlen(changes[0].text), 127u);
}

TEST_F(Requests, MessageIconsButtonsTextsAndResult) {
  run(R"(
number a, b, c
dialog message(question, "Caption", "Text " + 7, yesno, b)
dialog message(code(0x39), "Kept icon", 42, code(0x42), c)
dialog message(stop, ")" + std::string(300, 'c') + R"(", "t", okcancel, a)
)");
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].iconFlags, setup::kBoxIconQuestion);
  EXPECT_EQ(requests[0].buttons, setup::kBoxYesNo);
  EXPECT_STREQ(requests[0].caption, "Caption");
  EXPECT_STREQ(requests[0].text, "Text 7");
  EXPECT_EQ(requests[0].resultVariable, 1);
  // An unknown icon code keeps the previous icon; an unknown button code is
  // OK and Cancel; a number shows as its text.
  EXPECT_EQ(requests[1].iconFlags, setup::kBoxIconQuestion);
  EXPECT_EQ(requests[1].buttons, setup::kBoxOkCancel);
  EXPECT_STREQ(requests[1].text, "42");
  EXPECT_EQ(requests[1].resultVariable, 2);
  EXPECT_EQ(requests[2].iconFlags, setup::kBoxIconHand);
  EXPECT_EQ(std::strlen(requests[2].caption), 127u);
}

TEST_F(Requests, TextsFromLoadedEntriesAndPictures) {
  std::vector<std::uint8_t> picture = bitmapFile(4, 4);
  std::vector<std::uint8_t> shortPicture = bitmapFile(4, 4);
  shortPicture.resize(shortPicture.size() - 1);
  std::string longText(20000, 't');
  run(R"(
string readme, pic, bad, big
number r
loadentry readme, @readme.txt
loadentry pic, @pic.bmp
loadentry bad, @bad.bmp
loadentry big, @big.txt
dialog info(pic, "Info", entry(readme), okcancel, r)
dialog input(nopicture, "Input", entry(big), yesno, readme)
dialog path(bad, "Path", "p", okcancel, r)
)",
      {{"readme.txt", "", {'H', 'i', '\0', 'x'}, 0},
       {"pic.bmp", "", picture, 0},
       {"bad.bmp", "", shortPicture, 0},
       {"big.txt", "", kestrin::Bytes(longText.begin(), longText.end()), 0}});
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_STREQ(requests[0].text, "Hi");  // up to the entry's first zero
  EXPECT_EQ(requests[0].dialogTemplate, setup::kInfoTemplate);
  EXPECT_EQ(requests[1].dialogTemplate, setup::kInputTemplate);
  EXPECT_EQ(std::strlen(requests[1].text), 16383u);
  EXPECT_EQ(requests[1].resultVariable, 0);
  EXPECT_EQ(requests[2].dialogTemplate, setup::kPathTemplate);
  // The last picture named was too short for its rows: none.
  EXPECT_EQ(picture.size(), 1078u + 16);
  EXPECT_EQ(this->picture.section.handle, nullptr);
}

TEST_F(Requests, ProgressShowHideAndTotals) {
  run(R"(
dialog progress(show, "Installing", "Copying", 70000)
dialog progress(code(0x7F), "Other", "", 3)
dialog progress(hide, "", "", 0)
)");
  ASSERT_EQ(progresses.size(), 3u);
  EXPECT_EQ(progresses[0].show, 1);
  EXPECT_STREQ(progresses[0].caption, "Installing");
  EXPECT_STREQ(progresses[0].text, "Copying");
  EXPECT_EQ(progresses[0].total & 0xFFFF, 70000 % 65536);
  EXPECT_EQ(progresses[1].show, 1);  // another code keeps the flag
  EXPECT_EQ(progresses[2].show, 0);
}

TEST_F(Requests, EditBuffersHaveRoomForAWholeEntry) {
  run(R"(
string s, shared, none
s = "abc"
shared = s
)");
  char* buffer = setup::editBuffer(0);
  ASSERT_NE(buffer, nullptr);
  EXPECT_STREQ(buffer, "abc");
  std::memset(buffer, 'x', setup::kEditSize - 1);  // the whole room is writable
  buffer[setup::kEditSize - 1] = '\0';
  EXPECT_EQ(setup::editBuffer(0), buffer);  // kept on the next dialog
  EXPECT_STREQ(setup::scriptVariables()[1].string, "abc");  // the shared literal is untouched
  char* empty = setup::editBuffer(2);
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty, "");
  EXPECT_EQ(setup::editBuffer(3), nullptr);    // not declared
  EXPECT_EQ(setup::editBuffer(0x300), nullptr);  // a system variable
  setup::storeAnswer(2, 1);
  setup::storeAnswer(0x300, 1);  // stores nothing
  EXPECT_EQ(setup::scriptVariables()[2].number, 1);
}

}  // namespace
