// The input panel of the main window: birth date and time, calendar, time
// zone, place, sex and name, and the natal and annual chart buttons.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QToolButton>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "caseclasses.h"
#include "chartheader.h"
#include "coordinates.h"
#include "dateinputs.h"
#include "files.h"
#include "frmmain.h"
#include "gbk.h"
#include "inifile.h"
#include "msgbox.h"
#include "picturebox.h"
#include "scriptui.h"
#include "vovirer.h"
#include "widgets.h"
#include "yidateex.h"

namespace lumtar {
namespace {

// Wide enough for two radio buttons of two characters side by side.
constexpr int kPanelWidth = 110;
constexpr int kDesignWindowWidth = 1199;  // the window's width as first opened
constexpr int kNameBytes = 10;  // a name is stored in 10 bytes of GBK
// The place search lists this many places, in a list this wide.
constexpr size_t kPlaceResults = 30;
constexpr int kPlaceListWidth = 340;
constexpr int kPlaceRole = Qt::UserRole + 1;  // the row's position in placeResults

QString LocalZoneItemText(const QString& zone) {
  return zone.isEmpty() ? QStringLiteral("当地时间") : QStringLiteral("当地时间 (%1)").arg(zone);
}

QComboBox* MakeList(QWidget* parent, int visibleRows, bool bold) {
  auto* list = new QComboBox(parent);
  // A list popup, so that the row count holds in every look.
  list->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  list->setMaxVisibleItems(visibleRows);
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(2);
  if (bold) {
    QFont f = list->font();
    f.setBold(true);
    list->setFont(f);
  }
  return list;
}

// The popup of a narrow list is as wide as its longest item.
void FitPopupToItems(QComboBox* list) {
  QAbstractItemView* view = list->view();
  int width = view->sizeHintForColumn(0) + view->verticalScrollBar()->sizeHint().width() + 12;
  view->setMinimumWidth(std::max(width, list->width()));
}

enum class IconKind { Clock, Natal, Annual };

// Small pictures of the buttons, drawn rather than shipped.
QIcon PaintedIcon(IconKind kind) {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(16, 16);
  switch (kind) {
    case IconKind::Clock:
      p.setPen(QPen(QColor(40, 60, 110), 2.5));
      p.setBrush(QColor(250, 250, 240));
      p.drawEllipse(c, 13, 13);
      p.drawLine(c, QPointF(16, 7));
      p.drawLine(c, QPointF(23, 16));
      break;
    case IconKind::Natal:
    case IconKind::Annual: {
      p.setPen(QPen(QColor(150, 30, 20), 2));
      p.setBrush(QColor(255, 250, 235));
      p.drawEllipse(c, 14, 14);
      p.drawEllipse(c, 6, 6);
      for (int i = 0; i < 12; ++i) {
        double a = i * 3.14159265 / 6;
        p.drawLine(c + QPointF(6 * std::cos(a), 6 * std::sin(a)), c + QPointF(14 * std::cos(a), 14 * std::sin(a)));
      }
      if (kind == IconKind::Annual) {
        p.setPen(QPen(QColor(0, 128, 0), 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 10, 10);
      }
      break;
    }
  }
  return QIcon(pm);
}

// A labelled edit: the caption above the box.
QLineEdit* LabelledEdit(QVBoxLayout* box, QWidget* parent, const char* caption) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  auto* edit = new QLineEdit(parent);
  label->setBuddy(edit);
  box->addWidget(label);
  box->addWidget(edit);
  return edit;
}

// Calls `fit` each time the scroll area's vertical scroll bar shows or
// hides, so that the area is widened by the bar and the panel in it keeps
// its width.
class ScrollBarRoom : public QObject {
 public:
  ScrollBarRoom(QScrollArea* area, std::function<void()> fit) : QObject(area), fit_(std::move(fit)) {
    area->verticalScrollBar()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) fit_();
    return false;
  }

 private:
  std::function<void()> fit_;
};

QWidget* Pair(QWidget* parent, QWidget* a, QWidget* b) {
  auto* holder = new QWidget(parent);
  auto* row = new QHBoxLayout(holder);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  a->setParent(holder);
  b->setParent(holder);
  row->addWidget(a);
  row->addWidget(b);
  return holder;
}

// True when the civil date entered, or the civil date of the lunar date
// entered, is a Julian one (before 1582-10-15).
bool JulianDateEntered(const TFrmMain& w) {
  const int year = YearOfText(w.EdtYear->text());
  const int month = w.cbom->currentIndex() + 1;
  const int day = w.cbod->currentIndex() + 1;
  if (!w.Rdonl->isChecked()) return IsJulianCalendarDate(year, month, day);
  if (year != 1582) return year < 1582;
  static calendar::MYiDateEx dates;
  const DateTime lunar{static_cast<int16_t>(year), static_cast<int16_t>(month), static_cast<int16_t>(day), 12, 0};
  DateTime civil;
  std::string message;
  return dates.LunarToSolar(lunar, w.Chkrun->isChecked(), civil, message) &&
         IsJulianCalendarDate(civil.year, civil.month, civil.day);
}

}  // namespace

void TFrmMain::BuildInputPanel() {
  // In a window too low for the whole panel, the panel scrolls.
  ScrollInput = new QScrollArea(this);
  ScrollInput->setFrameShape(QFrame::NoFrame);
  ScrollInput->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ScrollInput->setWidgetResizable(true);
  ScrollInput->setBackgroundRole(QPalette::Window);
  new ScrollBarRoom(ScrollInput, [this] { FitInputPanel(); });
  PanelInput = new QWidget();
  FitInputPanel();
  auto* box = new QVBoxLayout(PanelInput);
  box->setContentsMargins(4, 4, 4, 4);
  box->setSpacing(3);
  QFont bold = font();
  bold.setBold(true);

  // now | year | up-down
  auto* yearRow = new QHBoxLayout();
  yearRow->setSpacing(1);
  SbtoNow = new QToolButton(PanelInput);
  SbtoNow->setAutoRaise(true);
  SbtoNow->setIcon(PaintedIcon(IconKind::Clock));
  SbtoNow->setIconSize(QSize(18, 18));
  SbtoNow->setToolTip(QStringLiteral("现在时间"));
  EdtYear = new QLineEdit(PanelInput);
  EdtYear->setMaxLength(4);
  EdtYear->setFont(bold);
  EdtYear->setMinimumWidth(40);
  UpDyear = new UpDown(PanelInput);
  UpDyear->setRange(0, kInputLastYear - kInputFirstYear);
  UpDyear->setFixedHeight(EdtYear->sizeHint().height());
  SbtoNow->setFixedSize(EdtYear->sizeHint().height(), EdtYear->sizeHint().height());
  yearRow->addWidget(SbtoNow);
  yearRow->addWidget(EdtYear, 1);
  yearRow->addWidget(UpDyear);
  box->addLayout(yearRow);

  cbom = MakeList(PanelInput, 12, true);
  cbod = MakeList(PanelInput, 20, true);
  cbos = MakeList(PanelInput, 24, true);
  cbomin = MakeList(PanelInput, 20, true);
  for (QComboBox* list : {cbom, cbod, cbos, cbomin}) box->addWidget(list);

  Rdogl = new QRadioButton(QStringLiteral("公历"));
  Rdonl = new QRadioButton(QStringLiteral("农历"));
  Rdogl->setChecked(true);
  box->addWidget(Pair(PanelInput, Rdogl, Rdonl));
  Chkrun = new QCheckBox(QStringLiteral("农历闰月"), PanelInput);
  Chkrun->setToolTip(QStringLiteral("是否农历闰月"));
  box->addWidget(Chkrun);
  BuildEraInputs(box);

  Cboshiqu = MakeList(PanelInput, 25, false);
  Cboshiqu->setToolTip(QStringLiteral("时区"));
  box->addWidget(Cboshiqu);
  // What the clock was then: the zone's offset, daylight-saving time, a
  // time the clocks skipped or repeated.
  LabClock = new QLabel(PanelInput);
  LabClock->setWordWrap(true);
  LabClock->setTextFormat(Qt::RichText);
  QFont small = font();
  if (small.pixelSize() > 0)
    small.setPixelSize(std::max(10, small.pixelSize() * 9 / 10));
  else
    small.setPointSizeF(small.pointSizeF() * 0.9);
  LabClock->setFont(small);
  // Room for a zone name over two lines, the offset and summer time, so
  // that the controls below stay where they are as the clock changes.
  LabClock->setMinimumHeight(QFontMetrics(small).lineSpacing() * 4);
  LabClock->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  box->addWidget(LabClock);
  ChkStandardTime = new QCheckBox(QStringLiteral("按标准时"), PanelInput);
  ChkStandardTime->setToolTip(QStringLiteral("这个时刻当地拨回时钟时出现了两次：默认按夏令时读，勾选则按标准时读"));
  ChkStandardTime->setVisible(false);
  box->addWidget(ChkStandardTime);
  box->addSpacing(4);
  EdtPlace = new QLineEdit(PanelInput);
  EdtPlace->setPlaceholderText(QStringLiteral("搜索地名"));
  EdtPlace->setToolTip(QStringLiteral("输入出生地的中文或外文名称（如 新加坡、纽约、Vancouver），从列表中选取"));
  EdtPlace->setClearButtonEnabled(true);
  box->addWidget(EdtPlace);
  placeModel = new QStandardItemModel(this);
  placeCompleter = new QCompleter(placeModel, this);
  placeCompleter->setWidget(EdtPlace);
  placeCompleter->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  placeCompleter->setMaxVisibleItems(12);
  cbodiZ = MakeList(PanelInput, 20, false);
  cbodiC = MakeList(PanelInput, 20, false);
  cbodiZ->setToolTip(QStringLiteral("选择邻近城市"));
  cbodiC->setToolTip(QStringLiteral("选择邻近城市"));
  box->addWidget(cbodiZ);
  box->addWidget(cbodiC);

  ledtjing = LabelledEdit(box, PanelInput, "经度");
  ledtjing->setMaxLength(7);
  ledtwei = LabelledEdit(box, PanelInput, "纬度");
  ledtwei->setMaxLength(6);

  Rdona = new QRadioButton(QStringLiteral("男"));
  Rdonv = new QRadioButton(QStringLiteral("女"));
  Rdona->setChecked(true);
  box->addSpacing(2);
  box->addWidget(Pair(PanelInput, Rdona, Rdonv));
  Edtname = LabelledEdit(box, PanelInput, "姓名");
  Edtname->setValidator(new GbkByteValidator(kNameBytes, Edtname));
  Edtname->setText(QStringLiteral("某人"));

  box->addSpacing(8);
  SbtoNew = new QToolButton();
  SbtoNew->setText(QStringLiteral("新建"));
  SbtoNew->setToolTip(QStringLiteral("新建命例"));
  SbtoSave = new QToolButton();
  SbtoSave->setText(QStringLiteral("存新"));
  for (QToolButton* b : {SbtoNew, SbtoSave}) b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  box->addWidget(Pair(PanelInput, SbtoNew, SbtoSave));

  Btnpai = new QPushButton(PaintedIcon(IconKind::Natal), QStringLiteral("本命盘"), PanelInput);
  Btnpai->setIconSize(QSize(20, 20));
  SbtoZw_liu = new QToolButton(PanelInput);
  SbtoZw_liu->setText(QStringLiteral("流年盘"));
  SbtoZw_liu->setIcon(PaintedIcon(IconKind::Annual));
  SbtoZw_liu->setIconSize(QSize(20, 20));
  SbtoZw_liu->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  SbtoZw_liu->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  for (QWidget* b : {static_cast<QWidget*>(Btnpai), static_cast<QWidget*>(SbtoZw_liu)}) {
    b->setMinimumHeight(30);
    box->addWidget(b);
  }
  box->addStretch(1);
  ScrollInput->setWidget(PanelInput);

  connect(SbtoNow, &QToolButton::clicked, this, [this] { SbtoNowClick(); });
  connect(UpDyear, &UpDown::clicked, this, [this] { UpDyearClick(); });
  // A province or city chosen by hand replaces a place picked by name.
  connect(cbodiZ, &QComboBox::activated, this, [this] {
    pickedPlace.reset();
    EdtPlace->clear();
    cbodiZClick();
    PlaceChanged();
  });
  connect(cbodiC, &QComboBox::activated, this, [this] {
    pickedPlace.reset();
    EdtPlace->clear();
    cbodiCClick();
    PlaceChanged();
  });
  connect(EdtPlace, &QLineEdit::textEdited, this, [this] { EdtPlaceEdited(); });
  connect(EdtPlace, &QLineEdit::returnPressed, this, [this] {
    // Enter without a row chosen takes the best match.
    if (placeCompleter->popup()->isVisible()) return;
    if (!placeResults.empty()) PlacePicked(placeResults.front());
  });
  connect(placeCompleter, qOverload<const QModelIndex&>(&QCompleter::activated), this, [this](const QModelIndex& i) {
    const int row = i.data(kPlaceRole).toInt();
    if (row >= 0 && row < static_cast<int>(placeResults.size())) {
      const Place place = placeResults[static_cast<size_t>(row)];
      PlacePicked(place);
    }
  });
  for (QLineEdit* box : {ledtjing, ledtwei})
    connect(box, &QLineEdit::textEdited, this, [this] { PlaceChanged(); });
  // The indicator follows every part of the moment and the zone.
  connect(EdtYear, &QLineEdit::textChanged, this, [this] { UpdateClockIndicator(); });
  for (QComboBox* list : {cbom, cbod, cbos, cbomin, Cboshiqu})
    connect(list, &QComboBox::currentIndexChanged, this, [this] { UpdateClockIndicator(); });
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{Rdonl, Chkrun, ChkStandardTime})
    connect(b, &QAbstractButton::toggled, this, [this] { UpdateClockIndicator(); });
  // A lunar date's months and days are named as the lunar calendar names them.
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{Rdonl, Chkrun})
    connect(b, &QAbstractButton::toggled, this,
            [this] { ShowCalendarOfLists(cbom, cbod, Rdonl->isChecked(), Chkrun->isChecked()); });
  connect(SbtoNew, &QToolButton::clicked, this, [this] { SbtoNewClick(); });
  connect(SbtoSave, &QToolButton::clicked, this, [this] { SbtoSaveClick(); });
  connect(Btnpai, &QPushButton::clicked, this, [this] { BtnpaiClick(); });
  connect(SbtoZw_liu, &QToolButton::clicked, this, [this] { SbtoZw_liuClick(); });
}

void TFrmMain::FitInputPanel() {
  if (!ScrollInput || !PanelInput) return;
  // The panel's own width at the window's design width, and a quarter of
  // every pixel the window is wider, up to two and a half times as wide.
  const int width = std::clamp(kPanelWidth + (this->width() - kDesignWindowWidth) / 4, kPanelWidth,
                               kPanelWidth * 5 / 2);
  PanelInput->setFixedWidth(width);
  QScrollBar* bar = ScrollInput->verticalScrollBar();
  ScrollInput->setFixedWidth(width + (bar->isVisible() ? bar->sizeHint().width() : 0));
}

void TFrmMain::FillInputLists() {
  for (QComboBox* list : {Cboshiqu, cbom, cbod, cbos, cbomin, cbodiZ}) list->clear();
  Cboshiqu->addItems(TimeZoneItems());
  Cboshiqu->addItem(LocalZoneItemText(localZone));
  const DateInputs inputs{EdtYear, UpDyear, cbom, cbod, cbos, cbomin};
  FillDateLists(inputs);
  ShowCalendarOfLists(cbom, cbod, Rdonl->isChecked(), Chkrun->isChecked());
  ShowCurrentTime(inputs);
  Cboshiqu->setCurrentIndex(kDefaultTimeZoneIndex);
  for (const char* name : ProvinceNames) cbodiZ->addItem(QString::fromUtf8(name));
  for (QComboBox* list : {Cboshiqu, cbodiZ}) {
    ShowEntriesInScript(list);
    FitPopupToItems(list);
  }
}

void TFrmMain::SbtoNowClick() {
  Rdogl->setChecked(true);
  Chkrun->setChecked(false);
  ShowCurrentTime({EdtYear, UpDyear, cbom, cbod, cbos, cbomin});
}

void TFrmMain::UpDyearClick() { EdtYear->setText(QString::number(UpDyear->position() + kInputFirstYear)); }

// ---- places

void TFrmMain::cbodiZClick() {
  const int province = cbodiZ->currentIndex();
  if (province < 0) return;
  cities = ProvinceCities{};
  cbodiC->clear();
  std::string error;
  const bool ok = ReadProvinceCities(IniFile(ProgramPath(kPlacesRelativePath)), province, &cities, &error);
  for (const std::string& name : cities.names) cbodiC->addItem(QString::fromStdString(name));
  ShowEntriesInScript(cbodiC);
  FitPopupToItems(cbodiC);
  if (!ok) {
    // A malformed value: the cities before it stay listed, none of them
    // chosen, as the boxes keep the coordinates they had.
    cbodiC->setCurrentIndex(-1);
    ShowMessage(this, QString::fromStdString(error), QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  if (cbodiC->count() == 0) return;
  cbodiC->setCurrentIndex(0);
  // 未知地 has its one city selected; the boxes change only when it is
  // chosen.
  if (province != kUnknownProvinceIndex) cbodiCClick();
}

void TFrmMain::cbodiCClick() {
  const int province = cbodiZ->currentIndex();
  const int city = cbodiC->currentIndex();
  if (province < 0 || city < 0) return;
  if (province == kUnknownProvinceIndex) {
    ledtjing->setText(QString::fromUtf8(kUnknownLongitudeText));
    ledtwei->setText(QString::fromUtf8(kUnknownLatitudeText));
    return;
  }
  if (city >= cities.size()) return;
  ledtjing->setText(QString::fromStdString(CoordinateBoxText(cities.longitudes[static_cast<size_t>(city)])));
  ledtwei->setText(QString::fromStdString(CoordinateBoxText(cities.latitudes[static_cast<size_t>(city)])));
}

// ---- the chart buttons

bool TFrmMain::ReadCoordinateBoxes() {
  float longitude = 0, latitude = 0;
  CoordinateError error =
      ReadCoordinates(ledtjing->text().toStdString(), ledtwei->text().toStdString(), &longitude, &latitude);
  if (error != CoordinateError::None) {
    CoordinateMessage m = MessageOf(error);
    ShowMessage(this, QString::fromUtf8(m.text), QString::fromUtf8(m.caption), MsgIcon::Error);
    return false;
  }
  chartRequest.longitude = longitude;
  chartRequest.latitude = latitude;
  return true;
}

void TFrmMain::BtnpaiClick() {
  natalChartShown = 0;
  if (Edtname->text().isEmpty()) {
    ShowMessage(this, QStringLiteral("姓名不能为空"), QStringLiteral("提示"), MsgIcon::Information);
    return;
  }
  const int year = YearOfText(EdtYear->text());
  if (!InputYearTakes(year, Rdonl->isChecked())) {
    ShowMessage(this, QString::fromUtf8(kInputYearMessage), QStringLiteral("年份错误"), MsgIcon::Warning);
    EdtYear->setFocus();
    return;
  }
  if (!ReadCoordinateBoxes()) return;

  ChartRequest& r = chartRequest;
  r.year = static_cast<int16_t>(year);
  UpDyear->setPosition(year - kInputFirstYear);
  r.isMale = Rdona->isChecked() ? 1 : 0;
  r.cityIndex = static_cast<int16_t>(cbodiC->currentIndex());
  r.provinceIndex = static_cast<int16_t>(cbodiZ->currentIndex());
  r.SetName(Edtname->text().toStdString());
  // The place the panel stands for: "province-city", an atlas place, or
  // 未知地 for 未知地 and for coordinates typed far from the chosen place.
  const PanelPlace place = CurrentPlace();
  r.SetPlaceName(place.name);
  r.placeId = place.atlasId;
  const bool local = Cboshiqu->currentIndex() == kLocalTimeZoneIndex;
  ReadPanelClock(r, place.timeZone);
  // A reader that knows no zones finds the whole-hour zone nearest to the
  // clock.
  BirthClock clock;
  if (local && VoVirer && VoVirer->ReadBirthClock(r, &clock))
    r.timeZoneIndex = static_cast<int8_t>(NearestWholeHourZone(clock.UtcOffset()));
  CopyRequestToCase(r, &currentCase);

  if (!VoVirer) return;
  if (!VoVirer->ComputeNatal(r)) {
    ShowMessage(this, QString::fromStdString(VoVirer->lastError), QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  natalPlaceZone = place.timeZone;
  // The annual dialog proposes the birth moment: on the place's clock when
  // the birth was read on it, else as UTC+8 civil time in the birth's zone.
  annualTimeZoneIndex = local ? kLocalTimeZoneIndex : r.timeZoneIndex;
  annualMomentJd = local ? VoVirer->model.inputJd : VoVirer->BirthJulianDay();
  natalChartShown = 1;
  chartedEntries = PanelEntries();
  Imgzhanxing->update();
  PageMain->setCurrentIndex(0);
}

QString TFrmMain::PanelEntries() const {
  QStringList entries{Edtname->text(), EdtYear->text(), ledtjing->text(), ledtwei->text(), EdtPlace->text()};
  for (const QAbstractButton* button : {static_cast<const QAbstractButton*>(Rdona), static_cast<const QAbstractButton*>(Rdonl),
                                        static_cast<const QAbstractButton*>(Chkrun),
                                        static_cast<const QAbstractButton*>(ChkStandardTime)})
    entries << QString::number(button->isChecked());
  for (const QComboBox* list : {cbom, cbod, cbos, cbomin, Cboshiqu, cbodiZ, cbodiC})
    entries << QString::number(list->currentIndex());
  entries << QString::number(pickedPlace ? pickedPlace->id : 0);
  // The era decides the calendar, its month list which of two months.
  ChartRequest era;
  era.month = static_cast<int16_t>(cbom->currentIndex() + 1);
  era.isLunar = Rdonl->isChecked() ? 1 : 0;
  era.isLeapMonth = Chkrun->isChecked() ? 1 : 0;
  ReadEraCalendar(era);
  entries << QString::number(era.lunarCalendar) << QString::number(era.monthOccurrence);
  return entries.join(QChar(0x1F));
}

// ---- the place search and the birth clock

const PlaceIndex& TFrmMain::Places() {
  if (!placeIndex) {
    placeIndex = PlaceIndex::OfProgramFolder();
    // Said once each time the lists are read: otherwise every place typed
    // would seem unknown.
    if (!placeIndex->Problem().empty())
      ShowMessage(this, QString::fromStdString(placeIndex->Problem()), QStringLiteral("地名"), MsgIcon::Warning);
  }
  return *placeIndex;
}

void TFrmMain::EdtPlaceEdited() {
  const QString text = EdtPlace->text().trimmed();
  placeModel->clear();
  placeResults.clear();
  if (text.isEmpty()) {
    placeCompleter->popup()->hide();
    return;
  }
  placeResults = Places().Search(text.toStdString(), kPlaceResults);
  for (size_t i = 0; i < placeResults.size(); ++i) {
    auto* item = new QStandardItem(QString::fromStdString(TextInScript(placeResults[i].Label())));
    item->setData(static_cast<int>(i), kPlaceRole);
    item->setToolTip(QString::fromStdString(PlaceNameInScript(placeResults[i].PlaceName()) + "  " +
                                            placeResults[i].timeZone));
    placeModel->appendRow(item);
  }
  if (placeResults.empty()) {
    placeCompleter->popup()->hide();
    return;
  }
  // The list is wider than the panel and ends at the box's right edge.
  const int width = std::max(kPlaceListWidth, EdtPlace->width());
  placeCompleter->complete(QRect(EdtPlace->width() - width, 0, width, EdtPlace->height()));
}

void TFrmMain::PlacePicked(const Place& place) {
  placeCompleter->popup()->hide();
  if (place.source == Place::Source::China) {
    pickedPlace.reset();
    cbodiZ->setCurrentIndex(place.province);
    cbodiZClick();
    cbodiC->setCurrentIndex(place.city < cbodiC->count() ? place.city : 0);
    cbodiCClick();
  } else {
    pickedPlace = place;
    // The Chinese lists name no place now.
    cbodiZ->setCurrentIndex(kUnknownProvinceIndex);
    cbodiZClick();
    ledtjing->setText(QString::fromStdString(CoordinateBoxText(place.longitude)));
    ledtwei->setText(QString::fromStdString(CoordinateBoxText(place.latitude)));
  }
  EdtPlace->setText(QString::fromStdString(place.name));
  EdtPlace->setCursorPosition(0);
  // A place named is read on its own clock.
  Cboshiqu->setCurrentIndex(kLocalTimeZoneIndex);
  PlaceChanged();
}

PanelPlace TFrmMain::CurrentPlace() {
  const int province = cbodiZ->currentIndex();
  const int city = cbodiC->currentIndex();
  const bool haveCity = province != kUnknownProvinceIndex && city >= 0 && city < cities.size();
  float lon = 0, lat = 0;
  const bool read = ReadCoordinates(ledtjing->text().toStdString(), ledtwei->text().toStdString(), &lon, &lat) ==
                    CoordinateError::None;
  const double latitude = lat, longitude = lon;
  return PlaceOfPanel(province, haveCity ? CurrentEntryText(cbodiC).toStdString() : std::string(),
                      haveCity ? cities.latitudes[static_cast<size_t>(city)] : 0,
                      haveCity ? cities.longitudes[static_cast<size_t>(city)] : 0,
                      pickedPlace ? &*pickedPlace : nullptr, read ? &latitude : nullptr, read ? &longitude : nullptr,
                      [this](double a, double b) { return Places().Nearest(a, b); });
}

void TFrmMain::PlaceChanged() {
  const QString zone = QString::fromStdString(CurrentPlace().timeZone);
  if (zone != localZone || EntryText(Cboshiqu, kLocalTimeZoneIndex) != LocalZoneItemText(zone)) {
    localZone = zone;
    Cboshiqu->setItemText(kLocalTimeZoneIndex, LocalZoneItemText(zone));
    Cboshiqu->setItemData(kLocalTimeZoneIndex, LocalZoneItemText(zone), Qt::ToolTipRole);
    FitPopupToItems(Cboshiqu);
  }
  UpdateClockIndicator();
}

void TFrmMain::ReadMomentLists(ChartRequest& r) const {
  r.month = static_cast<int16_t>(cbom->currentIndex() + 1);
  r.day = static_cast<int16_t>(cbod->currentIndex() + 1);
  r.hour = static_cast<int16_t>(cbos->currentIndex());
  r.minute = static_cast<int16_t>(cbomin->currentIndex());
  r.isLunar = Rdonl->isChecked() ? 1 : 0;
  r.isLeapMonth = Chkrun->isChecked() ? 1 : 0;
  ReadEraCalendar(r);
}

void TFrmMain::ReadPanelClock(ChartRequest& r, const std::string& placeZone) const {
  ReadMomentLists(r);
  const bool local = Cboshiqu->currentIndex() == kLocalTimeZoneIndex;
  r.SetTimeZoneName(local ? placeZone : std::string());
  r.dstChoice = static_cast<uint8_t>(local && ChkStandardTime->isChecked() ? DstChoice::Standard : DstChoice::Auto);
  r.timeZoneIndex = static_cast<int8_t>(local ? kDefaultTimeZoneIndex : Cboshiqu->currentIndex());
  float longitude = 0, latitude = 0;
  if (ReadCoordinates(ledtjing->text().toStdString(), ledtwei->text().toStdString(), &longitude, &latitude) ==
      CoordinateError::None) {
    r.longitude = longitude;
    r.latitude = latitude;
  } else {
    r.longitude = r.latitude = std::numeric_limits<float>::quiet_NaN();
  }
}

namespace {

// "UTC-4:56" for a clock, "地方平时 UTC-4:56" for a place's mean time.
QString StandardOffsetText(const BirthClock& clock) {
  return QString::fromStdString((clock.localMeanTime ? "地方平时 " : "") + UtcOffsetText(clock.standardOffset));
}

}  // namespace

void TFrmMain::UpdateClockIndicator() {
  if (!LabClock || !VoVirer) return;
  ChartRequest r;
  r.year = static_cast<int16_t>(std::clamp(YearOfText(EdtYear->text()), -32768, 32767));
  const bool local = Cboshiqu->currentIndex() == kLocalTimeZoneIndex;
  const std::string zone = localZone.toStdString();
  ReadPanelClock(r, zone);

  QStringList lines;
  // Before 1582-10-15 the date entered is a Julian one.
  if (JulianDateEntered(*this)) lines << QStringLiteral("<span style='color:#0050a0'>日期为儒略历</span>");
  bool ambiguous = false;
  BirthClock clock;
  if (local) {
    if (zone.empty()) {
      lines << QStringLiteral("<span style='color:#b00000'>没有当地时区</span>");
    } else if (VoVirer->ReadBirthClock(r, &clock)) {
      // A long zone name may break after each "/".
      lines << QString::fromStdString(zone).toHtmlEscaped().replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
      lines << StandardOffsetText(clock);
      if (clock.dstOffset != 0)
        lines << QStringLiteral("<b>夏令时 +%1</b>").arg(QString::fromStdString(DurationText(clock.dstOffset)));
      if (clock.ambiguous) {
        ambiguous = true;
        lines << QStringLiteral("<span style='color:#b05000'>此刻出现两次，按%1</span>")
                     .arg(ChkStandardTime->isChecked() ? QStringLiteral("标准时") : QStringLiteral("夏令时"));
      }
    } else if (VoVirer->lastError.find("拨快") != std::string::npos) {
      lines << QStringLiteral("<span style='color:#b00000'>%1</span>")
                   .arg(QString::fromStdString(VoVirer->lastError).toHtmlEscaped());
    }
  } else if (Cboshiqu->currentIndex() >= 0 && Cboshiqu->currentIndex() < kTimeZoneCount) {
    lines << QString::fromStdString(UtcOffsetText(HoursEastOfZone(Cboshiqu->currentIndex()) * 3600));
    // A hint when the place's own clock read otherwise then.
    r.SetTimeZoneName(zone);
    r.dstChoice = static_cast<uint8_t>(DstChoice::Auto);
    BirthClock there;
    if (!zone.empty() && VoVirer->ReadBirthClock(r, &there) &&
        there.UtcOffset() != HoursEastOfZone(Cboshiqu->currentIndex()) * 3600)
      lines << QStringLiteral("<span style='color:#b05000'>当地时钟%1%2%3</span>")
                   .arg(there.localMeanTime ? QStringLiteral("地方平时 ") : QString(),
                        QString::fromStdString(UtcOffsetText(there.UtcOffset())),
                        there.dstOffset != 0 ? QStringLiteral(" 夏令时") : QString());
  }
  LabClock->setText(lines.join(QStringLiteral("<br>")));
  // The choice belongs to one repeated hour: gone with it.
  if (!ambiguous && ChkStandardTime->isChecked()) {
    const QSignalBlocker quiet(ChkStandardTime);
    ChkStandardTime->setChecked(false);
  }
  ChkStandardTime->setVisible(local && ambiguous);
}

void TFrmMain::SbtoZw_liuClick() {
  if (!natalChartShown) {
    ShowMessage(this, QStringLiteral("请先排一个本命盘。"), QStringLiteral("提示"), MsgIcon::Information);
    return;
  }
  if (!RunAnnualDialog()) return;
  if (!ComputeAnnualChart()) {
    ShowMessage(this, QString::fromStdString(VoVirer ? VoVirer->lastError : std::string()),
                QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  Imgzhanxing->update();
  PageMain->setCurrentIndex(0);
}

}  // namespace lumtar
