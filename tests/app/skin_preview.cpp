// Shows a sample window (or one of the place and help dialogs) under a skin
// and saves a picture of the screen, to look at a skin on every kind of
// control. Run under a real display or xvfb-run:
//
//   skin_preview SKIN.skn|- OUT.png [menu|combo|plain|dili|dililist|help|history] [dili.ini]
//
// "-" shows the standard look.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

#include "frmdili.h"
#include "frmtxthelp.h"
#include "skin.h"
#include "widgets.h"

using namespace lumtar;

namespace {

QImage SampleChart() {
  QImage img(520, 420, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QPointF c(260, 210);
  for (int r : {200, 170, 140, 100, 60}) p.drawEllipse(c, r, r);
  p.setFont(SongTiPixelFont(14));
  const char* branches[] = {"子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};
  for (int i = 0; i < 12; ++i) {
    double a = i * 3.14159265 / 6;
    p.drawLine(c + QPointF(60 * cos(a), 60 * sin(a)), c + QPointF(200 * cos(a), 200 * sin(a)));
    p.drawText(c + QPointF(80 * cos(a + 0.26) - 7, 80 * sin(a + 0.26) + 7), QString::fromUtf8(branches[i]));
  }
  p.setPen(Qt::red);
  p.drawText(QPointF(250, 60), QStringLiteral("日"));
  p.setPen(Qt::blue);
  p.drawText(QPointF(380, 230), QStringLiteral("月"));
  return img;
}

QMainWindow* SampleWindow(QMenu** skinMenu, QComboBox** combo) {
  auto* w = new QMainWindow;
  w->setWindowTitle(QStringLiteral("LumtarV3.1"));
  auto* file = w->menuBar()->addMenu(QStringLiteral("文件(&F)"));
  file->addAction(QStringLiteral("保存命例"));
  file->addSeparator();
  file->addAction(QStringLiteral("导入历史记录"));
  file->addAction(QStringLiteral("导出历史记录"));
  file->addAction(QStringLiteral("整理记录文件"))->setEnabled(false);
  file->addSeparator();
  file->addAction(QStringLiteral("退出程序"));
  w->menuBar()->addMenu(QStringLiteral("辅助工具(&T)"))->addAction(QStringLiteral("经纬度设置"));
  auto* options = w->menuBar()->addMenu(QStringLiteral("选项(&O)"));
  auto* gao = options->addMenu(QStringLiteral("命稿设置"));
  gao->addAction(QStringLiteral("默认"));
  options->addAction(QStringLiteral("排盘设置"));
  options->addSeparator();
  *skinMenu = options->addMenu(QStringLiteral("界面风格"));
  for (const char* n : {"Mx1", "青瓷", "墨夜"}) {
    QAction* a = (*skinMenu)->addAction(QString::fromUtf8(n));
    a->setCheckable(true);
    a->setChecked(QString::fromUtf8(n) == QStringLiteral("Mx1"));
  }
  (*skinMenu)->addSeparator();
  (*skinMenu)->addAction(QStringLiteral("系统默认"))->setCheckable(true);
  w->menuBar()->addMenu(QStringLiteral("帮助(&H)"))->addAction(QStringLiteral("软件帮助"));

  auto* split = new QSplitter(Qt::Horizontal);
  auto* tree = new QTreeWidget;
  tree->setHeaderHidden(true);
  auto* root = new QTreeWidgetItem(tree, {QStringLiteral("命例")});
  auto* c1 = new QTreeWidgetItem(root, {QStringLiteral("临时保存")});
  new QTreeWidgetItem(c1, {QStringLiteral("张三  公1990-3-7|17")});
  new QTreeWidgetItem(c1, {QStringLiteral("李四  农闰1984-10-2|18")});
  auto* c2 = new QTreeWidgetItem(root, {QStringLiteral("名人")});
  auto* sel = new QTreeWidgetItem(c2, {QStringLiteral("某人  公1961-8-4|3")});
  tree->expandAll();
  tree->setCurrentItem(sel);
  split->addWidget(tree);

  auto* vsplit = new QSplitter(Qt::Vertical);
  auto* pages = new QTabWidget;
  auto* scroll = new QScrollArea;
  auto* pic = new QLabel;
  pic->setPixmap(QPixmap::fromImage(SampleChart()));
  scroll->setWidget(pic);
  pages->addTab(scroll, QStringLiteral("星命盘"));
  auto* duan = new QTextEdit;
  duan->setHtml(QStringLiteral("<p><b>命宫</b>：命坐<span style='color:#c00000'>子宫</span>，太阳守命。</p>"
                               "<p>日月夹命，不贵则富。</p>"));
  QPalette pal = duan->palette();
  pal.setColor(QPalette::Base, ColorFromBgr(12635344));
  duan->setPalette(pal);
  // Both editors keep a vertical scroll bar, as in the program.
  duan->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  pages->addTab(duan, QStringLiteral("星命分析"));
  vsplit->addWidget(pages);
  auto* ping = new QTextEdit;
  ping->setPlainText(QStringLiteral("输入自己的评语："));
  ping->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  vsplit->addWidget(ping);
  vsplit->setSizes({420, 80});
  split->addWidget(vsplit);

  auto* panel = new QWidget;
  auto* v = new QVBoxLayout(panel);
  auto* yearRow = new QHBoxLayout;
  auto* now = new QPushButton(QStringLiteral("今"));
  now->setFixedWidth(30);
  yearRow->addWidget(now);
  auto* year = new QLineEdit(QStringLiteral("2024"));
  yearRow->addWidget(year);
  auto* up = new QSpinBox;
  up->setRange(0, 500);
  up->setValue(424);
  up->setMinimumWidth(66);
  yearRow->addWidget(up);
  v->addLayout(yearRow);
  auto* month = new QComboBox;
  for (int i = 1; i <= 12; ++i) month->addItem(QStringLiteral("%1月").arg(i));
  month->setMaxVisibleItems(12);
  v->addWidget(month);
  *combo = month;
  auto* hour = new QComboBox;
  hour->addItem(QStringLiteral("23时子"));
  v->addWidget(hour);
  auto* cal = new QGroupBox(QStringLiteral("历法"));
  auto* cv = new QVBoxLayout(cal);
  auto* gl = new QRadioButton(QStringLiteral("公历"));
  gl->setChecked(true);
  cv->addWidget(gl);
  cv->addWidget(new QRadioButton(QStringLiteral("农历")));
  cv->addWidget(new QCheckBox(QStringLiteral("农历闰月")));
  v->addWidget(cal);
  auto* zone = new QComboBox;
  zone->addItem(QStringLiteral("东八区"));
  v->addWidget(zone);
  auto* prov = new QComboBox;
  prov->addItem(QStringLiteral("福建省"));
  v->addWidget(prov);
  auto* city = new QComboBox;
  city->addItem(QStringLiteral("福州市"));
  v->addWidget(city);
  v->addWidget(new QLabel(QStringLiteral("经度")));
  v->addWidget(new QLineEdit(QStringLiteral("119:18")));
  v->addWidget(new QLabel(QStringLiteral("纬度")));
  v->addWidget(new QLineEdit(QStringLiteral("26:5")));
  auto* sex = new QHBoxLayout;
  auto* male = new QRadioButton(QStringLiteral("男"));
  male->setChecked(true);
  sex->addWidget(male);
  sex->addWidget(new QRadioButton(QStringLiteral("女")));
  v->addLayout(sex);
  v->addWidget(new QLabel(QStringLiteral("姓名")));
  v->addWidget(new QLineEdit(QStringLiteral("某人")));
  v->addWidget(new QPushButton(QStringLiteral("本命盘")));
  v->addWidget(new QPushButton(QStringLiteral("流年盘")));
  auto* save = new QPushButton(QStringLiteral("存旧"));
  save->setStyleSheet(QStringLiteral("color: #0000ff;"));
  v->addWidget(save);
  auto* dis = new QPushButton(QStringLiteral("新建"));
  dis->setEnabled(false);
  v->addWidget(dis);
  v->addStretch(1);
  panel->setFixedWidth(170);
  split->addWidget(panel);
  split->setSizes({180, 700, 150});
  w->setCentralWidget(split);
  w->resize(1180, 760);
  w->move(40, 40);
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: skin_preview SKIN.skn|- OUT.png "
                 "[menu|combo|plain|dili|dililist|help|history] [dili.ini]\n");
    return 2;
  }
  InstallFontSubstitutions();
  QApplication::setFont(SongTiPixelFont(14));
  SkinEngine skins;
  QString skin = QString::fromLocal8Bit(argv[1]);
  if (skin != QStringLiteral("-")) {
    if (!skins.LoadFromFile(skin.toStdString())) {
      std::fprintf(stderr, "cannot load %s: %s\n", argv[1], skins.LastError().c_str());
      return 1;
    }
    skins.SetActive(true);
  }
  QString out = QString::fromLocal8Bit(argv[2]);
  QString mode = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("menu");

  QWidget* shown = nullptr;
  QMenu* skinMenu = nullptr;
  QComboBox* combo = nullptr;
  QMainWindow* main = nullptr;
  TFrmDiLi* dili = nullptr;
  if (mode.startsWith(QStringLiteral("dili"))) {
    dili = new TFrmDiLi(nullptr, argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString());
    shown = dili;
  } else if (mode == QStringLiteral("help") || mode == QStringLiteral("history")) {
    auto* help = new TFrmTxtHelp(nullptr);
    if (mode == QStringLiteral("history")) help->PageHelp->setCurrentIndex(1);
    shown = help;
  } else {
    main = SampleWindow(&skinMenu, &combo);
    shown = main;
  }
  shown->show();

  QTimer::singleShot(600, [&] {
    if (mode == QStringLiteral("menu") && main) {
      QMenu* options = main->menuBar()->actions().at(2)->menu();
      QPoint at = main->menuBar()->mapToGlobal(main->menuBar()->actionGeometry(main->menuBar()->actions().at(2)).bottomLeft());
      options->popup(at);
      QTimer::singleShot(300, [&, options] {
        QAction* skinAction = skinMenu->menuAction();
        options->setActiveAction(skinAction);
        skinMenu->popup(options->mapToGlobal(options->actionGeometry(skinAction).topRight()));
      });
    } else if (mode == QStringLiteral("combo") && combo) {
      combo->showPopup();
    } else if (mode == QStringLiteral("dililist") && dili) {
      dili->CboSheng->setCurrentIndex(21);  // the longest list
      dili->CboShi->showPopup();
    }
  });
  QTimer::singleShot(1500, [&] {
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap shot = screen->grabWindow(0);
    if (shot.isNull() || shot.width() < 10) shot = shown->grab();
    bool ok = shot.save(out);
    std::fprintf(stderr, "%s %s\n", ok ? "saved" : "failed to save", qPrintable(out));
    app.exit(ok ? 0 : 1);
  });
  return app.exec();
}
