#include "frmtxthelp.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "widgets.h"

namespace lumtar {

QString HelpUsageText() {
  return QStringLiteral(R"(
<h2>Lumtar 七政四余星命 使用说明</h2>

<h3>一、运行环境</h3>
<p>Lumtar 是单机程序，不需要联网，所有计算都在本机完成。程序文件夹里有：</p>
<ul>
<li><b>dat</b> 文件夹：<b>set.ini</b>（排盘设置）、<b>xminit.ini</b>（窗口位置、命稿字体、界面风格、上次选的省市、命例类别）、<b>dili.ini</b>（各省城市的经纬度）、<b>Lumtar.dat</b>（命例库）；</li>
<li><b>Lumtar_f</b> 文件夹：每个命例的评语文档（RTF 格式）；</li>
<li><b>skins</b> 文件夹：界面风格文件（*.skn）。</li>
</ul>
<p>用安装包安装的程序，这些文件夹在各用户自己的 <b>~/.local/share/Lumtar</b> 下（第一次启动时从 /usr/share/lumtar 复制设置和城市表），升级或卸载程序都不会动它们；自己的界面风格文件放在那里的 skins 文件夹里。</p>
<p>备份时把整个程序文件夹（安装版是上面的 Lumtar 文件夹）复制一份即可，也可以用“文件 → 导出历史记录”只导出命例和评语。</p>

<h3>二、输入出生时间</h3>
<ul>
<li><b>年份</b>：范围 1600—2100。可直接在年份框里输入，也可以用旁边的上下箭头逐年调整。</li>
<li><b>月、日、时、分</b>：从下拉列表中选择。时辰列表每一项后面注明所属时支，例如“23时子”“0时子”“1时丑”“2时丑”，子时跨越两天，请按钟表上的实际时刻选择。</li>
<li><b>公历 / 农历</b>：出生日期是农历时选“农历”；农历闰月出生的再勾选“农历闰月”。程序会先把农历日期换算成公历，日期不存在时会给出提示。</li>
<li><b>现在时间</b>：按年份框旁提示为“现在时间”的小按钮，填入电脑当前的日期和时间（公历）。</li>
<li><b>夏令时</b>：我国 1986—1991 年间每年夏季实行过夏令时。这期间的出生时间如果是按夏令时记下的，请先减去一小时再输入。在国外实行夏令时的地区出生的，也同样处理。</li>
</ul>

<h3>三、时区</h3>
<p>时区列表共 24 项，从“零时区”“东一区”到“中十二区”，再从“西一区”到“西十一区”。默认是<b>东八区</b>，也就是北京时间。在国内出生的都选东八区。</p>
<p>在国外出生的，选出生地所在的时区、输入当地的钟表时间即可，例如伦敦选“零时区”，东京选“东九区”，纽约选“西五区”。程序会自动换算到北京时间排盘。</p>

<h3>四、出生地与经纬度</h3>
<ul>
<li>先在省份列表中选省份，再在城市列表中选出生地或邻近的城市，经度、纬度框会自动填好。城市列表里先列地级市（省会在前），再列县级市和部分县。</li>
<li>列表里找不到出生地时，选最近的城市，或者直接在经度、纬度框里输入。格式是“度:分”，冒号用英文半角。例如东经 117 度 48 分、北纬 25 度 42 分，就输入 经度 <b>117:48</b>、纬度 <b>25:42</b>。</li>
<li>东经、北纬为正，西经、南纬为负，例如西经 74 度 0 分输入 <b>-74:0</b>。经度在 -180 到 180 之间，纬度在 -90 到 90 之间，分在 0 到 59 之间。</li>
<li>出生地不详时选省份列表最后一项“未知地”，经纬度按东经 120 度、北纬 30 度计算。</li>
<li>城市的经纬度可以在“辅助工具 → 经纬度设置”中修改。修改立即存入 dat/dili.ini，主窗口下次选择省份时生效。</li>
<li>命宫按弧角计算时要用到出生地的经度和纬度；“选项 → 排盘设置”的“干支时间”选“真太阳时”或“地方时”时，时柱也随经度而变。经度每差 1 度，时间差 4 分钟，所以经纬度要尽量准确。</li>
</ul>

<h3>五、排盘</h3>
<ul>
<li>填好姓名（最多 5 个汉字）并选好性别，按<b>“本命盘”</b>，星命盘页显示命盘，星命分析页显示断语。</li>
<li>排过本命盘后按<b>“流年盘”</b>，在弹出的窗口中选择流年时间（公历），流年各星画在命盘内圈，并给出当年的年龄和行限。</li>
<li>“选项 → 排盘设置”可以选择黄道制或赤道制、命盘背景色、罗计的南北、命宫起法、相位误差值和干支时间。修改后从下一次排盘起生效。</li>
<li>在命盘的宫位圈和星宿圈上移动鼠标，会提示该宫的宫主、宫位含义或该宿的度主。</li>
</ul>

<h3>六、命例管理</h3>
<ul>
<li><b>保存</b>：排好本命盘后按<b>“存新”</b>（或“文件 → 保存命例”），选择或输入一个类别，命例和下方的评语一起保存。</li>
<li><b>查看</b>：在左边的命例树中双击命例，或右键选“查看命例”，程序重新排盘并打开该命例的评语。此时按钮变成蓝色的<b>“存旧”</b>，修改出生资料或评语后按它可以保存回原命例。</li>
<li><b>新建</b>：按“新建”清除当前命盘和评语，开始一个新命例。</li>
<li><b>右键菜单</b>：可以移动命例到其他类别、删除命例，增加、修改、删除和保存类别，展开或收缩命例树。</li>
<li><b>查找</b>：命例树只列出最近保存的 1000 个命例。更早的命例用右键菜单的“查找”（按性别、出生年份、省份、类别、姓名查找）或“显示全部命例”找到。</li>
<li><b>导出、导入</b>：“文件 → 导出历史记录”在所选文件夹中建立“Lumtar_导出数据”文件夹，存放命例库和全部评语。“文件 → 导入历史记录”选择导出文件夹中的 Lumtar.dat，导入后会<b>替换</b>现有的全部命例，请先导出备份；导入后需重启程序。</li>
<li><b>整理</b>：删除的命例在库文件中只做删除标记。库中记录（含已删除的）达到 2000 条以后，可以用“文件 → 整理记录文件”把它们真正清除，记录更少时无需整理。整理后程序会自动关闭，请重新打开。</li>
</ul>

<h3>七、输出与其他</h3>
<ul>
<li>在命盘上按右键，可以复制命盘图片、另存为 BMP 或 JPG 图片、打印。</li>
<li>在星命分析页或评语框中按右键，可以复制、设置选中文字的字体、另存为 RTF 或 TXT 文件、打印；星命分析页还可以导入断语文件。</li>
<li>“选项 → 命稿设置”调整星命分析页的字体和背景色，“选项 → 界面风格”更换窗口外观，选“系统默认”恢复系统原来的样子。</li>
<li>“辅助工具 → 万年历”查看任意年月的公历、农历、节气和四柱。</li>
</ul>
)");
}

QString HelpHistoryText() {
  return QStringLiteral(R"(
<h2>版本历史</h2>

<h3>LumtarV3.1</h3>
<ul>
<li>星历：太阳和行星按 VSOP87 理论计算，月亮按 ELP/MPP02 理论计算，冥王星采用已发表的级数，并计入岁差、章动、光行时和光行差，得到各星的视位置。</li>
<li>罗喉、计都、紫气、月孛按平均运动公式计算；可选罗南计北或罗北计南。</li>
<li>历法：1600—2100 年的公历、农历互换，含闰月；二十四节气和朔望按天文方法推算；年、月、日、时四柱可按北京时间、真太阳时或地方时起。</li>
<li>命盘：十二宫、二十八宿、各星宫度与宿度、宫主与度主、庙旺、纳音和神煞，支持黄道制和赤道制，命宫可弧角计算或按时支起；流年盘与十步行限。</li>
<li>星命分析：从古籍断语库中按命盘自动组合分析文字，可另存、打印。</li>
<li>命例库：分类保存命例与评语，查找、导出、导入和整理；命例库和设置文件均为 GBK 编码的原有格式。</li>
<li>地名：31 个省、自治区、直辖市的地级市、县级市和部分县（直辖市为全部区县），台湾省的县市和部分乡镇，香港和澳门各区；经纬度取政府驻地，精确到角分，可自行修改。</li>
<li>万年历：公元前 4713 年至公元 9999 年的日历、农历、节气、年号和四柱。</li>
<li>界面：可更换的界面风格（Mx1、青瓷、墨夜）和系统默认外观。</li>
</ul>
)");
}

TFrmTxtHelp::TFrmTxtHelp(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("软件帮助"));
  setFont(SongTiPixelFont(14));
  setModal(true);
  resize(640, 560);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(8, 8, 8, 8);
  PageHelp = new QTabWidget(this);
  auto makePage = [this](const QString& html) {
    auto* page = new QTextBrowser(this);
    page->setOpenLinks(false);
    page->setReadOnly(true);
    page->setHtml(html);
    return page;
  };
  MemoUse = makePage(HelpUsageText());
  MemoHistory = makePage(HelpHistoryText());
  PageHelp->addTab(MemoUse, QStringLiteral("使用说明"));
  PageHelp->addTab(MemoHistory, QStringLiteral("版本历史"));
  root->addWidget(PageHelp, 1);

  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  BtoClose = new QPushButton(QStringLiteral("关闭"), this);
  BtoClose->setDefault(true);
  buttons->addWidget(BtoClose);
  root->addLayout(buttons);
  connect(BtoClose, &QPushButton::clicked, this, &QDialog::accept);
}

TFrmTxtHelp::~TFrmTxtHelp() = default;

}  // namespace lumtar
