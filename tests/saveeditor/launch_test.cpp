// SPDX-License-Identifier: GPL-3.0-or-later
// romweld starts sramedit from its own folder, detached and without
// arguments. This starts the built program the same way and sees it come up
// and wait in its first file chooser, then ends it.
#include "program_paths.h"
#include "test_files.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

class LaunchTest : public QObject {
    Q_OBJECT

private slots:
    void startsFromTheProgramFolder()
    {
        // The path romweld builds: its own folder and the program name.
        const std::string program = programDirOf(SRAMEDIT_PATH) + "sramedit";
        QVERIFY(fileExists(program));

        QProcess process;
        process.setProgram(QString::fromStdString(program));
        process.setProcessEnvironment([] {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            return env;
        }());
        process.start();
        QVERIFY(process.waitForStarted(10000));

        // A program that fails to come up ends at once; one that shows its
        // chooser keeps running until it is answered.
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 1500) {
            QVERIFY2(process.state() == QProcess::Running, process.readAllStandardError().constData());
            QTest::qWait(50);
        }
        process.kill();
        QVERIFY(process.waitForFinished(10000));
    }
};

QTEST_MAIN(LaunchTest)
#include "launch_test.moc"
