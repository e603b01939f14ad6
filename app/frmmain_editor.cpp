// The comment editor, the analysis page's look, the output of the chart
// picture and the perpetual calendar.
#include "frmmain.h"

namespace lumtar {

void TFrmMain::SbtoNewClick() {}
void TFrmMain::mnuO_mgDefaultClick() {}
void TFrmMain::mnuO_mgFontClick() {}
void TFrmMain::mnuO_mgColorClick() {}
void TFrmMain::mnuT_wnlClick() {}

}  // namespace lumtar
