#pragma once

class QDialog;
class QFormLayout;

namespace app {

// Lays out a dialog of labelled fields: the form, then "确定" (Enter) and "取消" (Escape),
// which accept and reject it.
void finishFormDialog(QDialog& dialog, QFormLayout* form, int minimumWidth);

} // namespace app
