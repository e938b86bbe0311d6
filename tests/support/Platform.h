#pragma once

#include "app/Platform.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

// What the platform would give the program installed in the test database's folder.
struct Platform {
    QDateTime now = QDateTime(QDate(2026, 12, 9), QTime(10, 15));
    app::LockKeys keys;
    QStringList opened; // folders shown in the file viewer
    bool viewer = true; // the desktop has a file viewer

    app::Environment environment(const QString& directory, int major = 1, int minor = 0) {
        app::Environment env;
        env.programDirectory = directory;
        env.programFile = directory + QStringLiteral("Velmora");
        env.versionMajor = major;
        env.versionMinor = minor;
        env.clock = [this] { return now; };
        env.lockKeys = [this] { return keys; };
        env.openFolder = [this](const QString& folder) {
            opened.append(folder);
            return viewer;
        };
        QFile program(env.programFile);
        if (!program.exists() && program.open(QIODevice::WriteOnly))
            program.close();
        return env;
    }
};

inline void writeHelp(const QString& directory) {
    QFile help(directory + QStringLiteral("Velmora.hlp"));
    if (!help.open(QIODevice::WriteOnly))
        qFatal("cannot write the test help file");
    help.write("<html><body><h1>Aide de test</h1><p>Contenu.</p></body></html>");
}
