#pragma once

#include "FakeShell.h"
#include "TestDatabase.h"

#include <QPointer>
#include <QtTest>

// A command window opened on a fresh test file, active, as the organiser finds it.
template <typename Window> struct OpenedWindow {
    TestDatabase base;
    FakeShell shell{base.directory()};
    QPointer<Window> window;

    ~OpenedWindow() { delete window; }
    // False when the window refused to open, or never became active.
    bool open() {
        window = new Window(shell, nullptr);
        if (!window->start())
            return false;
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }
};
