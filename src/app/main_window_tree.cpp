// Category tree and category editing. The tree's refresh and click handlers and the category
// grid's events are filled by the category work; until then they do nothing.
#include "app/main_window.h"

namespace app {

void TFrm_main::btn_refreshClick() {}
void TFrm_main::i() {}
void TFrm_main::ADOQueryL1_L4AfterInsert() {}
void TFrm_main::ADOQueryL1_L4AfterDelete() {}
void TFrm_main::N4Click() {}

} // namespace app
