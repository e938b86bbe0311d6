#pragma once

#include <QApplication>
#include <QMetaMethod>
#include <QtTest>

// Runs each test function on its own, so that an exception escaping one (a DbError, say)
// fails that function and the others still run. Names given on the command line run as
// Qt Test would run them.
template <typename Test> int runEachTestFunction(int argc, char** argv) {
    Test test;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        return QTest::qExec(&test, arguments);
    static const QStringList special = {"initTestCase", "cleanupTestCase", "init", "cleanup"};
    int failed = 0;
    const QMetaObject* meta = test.metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = QString::fromLatin1(method.name());
        if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Private ||
            method.parameterCount() != 0 || name.endsWith(u"_data") || special.contains(name))
            continue;
        try {
            failed += QTest::qExec(&test, {arguments.first(), name});
        } catch (...) {
            ++failed; // Qt Test has already reported it as a failure of that function
        }
    }
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    return failed == 0 ? 0 : 1;
}

#define VELMORA_TEST_MAIN(Test)                                                                    \
    int main(int argc, char** argv) {                                                              \
        QApplication application(argc, argv);                                                      \
        application.setAttribute(Qt::AA_Use96Dpi, true);                                           \
        return runEachTestFunction<Test>(argc, argv);                                              \
    }

#define VELMORA_TEST_GUILESS_MAIN(Test)                                                            \
    int main(int argc, char** argv) {                                                              \
        QCoreApplication application(argc, argv);                                                  \
        return runEachTestFunction<Test>(argc, argv);                                              \
    }
