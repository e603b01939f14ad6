#include "frmliu.h"

#include <QComboBox>
#include <QVBoxLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include "chartrequest.h"
#include "dateinputs.h"
#include "msgbox.h"
#include "widgets.h"

namespace lumtar {

namespace {

inline constexpr int kWidth = 428;
inline constexpr int kHeight = 87;

}  // namespace

TFrmLiu::TFrmLiu(int* timeZoneIndex, double* momentJd, QWidget* parent, const QString& localZone)
    : QDialog(parent), timeZoneIndex_(timeZoneIndex), momentJd_(momentJd) {
  setWindowTitle(QStringLiteral("流年时间(公历)"));
  setFont(SongTiPixelFont(14));

  SbtoNow = new QToolButton(this);
  SbtoNow->setAutoRaise(true);
  SbtoNow->setToolTip(QStringLiteral("现在时间"));
  SbtoNow->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
  EdtYear = new QLineEdit(this);
  EdtYear->setMaxLength(4);
  EdtYear->setFixedWidth(48);
  UpDyear = new UpDown(this);
  UpDyear->setRange(0, kInputLastYear - kInputFirstYear);
  cbom = new QComboBox(this);
  cbod = new QComboBox(this);
  cbos = new QComboBox(this);
  cbomin = new QComboBox(this);
  cbom->setMaxVisibleItems(12);
  cbod->setMaxVisibleItems(20);
  Label4 = new QLabel(QStringLiteral("时区"), this);
  Cboshiqu = new QComboBox(this);
  Cboshiqu->setToolTip(QStringLiteral("时区"));
  Btnok = new QPushButton(QStringLiteral("确定"), this);
  Btnok->setDefault(true);
  Btncancel = new QPushButton(QStringLiteral("取消"), this);

  const DateInputs inputs{EdtYear, UpDyear, cbom, cbod, cbos, cbomin};
  FillDateLists(inputs);
  Cboshiqu->addItems(TimeZoneItems());
  if (!localZone.isEmpty()) Cboshiqu->addItem(QStringLiteral("当地时间 (%1)").arg(localZone));

  auto* dateRow = new QHBoxLayout;
  dateRow->setSpacing(3);
  dateRow->addWidget(SbtoNow);
  dateRow->addWidget(EdtYear);
  dateRow->addWidget(UpDyear);
  for (QComboBox* list : {cbom, cbod, cbos, cbomin}) dateRow->addWidget(list, 1);
  auto* zoneRow = new QHBoxLayout;
  zoneRow->setSpacing(6);
  zoneRow->addWidget(Label4);
  zoneRow->addWidget(Cboshiqu);
  zoneRow->addStretch(1);
  zoneRow->addWidget(Btnok);
  zoneRow->addWidget(Btncancel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(8);
  layout->addLayout(dateRow);
  layout->addLayout(zoneRow);
  setFixedSize(sizeHint().expandedTo(QSize(kWidth, kHeight)));

  // The proposal.
  const int zone = timeZoneIndex_ ? *timeZoneIndex_ : kDefaultTimeZoneIndex;
  Cboshiqu->setCurrentIndex(zone >= 0 && zone < Cboshiqu->count() ? zone : kDefaultTimeZoneIndex);
  astro::DateTime t;
  dateService_.DateTimeOf(momentJd_ ? *momentJd_ : 0, t);
  ShowDate(inputs, t.year, t.month, t.day, t.hour, t.minute);

  connect(SbtoNow, &QToolButton::clicked, this, [this] { SbtoNowClick(); });
  connect(UpDyear, &UpDown::clicked, this, [this] { UpDyearClick(); });
  connect(Btnok, &QPushButton::clicked, this, [this] { BtnokClick(); });
  connect(Btncancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmLiu::showEvent(QShowEvent* event) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

void TFrmLiu::SbtoNowClick() { ShowCurrentTime({EdtYear, UpDyear, cbom, cbod, cbos, cbomin}); }

void TFrmLiu::UpDyearClick() { EdtYear->setText(QString::number(UpDyear->position() + kInputFirstYear)); }

void TFrmLiu::BtnokClick() {
  const int year = YearOfText(EdtYear->text());
  if (year < kInputFirstYear || year > kInputLastYear) {
    ShowMessage(this, QString::fromUtf8(kInputYearMessage), QStringLiteral("年份错误"), MsgIcon::Warning);
    EdtYear->setFocus();
    return;
  }
  const astro::DateTime t{static_cast<int16_t>(year), static_cast<int16_t>(cbom->currentIndex() + 1),
                   static_cast<int16_t>(cbod->currentIndex() + 1), static_cast<int16_t>(cbos->currentIndex()),
                   static_cast<int16_t>(cbomin->currentIndex())};
  if (!dateService_.IsValidSolarDate(t)) {
    ShowMessage(this, QStringLiteral("不存在这个日期"), QStringLiteral("日期错误"), MsgIcon::Warning);
    return;
  }
  if (momentJd_) *momentJd_ = dateService_.JulianDayOf(t);
  if (timeZoneIndex_) *timeZoneIndex_ = Cboshiqu->currentIndex();
  accept();
}

}  // namespace lumtar
