// Cancel between any two records, then a second run: the end is the same as
// one run without a cancel. Shared-file users are never taken away twice.
#include <functional>

#include "UninstallFixture.h"

namespace {

class Cancel : public UninstallTest {
 protected:
  std::string entry() const { return std::string(setup::kUninstallKeyPrefix) + "Ostrel Cancel"; }

  // An installation: every kind of record and the changes it stands for.
  void install() {
    platform::createDirectory(at("app"));
    platform::createDirectory(at("app\\bin"));
    platform::createDirectory(at("backup"));
    makeFile(at("backup\\shared2.dll"));
    makeFile(at("app\\bin\\ostrel.exe"));
    makeFile(at("app\\readme.txt"));
    makeFile(at("app\\Ostrel.lnk"));
    makeFile(at("shared1.dll"));
    makeFile(at("shared2.dll"));
    setCount(at("shared1.dll"), 1);
    setCount(at("shared2.dll"), 3);
    setValue(machine(), entry(), std::string(setup::kDisplayNameValue), 1);
    setValue(user(), "Software\\UnTestCancel", "size", 5);
    logPath_ = at("app\\inst.log");
    writeLog("[MKDIR " + at("app") + "]\n[MKDIR " + at("app\\bin") + "]\n[BACKUP " + at("backup") + "]\n" +
             "[COPY " + at("app\\bin\\ostrel.exe") + "]\n[COPY " + at("app\\readme.txt") + "]\n" +
             "[SCOPY " + at("shared1.dll") + "]\n[SCOPY " + at("shared2.dll") + "]\n" +
             "[SETREG HKEY_CURRENT_USER;Software\\UnTestCancel;size]\n" + "[SHORTCUT " + at("app\\Ostrel.lnk") +
             "]\n" + "[UNINSTALLREG " + entry() + "]\n[UNINSTALLAPPNAME Ostrel]\n");
  }

  std::string state() {
    std::string s;
    for (const char* f : {"app", "app\\bin", "app\\inst.log", "app\\bin\\ostrel.exe", "app\\readme.txt",
                          "app\\Ostrel.lnk", "backup", "backup\\shared2.dll", "shared1.dll", "shared2.dll"})
      s += std::string(f) + (exists(at(f)) ? "+ " : "- ");
    s += "counts " + std::to_string(count(at("shared1.dll"))) + " " + std::to_string(count(at("shared2.dll")));
    s += keyExists(machine(), entry()) ? " entry" : " no-entry";
    s += " size " + std::to_string(value(user(), "Software\\UnTestCancel", "size"));
    return s;
  }

  struct Counter {
    int asked = 0;
    int cancelAt = 0;  // 0: never
    int passes = 0;
  };
  static uninstall::UninstallProgress progressOf(Counter& c) {
    uninstall::UninstallProgress p;
    p.context = &c;
    p.passBegins = [](void* x, int) { ++static_cast<Counter*>(x)->passes; };
    p.cancelRequested = [](void* x) {
      auto* c = static_cast<Counter*>(x);
      return ++c->asked == c->cancelAt;
    };
    return p;
  }
};

TEST_F(Cancel, ASecondRunFinishesWhatACancelLeft) {
  install();
  Counter plain;
  ASSERT_TRUE(uninstallAll(progressOf(plain)));
  EXPECT_EQ(plain.passes, 3);
  const std::string done = state();
  EXPECT_EQ(done,
            "app- app\\bin- app\\inst.log- app\\bin\\ostrel.exe- app\\readme.txt- app\\Ostrel.lnk- backup- "
            "backup\\shared2.dll- shared1.dll- shared2.dll+ counts -1 2 no-entry size -1");
  ASSERT_GT(plain.asked, 10);

  for (int k = 1; k <= plain.asked; ++k) {
    install();
    Counter first{0, k, 0};
    EXPECT_FALSE(uninstallAll(progressOf(first))) << "cancel at " << k;
    EXPECT_TRUE(exists(logPath_)) << "cancel at " << k;
    Counter second;
    EXPECT_TRUE(uninstallAll(progressOf(second))) << "cancel at " << k;
    EXPECT_EQ(state(), done) << "cancel at " << k;
  }
}

TEST_F(Cancel, NothingIsTouchedBeforeTheFirstRecordIsActedOn) {
  install();
  const std::string before = state();
  Counter first{0, 1, 0};
  EXPECT_FALSE(uninstallAll(progressOf(first)));
  EXPECT_EQ(state(), before);
  EXPECT_EQ(first.passes, 0);
}

}  // namespace
