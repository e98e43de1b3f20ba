// Quotations, their management panel, database compaction and the printout. Filled by the
// quotation work; until then these handlers do nothing.
#include "app/main_window.h"

namespace app {

void TFrm_main::btn_create0Click() {}
void TFrm_main::btn_add0Click() {}
void TFrm_main::btn_del1Click() {}
void TFrm_main::btn_cash1Click() {}
void TFrm_main::DBGrid3DblClick() {}
void TFrm_main::ADOQueryDIYBeforeDelete() {}
void TFrm_main::N19Click() {}
void TFrm_main::btn_diy_id_listClick() {}
void TFrm_main::Button1Click() {}
void TFrm_main::Button3Click() {}
void TFrm_main::Button4Click() {}
void TFrm_main::Button2Click() {}
void TFrm_main::N27Click() {}
void TFrm_main::Timer3Timer() {}
void TFrm_main::btn_print1Click() {}

} // namespace app
