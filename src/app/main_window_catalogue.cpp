// Hardware catalogue, product pictures, clipboard commands and the product web address.
// Filled by the catalogue work; until then these handlers do nothing.
#include "app/main_window.h"

namespace app {

void TFrm_main::DBGrid1CellClick(int) {}
void TFrm_main::DBGrid1DblClick() {}
void TFrm_main::DBGrid1KeyDown(int, Qt::KeyboardModifiers) {}
void TFrm_main::DBGrid1KeyUp(int, Qt::KeyboardModifiers) {}
void TFrm_main::ADOQueryHWAfterInsert() {}
void TFrm_main::Image1Click() {}
void TFrm_main::Image2Click() {}
void TFrm_main::N8Click() {}
void TFrm_main::N9Click() {}
void TFrm_main::N24Click() {}
void TFrm_main::N11Click() {}
void TFrm_main::N12Click() {}
void TFrm_main::N13Click() {}
void TFrm_main::N22Click() {}
void TFrm_main::N10Click() {}
void TFrm_main::N26Click() {}
void TFrm_main::N16Click() {}

} // namespace app
