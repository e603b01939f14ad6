// The annual chart: its time dialog and the overlay on the natal chart.
#include "frmmain.h"
#include "msgbox.h"
#include "vovirer.h"

namespace lumtar {

bool TFrmMain::RunAnnualDialog() {
  ShowMessage(this, QStringLiteral("流年盘尚在制作中。"), QStringLiteral("提示"), MsgIcon::Information);
  return false;
}

bool TFrmMain::ComputeAnnualChart() {
  return VoVirer && VoVirer->ComputeAnnual(annualTimeZoneIndex, annualMomentJd);
}

}  // namespace lumtar
