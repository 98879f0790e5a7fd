// The whole "&Extract" path on a real disk with the real settings store, against what a disk and a
// file system can do wrong. Every case runs in a child process, so it may lower limits or give up root
// without touching the test process, and a case that would block is killed instead of hanging the suite.

#include "crawl/found_list.h"
#include "platform/atomic_file_writer.h"
#include "platform/settings_store.h"
#include "tests/platform/child_process.h"
#include "tests/support/named_rows.h"
#include "ui/keyword_export.h"

#include <csignal>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace vortaxel::platform {
namespace {

using testing_support::DropRootPrivileges;
using testing_support::RunInChild;
using vortaxel::test::PrintTo;
using vortaxel::test::RowName;

const QByteArray kOldContent = "old keywords\r\n";

struct FixedDialog : services::SaveDialog {
    std::string answer;
    std::string AskSavePath(const services::SaveDialogRequest&) override { return answer; }
};

struct Messages : services::MessageBox {
    std::vector<std::pair<std::string, services::MessageIcon>> shown;
    void Show(const std::string& text, const std::string&, services::MessageIcon icon) override {
        shown.emplace_back(text, icon);
    }
};

struct Launches : services::Launcher {
    int count = 0;
    bool Launch(const std::string&, const std::string&, services::WindowStyle) override {
        ++count;
        return true;
    }
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

/// The scratch folder as a case sees it: `dir` is where the export goes, `settings` the store's file.
struct Scene {
    QDir dir;
    QString target;
    QString settings;
};

enum class Expect { Refused, Written };

struct FaultCase {
    const char* name;
    /// Shapes the scratch folder (as root, in the test process) and returns the path the dialog answers.
    std::function<QString(Scene&)> prepare;
    /// Runs in the child just before the export: drops root, lowers a limit. False skips the case.
    std::function<bool()> inChild;
    Expect expect;
    /// A word the failure message must hold besides the path, or the path that must hold the keywords.
    QString reasonPart;
};

constexpr int kPass = 0;
constexpr uid_t kNobody = 65534;
constexpr int kSkip = 77;

/// 2,000 selected phrases, about 30 KiB: more than the lowered file-size limit lets through.
void FillWithManyUrls(crawl::FoundList& list) {
    for (int i = 0; i < 2000; ++i) {
        list.Append("http://example.com/blue-widget_" + std::to_string(i) + ".html");
    }
    list.SelectAll();
}

/// Runs the export and checks its outcome; returns kPass or prints what went wrong and returns 1.
int ExportAndCheck(const FaultCase& fault, const Scene& scene, const QString& path) {
    crawl::FoundList found;
    FillWithManyUrls(found);
    FixedDialog dialog;
    dialog.answer = path.toStdString();
    QtSettingsStore settings(scene.settings);
    AtomicFileWriter files;
    Messages messages;
    Launches launches;
    ui::cmdsave_Click(found, {dialog, settings, files, messages, launches});

    std::string problems;
    if (messages.shown.size() != 1) {
        problems += "expected one message, got " + std::to_string(messages.shown.size()) + "; ";
    } else if (fault.expect == Expect::Refused) {
        const QString text = QString::fromStdString(messages.shown[0].first);
        if (!text.contains(path) || !text.contains(fault.reasonPart, Qt::CaseInsensitive) ||
            messages.shown[0].second != services::MessageIcon::Warning) {
            problems += "message does not name the file and the reason: " + text.toStdString() + "; ";
        }
        if (launches.count != 0) {
            problems += "the editor was opened on a file that was not written; ";
        }
    } else if (messages.shown[0].first != "Selected URL saved") {
        problems += "export failed: " + messages.shown[0].first + "; ";
    }
    if (fault.expect == Expect::Written) {
        const QByteArray written = ReadAll(scene.dir.filePath(fault.reasonPart));
        if (!written.startsWith("blue widget 0\r\nblue widget 1\r\n") || !written.endsWith("blue widget 1999\r\n")) {
            problems += "the keywords did not land in " + fault.reasonPart.toStdString() + "; ";
        }
    }
    if (!problems.empty()) {
        std::fprintf(stderr, "%s\n", problems.c_str());
        return 1;
    }
    return kPass;
}

/// What the folder holds besides the settings file, which the export writes before it touches its own.
QStringList Listing(const QDir& dir) {
    QStringList names = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    names.removeAll(QStringLiteral("settings.ini"));
    return names;
}

class ExportFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(ExportFaultTest, TellsFileAndReasonOrWritesAndNeverLosesTheOldFile) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    // Open to the unprivileged user some cases run as; each case closes what it needs closed.
    ASSERT_EQ(chmod(QFile::encodeName(scratch.path()).constData(), 0777), 0);
    Scene scene{QDir(scratch.path()), scratch.filePath("keywords.txt"), scratch.filePath("settings.ini")};
    WriteAll(scene.target, kOldContent);
    const QString path = GetParam().prepare(scene);
    const QStringList filesBefore = Listing(scene.dir);

    const int outcome = RunInChild(
        [&] {
            if (GetParam().inChild && !GetParam().inChild()) {
                return kSkip;
            }
            return ExportAndCheck(GetParam(), scene, path);
        },
        std::chrono::seconds(20));

    if (outcome == kSkip) {
        GTEST_SKIP() << "running as root and unable to drop to an unprivileged user; root ignores mode bits";
    }
    EXPECT_EQ(outcome, kPass) << "see the child's report above; -1 means it crashed or hung";
    if (GetParam().expect == Expect::Refused) {
        EXPECT_EQ(ReadAll(scene.target), kOldContent) << "the old file was touched";
        EXPECT_EQ(Listing(scene.dir), filesBefore) << "a temporary file was left behind";
    }
}

/// Root ignores mode bits, so the cases about them run as nobody; an ordinary user needs no change.
bool AsNobody() {
    return geteuid() != 0 || DropRootPrivileges();
}

bool DiskFullAfterOneKibibyte() {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

void GiveToNobody(const QString& path) {
    if (chown(QFile::encodeName(path).constData(), kNobody, kNobody) != 0) {
        std::perror("chown");
    }
}

QString SameTarget(Scene& scene) {
    return scene.target;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ExportFaultTest,
    testing::Values(FaultCase{"DiskFullMidWrite", SameTarget, DiskFullAfterOneKibibyte, Expect::Refused, "large"},
                    FaultCase{"FolderWithoutWritePermission",
                              [](Scene& s) {
                                  // The old file and the settings stay writable to that user: only the folder says no.
                                  GiveToNobody(s.target);
                                  s.dir.mkdir("open");
                                  chmod(QFile::encodeName(s.dir.filePath("open")).constData(), 0777);
                                  s.settings = s.dir.filePath("open/settings.ini");
                                  chmod(QFile::encodeName(s.dir.path()).constData(), 0555);
                                  return s.target;
                              },
                              AsNobody, Expect::Refused, "denied"},
                    FaultCase{"MissingParent", [](Scene& s) { return s.dir.filePath("gone/keywords.txt"); }, nullptr,
                              Expect::Refused, "does not exist"},
                    FaultCase{"ParentIsAFile", [](Scene& s) { return s.target + "/keywords.txt"; }, nullptr,
                              Expect::Refused, "not a folder"},
                    FaultCase{"PathIsAFolder",
                              [](Scene& s) {
                                  s.dir.mkdir("folder.txt");
                                  return s.dir.filePath("folder.txt");
                              },
                              nullptr, Expect::Refused, "folder"},
                    FaultCase{"NameOver255Bytes", [](Scene& s) { return s.dir.filePath(QString(256, 'k')); }, nullptr,
                              Expect::Refused, "long"},
                    FaultCase{"NamedPipe",
                              [](Scene& s) {
                                  QString pipe = s.dir.filePath("pipe.txt");
                                  mkfifo(QFile::encodeName(pipe).constData(), 0666);
                                  return pipe;
                              },
                              nullptr, Expect::Refused, "not a regular file"},
                    FaultCase{"SymlinkWritesTargetKeepsLink",
                              [](Scene& s) {
                                  QString link = s.dir.filePath("link.txt");
                                  QFile::link(s.target, link);
                                  return link;
                              },
                              nullptr, Expect::Written, "keywords.txt"},
                    FaultCase{"SettingsFolderUnwritable",
                              [](Scene& s) {
                                  GiveToNobody(s.target);
                                  s.dir.mkdir("locked");
                                  s.settings = s.dir.filePath("locked/settings.ini");
                                  chmod(QFile::encodeName(s.dir.filePath("locked")).constData(), 0555);
                                  return s.target;
                              },
                              AsNobody, Expect::Written, "keywords.txt"},
                    FaultCase{"SettingsFileIsAFolder",
                              [](Scene& s) {
                                  s.dir.mkdir("settings.ini");
                                  return s.target;
                              },
                              nullptr, Expect::Written, "keywords.txt"},
                    FaultCase{"SettingsFileCorrupt",
                              [](Scene& s) {
                                  WriteAll(s.settings,
                                           QByteArray("\xFF\xFE[\0\0\x01garbage=\n[[[\n", 18) + QByteArray(4096, '\0'));
                                  return s.target;
                              },
                              nullptr, Expect::Written, "keywords.txt"}),
    RowName());

TEST(ExportFaults, SymlinkStaysALinkAfterTheExport) {
    QTemporaryDir scratch;
    const QString target = scratch.filePath("keywords.txt");
    const QString link = scratch.filePath("link.txt");
    WriteAll(target, kOldContent);
    ASSERT_TRUE(QFile::link(target, link));
    Scene scene{QDir(scratch.path()), target, scratch.filePath("settings.ini")};
    const FaultCase written{"Link", SameTarget, nullptr, Expect::Written, "keywords.txt"};

    EXPECT_EQ(ExportAndCheck(written, scene, link), kPass);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
}

} // namespace
} // namespace vortaxel::platform
