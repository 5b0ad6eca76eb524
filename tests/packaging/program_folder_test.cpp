// Where the program finds its files and writes its settings: in a program
// folder beside the executable, or installed under a prefix (bin/ and
// share/tessaly/), with the settings in the user's folder.

#include "ui/program_folder.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "ui/qt_settings.h"

namespace {

using tessaly::ui::ProgramFiles;
using tessaly::ui::QtIniSettings;

// Creates `relative` (and its folders) inside `root`.
void Touch(const QString& root, const QString& relative) {
  const QString path = root + QChar('/') + relative;
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
}

QString Clean(const QString& path) {
  return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

class ProgramFolderTest : public QObject {
  Q_OBJECT

 private slots:
  void ProgramFolderKeepsEverythingBesideTheExecutable() {
    QTemporaryDir root;
    const QString exe = root.filePath(QStringLiteral("Tessaly"));
    Touch(exe, QStringLiteral("skin/skin.ini"));
    Touch(exe, QStringLiteral("fbhelp/help.html"));
    // An installed copy under the same prefix does not take over.
    Touch(root.path(), QStringLiteral("share/tessaly/skin/skin.ini"));
    const ProgramFiles f = ProgramFiles::Locate(exe, root.filePath(QStringLiteral("config")));
    QCOMPARE(Clean(f.folder), exe);
    QCOMPARE(Clean(f.settings), exe + QStringLiteral("/path.ini"));
    QCOMPARE(Clean(f.help), exe + QStringLiteral("/fbhelp/help.html"));
    QCOMPARE(Clean(f.skin), exe + QStringLiteral("/skin/skin.ini"));
  }

  void InstalledProgramReadsSharedFilesAndWritesSettingsInTheUsersFolder() {
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QDir().mkpath(bin);
    Touch(root.path(), QStringLiteral("usr/share/tessaly/fbhelp/help.html"));
    Touch(root.path(), QStringLiteral("usr/share/tessaly/skin/skin.ini"));
    const QString config = root.filePath(QStringLiteral("home/.config"));
    const ProgramFiles f = ProgramFiles::Locate(bin, config);
    const QString shared = root.filePath(QStringLiteral("usr/share/tessaly"));
    QCOMPARE(Clean(f.folder), shared);
    QCOMPARE(Clean(f.help), shared + QStringLiteral("/fbhelp/help.html"));
    QCOMPARE(Clean(f.video), shared + QStringLiteral("/fbhelp/fbys.webm"));
    QCOMPARE(Clean(f.skin), shared + QStringLiteral("/skin/skin.ini"));
    // The shared folder is writable here, yet settings never go there; the
    // user's folder is made on the first write.
    QCOMPARE(Clean(f.settings), config + QStringLiteral("/tessaly/path.ini"));
    QtIniSettings settings(f.settings);
    QVERIFY(settings.Write("YuSeBanJi", "YSBJ_Show", "0"));
    QCOMPARE(settings.Read("YuSeBanJi", "YSBJ_Show"), std::optional<std::string>("0"));
    QVERIFY(QFileInfo::exists(config + QStringLiteral("/tessaly/path.ini")));
    QVERIFY(!QFileInfo::exists(shared + QStringLiteral("/path.ini")));
  }

  void WithoutFilesTheProgramLooksBesideTheExecutable() {
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const ProgramFiles f = ProgramFiles::Locate(bin, root.filePath(QStringLiteral("config")));
    QCOMPARE(Clean(f.help), bin + QStringLiteral("/fbhelp/help.html"));
    QCOMPARE(Clean(f.settings), bin + QStringLiteral("/path.ini"));
  }

  void ReadOnlyProgramFolderWritesSettingsInTheUsersFolder() {
    if (geteuid() == 0) QSKIP("the superuser writes into read-only folders");
    QTemporaryDir root;
    const QString exe = root.filePath(QStringLiteral("Tessaly"));
    Touch(exe, QStringLiteral("skin/skin.ini"));
    const QString config = root.filePath(QStringLiteral("config"));
    QFile::setPermissions(exe, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const ProgramFiles f = ProgramFiles::Locate(exe, config);
    QFile::setPermissions(exe,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(Clean(f.skin), exe + QStringLiteral("/skin/skin.ini"));
    QCOMPARE(Clean(f.settings), config + QStringLiteral("/tessaly/path.ini"));
  }
};

}  // namespace

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "program_folder_test.moc"
