// The options dialog's row for the valve history database: a service team
// points all its PCs at one PostgreSQL database here (stored in the user's
// settings; the environment variable TARVELMUNDIX_HISTORY wins over it).
#pragma once

class QDialog;
class QLineEdit;

namespace tvx::service {

// Adds the caption and the field at height `y` of `dialog`; the field keeps
// the stored setting, OK stores what it shows and the history uses it from
// then on, Cancel brings back the stored one.
QLineEdit* AddHistoryDatabaseRow(QDialog* dialog, int y);

}  // namespace tvx::service
