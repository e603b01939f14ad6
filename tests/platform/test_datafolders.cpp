// Where the program's files live: the portable program folder, and the
// installed layout with the user's folder filled from the shipped files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "datafolders.h"
#include "files.h"
#include "gbk.h"
#include "inifile.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class DataFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ProgramDir();
    // An installation: prefix/bin, prefix/share/lumtar/{dat,skins}.
    CreateDirectories(dir / "usr/bin");
    CreateDirectories(dir / "usr/share/lumtar/skins");
    Ship("set.ini", "[lumtar]\r\nguidao=0\r\n");
    Ship("xminit.ini", "[winpos]\r\nleft=10\r\n");
    Ship("dili.ini", "[福建省]\r\n福州市=119:18*26:5\r\n厦门市=118:5*24:30\r\n[北京市]\r\n北京=116:25*39:54\r\n");
    WriteWholeFileAtomic(dir / "usr/share/lumtar/skins/Mx1.skn", "shipped");
    WriteWholeFileAtomic(dir / "usr/share/lumtar/skins/青瓷.skn", "shipped");
  }
  void TearDown() override { SetProgramDir(saved_); }

  void Ship(const std::string& name, const char* utf8) {
    WriteWholeFileAtomic(dir / ("usr/share/lumtar/dat/" + name), Utf8ToGbk(utf8));
  }
  std::string Bin() const { return (dir / "usr/bin").string(); }
  fs::path User() const { return dir / "home/.local/share/Lumtar"; }
  std::string Text(const fs::path& p) const {
    std::string bytes;
    ReadWholeFile(p, &bytes);
    return GbkToUtf8(bytes);
  }

  test::TempDir dir;
  std::string saved_;
  ScopedEnv home_{"HOME", (dir / "home").string()};
  ScopedEnv xdg_{"XDG_DATA_HOME", std::nullopt};
};

}  // namespace

TEST_F(DataFoldersTest, AWritableProgramFolderWithDatIsPortable) {
  CreateDirectories(dir / "prog/dat");
  const DataFolders f = DataFoldersFor((dir / "prog").string());
  EXPECT_EQ(f.layout, DataLayout::Portable);
  EXPECT_EQ(f.data, (dir / "prog").string() + "/");
  EXPECT_EQ(f.shipped, f.data);
  // The build tree's program folder is portable too.
  EXPECT_EQ(DataFoldersFor(LUMTAR_PROGRAM_DIR).layout, DataLayout::Portable);

  UseDataFolders((dir / "prog").string());
  EXPECT_EQ(ProgramDir(), (dir / "prog").string() + "/");
  EXPECT_EQ(ShippedDir(), ProgramDir());
  EXPECT_TRUE(DirectoryExists(dir / "prog/Lumtar_f"));
  EXPECT_EQ(SkinFolders(), std::vector<fs::path>{dir / "prog/skins"});
  EXPECT_FALSE(DirectoryExists(dir / "home/.local"));
}

TEST_F(DataFoldersTest, AnInstalledProgramKeepsTheUsersDataInTheXdgFolder) {
  DataFolders f = DataFoldersFor(Bin());
  EXPECT_EQ(f.layout, DataLayout::Installed);
  EXPECT_EQ(f.shipped, (dir / "usr/share/lumtar").string() + "/");
  EXPECT_EQ(f.data, User().string() + "/");
  {
    ScopedEnv xdg("XDG_DATA_HOME", (dir / "xdg").string());
    EXPECT_EQ(DataFoldersFor(Bin()).data, (dir / "xdg/Lumtar").string() + "/");
    ScopedEnv relative("XDG_DATA_HOME", std::string("relative/path"));  // not absolute: ignored
    EXPECT_EQ(DataFoldersFor(Bin()).data, User().string() + "/");
  }

  f = UseDataFolders(Bin());
  EXPECT_EQ(ProgramDir(), User().string() + "/");
  EXPECT_EQ(ShippedDir(), (dir / "usr/share/lumtar").string() + "/");
  EXPECT_EQ(ShippedPath("dat/set.ini"), dir / "usr/share/lumtar/dat/set.ini");
  for (const char* folder : {"dat", "Lumtar_f", "skins"}) EXPECT_TRUE(DirectoryExists(User() / folder)) << folder;
  for (const char* name : {"set.ini", "xminit.ini", "dili.ini"})
    EXPECT_EQ(Text(User() / "dat" / name), Text(dir / "usr/share/lumtar/dat" / name)) << name;
  EXPECT_EQ(SkinFolders(), (std::vector<fs::path>{User() / "skins", dir / "usr/share/lumtar/skins"}));

  // Another program folder (--program-dir) is portable again.
  SetProgramDir((dir / "other").string());
  EXPECT_EQ(ShippedDir(), ProgramDir());
}

TEST_F(DataFoldersTest, TheUsersFilesAreNeverOverwritten) {
  UseDataFolders(Bin());
  IniFile(User() / "dat/set.ini").WriteInteger("lumtar", "guidao", 1);
  IniFile(User() / "dat/dili.ini").WriteString("福建省", "厦门市", "118:6*24:29");  // corrected by the user
  const std::string settings = Text(User() / "dat/set.ini");
  // An upgrade ships other settings and a longer place list: a new city in
  // one province, a new province, and other coordinates for an old city.
  Ship("set.ini", "[lumtar]\r\nguidao=0\r\nnpos=5\r\n");
  Ship("dili.ini",
       "[福建省]\r\n福州市=119:18*26:5\r\n厦门市=118:5*24:31\r\n泉州市=118:35*24:55\r\n"
       "[北京市]\r\n北京=116:25*39:54\r\n[上海市]\r\n上海=121:28*31:14\r\n");
  DeleteFileIfExists(User() / "dat/xminit.ini");  // a file the user lost is copied again

  UseDataFolders(Bin());
  EXPECT_EQ(Text(User() / "dat/set.ini"), settings);
  EXPECT_EQ(Text(User() / "dat/xminit.ini"), "[winpos]\r\nleft=10\r\n");
  const IniFile places(User() / "dat/dili.ini");
  EXPECT_EQ(places.ReadSection("福建省"), (std::vector<std::string>{"福州市", "厦门市", "泉州市"}));
  EXPECT_EQ(places.ReadString("福建省", "厦门市", ""), "118:6*24:29");
  EXPECT_EQ(places.ReadString("福建省", "泉州市", ""), "118:35*24:55");
  EXPECT_EQ(places.ReadSections(), (std::vector<std::string>{"福建省", "北京市", "上海市"}));

  // A city the user took out of the list stays out while the shipped list
  // keeps it; the same shipped list twice changes nothing.
  IniFile(User() / "dat/dili.ini").DeleteKey("北京市", "北京");
  const std::string before = Text(User() / "dat/dili.ini");
  UseDataFolders(Bin());
  EXPECT_EQ(Text(User() / "dat/dili.ini"), before);
}

TEST_F(DataFoldersTest, NewPlacesGoAtTheEndOfTheirProvince) {
  WriteWholeFileAtomic(dir / "old.ini", Utf8ToGbk("[甲]\r\na=1:0*2:0\r\nb=3:0*4:0\r\n"));
  WriteWholeFileAtomic(dir / "new.ini", Utf8ToGbk("[甲]\r\nc=9:0*9:0\r\na=1:0*2:0\r\nb=3:0*4:0\r\nD=8:0*8:0\r\n"));
  WriteWholeFileAtomic(dir / "user.ini", Utf8ToGbk("[甲]\r\nb=3:30*4:0\r\nd=7:0*7:0\r\nx=5:0*5:0\r\n"));
  ASSERT_TRUE(AppendNewPlaces(dir / "new.ini", dir / "old.ini", dir / "user.ini"));
  // a was in the old list and is gone from the user's: not brought back; c
  // is new; D is the user's d (names compare as the INI file compares them).
  EXPECT_EQ(IniFile(dir / "user.ini").ReadSection("甲"), (std::vector<std::string>{"b", "d", "x", "c"}));
  // Without an old list, every place the user lacks is new.
  WriteWholeFileAtomic(dir / "user2.ini", Utf8ToGbk("[甲]\r\nb=3:30*4:0\r\n"));
  ASSERT_TRUE(AppendNewPlaces(dir / "new.ini", dir / "none.ini", dir / "user2.ini"));
  EXPECT_EQ(IniFile(dir / "user2.ini").ReadSection("甲"), (std::vector<std::string>{"b", "c", "a", "D"}));
}

TEST_F(DataFoldersTest, AHomeThatIsNoFolderIsLookedUpInThePasswordDatabase) {
  ScopedEnv home("HOME", std::string("not/absolute"));
  const DataFolders f = DataFoldersFor(Bin());
  EXPECT_EQ(f.layout, DataLayout::Installed);
  ASSERT_FALSE(f.data.empty());
  EXPECT_EQ(f.data[0], '/');
  EXPECT_TRUE(f.data.ends_with("/.local/share/Lumtar/"));
  EXPECT_NE(f.data, User().string() + "/");
}
