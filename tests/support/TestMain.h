#pragma once

#include <QApplication>
#include <QMetaMethod>
#include <QtTest>

// Runs each test function on its own, so that an exception escaping one (a DbError, say)
// fails that function and the others still run. Functions named on the command line run the
// same way; with any option given, Qt Test runs the command line as it stands.
template <typename Test> int runEachTestFunction() {
    Test test;
    const QStringList arguments = QCoreApplication::arguments();
    QStringList functions = arguments.mid(1);
    for (const QString& argument : functions)
        if (argument.startsWith(u'-'))
            return QTest::qExec(&test, arguments);
    if (functions.isEmpty()) {
        static const QStringList special = {"initTestCase", "cleanupTestCase", "init", "cleanup"};
        const QMetaObject* meta = test.metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            const QString name = QString::fromLatin1(method.name());
            if (method.methodType() == QMetaMethod::Slot &&
                method.access() == QMetaMethod::Private && method.parameterCount() == 0 &&
                !name.endsWith(u"_data") && !special.contains(name))
                functions.append(name);
        }
    }
    int failed = 0;
    for (const QString& name : functions) {
        try {
            failed += QTest::qExec(&test, {arguments.first(), name});
        } catch (...) {
            ++failed; // Qt Test has already reported it as a failure of that function
        }
    }
    return failed == 0 ? 0 : 1;
}

#define VELMORA_TEST_MAIN(Test)                                                                    \
    int main(int argc, char** argv) {                                                              \
        QApplication application(argc, argv);                                                      \
        application.setAttribute(Qt::AA_Use96Dpi, true);                                           \
        return runEachTestFunction<Test>();                                                        \
    }

#define VELMORA_TEST_GUILESS_MAIN(Test)                                                            \
    int main(int argc, char** argv) {                                                              \
        QCoreApplication application(argc, argv);                                                  \
        return runEachTestFunction<Test>();                                                        \
    }
