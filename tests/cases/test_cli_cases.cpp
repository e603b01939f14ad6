#include <gtest/gtest.h>

#include <string>

#include "casefixture.h"
#include "clirun.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

using CliRun = CommandRun;

class CasesCli : public StoreTest {
 protected:
  CliRun Cli(const std::string& args) {
    return RunCommandLine(std::string(LUMTAR_CLI) + " cases " + args + " --program-dir '" + dir.str() + "'",
                          (dir / "stderr.txt").string());
  }

  void Fill() {
    CaseRecord a = MakeCase("张三", "朋友", 1990, true, 2);
    a.SetCommentName("张三_199003070805");
    CaseRecord b = MakeCase("李四", "同事", 1985, false, 5);
    b.isLunar = 1;
    b.isLeapMonth = 1;
    b.SetCommentName("李四_198503070805");
    CaseRecord c = MakeCase("王五", "朋友", 1970);
    c.isDeleted = 1;
    CaseRecord d = MakeCase("小张", "朋友", 0, false, 2);
    WriteRawStore(StoreFile(), {a, b, c, d});
  }
};

}  // namespace

TEST_F(CasesCli, ListAndSearch) {
  Fill();
  CliRun list = Cli("list");
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out,
            "0\t张三\t朋友\t公1990-3-7\t男\t北京-北京\t张三_199003070805\n"
            "1\t李四\t同事\t农闰1985-3-7\t女\t北京-北京\t李四_198503070805\n"
            "3\t小张\t朋友\t公-1-3-7\t女\t北京-北京\t\n");

  struct Case {
    const char* args;
    const char* slots;  // first field of each line
  } cases[] = {
      {"search --name 张", "0 3 "},
      {"search --name 张 --exact-name", ""},
      {"search --class ' 朋友 ' --exact-class", "0 3 "},
      {"search --sex female", "1 3 "},
      {"search --years -1 1990", "0 1 3 "},
      {"search --province 2 --sex male", "0 "},
  };
  for (const Case& c : cases) {
    CliRun r = Cli(c.args);
    std::string slots;
    for (std::size_t p = 0; p < r.out.size(); p = r.out.find('\n', p) + 1)
      slots += r.out.substr(p, r.out.find('\t', p) - p) + " ";
    EXPECT_EQ(slots, c.slots) << c.args;
    EXPECT_EQ(r.status, *c.slots ? 0 : 1) << c.args;
  }
}

TEST_F(CasesCli, MessagesOfTheSystem) {
  struct Case {
    const char* args;
    int status;
    const char* err;
  } cases[] = {
      {"list", 1, "没有记录，无从查找。\n"},
      {"search --years 2000 1990", 1, "结束年必须大于或等于起始年\n"},
      {"search --years 0 1990", 1,
       "年份必须在-850到2100年之间，并且没有公元0年\n注意：公元前用负数，比如公元前120年，就输入-120\n"},
      {"compact", 1, "命例数据过少，无需整理！\n"},
      {"import other.dat", 1, "没有导入的数据文件！\n"},
  };
  for (const Case& c : cases) {
    CliRun r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_EQ(r.err, c.err) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
  }
  Fill();
  CliRun r = Cli("search --name 赵");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "没有找到符合条件的命例。\n");
}

TEST_F(CasesCli, ExportImportCompact) {
  Fill();
  ASSERT_TRUE(WriteWholeFileAtomic(Doc("张三_199003070805.rtf"), "{\\rtf1 a}"));
  CliRun exp = Cli("export '" + (dir / "out").string() + "'");
  const std::string set = (dir / "out/Lumtar_导出数据/").string();
  EXPECT_EQ(exp.status, 0) << exp.err;
  EXPECT_EQ(exp.out, "成功导出，已保存到" + set + "目录下\n");
  EXPECT_TRUE(FileExists(set + "Lumtar_f/张三_199003070805.rtf"));

  ASSERT_TRUE(DeleteFileIfExists(set + "Lumtar_f/张三_199003070805.rtf"));
  ASSERT_TRUE(RenameFile(set + "Lumtar.dat", set + "LUMTAR.DAT"));
  CliRun imp = Cli("import '" + set + "LUMTAR.DAT'");
  EXPECT_EQ(imp.status, 0) << imp.err;
  EXPECT_EQ(imp.out, "成功导入，请重启软件！\n");
  EXPECT_FALSE(FileExists(Doc("张三_199003070805.rtf")));

  ASSERT_GT(std::filesystem::remove_all(set + "Lumtar_f"), 0u);
  CliRun noFolder = Cli("import '" + set + "LUMTAR.DAT'");
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_EQ(noFolder.err, "没有导入的数据文件夹！\n");

  std::vector<CaseRecord> many(2000, MakeCase("例", "朋友", 1990));
  many[5].isDeleted = 1;
  WriteRawStore(StoreFile(), many);
  CliRun compact = Cli("compact");
  EXPECT_EQ(compact.status, 0) << compact.err;
  EXPECT_EQ(compact.out, "整理数据完成，需重启软件！\n");
  EXPECT_EQ(db.RecordCount(), 1999);
}
