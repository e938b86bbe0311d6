#pragma once

#include <QString>

namespace app {

// Where the tournament and what the program writes live, and where the shipped files are read.
struct DataFolder {
    QString data;   // ends with "/": Velmora.dat, Impressions/, Sauvegardes/, Velmora.log, the lock
    QString shared; // ends with "/": the help file Velmora.hlp
    QString model;  // the empty tournament file copied at the first start; empty: none to copy
    bool beside = true; // the data beside the program, as in a build or a copied folder
};

// Beside the program when its folder is writable and is not an installed one (no Velmora.dat
// beside the program, the shipped files in ../share/velmora/); otherwise the user's folder.
// Root may write /usr/bin, so writability alone cannot tell an installed program.
DataFolder chooseDataFolder(const QString& programDirectory, bool programFolderWritable,
                            const QString& userFolder);

// Copies the model into the data folder when no tournament is there yet, whole or not at all:
// an existing file is never written over. Empty when done; otherwise why, in French.
QString placeTournament(const DataFolder& folder);

// The running program's choice: its own folder, the user's data folder of the platform.
DataFolder runningDataFolder(const QString& programDirectory);

} // namespace app
