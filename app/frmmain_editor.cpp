// The comment editor, the analysis page's look, the output of the chart
// picture and the perpetual calendar.
#include <QComboBox>

#include "frmmain.h"
#include "frmwnl.h"

namespace lumtar {

void TFrmMain::SbtoNewClick() {}
void TFrmMain::mnuO_mgDefaultClick() {}
void TFrmMain::mnuO_mgFontClick() {}
void TFrmMain::mnuO_mgColorClick() {}
void TFrmMain::mnuT_wnlClick() {
  // The panel's date, its year from the up-down control.
  const DateTime date{static_cast<int16_t>(UpDyear->position() + kInputFirstYear),
                      static_cast<int16_t>(cbom->currentIndex() + 1),
                      static_cast<int16_t>(cbod->currentIndex() + 1),
                      static_cast<int16_t>(cbos->currentIndex()),
                      static_cast<int16_t>(cbomin->currentIndex())};
  ShowCalendarWindow(this, FrmWnl, date);
}

}  // namespace lumtar
