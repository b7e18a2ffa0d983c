// The registry seam, the same cases natively and under Wine.
#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <thread>

#include "RegistryFixture.h"

using namespace platform;

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

}  // namespace

TEST_F(RegistryTest, CreateReportsWhetherTheKeyIsNew) {
  std::uint32_t disposition = 0;
  RegKey leaf = create("Outer\\Inner", &disposition);
  EXPECT_EQ(disposition, kRegCreatedNewKey);
  EXPECT_EQ(regCloseKey(leaf), 0);

  // The key, the intermediate key made on the way, and a differently spelt
  // path to the same key all exist now.
  for (const char* sub : {"Outer\\Inner", "Outer", "OUTER\\inner"}) {
    SCOPED_TRACE(sub);
    disposition = 0;
    RegKey again = create(sub, &disposition);
    EXPECT_EQ(disposition, kRegOpenedExistingKey);
    regCloseKey(again);
  }

  RegKey opened;
  EXPECT_EQ(regOpenKey(hkcu(), path("outer\\INNER"), RegAccess::Read, &opened), 0);
  regCloseKey(opened);
  EXPECT_EQ(regOpenKey(hkcu(), path("Outer\\Missing"), RegAccess::Read, &opened), kErrorFileNotFound);

  // A subkey can be made relative to an open key, too.
  RegKey outer = create("Outer");
  RegKey sub;
  disposition = 0;
  EXPECT_EQ(regCreateKey(outer, "Second", RegAccess::All, &sub, &disposition), 0);
  EXPECT_EQ(disposition, kRegCreatedNewKey);
  EXPECT_EQ(regOpenKey(hkcu(), path("Outer\\second"), RegAccess::Read, &opened), 0);
  regCloseKey(opened);
  regCloseKey(sub);
  regCloseKey(outer);
}

TEST_F(RegistryTest, NamesCompareIgnoringCaseAndKeepTheirSpelling) {
  RegKey key = create("Control Panel\\Velmora");
  ASSERT_EQ(setDword(key, "size_x", 64), 0);
  EXPECT_EQ(getDword(key, "SIZE_X"), 64);

  // Writing under another spelling replaces the value and keeps its name.
  ASSERT_EQ(setDword(key, "Size_X", 100), 0);
  EXPECT_EQ(getDword(key, "size_x"), 100);
  EXPECT_EQ(valueNames(key), std::vector<std::string>{"size_x"});

  RegKey panel;
  ASSERT_EQ(regOpenKey(hkcu(), path("CONTROL PANEL"), RegAccess::Read, &panel), 0);
  std::string name;
  ASSERT_EQ(regEnumKey(panel, 0, &name), 0);
  EXPECT_EQ(name, "Velmora");
  EXPECT_EQ(regEnumKey(panel, 1, &name), kErrorNoMoreItems);

  EXPECT_EQ(regDeleteValue(key, "SIZE_x"), 0);
  EXPECT_EQ(getDword(key, "size_x"), -1);
  regCloseKey(panel);
  regCloseKey(key);
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndBytes) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
  };
  const std::vector<Case> cases = {
      {"mode", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"seed", kRegDword, {0x78, 0x56, 0x34, 0x12}},
      {"help", kRegSz, bytesOf(std::string_view("c:\\windows\\velmora.hlp", 23))},  // with its NUL
      {"blob", kRegBinary, {0x00, 0x01, 0x00, 0xFE, 0x80, 0x00, 0x7F, 0x00}},
      {"wide", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"list", kRegMultiSz, bytesOf(std::string_view("a\0bc\0\0", 6))},
      {"", kRegSz, bytesOf(std::string_view("default\0", 8))},
  };
  RegKey key = create("Values");
  for (const Case& c : cases) ASSERT_EQ(regSetValue(key, c.name, c.type, c.bytes), 0) << c.name;

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    ASSERT_EQ(regQueryValue(key, c.name, &type, nullptr, &size), 0);  // length only
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(size, c.bytes.size());

    std::array<std::uint8_t, 64> buffer{};
    buffer.fill(0xCC);
    size = static_cast<std::uint32_t>(buffer.size());
    type = 0;
    ASSERT_EQ(regQueryValue(key, c.name, &type, buffer.data(), &size), 0);
    EXPECT_EQ(type, c.type);
    ASSERT_EQ(size, c.bytes.size());
    EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), buffer.begin()));
    EXPECT_EQ(buffer[size], 0xCC);  // nothing written past the value
  }

  // Setting a value again replaces its type as well as its bytes.
  ASSERT_EQ(setDword(key, "blob", 7), 0);
  EXPECT_EQ(getDword(key, "blob"), 7);
  regCloseKey(key);
}

TEST_F(RegistryTest, TooSmallBufferReportsTheSizeAndLeavesTheBufferAlone) {
  RegKey key = create("Values");
  const std::uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(regSetValue(key, "size_x", kRegBinary, eight), 0);

  std::uint8_t four[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  std::uint32_t size = sizeof four;
  std::uint32_t type = 0;
  EXPECT_EQ(regQueryValue(key, "size_x", &type, four, &size), kErrorMoreData);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, kRegBinary);
  for (std::uint8_t b : four) EXPECT_EQ(b, 0xAA);

  // A buffer without a size is refused rather than written blindly.
  EXPECT_EQ(regQueryValue(key, "size_x", &type, four, nullptr), kErrorInvalidParameter);
  regCloseKey(key);
}

TEST_F(RegistryTest, MissingKeysAndValuesAreNotFound) {
  RegKey key = create("Present");
  RegKey other;
  std::uint32_t size = 4;
  std::uint8_t buffer[4] = {};
  EXPECT_EQ(regQueryValue(key, "colours", nullptr, buffer, &size), kErrorFileNotFound);
  EXPECT_EQ(regDeleteValue(key, "colours"), kErrorFileNotFound);
  EXPECT_EQ(regOpenKey(hkcu(), path("Absent"), RegAccess::Read, &other), kErrorFileNotFound);
  EXPECT_EQ(regDeleteKey(hkcu(), path("Absent")), kErrorFileNotFound);
  EXPECT_EQ(regDeleteTree(hkcu(), path("Absent")), kErrorFileNotFound);
  std::string name;
  EXPECT_EQ(regEnumKey(key, 0, &name), kErrorNoMoreItems);
  EXPECT_EQ(regEnumValue(key, 0, &name), kErrorNoMoreItems);
  regCloseKey(key);
}

TEST_F(RegistryTest, DeletesValuesKeysAndTrees) {
  RegKey app = create("Uninstall\\App");
  ASSERT_EQ(regSetValue(app, "DisplayName", kRegSz, bytesOf(std::string_view("App\0", 4))), 0);
  ASSERT_EQ(setDword(app, "Count", 3), 0);
  regCloseKey(create("Uninstall\\App\\Child\\Grandchild"));

  EXPECT_EQ(regDeleteValue(app, "DisplayName"), 0);
  EXPECT_EQ(valueNames(app), std::vector<std::string>{"Count"});

  // A key with subkeys stays; its tree goes as a whole.
  EXPECT_EQ(regDeleteKey(hkcu(), path("Uninstall\\App")), kErrorAccessDenied);
  EXPECT_EQ(getDword(app, "Count"), 3);
  EXPECT_EQ(regDeleteKey(hkcu(), path("Uninstall\\App\\Child\\Grandchild")), 0);
  EXPECT_EQ(regDeleteTree(hkcu(), path("uninstall\\app")), 0);

  RegKey gone;
  for (const char* sub : {"Uninstall\\App", "Uninstall\\App\\Child"}) {
    EXPECT_EQ(regOpenKey(hkcu(), path(sub), RegAccess::Read, &gone), kErrorFileNotFound) << sub;
  }
  // Deleting a tree leaves its parent and the parent's values.
  RegKey parent = create("Uninstall");
  EXPECT_EQ(valueNames(parent).size(), 0u);
  regCloseKey(parent);
  regCloseKey(app);
}

TEST_F(RegistryTest, HandleToADeletedKeyFailsCleanly) {
  RegKey held = create("Doomed");
  ASSERT_EQ(setDword(held, "size_y", 64), 0);
  ASSERT_EQ(regDeleteTree(hkcu(), path("Doomed")), 0);

  std::uint8_t buffer[4] = {};
  std::uint32_t size = sizeof buffer;
  std::string name;
  RegKey sub;
  EXPECT_EQ(regQueryValue(held, "size_y", nullptr, buffer, &size), kErrorKeyDeleted);
  EXPECT_EQ(setDword(held, "size_y", 1), kErrorKeyDeleted);
  EXPECT_EQ(regDeleteValue(held, "size_y"), kErrorKeyDeleted);
  EXPECT_EQ(regCreateKey(held, "Sub", RegAccess::All, &sub, nullptr), kErrorKeyDeleted);
  EXPECT_EQ(regEnumValue(held, 0, &name), kErrorKeyDeleted);

  // A new key of the same name is a different key; the old handle stays dead.
  std::uint32_t disposition = 0;
  RegKey fresh = create("Doomed", &disposition);
  EXPECT_EQ(disposition, kRegCreatedNewKey);
  EXPECT_EQ(getDword(fresh, "size_y"), -1);
  EXPECT_EQ(setDword(held, "size_y", 1), kErrorKeyDeleted);
  EXPECT_EQ(regCloseKey(held), 0);
  regCloseKey(fresh);
}

TEST_F(RegistryTest, HandlesAllowOnlyTheirAccess) {
  regCloseKey(create("Access"));
  RegKey reader;
  RegKey writer;
  ASSERT_EQ(regOpenKey(hkcu(), path("Access"), RegAccess::Read, &reader), 0);
  ASSERT_EQ(regOpenKey(hkcu(), path("Access"), RegAccess::Write, &writer), 0);
  EXPECT_EQ(setDword(reader, "startup", 1), kErrorAccessDenied);
  EXPECT_EQ(setDword(writer, "startup", 1), 0);
  std::uint8_t buffer[4] = {};
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(regQueryValue(writer, "startup", nullptr, buffer, &size), kErrorAccessDenied);
  EXPECT_EQ(getDword(reader, "startup"), 1);
  regCloseKey(reader);
  regCloseKey(writer);
}

TEST_F(RegistryTest, BadHandlesAndNamesAreRefused) {
  RegKey none;
  RegKey out;
  EXPECT_NE(regSetValue(none, "x", kRegDword, {}), 0);
  EXPECT_NE(regOpenKey(none, "x", RegAccess::Read, &out), 0);
  RegKey key = create("Names");
  EXPECT_EQ(regCreateKey(key, "\\Leading", RegAccess::All, &out, nullptr), kErrorBadPathname);
  EXPECT_EQ(regSetValue(key, std::string_view("a\0b", 3), kRegDword, {}), kErrorInvalidParameter);
  // A tree is named by a subkey; an empty name must not empty the key.
  ASSERT_EQ(setDword(key, "kept", 1), 0);
  EXPECT_EQ(regDeleteTree(key, ""), kErrorInvalidParameter);
  EXPECT_EQ(getDword(key, "kept"), 1);
  regCloseKey(key);
}

TEST_F(RegistryTest, ThreadsWritingAtOnceLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kValues = 50;
  RegKey key = create("Threads");
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([key, t] {
      for (int i = 0; i < kValues; ++i) setDword(key, "t" + std::to_string(t) + "_" + std::to_string(i), t * 1000 + i);
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(valueNames(key).size(), static_cast<std::size_t>(kThreads * kValues));
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kValues; ++i)
      EXPECT_EQ(getDword(key, "t" + std::to_string(t) + "_" + std::to_string(i)), t * 1000 + i);
  regCloseKey(key);
}
