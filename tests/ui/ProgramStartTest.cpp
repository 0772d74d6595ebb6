// The program itself: started in an empty application folder, it creates the database before
// anything else, so the first numbers of a fresh installation are not lost.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

bool HasFaxTable(const QString& path) {
    sqlite3* db = nullptr;
    bool found = false;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT fax, Date, website, search, location FROM faxes", -1, &statement,
                               nullptr) == SQLITE_OK) {
            found = true;
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return found;
}

TEST(Program, StartingInAFolderWithoutADatabaseCreatesIt) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString program = folder.filePath(QStringLiteral("tarnwick"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARNWICK_PROGRAM), program));
    const QString database = folder.filePath(QStringLiteral("spider.mdb"));
    ASSERT_FALSE(QFile::exists(database));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QDir::tempPath()); // the folder comes from the program's own path
    process.start(program, {});
    ASSERT_TRUE(process.waitForStarted(10000));

    QElapsedTimer clock;
    clock.start();
    while (!HasFaxTable(database) && process.state() == QProcess::Running && clock.elapsed() < 20000) {
        QThread::msleep(20);
    }
    EXPECT_TRUE(HasFaxTable(database));
    EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
    process.kill();
    process.waitForFinished(10000);
}

// A second start on the same folder says so and leaves the running program's folder alone; a
// program started from another folder runs beside it.
TEST(Program, ASecondStartOnTheSameFolderSaysSoAndTouchesNothing) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString program = folder.filePath(QStringLiteral("tarnwick"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARNWICK_PROGRAM), program));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    const QString database = folder.filePath(QStringLiteral("spider.mdb"));
    QElapsedTimer clock;
    clock.start();
    while (!HasFaxTable(database) && first.state() == QProcess::Running && clock.elapsed() < 20000) {
        QThread::msleep(20);
    }
    ASSERT_TRUE(HasFaxTable(database));
    const QStringList before = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(program, {});
    ASSERT_TRUE(second.waitForStarted(10000));
    QByteArray said;
    clock.restart();
    while (!said.contains("Tarnwick is already running from this folder.") && clock.elapsed() < 20000 &&
           second.state() == QProcess::Running) {
        second.waitForReadyRead(100);
        said += second.readAllStandardError();
    }
    said += second.readAllStandardError();
    EXPECT_TRUE(said.contains("Tarnwick is already running from this folder.")) << said.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), before);
    EXPECT_EQ(first.state(), QProcess::Running);

    second.kill();
    second.waitForFinished(10000);
    first.kill();
    first.waitForFinished(10000);
}

} // namespace
