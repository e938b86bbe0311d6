#pragma once

#include <QDateTime>

namespace db {
class DataControl;
}
namespace ui {
class Shell;
}

namespace registration {

// Wipes a finished tournament: after the organiser confirms, every player and every stored
// score goes, in one transaction; the settings stay. Runs in the main window with its access
// object; the card picture is hidden while it runs and shown again however it ends. Before the
// wipe, in the same transaction, the evening's final standings are kept in the club's season,
// dated `when` (now when not given).
void reinitialiserBase(ui::Shell& shell, db::DataControl& DataReinit,
                       const QDateTime& when = QDateTime());

} // namespace registration
