// The annual chart: its time dialog and the overlay on the natal chart.
#include "frmliu.h"
#include "frmmain.h"
#include "vovirer.h"

namespace lumtar {

bool TFrmMain::RunAnnualDialog() {
  // The zone list offers the clock of the natal chart's zone, or of its
  // place's zone when the birth was read in a whole-hour zone.
  TFrmLiu dialog(&annualTimeZoneIndex, &annualMomentJd, this, QString::fromStdString(AnnualLocalZone()));
  return dialog.exec() == QDialog::Accepted;
}

std::string TFrmMain::AnnualLocalZone() const {
  if (VoVirer && !VoVirer->model.request.TimeZoneName().empty()) return VoVirer->model.request.TimeZoneName();
  return natalPlaceZone;
}

bool TFrmMain::ComputeAnnualChart() {
  return VoVirer && VoVirer->ComputeAnnual(annualTimeZoneIndex, annualMomentJd,
                                           annualTimeZoneIndex == kLocalTimeZoneIndex ? AnnualLocalZone() : std::string());
}

}  // namespace lumtar
