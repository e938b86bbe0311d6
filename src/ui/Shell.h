#pragma once

#include <QString>

namespace ui {

// What a window or report may ask of the main window, without knowing it.
class Shell {
public:
    virtual ~Shell() = default;

    // The directory holding the program, its database and its help file, ending with "/".
    virtual QString programDirectory() const = 0;
    // The card picture, hidden while a command runs.
    virtual void setCartesVisible(bool visible) = 0;
    // The panel "Impressions en cours !! ...", shown while a report prints.
    virtual void setMessageVisible(bool visible) = 0;
};

} // namespace ui
