#pragma once

namespace db {
class DataControl;
}
namespace ui {
class Shell;
}

namespace registration {

// Wipes a finished tournament: after the organiser confirms, every player and every stored
// score goes, in one transaction; the settings stay. Runs in the main window with its access
// object; the card picture is hidden while it runs and shown again however it ends.
void reinitialiserBase(ui::Shell& shell, db::DataControl& DataReinit);

} // namespace registration
