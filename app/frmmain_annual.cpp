// The annual chart: its time dialog and the overlay on the natal chart.
#include "frmliu.h"
#include "frmmain.h"
#include "vovirer.h"

namespace lumtar {

bool TFrmMain::RunAnnualDialog() {
  TFrmLiu dialog(&annualTimeZoneIndex, &annualMomentJd, this);
  return dialog.exec() == QDialog::Accepted;
}

bool TFrmMain::ComputeAnnualChart() {
  return VoVirer && VoVirer->ComputeAnnual(annualTimeZoneIndex, annualMomentJd);
}

}  // namespace lumtar
